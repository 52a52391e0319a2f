#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Module.h"
#include "platform/ConfigDirectory.h"

namespace {

const Command* FindCommand(const std::vector<Command>& commands, const std::string& name)
{
    for (const Command& c : commands)
        if (name == c.name)
            return &c;
    return nullptr;
}

void PrintOverview(const std::vector<Command>& commands)
{
    std::printf("lurctl: the LurControl command line.\n\n"
                "Usage: lurctl [--config-dir DIR] COMMAND [ARGS...]\n\nCommands:\n");
    for (const Command& c : commands)
        std::printf("  %-12s %s\n", c.name, c.summary);
    std::printf("  %-12s %s\n", "help", "show the usage of a command");
    std::printf("\nSettings and calibration live in %s\n"
                "(--config-dir DIR uses another directory).\n",
                platform::ConfigDirectory().c_str());
}

int Help(const std::vector<Command>& commands, const std::vector<std::string>& words)
{
    if (words.empty()) {
        PrintOverview(commands);
        return 0;
    }
    const Command* c = FindCommand(commands, words[0]);
    if (!c) {
        std::fprintf(stderr, "lurctl: no command \"%s\"\n", words[0].c_str());
        return 2;
    }
    std::fputs(c->usage, stdout);
    return 0;
}

} // namespace

int UsageError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "lurctl %s: %s (see \"lurctl help %s\")\n", command.c_str(), message.c_str(),
                 command.c_str());
    return 2;
}

int RunCommandLine(int argc, char** argv, const std::vector<Command>& commands)
{
    KeepArgumentsForModules(argv);
    std::vector<std::string> words;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--config-dir") {
            if (i + 1 == argc) {
                std::fprintf(stderr, "lurctl: --config-dir needs a directory\n");
                return 2;
            }
            platform::SetConfigDirectoryOverride(argv[++i]);
        } else if (word.rfind("--config-dir=", 0) == 0) {
            platform::SetConfigDirectoryOverride(word.substr(13));
        } else if (word == "--help" || word == "-h") {
            help = true;
        } else {
            words.push_back(std::move(word));
        }
    }
    if (words.empty() || words[0] == "help") {
        if (!words.empty())
            words.erase(words.begin());
        return Help(commands, words);
    }
    const Command* command = FindCommand(commands, words[0]);
    if (!command) {
        std::fprintf(stderr, "lurctl: no command \"%s\"; \"lurctl --help\" lists them\n", words[0].c_str());
        return 2;
    }
    if (help) {
        std::fputs(command->usage, stdout);
        return 0;
    }
    words.erase(words.begin());
    return command->run(words);
}
