#include <cstdio>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "session/AcquisitionJournal.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "lurctl session recover: %s\n", message.c_str());
    return 1;
}

std::string LocalTime(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

const char* WorkTypeName(const journal::Begin& begin)
{
    switch (begin.workType) {
    case kWorkMap: return "map (2)";
    case kWorkLimitedProfile: return "limited profile (3)";
    case kWorkProfile: return "profile (4)";
    case kWorkGpsTrack: return "GPS track (31)";
    default: return "unknown";
    }
}

int List(const std::string& directory)
{
    const std::vector<std::string> paths = ListJournals(directory);
    if (paths.empty()) {
        std::printf("no journals to recover in %s\n", directory.c_str());
        return 0;
    }
    for (const std::string& path : paths) {
        std::string bytes;
        const platform::FileResult read = platform::ReadWholeFile(path, kMaxJournalBytes, bytes);
        std::printf("%s\n", path.c_str());
        if (!read.ok) {
            std::printf("  unreadable: %s\n", read.error.c_str());
            continue;
        }
        const JournalSummary summary = SummarizeJournal(bytes);
        if (!summary.begun) {
            std::printf("  nothing to recover: %s\n", summary.problem.c_str());
            continue;
        }
        std::printf("  work type: %s\n", WorkTypeName(summary.begin));
        if (!summary.begin.track && summary.begin.xSize == 0)
            std::printf("  grid: open-ended profile\n");
        else if (!summary.begin.track)
            std::printf("  grid: %u stations x %u profiles\n", summary.begin.xSize, summary.begin.ySize);
        std::printf("  readings: %zu\n", summary.readings);
        struct stat st {};
        const std::time_t last = ::stat(path.c_str(), &st) == 0 ? st.st_mtime : summary.begin.created;
        std::printf("  time span: %s .. %s\n", LocalTime(summary.begin.created).c_str(), LocalTime(last).c_str());
        if (summary.anyStamp)
            std::printf("  stamps: %u .. %u ms\n", summary.firstStamp, summary.lastStamp);
        if (!summary.problem.empty())
            std::printf("  damaged after the last reading above: %s\n", summary.problem.c_str());
    }
    return 0;
}

int Recover(const std::string& path, const std::string& out)
{
    struct stat st {};
    if (::stat(out.c_str(), &st) == 0)
        return Fail(out + " exists; choose another name");
    std::string bytes;
    const platform::FileResult read = platform::ReadWholeFile(path, kMaxJournalBytes, bytes);
    if (!read.ok)
        return Fail(read.error);
    const RecoveryResult result = RecoverJournal(bytes, CSettings::Instance());
    if (!result.dataSet)
        return Fail(path + ": " + result.problem);
    if (result.readings == 0)
        return Fail(path + ": no reading to recover" + (result.problem.empty() ? "" : " (" + result.problem + ")"));
    const platform::FileResult saved = SaveSession(*result.dataSet, out);
    if (!saved.ok)
        return Fail(saved.error + "; the journal is kept");
    size_t measured = 0;
    for (const MeasurementRecord& record : result.dataSet->Records())
        measured += record.Empty() ? 0 : 1;
    std::printf("recovered %zu readings (%zu measured records) into %s\n", result.readings, measured, out.c_str());
    if (!result.problem.empty())
        std::printf("the journal was damaged after them: %s\n", result.problem.c_str());
    if (::unlink(path.c_str()) != 0)
        std::printf("the journal %s could not be removed; remove it by hand\n", path.c_str());
    return 0;
}

} // namespace

int RunSessionRecover(const std::vector<std::string>& words)
{
    Args args(words);
    const auto out = args.TakeOption("--out");
    const auto directory = args.TakeOption("--journal-dir");
    std::vector<std::string> positional;
    if (!args.Finish(0, 1, positional))
        return UsageError("session", args.Error());
    if (positional.empty())
        return List(directory ? *directory : AcquisitionJournal::DefaultDirectory());
    if (!out)
        return UsageError("session", "recover JOURNAL needs --out FILE.lur");
    return Recover(positional[0], *out);
}
