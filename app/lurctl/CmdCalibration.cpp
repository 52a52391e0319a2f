#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "platform/CodePage.h"
#include "platform/ConfigDirectory.h"
#include "survey/CalibrationStore.h"

const char* const kCalibrationUsage =
    "Usage:\n"
    "  lurctl calibration list [--file F]\n"
    "      One line per stored set: \"LUR <serial>, dd/mm/yyyy\" and its comment.\n"
    "  lurctl calibration show SERIAL [dd/mm/yyyy] [--file F] [--cp1251]\n"
    "      The set chosen for that instrument and date (today when none is given), as the\n"
    "      calibration file holds it; in UTF-8 unless --cp1251 asks for the file's own bytes.\n"
    "  lurctl calibration merge SOURCE [--file F] [--overwrite yes|no|cancel]\n"
    "      Merges SOURCE into the store and saves it. A set that differs from a stored set\n"
    "      of the same instrument and date replaces it only with --overwrite yes (default no;\n"
    "      cancel stops reading SOURCE there).\n"
    "--file defaults to LurCalibration.ini in the configuration directory.\n";

namespace {

std::string StorePath(Args& args)
{
    auto file = args.TakeOption("--file");
    return file ? *file : platform::JoinPath(platform::ConfigDirectory(), CalibrationStore::kDefaultFileName);
}

std::string Describe(const CalibrationKey& key, const CalibrationSet& set)
{
    return set.comment.empty() ? FormatCalibrationKey(key) : FormatCalibrationKey(key) + " " + set.comment;
}

int List(Args& args)
{
    std::string path = StorePath(args);
    std::vector<std::string> rest;
    if (!args.Finish(0, 0, rest))
        return UsageError("calibration", args.Error());
    CalibrationStore store(path);
    if (store.Sets().empty())
        std::printf("<отсутствует>\n");
    for (const auto& [key, set] : store.Sets())
        std::printf("%s\n", Describe(key, set).c_str());
    return 0;
}

bool ParseDate(const std::string& text, CalibrationKey& key)
{
    int day = 0, month = 0, year = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d/%d/%d%c", &day, &month, &year, &tail) != 3 || day < 1 || day > 31 ||
        month < 1 || month > 12 || year < 1 || year > 65535)
        return false;
    key.day = static_cast<uint8_t>(day);
    key.month = static_cast<uint8_t>(month);
    key.year = static_cast<uint16_t>(year);
    return true;
}

int Show(Args& args)
{
    std::string path = StorePath(args);
    bool raw = args.TakeFlag("--cp1251");
    std::vector<std::string> words;
    if (!args.Finish(1, 2, words))
        return UsageError("calibration", args.Error());
    CalibrationKey key;
    auto serial = ParseInteger(words[0], 0, 65535);
    if (!serial)
        return UsageError("calibration", "the serial number must be 0..65535, not \"" + words[0] + "\"");
    key.serial = static_cast<uint16_t>(*serial);
    if (words.size() == 2) {
        if (!ParseDate(words[1], key))
            return UsageError("calibration", "the date must be dd/mm/yyyy, not \"" + words[1] + "\"");
    } else {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        key.day = static_cast<uint8_t>(local.tm_mday);
        key.month = static_cast<uint8_t>(local.tm_mon + 1);
        key.year = static_cast<uint16_t>(local.tm_year + 1900);
    }
    CalibrationStore store(path);
    const CalibrationSet& set = store.SelectSet(key);
    std::string text = CalibrationSectionText(key, set);
    if (!raw)
        text = platform::Cp1251ToUtf8(text);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int Merge(Args& args)
{
    std::string path = StorePath(args);
    auto overwrite = args.TakeOption("--overwrite");
    std::vector<std::string> words;
    if (!args.Finish(1, 1, words))
        return UsageError("calibration", args.Error());
    OverwriteAnswer answer = OverwriteAnswer::No;
    if (overwrite) {
        if (*overwrite == "yes")
            answer = OverwriteAnswer::Yes;
        else if (*overwrite == "cancel")
            answer = OverwriteAnswer::Cancel;
        else if (*overwrite != "no")
            return UsageError("calibration", "--overwrite takes yes, no or cancel");
    }
    std::vector<std::string> asked;
    CalibrationStore store(path, [&](const std::string& text, const std::string&) {
        asked.push_back(text);
        return answer;
    });
    std::map<CalibrationKey, CalibrationSet> before = store.Sets();
    MergeOutcome outcome;
    if (!store.MergeFile(words[0], &outcome)) {
        std::fprintf(stderr, "lurctl calibration: cannot open \"%s\"\n", words[0].c_str());
        return 1;
    }
    for (const auto& [key, set] : store.Sets()) {
        auto old = before.find(key);
        if (old == before.end())
            std::printf("added %s\n", Describe(key, set).c_str());
        else if (!old->second.SameAs(set))
            std::printf("replaced %s\n", Describe(key, set).c_str());
    }
    if (answer == OverwriteAnswer::No) {
        for (const auto& question : asked)
            std::printf("kept (differs; --overwrite yes replaces it): %s\n", question.c_str());
    }
    if (outcome.rejected)
        std::fprintf(stderr, "lurctl calibration: %s has a zero frequency; it and the rest of \"%s\" were not read\n",
                     FormatCalibrationKey(*outcome.rejected).c_str(), words[0].c_str());
    if (outcome.cancelled)
        std::fprintf(stderr, "lurctl calibration: cancelled; the rest of \"%s\" was not read\n", words[0].c_str());
    if (!store.Modified()) {
        std::printf("nothing changed in %s\n", path.c_str());
        return 0;
    }
    if (!store.SaveFile()) {
        std::fprintf(stderr, "lurctl calibration: cannot write \"%s\"\n", path.c_str());
        return 1;
    }
    std::printf("saved %s\n", path.c_str());
    return 0;
}

} // namespace

int RunCalibration(const std::vector<std::string>& words)
{
    if (words.empty())
        return UsageError("calibration", "list, show or merge?");
    Args args(std::vector<std::string>(words.begin() + 1, words.end()));
    if (words[0] == "list")
        return List(args);
    if (words[0] == "show")
        return Show(args);
    if (words[0] == "merge")
        return Merge(args);
    return UsageError("calibration", "no subcommand \"" + words[0] + "\"");
}
