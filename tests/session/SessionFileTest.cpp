#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <limits>
#include <numeric>
#include <set>
#include <tuple>
#include <sys/resource.h>
#include <unistd.h>

#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"
#include "survey/ByteStream.h"
#include "survey/ByteReader.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

using testing_support::ReadFile;
using testing_support::SampleRecord;
using testing_support::SameRecords;
using testing_support::WriteFile;

namespace {

class SessionFileTest : public testing_support::SettingsTest {
protected:
    std::unique_ptr<SurveyDataSet> Measured(int32_t workType, int32_t xSize, int32_t ySize, int readings)
    {
        Settings().workType = workType;
        Settings().xSize = xSize;
        Settings().ySize = ySize;
        auto d = std::make_unique<SurveyDataSet>(Settings());
        ScriptedSource source;
        for (int i = 0; i < readings; ++i)
            EXPECT_EQ(source.Measure(*d), MeasureOutcome::Stored);
        return d;
    }
    static std::string Serialized(DataSet& d, bool clear = false)
    {
        ByteWriter w;
        EXPECT_TRUE(d.Serialize(w, clear));
        return w.Data();
    }
    // What opening may change; compared around a refused file.
    auto Snapshot()
    {
        CSettings& s = Settings();
        return std::tuple(s.workType, s.xSize, s.ySize, s.xStep, s.yStep, s.usedFrequencies, s.headerText1,
                          s.calibrationKey, s.sessionExtra1);
    }
    // A valid 2 × 2 map, or two track readings the first with a position, as the writer
    // pinned by the byte-exact tests writes them.
    SessionBytes Written(bool track)
    {
        SessionBytes b(0);
        if (!track) {
            b.bytes = Serialized(*Measured(kWorkMap, 2, 2, 4));
            return b;
        }
        TrackDataSet t(Settings());
        ScriptedSource source;
        source.Measure(t);
        source.Measure(t);
        t.SetFix(0, {60.0, 30.0, t.FixAt(0).tick});
        b.bytes = Serialized(t);
        return b;
    }
};

// Two parsed sessions, field by field.
void ExpectSameImage(const SessionImage& a, const SessionImage& b, const std::string& where)
{
    EXPECT_EQ(a.texts, b.texts) << where;
    EXPECT_EQ(std::tuple(a.key.day, a.key.month, a.key.year, a.key.serial, a.track),
              std::tuple(b.key.day, b.key.month, b.key.year, b.key.serial, b.track))
        << where;
    EXPECT_EQ(std::tuple(a.extra1, a.extra2, a.x, a.y, a.xStep, a.yStep, a.openProfileFlag, a.trackFlags),
              std::tuple(b.extra1, b.extra2, b.x, b.y, b.xStep, b.yStep, b.openProfileFlag, b.trackFlags))
        << where;
    EXPECT_TRUE(SameRecords(a.records, b.records)) << where;
    ASSERT_EQ(a.fixes.size(), b.fixes.size()) << where;
    for (size_t k = 0; k < a.fixes.size(); ++k)
        ASSERT_EQ(std::tuple(a.fixes[k].latitude, a.fixes[k].longitude),
                  std::tuple(b.fixes[k].latitude, b.fixes[k].longitude))
            << where << " fix " << k;
}

// An open file, closed with the test.
struct OpenFile {
    explicit OpenFile(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() { ::close(fd); }
    int fd;
};

} // namespace

TEST_F(SessionFileTest, MapFileIsByteExact)
{
    Settings().xStep = 1.5f;
    Settings().yStep = 2.0f;
    Settings().sessionExtra1 = 0x01020304;
    Settings().sessionExtra2 = -1;
    Settings().headerText1 = "Профиль №1";
    Settings().headerText2 = std::string(300, 'a'); // cut at 255 bytes
    Settings().headerText3 = "x";
    Settings().reportedSerial = 0x12345; // only the low 16 bits are written
    auto d = Measured(kWorkMap, 3, 2, 6);
    const CalibrationKey key = Settings().calibrationKey;
    SessionBytes expected(1908);
    expected.Header("\xCF\xF0\xEE\xF4\xE8\xEB\xFC \xB9" "1", std::string(255, 'a'), "x", key.day, key.month, key.year, 0x2345);
    expected.Put16(782, 0);
    expected.Put32(784, 788);
    expected.Put32(788, 0x01020304);
    expected.Put32(792, 0xFFFFFFFF);
    expected.Put32(796, 3);
    expected.Put32(800, 2);
    expected.PutF64(804, 1.5);
    expected.PutF64(812, 2.0);
    expected.Put32(820, 0);
    expected.Put32(824, 828);
    for (uint32_t k = 0; k < 6; ++k)
        expected.PutRecord(828 + 180 * k, SampleRecord(k + 1));
    EXPECT_TRUE(d->Modified());
    EXPECT_EQ(Serialized(*d, true), expected.bytes);
    EXPECT_FALSE(d->Modified());
}

// Header texts come back from the file; the other settings restored on open are pinned by the
// sheet's open test and the journal recovery files.
TEST_F(SessionFileTest, SurveysReopenAsTheirWorkType)
{
    const struct {
        int32_t workType, x, y, readings, reopenedAs;
        uint32_t xSize, stationsWritten; // an open profile writes its length and the open-ended flag
    } cases[] = {
        {kWorkLimitedProfile, 10, 5, 4, kWorkLimitedProfile, 10, 10},
        {kWorkProfile, 20, 10, 22, kWorkProfile, 0, 22},
        {kWorkMap, 0, 4, 3, kWorkProfile, 0, 20}, // no stations: an open profile
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.workType * 100 + c.x);
        auto d = Measured(c.workType, c.x, c.y, c.readings);
        const int32_t extra1 = Settings().sessionExtra1 = 0x0A0B0C0D, extra2 = Settings().sessionExtra2 = -7;
        Settings().xStep = 2.5f;
        Settings().yStep = 4.0f;
        const std::string bytes = Serialized(*d);
        EXPECT_EQ(uint8_t(bytes[780]) | uint8_t(bytes[781]) << 8, Settings().calibrationKey.serial) << "no reported serial";
        EXPECT_EQ(bytes.substr(796, 4), std::string({char(c.stationsWritten), 0, 0, 0}));
        EXPECT_EQ(bytes.substr(820, 4), std::string(c.xSize ? "\0\0\0\0" : "\x01\0\0\0", 4));
        ASSERT_TRUE(SaveSession(*d, dir.File("s.lur")).ok);
        Settings().workType = kWorkMap;
        Settings().xSize = 9;
        Settings().headerText1 = Settings().headerText2 = Settings().headerText3 = "changed";
        Settings().sessionExtra1 = Settings().sessionExtra2 = 0;
        Settings().xStep = Settings().yStep = 1;
        OpenSessionResult opened = OpenSession(dir.File("s.lur"), Settings());
        // The reserved words come back, so saving the opened session keeps them.
        EXPECT_EQ(std::tuple(extra1, extra2), std::tuple(Settings().sessionExtra1, Settings().sessionExtra2));
        EXPECT_EQ(std::tuple(Settings().xStep, Settings().yStep), std::tuple(2.5f, 4.0f));
        auto* survey = dynamic_cast<SurveyDataSet*>(opened.dataSet.get());
        ASSERT_TRUE(survey) << opened.error;
        EXPECT_EQ(std::tuple(Settings().workType, survey->XSize()), std::tuple(c.reopenedAs, c.xSize));
        EXPECT_FALSE(survey->Modified());
        EXPECT_EQ(survey->Name(), "");
        EXPECT_EQ(survey->CurrentIndex(), 0u);
        EXPECT_EQ(Serialized(*survey), bytes) << "saved again, the file is the same";
    }
}

TEST_F(SessionFileTest, BadFilesAreRefusedAndChangeNothing)
{
    // Short of the last record or entry; what follows a track's entries is optional.
    const std::string survey = Written(false).bytes, track = Written(true).bytes;
    for (const auto& [whole, end] : {std::pair(survey, survey.size()), std::pair(track, size_t(800 + 2 * 196))})
        for (size_t size = 0; size < end; ++size) {
            SessionImage image;
            EXPECT_NE(ParseSession(std::string_view(whole).substr(0, size), image), "") << size;
        }
    const auto put32 = [](size_t at, uint32_t v) { return [=](SessionBytes& b) { b.Put32(at, v); }; };
    const struct {
        const char* why;
        bool track;
        std::function<void(SessionBytes&)> change;
    } cases[] = {
        {"text file", false, [](SessionBytes& b) { b.bytes = "[LUR 9]\nDate=28/02/2007\n"; }},
        {"huge grid", false, put32(796, 0xFFFFFFFF)},
        {"more records than bytes", false, put32(800, 3)},
        {"body offset past the end", false, put32(784, 0xFFFFFFFF)},
        {"records offset near the end", false, put32(824, 1000)},
        {"2^32 records: the product must not wrap", false, [](SessionBytes& b) { b.Put32(796, 0x10000); b.Put32(800, 0x10000); }},
        {"NaN step", false, [](SessionBytes& b) { b.PutF64(804, std::numeric_limits<double>::quiet_NaN()); }},
        {"huge track count", true, put32(788, 0xFFFFFFFF)},
        {"one reading short", true, put32(788, 3)},
    };
    for (const auto& c : cases) {
        SessionBytes b = Written(c.track);
        c.change(b);
        WriteFile(dir.File("bad.lur"), b.bytes);
        const auto before = Snapshot();
        const OpenSessionResult opened = OpenSession(dir.File("bad.lur"), Settings());
        EXPECT_FALSE(opened.dataSet) << c.why;
        EXPECT_NE(opened.error, "") << c.why;
        EXPECT_TRUE(Snapshot() == before) << c.why;
    }
    // Too big to read at all (sparse).
    std::filesystem::resize_file(dir.File("bad.lur"), session::kMaxFileSize + 11);
    const auto before = Snapshot();
    EXPECT_FALSE(OpenSession(dir.File("bad.lur"), Settings()).dataSet);
    EXPECT_TRUE(Snapshot() == before);
}

// A save cut short at any byte, as by a full disk, fails and leaves the previous file as
// it was and nothing beside it. A synced save per byte is too slow: the ends and each
// header field and record boundary stand for every byte.
TEST_F(SessionFileTest, ASaveCutShortKeepsThePreviousFile)
{
    const size_t size = 828 + 4 * 180;
    std::set<size_t> cuts = {0, 1, 2, size - 2, size - 1};
    for (size_t boundary : {4, 6, 8, 264, 520, 776, 778, 780, 784, 788, 796, 800, 804, 812, 824, 828, 1008, 1188, 1368})
        cuts.insert({boundary - 1, boundary, boundary + 1});
    Settings().workType = kWorkMap;
    Settings().xSize = Settings().ySize = 2;
    SurveyDataSet data(Settings());
    for (uint32_t k = 0; k < 3; ++k)
        data.StoreRecord(k, SampleRecord(k + 1));
    const std::string path = dir.File("s.lur");
    WriteFile(path, "the previous session");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
    for (rlim_t cut : cuts) {
        rlimit limit = saved;
        limit.rlim_cur = cut;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool ok = SaveSession(data, path).ok;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        ASSERT_FALSE(ok) << cut;
        ASSERT_EQ(ReadFile(path), "the previous session") << cut;
        ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << cut;
        EXPECT_EQ(data.Name(), "");
    }
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(SaveSession(data, path).ok);
    EXPECT_EQ(ReadFile(path), Serialized(data));
    EXPECT_EQ(data.Name(), path);
    EXPECT_FALSE(data.Modified());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
}

// Reading a file a window at a time gives what parsing its whole bytes gives, the same session
// or the same refusal: for files cut at every length, records that overlap the header, and
// windows that split fields, records and track entries.
TEST_F(SessionFileTest, ReadingThroughAWindowGivesWhatTheWholeBytesGive)
{
    SessionBytes overlapping = Written(false);
    overlapping.Put32(824, 8); // the records start inside the first text
    const std::vector<std::string> small = {Written(false).bytes, Written(true).bytes, overlapping.bytes};
    // Larger than the default window.
    const std::vector<std::string> large = {
        Serialized(*testing_support::GroundSurvey(Settings(), 40, 40, 1.0f, 1.0f, 1500)),
        Serialized(*testing_support::GroundTrack(Settings(), 1500))};
    for (const std::string& bytes : small)
        ASSERT_LT(bytes.size(), ByteReader::kWindowSize);
    for (const std::string& bytes : large)
        ASSERT_GT(bytes.size(), ByteReader::kWindowSize);
    const auto compare = [&](const std::string& bytes, const std::vector<size_t>& lengths) {
        WriteFile(dir.File("s.lur"), bytes);
        const OpenFile file(dir.File("s.lur"));
        ASSERT_GE(file.fd, 0);
        for (size_t length : lengths) {
            SessionImage whole;
            const std::string problem = ParseSession(std::string_view(bytes).substr(0, length), whole);
            for (size_t window : {size_t(180), size_t(181), size_t(1000), ByteReader::kWindowSize}) {
                const std::string where = std::to_string(bytes.size()) + " bytes cut at " + std::to_string(length) +
                                          ", window " + std::to_string(window);
                ByteReader reader(file.fd, length, window);
                SessionImage read;
                ASSERT_EQ(ParseSession(reader, read), problem) << where;
                EXPECT_EQ(reader.ReadError(), 0) << where;
                if (problem.empty())
                    ExpectSameImage(read, whole, where);
            }
        }
    };
    for (const std::string& bytes : small) {
        std::vector<size_t> every(bytes.size() + 1);
        std::iota(every.begin(), every.end(), size_t(0));
        compare(bytes, every);
    }
    for (const std::string& bytes : large)
        compare(bytes, {827, bytes.size() / 2, bytes.size() - 1, bytes.size()});
}

// What looks at each reading once (lurctl session info) gets every one in file order, a track's
// with its position, and the image keeps none of them.
TEST_F(SessionFileTest, AVisitorTakesEveryReadingAndNothingIsKept)
{
    const auto survey = testing_support::GroundSurvey(Settings(), 6, 5, 1.0f, 1.0f, 17);
    const auto track = testing_support::GroundTrack(Settings(), 40);
    track->SetFix(0, GpsFix{});
    track->SetFix(7, GpsFix{});
    const std::string path = dir.File("s.lur");
    for (DataSet* data : {static_cast<DataSet*>(survey.get()), static_cast<DataSet*>(track.get())}) {
        ASSERT_TRUE(SaveSession(*data, path).ok);
        SessionImage whole, visited;
        ASSERT_EQ(ReadSessionFile(path, whole).error, "");
        std::vector<MeasurementRecord> records;
        std::vector<GpsFix> fixes;
        const ReadSessionResult read = ReadSessionFile(path, visited, [&](const MeasurementRecord& r, const GpsFix& f) {
            records.push_back(r);
            fixes.push_back(f);
        });
        ASSERT_EQ(read.error, "");
        EXPECT_TRUE(visited.records.empty() && visited.fixes.empty());
        visited.records = records;
        if (whole.track)
            visited.fixes = fixes;
        else
            EXPECT_TRUE(std::all_of(fixes.begin(), fixes.end(),
                                    [](const GpsFix& f) { return f.latitude == 0 && f.longitude == 0; }));
        ExpectSameImage(visited, whole, whole.track ? "track" : "survey");
    }
}

// A file that cannot be read is told from one that is no session, each naming the file; a
// file that shrinks while it is read, or a read the system refuses, is refused, not trusted.
TEST_F(SessionFileTest, ReadFailuresAreToldApart)
{
    SessionImage image;
    const std::string missing = dir.File("missing.lur");
    ReadSessionResult read = ReadSessionFile(missing, image);
    EXPECT_TRUE(read.unreadable);
    EXPECT_EQ(read.error, "Cannot open \"" + missing + "\": No such file or directory");
    EXPECT_EQ(std::tuple(read.failure, read.errorNumber), std::tuple(platform::FileFailure::Open, ENOENT));
    read = ReadSessionFile(dir.path(), image);
    EXPECT_TRUE(read.unreadable);
    EXPECT_EQ(read.error, "\"" + dir.path() + "\" is not a regular file");
    EXPECT_EQ(read.failure, platform::FileFailure::NotRegular);
    WriteFile(dir.File("text.lur"), "[LUR 9]\n");
    read = ReadSessionFile(dir.File("text.lur"), image);
    EXPECT_FALSE(read.unreadable);
    EXPECT_EQ(read.error, dir.File("text.lur") + ": not a session file");

    for (const bool track : {false, true}) {
        const std::string bytes = Written(track).bytes;
        WriteFile(dir.File("s.lur"), bytes.substr(0, bytes.size() - 100));
        const OpenFile file(dir.File("s.lur"));
        ByteReader shrunk(file.fd, bytes.size(), 180); // the size it had when it was opened
        EXPECT_EQ(ParseSession(shrunk, image),
                  track ? "the file is shorter than its 2 readings" : "the file is shorter than its 4 records");
    }
    const OpenFile directory(dir.path());
    ByteReader refused(directory.fd, 1000);
    refused.U32();
    EXPECT_FALSE(refused.Ok());
    EXPECT_EQ(refused.ReadError(), EISDIR);
}

// A file that ends inside its records (a copy broken off, a card pulled) says how many whole
// readings it holds, and opens with just those when asked: a track's first readings, a survey's
// grid with the stations past the cut unmeasured. Neither the refusal nor the open trusts a
// torn record.
TEST_F(SessionFileTest, ACutShortFileOpensWithItsIntactReadings)
{
    const auto survey = testing_support::GroundSurvey(Settings(), 4, 3, 1.0f, 1.0f, 10);
    const auto track = testing_support::GroundTrack(Settings(), 9);
    const std::string path = dir.File("cut.lur");
    for (DataSet* data : {static_cast<DataSet*>(survey.get()), static_cast<DataSet*>(track.get())}) {
        const bool isTrack = data == track.get();
        const std::string bytes = Serialized(*data);
        const size_t entry = isTrack ? 196 : 180, body = isTrack ? 800 : 828;
        const uint32_t announced = isTrack ? 9 : 12;
        for (const size_t whole : {size_t(0), size_t(1), size_t(5)}) {
            for (const size_t torn : {size_t(0), entry - 1}) {
                const std::string where = (isTrack ? "track, " : "survey, ") + std::to_string(whole) + " whole + " +
                                          std::to_string(torn);
                WriteFile(path, bytes.substr(0, body + whole * entry + torn));
                const auto before = Snapshot();
                const OpenSessionResult refused = OpenSession(path, Settings());
                EXPECT_FALSE(refused.dataSet) << where;
                EXPECT_TRUE(Snapshot() == before) << where;
                EXPECT_EQ(std::tuple(refused.cutShort, refused.announced, refused.intact),
                          std::tuple(true, announced, uint32_t(whole)))
                    << where;

                const OpenSessionResult kept = OpenSession(path, Settings(), CutShortFile::KeepIntact);
                ASSERT_TRUE(kept.dataSet) << where << ": " << kept.error;
                EXPECT_TRUE(kept.dataSet->Modified()) << where;
                EXPECT_EQ(kept.dataSet->RecordCount(), isTrack ? whole : announced) << where;
                for (size_t k = 0; k < kept.dataSet->RecordCount(); ++k) {
                    if (k < whole)
                        EXPECT_EQ(kept.dataSet->Record(k).bytes, data->Record(k).bytes) << where << ", " << k;
                    else
                        EXPECT_TRUE(kept.dataSet->Record(k).Empty()) << where << ", " << k;
                }
                if (isTrack && whole > 0) {
                    EXPECT_EQ(static_cast<TrackDataSet&>(*kept.dataSet).FixAt(whole - 1).latitude,
                              track->FixAt(whole - 1).latitude)
                        << where;
                }
            }
        }
        // A whole file is no cut-short one.
        WriteFile(path, bytes);
        const OpenSessionResult intact = OpenSession(path, Settings(), CutShortFile::KeepIntact);
        ASSERT_TRUE(intact.dataSet);
        EXPECT_FALSE(intact.cutShort);
        EXPECT_FALSE(intact.dataSet->Modified());
    }
}
