#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support {

// A program started by a test, its standard output and error on one pipe. Killed at the end
// of the test if it is still running. The bounds only keep a broken program from hanging
// the suite; nothing is proved by them.
class ChildProcess {
public:
    // argv[0] is the program's path; `environment` entries ("NAME=value") are added to ours.
    explicit ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Reads until `text` appears in the output after `from`; false when the program ends or
    // the bound passes first.
    bool WaitForOutput(const std::string& text, size_t from = 0, int boundMs = 30000);
    // The next whole line of output (without its newline); empty at the end or the bound.
    std::string ReadLine(int boundMs = 30000);
    const std::string& Output() const { return output_; }
    void Signal(int signal);
    // The exit status, 128 + the signal that ended it, or -1 when it has not ended within
    // the bound. The rest of its output is read.
    int Wait(int boundMs = 30000);

private:
    // Reads what is there, waiting up to `ms` for it; false at end of output.
    bool ReadSome(int ms);

    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string output_;
    size_t lineStart_ = 0;
};

} // namespace testing_support
