#include "gps/CNmeaParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gps/NmeaTestSentences.h"

namespace {

GpsData FeedAll(CNmeaParser& parser, const std::string& text)
{
    GpsData out;
    parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &out);
    return out;
}

GpsData Decode(const std::string& text)
{
    platform::ManualClock clock(777);
    CNmeaParser parser(clock);
    return FeedAll(parser, text);
}

bool SameData(const GpsData& a, const GpsData& b)
{
    return std::memcmp(&a, &b, sizeof(GpsData)) == 0;
}

TEST(NmeaParser, DecodesTheReferenceRmc)
{
    const GpsData d = Decode(kRmc);
    EXPECT_EQ(d.rmcHour, 12);
    EXPECT_EQ(d.rmcMinute, 35);
    EXPECT_EQ(d.rmcSecond, 19);
    EXPECT_EQ(d.rmcMillisecond, 0);
    EXPECT_EQ(d.rmcStatus, 'A');
    EXPECT_DOUBLE_EQ(d.rmcLatitude, 48.1173);
    EXPECT_DOUBLE_EQ(d.rmcLongitude, 11.0 + 31.0 / 60.0);
    EXPECT_DOUBLE_EQ(d.speedKnots, 22.4);
    EXPECT_DOUBLE_EQ(d.courseDegrees, 84.4);
    EXPECT_EQ(d.day, 23);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.year, 1994);
    EXPECT_DOUBLE_EQ(d.magneticVariation, -3.1);
    EXPECT_EQ(d.rmcCount, 1u);
    EXPECT_EQ(d.rmcTick, 777u);
    EXPECT_EQ(d.sentenceCount, 1u);
}

TEST(NmeaParser, DecodesTheReferenceGgaGsaGsv)
{
    const GpsData d = Decode(kGsa + kGga + kGsv);
    EXPECT_EQ(d.ggaHour, 12);
    EXPECT_DOUBLE_EQ(d.ggaLatitude, 48.1173);
    EXPECT_DOUBLE_EQ(d.ggaLongitude, 11.0 + 31.0 / 60.0);
    EXPECT_EQ(d.fixQuality, 1);
    EXPECT_EQ(d.satellitesUsed, 8);
    EXPECT_DOUBLE_EQ(d.hdop, 0.9);
    EXPECT_DOUBLE_EQ(d.altitude, 545.4);
    EXPECT_EQ(d.ggaCount, 1u);

    EXPECT_EQ(d.gsaMode, 'A');
    EXPECT_EQ(d.fixType, 3);
    const uint16_t used[12] = {4, 5, 0, 9, 12, 0, 0, 24, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(d.usedPrn[i], used[i]) << i;
    EXPECT_DOUBLE_EQ(d.pdop, 2.5);
    EXPECT_DOUBLE_EQ(d.gsaHdop, 1.3);
    EXPECT_DOUBLE_EQ(d.vdop, 2.1);

    EXPECT_EQ(d.satellitesInView, 8);
    EXPECT_EQ(d.satellites[0].prn, 1);
    EXPECT_EQ(d.satellites[0].elevation, 40);
    EXPECT_EQ(d.satellites[0].azimuth, 83);
    EXPECT_EQ(d.satellites[0].snr, 46);
    EXPECT_EQ(d.satellites[0].used, 0u);
    EXPECT_EQ(d.satellites[2].prn, 12);
    EXPECT_EQ(d.satellites[2].used, 1u); // PRN 12 is in the GPGSA list
    EXPECT_EQ(d.satellites[3].azimuth, 228);
    EXPECT_EQ(d.gsvCount, 1u);
    EXPECT_EQ(d.sentenceCount, 3u);
}

TEST(NmeaParser, ResetValuesBeforeAnyInput)
{
    platform::ManualClock clock;
    CNmeaParser parser(clock);
    GpsData d;
    d.year = 1;
    parser.Snapshot(d);
    EXPECT_EQ(d.rmcStatus, 'V');
    EXPECT_EQ(d.gsaMode, 'M');
    EXPECT_EQ(d.fixType, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.year, 2000);
    EXPECT_EQ(d.sentenceCount, 0u);

    FeedAll(parser, kRmc + kGsa);
    parser.Reset();
    parser.Snapshot(d);
    EXPECT_TRUE(SameData(d, GpsData{}));
    EXPECT_EQ(parser.IsPrnUsed(4), 0);

    // A half-assembled sentence is abandoned too.
    FeedAll(parser, kRmc.substr(0, 30));
    parser.Reset();
    EXPECT_EQ(FeedAll(parser, kRmc.substr(30)).sentenceCount, 0u);
}

TEST(NmeaParser, SplitAtEveryByteDecodesAsWhole)
{
    const std::string stream = kGsa + kGga + kGsv + kRmc;
    const GpsData whole = Decode(stream);
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        platform::ManualClock clock(777);
        CNmeaParser parser(clock);
        FeedAll(parser, stream.substr(0, cut));
        const GpsData split = FeedAll(parser, stream.substr(cut));
        ASSERT_TRUE(SameData(split, whole)) << "cut at " << cut;
    }
}

TEST(NmeaParser, ByteAtATimeStampsTheChunkThatCompletedTheRmc)
{
    platform::ManualClock clock(100);
    CNmeaParser parser(clock);
    GpsData d;
    for (char c : kRmc) {
        clock.Advance(1);
        const uint8_t byte = static_cast<uint8_t>(c);
        parser.Feed(&byte, 1, &d);
    }
    // The '*6A' closes the sentence: the last checksum digit is fed at tick 100 + size - 2.
    EXPECT_EQ(d.rmcTick, 100u + kRmc.size() - 2);
    EXPECT_EQ(d.rmcCount, 1u);
}

TEST(NmeaParser, CountsOnlyWhatShouldBeDecoded)
{
    const std::string kRmcBody = "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
    struct Case {
        const char* name;
        std::string input;
        uint32_t sentences; // expected sentenceCount
        uint32_t rmcs;      // expected rmcCount
    };
    const Case cases[] = {
        {"WrongLowDigit", "$" + kRmcBody + "*6B\r\n", 0, 0},
        {"WrongHighDigit", "$" + kRmcBody + "*7A\r\n", 0, 0},
        {"LowerCaseHex", "$" + kRmcBody + "*6a\r\n", 1, 1},
        {"NonHexDigit", "$" + kRmcBody + "*6\r\n", 0, 0},
        {"NoChecksumEndsAtCr", "$" + kRmcBody + "\r\n", 1, 1},
        {"LeadingGarbage", std::string("\x00\xff garbage ,*\r\n12", 16) + kRmc, 1, 1},
        {"GarbageBetween", kRmc + "#!%&\n\n" + kRmc, 2, 2},
        {"InterruptedThenComplete", "$GPRMC,123519,A,48" + kRmc, 1, 1},
        {"InterruptedInChecksum", "$" + kRmcBody + "*" + kRmc, 1, 1},
        {"AddressOfSevenIsKept", Sentence("GPRMCXY,1"), 1, 0},
        {"AddressOfEightAbandons", Sentence("GPRMCXYZ,1"), 0, 0},
        {"FieldTextOf255IsKept", Sentence("GPTXT," + std::string(255, 'x')), 1, 0},
        {"FieldTextOf256Abandons", Sentence("GPTXT," + std::string(256, 'x')), 0, 0},
        {"OverlongThenNormal", Sentence("GPTXT," + std::string(5000, 'x')) + kRmc, 1, 1},
        {"GlRmcCountedOnly", Sentence("GLRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), 1, 0},
        {"EmptyAddress", Sentence(",1,2"), 1, 0},
        {"OnlyDollars", "$$$$$$", 0, 0},
    };
    for (const Case& c : cases) {
        const GpsData d = Decode(c.input);
        EXPECT_EQ(d.sentenceCount, c.sentences) << c.name;
        EXPECT_EQ(d.rmcCount, c.rmcs) << c.name;
    }
}

TEST(NmeaParser, CombinedGnTalkerDecodesLikeGp)
{
    const std::string gn = Sentence("GNRMC,010203,A,1000.000,N,02000.000,E,1,2,010107,,") +
                           Sentence("GNGGA,010203,1000.000,N,02000.000,E,1,08,0.9,100.0,M,0,M,,") +
                           Sentence("GNGSA,A,3,70,,,,,,,,,,,,1,1,1");
    const std::string gp = Sentence("GPRMC,010203,A,1000.000,N,02000.000,E,1,2,010107,,") +
                           Sentence("GPGGA,010203,1000.000,N,02000.000,E,1,08,0.9,100.0,M,0,M,,") +
                           Sentence("GPGSA,A,3,70,,,,,,,,,,,,1,1,1");
    const GpsData d = Decode(gn);
    EXPECT_TRUE(SameData(d, Decode(gp)));
    EXPECT_EQ(d.rmcCount, 1u);
    EXPECT_EQ(d.rmcStatus, 'A');
}

TEST(NmeaParser, SingleConstellationTalkersChangeNothingButTheCount)
{
    const std::string other = Sentence("GLGSV,1,1,01,70,10,10,30") + Sentence("GAGSA,A,3,70,,,,,,,,,,,,1,1,1") +
                              Sentence("BDRMC,010203,A,1000.000,N,02000.000,E,1,2,010107,,");
    GpsData expected;
    expected.sentenceCount = 3;
    EXPECT_TRUE(SameData(Decode(other), expected));
}

// One field after `before` and then `input` were fed: what a sentence sets, keeps or clears.
struct FieldCase {
    std::string before;
    std::string input;
    const char* field;
    double (*get)(const GpsData&);
    double expected;
};
#define FIELD(f) #f, [](const GpsData& d) { return double(d.f); }

TEST(NmeaParser, FieldsSetKeptOrClearedBySentence)
{
    const std::string pivot = "GPRMC,000000,A,,,,,,,";
    const std::string emptyRmc = Sentence("GPRMC,,,,,,,,,,,");
    // Short time, letters for a latitude, a lone hemisphere, a five-digit date.
    const std::string malformed = Sentence("GPRMC,1235,A,ab07.0,S,1,W,x,,23039,,");
    const std::string nonNumbers = Sentence("GPGGA,123520,48inf,N,011nan,E,1,08,inf,nan,M,,,,") +
                                   Sentence("GPRMC,123520,A,4807.038,N,01131.000,E,inf,-nan,230394,,");
    const std::string emptyGga = Sentence("GPGGA,,,,,,,,,,,,,,");
    const std::string twoDigits = Sentence("GPGGA,120000,,,,,1,123,1.0,1.0,M,,,,") + Sentence("GPGSA,A,2,7,123,,,,,,,,,,,,,");
    const std::string fullLast = Sentence("GPGSV,3,3,10,01,40,083,46,02,17,308,41,03,1,2,3,04,5,6,7");
    const std::string shortLast = Sentence("GPGSV,3,3,10,21,40,083,46,22,17,308,");
    const std::string ninth = Sentence("GPGSV,8,9,36,90,1,2,3,91,1,2,3,92,1,2,3,93,1,2,70000");
    const FieldCase cases[] = {
        {"", Sentence(pivot + "010169,,"), FIELD(year), 2069},
        {"", Sentence(pivot + "010170,,"), FIELD(year), 1970},
        {"", Sentence(pivot + "311299,,"), FIELD(year), 1999},
        {"", Sentence(pivot + "010100,,"), FIELD(year), 2000},
        {kRmc, emptyRmc, FIELD(rmcHour), 12},
        {kRmc, emptyRmc, FIELD(rmcStatus), 'V'}, // status absent means void
        {kRmc, emptyRmc, FIELD(rmcLatitude), 48.1173},
        {kRmc, emptyRmc, FIELD(speedKnots), 0},
        {kRmc, emptyRmc, FIELD(courseDegrees), 0},
        {kRmc, emptyRmc, FIELD(year), 1994},
        {kRmc, emptyRmc, FIELD(magneticVariation), 0},
        {kRmc, emptyRmc, FIELD(rmcCount), 2},
        {kRmc, malformed, FIELD(rmcHour), 12},
        {kRmc, malformed, FIELD(rmcSecond), 19},
        {kRmc, malformed, FIELD(rmcLatitude), 48.1173}, // not replaced, and not flipped by 'S'
        {kRmc, malformed, FIELD(rmcLongitude), 11.0 + 31.0 / 60}, // not flipped by 'W'
        {kRmc, malformed, FIELD(speedKnots), 0},
        {kRmc, malformed, FIELD(day), 23},
        {kRmc, malformed, FIELD(rmcCount), 2},
        {kGga, nonNumbers, FIELD(ggaLatitude), 48.1173},
        {kGga, nonNumbers, FIELD(hdop), 0.9},
        {kGga, nonNumbers, FIELD(altitude), 545.4},
        {kGga, nonNumbers, FIELD(verticalSpeed), 0},
        {kGga, nonNumbers, FIELD(speedKnots), 0},
        {kGga, nonNumbers, FIELD(courseDegrees), 0},
        {kGga, emptyGga, FIELD(fixQuality), 0}, // absent quality is 0
        {kGga, emptyGga, FIELD(satellitesUsed), 8},
        {kGga, emptyGga, FIELD(hdop), 0.9},
        {kGga, emptyGga, FIELD(altitude), 545.4},
        {kGga, emptyGga, FIELD(ggaHour), 12},
        // Two-digit fields use their first two characters.
        {"", twoDigits, FIELD(satellitesUsed), 12},
        {"", twoDigits, FIELD(fixType), 2},
        {"", twoDigits, FIELD(usedPrn[0]), 7},
        {"", twoDigits, FIELD(usedPrn[1]), 12},
        {"", twoDigits, FIELD(pdop), 0},
        // The last GSV message stores its missing blocks as zero.
        {fullLast, shortLast, FIELD(satellitesInView), 10},
        {fullLast, shortLast, FIELD(satellites[8].prn), 21},
        {fullLast, shortLast, FIELD(satellites[9].prn), 22},
        {fullLast, shortLast, FIELD(satellites[9].snr), 0},
        {fullLast, shortLast, FIELD(satellites[10].prn), 0},
        {fullLast, shortLast, FIELD(satellites[11].azimuth), 0},
        {"", ninth, FIELD(satellites[32].prn), 90},
        {"", ninth, FIELD(satellites[35].prn), 93},
        {"", ninth, FIELD(satellites[35].snr), 65535}, // saturated, not wrapped
    };
    for (const FieldCase& c : cases) {
        platform::ManualClock clock;
        CNmeaParser parser(clock);
        FeedAll(parser, c.before);
        EXPECT_DOUBLE_EQ(c.get(FeedAll(parser, c.input)), c.expected) << c.field << " after " << c.input;
    }
}
#undef FIELD

TEST(NmeaParser, HemispheresAndMilliseconds)
{
    const std::pair<const char*, uint16_t> cases[] = {{"123519.5", 500}, {"123519.25", 250}, {"123519.123", 123},
                                                      {"123519.1234", 123}, {"123519.", 0}, {"123519", 0}};
    for (auto [time, ms] : cases) {
        const GpsData d = Decode(Sentence("GPRMC," + std::string(time) + ",A,3345.5000,S,07030.0000,W,0,0,010107,1.5,E"));
        EXPECT_EQ(d.rmcMillisecond, ms) << time;
        EXPECT_DOUBLE_EQ(d.rmcLatitude, -(33 + 45.5 / 60)) << time;
        EXPECT_DOUBLE_EQ(d.rmcLongitude, -70.5) << time;
        EXPECT_DOUBLE_EQ(d.magneticVariation, 1.5) << time;
    }
}

TEST(NmeaParser, VerticalSpeedAcrossMidnight)
{
    platform::ManualClock clock;
    CNmeaParser parser(clock);
    GpsData d = FeedAll(parser, Sentence("GPGGA,235959,,,,,1,05,1.0,100.0,M,,,,"));
    EXPECT_DOUBLE_EQ(d.verticalSpeed, 0); // the first GGA has nothing to compare with
    d = FeedAll(parser, Sentence("GPGGA,000001,,,,,1,05,1.0,104.0,M,,,,"));
    EXPECT_DOUBLE_EQ(d.verticalSpeed, 2.0); // 4 m over 2 s
    d = FeedAll(parser, Sentence("GPGGA,000001.5,,,,,1,05,1.0,110.0,M,,,,"));
    EXPECT_DOUBLE_EQ(d.verticalSpeed, 2.0); // same second: unchanged
    d = FeedAll(parser, Sentence("GPGGA,000011,,,,,1,05,1.0,100.0,M,,,,"));
    EXPECT_DOUBLE_EQ(d.verticalSpeed, -1.0);
    EXPECT_EQ(d.ggaCount, 4u);
}

TEST(NmeaParser, GsvRangeChecks)
{
    const std::string sats = ",08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45";
    struct Case {
        std::string head;
        bool decoded;
    };
    for (const Case& c : {Case{"1,1", true}, Case{"8,8", true}, Case{"8,9", true}, Case{"9,1", false},
                          Case{"0,1", false}, Case{",1", false}, Case{"1,", false}, Case{"1,0", false},
                          Case{"10,1", false}, Case{"1,10", false}, Case{"x,1", false}}) {
        const GpsData d = Decode(Sentence("GPGSV," + c.head + sats));
        EXPECT_EQ(d.gsvCount, c.decoded ? 1u : 0u) << c.head;
        EXPECT_EQ(d.sentenceCount, 1u) << c.head;
    }
}

TEST(NmeaParser, FeedWithoutDestinationStillDecodes)
{
    platform::ManualClock clock;
    CNmeaParser parser(clock);
    const std::string text = kGsa + kRmc;
    parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    GpsData d;
    parser.Snapshot(d);
    EXPECT_EQ(d.rmcCount, 1u);
    EXPECT_EQ(parser.IsPrnUsed(4), 1);
    EXPECT_EQ(parser.IsPrnUsed(24), 1);
    EXPECT_EQ(parser.IsPrnUsed(6), 0);
    EXPECT_EQ(parser.IsPrnUsed(0), 0); // empty PRN slots hold 0
}

} // namespace
