#pragma once
#include <string>

// The files of one export, written into a fresh directory beside the target and moved next
// to it only when all of them are complete: a failure leaves every earlier file as it was.
// Whatever was not committed is removed with the object.
class StagedOutput {
public:
    explicit StagedOutput(std::string target) : target_(std::move(target)) {}
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Creates the staging directory; false with the reason.
    bool Open(std::string& error);
    // Where the target is written (its side files, such as a shapefile's, go beside it).
    const std::string& Path() const { return staged_; }
    // Flushes each staged file to disk and renames it into the target's directory, the
    // target itself last; false with the reason.
    bool Commit(std::string& error);

private:
    void Discard();

    std::string target_;
    std::string directory_;
    std::string staged_;
};
