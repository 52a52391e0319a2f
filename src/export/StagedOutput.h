#pragma once
#include <functional>
#include <string>
#include <vector>

#include "export/ExportFailure.h"

// The files of one export, written into a fresh directory beside the target and moved next
// to it only when all of them are complete. Committing moves each earlier file of the same
// name (and each stale companion, such as the index of an earlier shapefile) aside first and
// the target itself last; a failure at any step moves every earlier file back and removes
// every new one. Whatever was not committed is removed with the object.
class StagedOutput {
public:
    // Renames as rename(2) does; tests make it fail at a chosen call.
    using Renamer = std::function<int(const char* from, const char* to)>;

    // `companions`: names beside the target that belong to its set, such as "t.qix" for
    // "t.shp"; an earlier one the new set lacks is removed when the commit succeeds.
    explicit StagedOutput(std::string target, std::vector<std::string> companions = {}, Renamer rename = {});
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Creates the staging directory; false with the reason.
    bool Open(ExportError& error);
    // Where the target is written (its side files, such as a shapefile's, go beside it).
    const std::string& Path() const { return staged_; }
    // Flushes each staged file to disk and moves the set into the target's directory; false
    // with the reason, everything as it was before. The reason names the files by their
    // places beside the target.
    bool Commit(ExportError& error);
    // The files committed, the target first.
    const std::vector<std::string>& Committed() const { return committed_; }

private:
    struct Step;
    bool RollBack(std::vector<Step>& done);
    void Discard();

    std::string target_;
    std::vector<std::string> companions_;
    Renamer rename_;
    std::string directory_;
    std::string staged_;
    std::vector<std::string> committed_;
};
