#include <cstdio>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "session/AcquisitionJournal.h"
#include "session/LeftJournals.h"
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
    const std::vector<LeftJournal> journals = FindLeftJournals(directory, CSettings::Instance());
    if (journals.empty()) {
        std::printf("no journals to recover in %s\n", directory.c_str());
        return 0;
    }
    for (const LeftJournal& left : journals) {
        std::printf("%s\n", left.path.c_str());
        switch (left.state) {
        case LeftJournalState::InUse:
            if (left.pid > 0)
                std::printf("  in use: a running program (process %ld) is writing it\n", left.pid);
            else
                std::printf("  in use: a running program is writing it\n");
            continue;
        case LeftJournalState::Empty:
            std::printf("  nothing to recover: it holds no reading (removed)\n");
            continue;
        case LeftJournalState::Unreadable:
            std::printf("  cannot be recovered: %s\n", left.problem.c_str());
            continue;
        case LeftJournalState::Recoverable:
            break;
        }
        const JournalSummary& summary = left.summary;
        std::printf("  work type: %s\n", WorkTypeName(summary.begin));
        if (!summary.begin.track && summary.begin.xSize == 0)
            std::printf("  grid: open-ended profile\n");
        else if (!summary.begin.track)
            std::printf("  grid: %u stations x %u profiles\n", summary.begin.xSize, summary.begin.ySize);
        std::printf("  readings: %zu\n", left.restorable);
        struct stat st {};
        const std::time_t last = ::stat(left.path.c_str(), &st) == 0 ? st.st_mtime : summary.begin.created;
        std::printf("  time span: %s .. %s\n", LocalTime(summary.begin.created).c_str(), LocalTime(last).c_str());
        if (summary.anyStamp)
            std::printf("  stamps: %u .. %u ms\n", summary.firstStamp, summary.lastStamp);
        if (!left.problem.empty())
            std::printf("  damaged after the readings above (%zu more entries lost): %s\n", left.lost,
                        left.problem.c_str());
    }
    return 0;
}

int Recover(const std::string& path, const std::string& out)
{
    struct stat st {};
    if (::stat(out.c_str(), &st) == 0)
        return Fail(out + " exists; choose another name");
    RecoveredJournal recovered(path, CSettings::Instance());
    RecoveryResult& result = recovered.Result();
    if (!result.dataSet)
        return Fail(path + ": " + result.problem);
    if (result.measured == 0)
        return Fail(path + ": no reading to recover" + (result.problem.empty() ? "" : " (" + result.problem + ")"));
    const platform::FileResult saved = SaveSession(*result.dataSet, out);
    if (!saved.ok)
        return Fail(saved.error + "; the journal is kept");
    std::printf("recovered %zu readings into %s\n", result.measured, out.c_str());
    if (recovered.Settle())
        return 0;
    if (!result.complete)
        std::printf("the journal was damaged after them (%s); %zu more entries could not be recovered; the "
                    "journal %s is kept\n",
                    result.problem.c_str(), result.lost, path.c_str());
    else
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
