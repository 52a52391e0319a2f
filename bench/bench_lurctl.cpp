#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "session/SessionFile.h"
#include "settings/CSettings.h"
#include "support/SyntheticGround.h"
#include "support/TempDir.h"

extern char** environ;

// Whole lurctl processes, started and waited for as a shell would, beside `cat` reading the
// same file: what the operator waits for, dynamic linking and page faults included. The
// sessions hold 100 000 readings (18 MB): an open profile, and a track.
namespace {

struct Files {
    Files()
    {
        CSettings::SetEnvironment({config.File("settings.reg"), config.File("LurCalibration.ini"), {}});
        CSettings& s = CSettings::Instance();
        SaveSession(*testing_support::GroundSurvey(s, 0, 1, 1.0f, 1.0f, 100000), profile);
        SaveSession(*testing_support::GroundTrack(s, 100000), track);
    }
    testing_support::TempDir config;
    const std::string profile = config.File("profile.lur");
    const std::string track = config.File("track.lur");
};

const Files& TheFiles()
{
    static const Files files;
    return files;
}

// Runs the program to its end with its output thrown away; false unless it exits with 0.
bool Run(const std::vector<std::string>& words)
{
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Process(benchmark::State& state, const std::vector<std::string>& words)
{
    for (auto _ : state) {
        if (!Run(words)) {
            state.SkipWithError("the program failed");
            break;
        }
    }
}

std::vector<std::string> Lurctl(const std::vector<std::string>& words)
{
    std::vector<std::string> all = {LURCTL_PATH, "--config-dir", TheFiles().config.path()};
    all.insert(all.end(), words.begin(), words.end());
    return all;
}

void CatProfile(benchmark::State& state) { Process(state, {"cat", TheFiles().profile}); }
void InfoProfile(benchmark::State& state) { Process(state, Lurctl({"session", "info", TheFiles().profile})); }
void CatTrack(benchmark::State& state) { Process(state, {"cat", TheFiles().track}); }
void InfoTrack(benchmark::State& state) { Process(state, Lurctl({"session", "info", TheFiles().track})); }
void Help(benchmark::State& state) { Process(state, Lurctl({"help"})); }

// Medians of 5 repetitions, each the mean of as many runs as fill its time.
#define WHOLE_PROCESS(name) \
    BENCHMARK(name)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)
WHOLE_PROCESS(CatProfile);
WHOLE_PROCESS(InfoProfile);
WHOLE_PROCESS(CatTrack);
WHOLE_PROCESS(InfoTrack);
WHOLE_PROCESS(Help);

} // namespace
