#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <limits>
#include <random>
#include <set>
#include <sys/resource.h>

#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "session/SessionFile.h"
#include "support/RecordBuilder.h"
#include "survey/SurveyDataSet.h"

using testing_support::SampleRecord;
using testing_support::WriteFile;

namespace {

// What opening a session may change; compared before and after a refused file.
struct Snapshot {
    int32_t workType, xSize, ySize;
    float xStep, yStep;
    std::array<int32_t, 14> used;
    std::string text1;
    CalibrationKey key;
    int32_t extra1;
    bool operator==(const Snapshot&) const = default;
};

class SessionFaultTest : public testing_support::SettingsTest {
protected:
    Snapshot Take()
    {
        CSettings& s = Settings();
        return {s.workType, s.xSize, s.ySize, s.xStep, s.yStep, s.usedFrequencies, s.headerText1, s.calibrationKey,
                s.sessionExtra1};
    }
    // A valid 2 × 2 map session written from the layout: serial 9, 28/02/2007, text "T".
    SessionBytes Map()
    {
        SessionBytes b(828 + 4 * 180);
        b.Header("T", "", "", 28, 2, 2007, 9);
        b.Put32(784, 788);
        b.Put32(788, 5);
        b.Put32(796, 2);
        b.Put32(800, 2);
        b.PutF64(804, 1.0);
        b.PutF64(812, 1.0);
        b.Put32(824, 828);
        MeasurementRecord r = SampleRecord(1);
        r.bytes[168] = 0x01;
        r.bytes[169] = 0;
        for (size_t k = 0; k < 4; ++k)
            b.PutRecord(828 + 180 * k, r);
        return b;
    }
    SessionBytes Track(uint32_t count)
    {
        SessionBytes b(800 + count * 196);
        b.Header("", "", "", 28, 2, 2007, 9);
        b.Put16(782, 1);
        b.Put32(784, 788);
        b.Put32(788, count);
        b.Put32(796, 800);
        for (uint32_t k = 0; k < count; ++k) {
            b.PutRecord(800 + 196 * k, SampleRecord(k));
            b.PutF64(980 + 196 * k, 30.0 + k);
            b.PutF64(988 + 196 * k, 60.0);
        }
        return b;
    }
    // Opens bytes from a file; expects refusal with nothing changed.
    void ExpectRefused(const std::string& bytes, const std::string& why)
    {
        const Snapshot before = Take();
        const std::string path = dir.File("bad.lur");
        WriteFile(path, bytes);
        OpenSessionResult opened = OpenSession(path, Settings());
        EXPECT_FALSE(opened.dataSet) << why;
        EXPECT_NE(opened.error, "") << why;
        EXPECT_TRUE(Take() == before) << why;
    }
};

} // namespace

TEST_F(SessionFaultTest, TheReferenceFilesOpen)
{
    SessionImage image;
    EXPECT_EQ(ParseSession(Map().bytes, image), "");
    EXPECT_EQ(image.records.size(), 4u);
    EXPECT_EQ(ParseSession(Track(3).bytes, image), "");
    EXPECT_EQ(image.fixes.size(), 3u);
    EXPECT_EQ(image.fixes[2].longitude, 32.0);
    // Trailing bytes beyond the body do no harm.
    EXPECT_EQ(ParseSession(Map().bytes + "tail", image), "");
}

TEST_F(SessionFaultTest, EveryTruncationIsRefused)
{
    for (const std::string& whole : {Map().bytes, Track(2).bytes}) {
        for (size_t size = 0; size < whole.size(); ++size) {
            SessionImage image;
            EXPECT_NE(ParseSession(std::string_view(whole).substr(0, size), image), "") << size;
        }
    }
    for (size_t size : {0u, 3u, 4u, 500u, 781u, 787u, 800u, 827u, 1000u, 1547u})
        ExpectRefused(Map().bytes.substr(0, size), "prefix " + std::to_string(size));
}

TEST_F(SessionFaultTest, WrongMagicIsRefused)
{
    std::string bytes = Map().bytes;
    bytes[3] = 'X';
    ExpectRefused(bytes, "magic");
    ExpectRefused("[LUR 9]\nDate=28/02/2007\n", "text file");
}

TEST_F(SessionFaultTest, HostileSizesAndOffsetsAreRefused)
{
    struct Case {
        const char* why;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        {"huge grid", 796, 0xFFFFFFFF},
        {"huge profile count", 800, 0xFFFFFFFF},
        {"more records than bytes", 800, 3},
        {"no profiles", 800, 0},
        {"limited profile of no stations", 796, 0},
        {"body offset past the end", 784, 0xFFFFFFFF},
        {"records offset past the end", 824, 100000},
        {"records offset near the end", 824, 1000},
    };
    for (const Case& c : cases) {
        SessionBytes b = Map();
        b.Put32(c.at, c.value);
        ExpectRefused(b.bytes, c.why);
    }
    SessionBytes both = Map();
    both.Put32(796, 0x10000);
    both.Put32(800, 0x10000); // 2^32 records: the product must not wrap
    ExpectRefused(both.bytes, "product overflow");

    SessionBytes steps = Map();
    steps.PutF64(804, std::numeric_limits<double>::quiet_NaN());
    ExpectRefused(steps.bytes, "NaN step");
    steps = Map();
    steps.PutF64(812, 1e300);
    ExpectRefused(steps.bytes, "step beyond float");
}

TEST_F(SessionFaultTest, OpenEndedFileOfSeveralProfilesOpensAsOneProfile)
{
    SessionBytes b = Map();
    b.Put32(796, 0);   // no stations: open-ended
    b.Put32(800, 255); // yet many profiles
    b.Put32(820, 1);
    const std::string path = dir.File("open.lur");
    WriteFile(path, b.bytes);
    OpenSessionResult opened = OpenSession(path, Settings());
    ASSERT_TRUE(opened.dataSet) << opened.error;
    EXPECT_EQ(Settings().workType, kWorkProfile);
    // What it saves opens again, with the same records.
    ASSERT_TRUE(SaveSession(*opened.dataSet, path).ok);
    OpenSessionResult again = OpenSession(path, Settings());
    ASSERT_TRUE(again.dataSet) << again.error;
    EXPECT_EQ(again.dataSet->RecordCount(), opened.dataSet->RecordCount());
}

TEST_F(SessionFaultTest, HostileTrackBodiesAreRefused)
{
    SessionBytes b = Track(2);
    b.Put32(788, 0xFFFFFFFF);
    ExpectRefused(b.bytes, "huge track count");
    b = Track(2);
    b.Put32(788, 3);
    ExpectRefused(b.bytes, "one reading short");
    b = Track(2);
    b.Put32(796, 0xFFFFFFF0);
    ExpectRefused(b.bytes, "entries offset past the end");
}

TEST_F(SessionFaultTest, BodyOffsetIsFollowed)
{
    // A writer that left a gap before its body: the offsets say where things are.
    const SessionBytes map = Map();
    SessionBytes moved(map.bytes.size() + 16);
    moved.PutRaw(0, map.bytes.substr(0, 788));
    moved.Put32(784, 800);
    moved.PutRaw(800, map.bytes.substr(788, 36));
    moved.Put32(836, 844);
    moved.PutRaw(844, map.bytes.substr(828));
    SessionImage image;
    ASSERT_EQ(ParseSession(moved.bytes, image), "");
    EXPECT_EQ(image.x, 2u);
    EXPECT_EQ(image.extra1, 5);
    ASSERT_EQ(image.records.size(), 4u);
    EXPECT_EQ(image.records[3].TimeStamp(), SampleRecord(1).TimeStamp());
}

TEST_F(SessionFaultTest, OversizedFileIsNotRead)
{
    const std::string path = dir.File("big.lur");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(Map().bytes.data(), 1, 828, f);
        std::fseek(f, long(session::kMaxFileSize) + 10, SEEK_SET); // sparse
        std::fputc(0, f);
        std::fclose(f);
    }
    const Snapshot before = Take();
    OpenSessionResult opened = OpenSession(path, Settings());
    EXPECT_FALSE(opened.dataSet);
    EXPECT_NE(opened.error, "");
    EXPECT_TRUE(Take() == before);
}

// A save cut short at any byte, as by a full disk, fails and leaves the previous file as
// it was and nothing beside it. Every cut point would take a synced save each; the ends,
// each field boundary of the header, each record boundary and a fixed random sample do.
TEST_F(SessionFaultTest, ASaveCutAtAnyByteKeepsThePreviousFile)
{
    const size_t size = 828 + 4 * 180;
    std::set<size_t> cuts = {0, 1, 2, size - 2, size - 1};
    const size_t headerFields[] = {4, 6, 8, 264, 520, 776, 778, 780, 784, 788, 796, 800, 804, 812, 824};
    for (size_t boundary : headerFields)
        cuts.insert({boundary - 1, boundary, boundary + 1});
    for (size_t record = 828; record < size; record += 180)
        cuts.insert({record - 1, record, record + 1});
    std::mt19937 random(12);
    for (int i = 0; i < 16; ++i)
        cuts.insert(std::uniform_int_distribution<size_t>(0, size - 1)(random));

    Settings().workType = kWorkMap;
    Settings().xSize = 2;
    Settings().ySize = 2;
    SurveyDataSet data(Settings());
    for (uint32_t k = 0; k < 3; ++k)
        data.StoreRecord(k, SampleRecord(k + 1));
    const std::string path = dir.File("s.lur");
    const std::string previous = "the previous session";
    WriteFile(path, previous);

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
        ASSERT_EQ(testing_support::ReadFile(path), previous) << cut;
        ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << cut;
    }
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(SaveSession(data, path).ok);
    EXPECT_EQ(testing_support::ReadFile(path).size(), size);
}
