#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "GpsMode.h"
#include "InstrumentMode.h"

namespace {

void Usage(FILE* out)
{
    std::fprintf(out, "lursim: simulated devices for LurControl on pseudo-terminals.\n\nUsage:\n%s"
                      "\nEach device prints one line \"KIND PATH\"; --link DIR also makes the symlink\n"
                      "DIR/KIND. Runs until interrupted (SIGINT or SIGTERM).\n",
                 (std::string(kInstrumentModeUsage) + kGpsModeUsage).c_str());
}

// Removes "--link DIR" from the arguments; false when DIR is missing.
bool TakeLink(std::vector<std::string>& args, std::string& dir)
{
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--link") {
            if (i + 1 >= args.size())
                return false;
            dir = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    return true;
}

// Links the device as DIR/KIND (when asked), then announces it on stdout: once the line
// is out, the device is ready under both names.
bool Announce(const char* kind, const std::string& path, const std::string& linkDir)
{
    if (!linkDir.empty()) {
        std::string link = linkDir + "/" + kind;
        ::unlink(link.c_str());
        if (::symlink(path.c_str(), link.c_str()) != 0) {
            std::perror(("lursim: " + link).c_str());
            return false;
        }
    }
    std::printf("%s %s\n", kind, path.c_str());
    std::fflush(stdout);
    return true;
}

void RemoveLink(const char* kind, const std::string& linkDir)
{
    if (!linkDir.empty())
        ::unlink((linkDir + "/" + kind).c_str());
}

int WaitForSignal(const sigset_t& signals)
{
    int signal = 0;
    sigwait(&signals, &signal);
    return signal;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        Usage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    // Signals are taken by sigwait in this thread only; the simulator threads inherit the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::string mode = args[0];
    args.erase(args.begin());
    std::string linkDir;
    if (!TakeLink(args, linkDir)) {
        std::fprintf(stderr, "lursim: --link needs a directory\n");
        return 2;
    }
    if (mode != "instrument" && mode != "gps" && mode != "both") {
        std::fprintf(stderr, "lursim: unknown mode \"%s\"\n", mode.c_str());
        Usage(stderr);
        return 2;
    }
    std::string error;
    std::unique_ptr<GpsDevice> gps;
    std::unique_ptr<InstrumentSimulator> instrument;
    if (mode != "instrument" && !(gps = MakeGpsDevice(args, error))) {
        std::fprintf(stderr, "lursim: %s\n", error.c_str());
        return 2;
    }
    if (mode != "gps" && !(instrument = MakeInstrumentSimulator(args, error))) {
        std::fprintf(stderr, "lursim: %s\n", error.c_str());
        return 2;
    }
    if (!args.empty()) {
        std::fprintf(stderr, "lursim: unknown option %s\n", args[0].c_str());
        return 2;
    }
    if ((instrument && !instrument->Start()) || (gps && !gps->Start())) {
        std::perror("lursim: no pseudo-terminal");
        return 1;
    }
    if ((instrument && !Announce("instrument", instrument->DevicePath(), linkDir)) ||
        (gps && !Announce("gps", gps->DevicePath(), linkDir)))
        return 1;
    WaitForSignal(signals);
    if (instrument) {
        instrument->Stop();
        RemoveLink("instrument", linkDir);
    }
    if (gps) {
        gps->Stop();
        RemoveLink("gps", linkDir);
    }
    return 0;
}
