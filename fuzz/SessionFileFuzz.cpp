// Session files of any content: what the opener accepts builds a data set whose saved file
// opens again with the same records and positions, and saves to the very same bytes; read
// from a file through a small window, the same bytes give the same session or refusal.
#include <memory>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "Fuzz.h"
#include "session/SessionFile.h"
#include "survey/ByteReader.h"

namespace {

bool SameImage(const SessionImage& a, const SessionImage& b)
{
    if (a.texts != b.texts || a.key.day != b.key.day || a.key.month != b.key.month || a.key.year != b.key.year ||
        a.key.serial != b.key.serial || a.track != b.track || a.extra1 != b.extra1 || a.extra2 != b.extra2 ||
        a.x != b.x || a.y != b.y || a.xStep != b.xStep || a.yStep != b.yStep ||
        a.openProfileFlag != b.openProfileFlag || a.trackFlags != b.trackFlags ||
        a.records.size() != b.records.size() || a.fixes.size() != b.fixes.size())
        return false;
    for (size_t k = 0; k < a.records.size(); ++k)
        if (!SameRecord(a.records[k], b.records[k]))
            return false;
    for (size_t k = 0; k < a.fixes.size(); ++k)
        if (!SameFix(a.fixes[k], b.fixes[k]))
            return false;
    return true;
}

// The window is as small as a record and grows with the last byte, so that it splits the
// fields and records of the file at every place.
void CheckReadThroughAWindow(std::string_view bytes, const std::string& problem, const SessionImage& parsed)
{
    const int fd = ::memfd_create("session", MFD_CLOEXEC);
    AbortIf(fd < 0);
    for (size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        AbortIf(n <= 0);
        written += size_t(n);
    }
    const size_t window = MeasurementRecord::kSize + (bytes.empty() ? 0 : uint8_t(bytes.back()));
    ByteReader reader(fd, bytes.size(), window);
    SessionImage read;
    AbortIf(ParseSession(reader, read) != problem || reader.ReadError() != 0);
    AbortIf(problem.empty() && !SameImage(read, parsed));
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSettings& settings = FuzzSettings();
    settings.SetDefaults();
    SessionImage image;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string problem = ParseSession(bytes, image);
    CheckReadThroughAWindow(bytes, problem, image);
    if (!problem.empty())
        return 0;
    const std::unique_ptr<DataSet> opened = ApplySession(image, settings);
    AbortIf(!opened || opened->Modified() || opened->RecordCount() < image.records.size());
    // Every record of the file is where the file put it.
    for (size_t k = 0; k < image.records.size(); ++k)
        AbortIf(!SameRecord(image.records[k], opened->Record(k)));
    const std::string saved = SavedAndChecked(*opened);

    SessionImage again;
    AbortIf(!ParseSession(saved, again).empty());
    const std::unique_ptr<DataSet> reopened = ApplySession(again, settings);
    AbortIf(SavedAndChecked(*reopened) != saved);
    return 0;
}
