// The lursim program: announces its device, links it, answers on it, ends cleanly on signals.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "instrument/CSerialPort.h"
#include "support/TempDir.h"

namespace {

// A started lursim; killed at the end of the test if it is still running.
struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
    ~Child()
    {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out)
            fclose(out);
    }
};

std::unique_ptr<Child> Launch(std::vector<std::string> args)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::make_unique<Child>();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> argv{const_cast<char*>(LURSIM_PATH)};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(LURSIM_PATH, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    auto child = std::make_unique<Child>();
    child->pid = pid;
    child->out = fdopen(pipeFds[0], "r");
    return child;
}

// Exit status, or -1 when it has not ended within the wait.
int WaitExit(pid_t pid, int ms)
{
    for (int k = 0; k < ms; ++k) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
}

TEST(Lursim, InstrumentModeRunsUntilSignalled)
{
    for (int signal : {SIGTERM, SIGINT}) {
        testing_support::TempDir dir;
        auto child = Launch({"instrument", "--link", dir.path(), "--serial", "21", "--battery", "377"});
        ASSERT_GT(child->pid, 0);
        char line[256] = {};
        ASSERT_NE(fgets(line, sizeof line, child->out), nullptr);
        std::string text = line;
        ASSERT_EQ(text.rfind("instrument /dev/", 0), 0u) << text;

        CSerialPort port;
        ASSERT_TRUE(port.Open(dir.File("instrument"), nullptr, nullptr, 9600)); // through the link
        const uint8_t battery[] = {0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03};
        size_t n = 0;
        ASSERT_TRUE(port.Write(battery, sizeof battery, n));
        uint8_t reply[2] = {};
        ASSERT_TRUE(port.Read(reply, 2, n));
        EXPECT_EQ(n, 2u);
        EXPECT_EQ(reply[0] * 256 + reply[1], 377);

        kill(child->pid, signal);
        EXPECT_EQ(WaitExit(child->pid, 5000), 0);
        EXPECT_NE(access(dir.File("instrument").c_str(), F_OK), 0); // link removed
    }
}

TEST(Lursim, BothModeServesTheInstrumentAndSendsNmea)
{
    testing_support::TempDir dir;
    auto child = Launch({"both", "--link", dir.path(), "--rate", "10", "--time-factor", "10", "--gn", "--serial", "7"});
    ASSERT_GT(child->pid, 0);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, child->out), nullptr);
    EXPECT_EQ(std::string(line).rfind("instrument /dev/", 0), 0u) << line;
    ASSERT_NE(fgets(line, sizeof line, child->out), nullptr);
    EXPECT_EQ(std::string(line).rfind("gps /dev/", 0), 0u) << line;

    CSerialPort gps;
    ASSERT_TRUE(gps.Open(dir.File("gps"), nullptr, nullptr, 9600));
    std::string text;
    uint8_t buffer[512];
    // Ten epochs a second: within a few reads a whole sentence has arrived.
    for (int k = 0; k < 20 && text.find("$GNRMC,") == std::string::npos; ++k) {
        size_t n = 0;
        ASSERT_TRUE(gps.Read(buffer, sizeof buffer, n));
        text.append(reinterpret_cast<char*>(buffer), n);
    }
    EXPECT_NE(text.find("$GNRMC,"), std::string::npos);

    CSerialPort instrument;
    ASSERT_TRUE(instrument.Open(dir.File("instrument"), nullptr, nullptr, 9600));
    const uint8_t battery[] = {0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03};
    size_t n = 0;
    ASSERT_TRUE(instrument.Write(battery, sizeof battery, n));
    uint8_t reply[2] = {};
    ASSERT_TRUE(instrument.Read(reply, 2, n));
    EXPECT_EQ(n, 2u);

    kill(child->pid, SIGTERM);
    EXPECT_EQ(WaitExit(child->pid, 5000), 0);
    EXPECT_NE(access(dir.File("gps").c_str(), F_OK), 0);
}

TEST(Lursim, BadOptionsAreUsageErrors)
{
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"instrument", "--serial", "300"}, {"instrument", "--bogus"}, {"radio"}, {"instrument", "--link"},
             {"gps", "--serial", "7"}, {"gps", "--fix-loss", "5:2"}, {"both", "--rate", "0"}}) {
        auto child = Launch(args);
        ASSERT_GT(child->pid, 0);
        EXPECT_EQ(WaitExit(child->pid, 5000), 2) << args.back();
    }
}

} // namespace
