#include "gps/CNmeaParser.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(NmeaParser, ResetValuesAndIsPrnUsed)
{
    platform::ManualClock clock;
    CNmeaParser parser(clock);
    GpsData d;
    d.year = 1;
    parser.Snapshot(d);
    EXPECT_EQ(d.rmcStatus, 'V');
    EXPECT_EQ(d.gsaMode, 'M');
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.year, 2000);
    // Feeding without a destination still decodes.
    const std::string text = kGsa + kRmc;
    parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    EXPECT_EQ(parser.IsPrnUsed(24), 1);
    EXPECT_EQ(parser.IsPrnUsed(6), 0);
    EXPECT_EQ(parser.IsPrnUsed(0), 0); // empty PRN slots hold 0
    parser.Reset();
    EXPECT_EQ(parser.IsPrnUsed(4), 0);
}

TEST(NmeaParser, CountsOnlyWhatShouldBeDecoded)
{
    const std::string body = "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
    struct Case {
        std::string input;
        uint32_t sentences, rmcs;
    };
    const Case cases[] = {
        {"$" + body + "*6B\r\n", 0, 0},
        {"$" + body + "*6a\r\n", 1, 1},
        {"$" + body + "*6\r\n", 0, 0},
        {"$" + body + "\r\n", 1, 1}, // no checksum: ends at CR
        {std::string("\x00\xff garbage ,*\r\n12", 16) + kRmc, 1, 1},
        {"$" + body + "*" + kRmc, 1, 1},
        {Sentence("GPRMCXY,1"), 1, 0},
        {Sentence("GPRMCXYZ,1"), 0, 0},
        {Sentence("GPTXT," + std::string(255, 'x')), 1, 0},
        {Sentence("GPTXT," + std::string(256, 'x')), 0, 0},
        {Sentence("GPTXT," + std::string(5000, 'x')) + kRmc, 1, 1},
        {Sentence("GLRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), 1, 1},
        {Sentence("GIRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), 1, 0}, // NavIC: not ours
        {Sentence("GPRMC1,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), 1, 0},
        {Sentence(",1,2"), 1, 0},
    };
    for (const Case& c : cases) {
        const GpsData d = Decode(c.input);
        EXPECT_EQ(d.sentenceCount, c.sentences) << c.input;
        EXPECT_EQ(d.rmcCount, c.rmcs) << c.input;
    }
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
    const std::string emptyRmc = Sentence("GPRMC,,,,,,,,,,,");
    // Short time, letters for a latitude, a lone hemisphere, a five-digit date.
    const std::string malformed = Sentence("GPRMC,1235,A,ab07.0,S,1,W,x,,23039,,");
    const std::string nonNumbers = Sentence("GPGGA,123520,48inf,N,011nan,E,1,08,inf,nan,M,,,,") +
                                   Sentence("GPRMC,123520,A,4807.038,N,01131.000,E,inf,-nan,230394,,");
    const std::string twoDigits = Sentence("GPGGA,120000,,,,,1,123,1.0,1.0,M,,,,") + Sentence("GPGSA,A,2,7,,193,,,,,,,,,,,,") +
                                 Sentence("GPGLL,,,,,,V"); // ends the run of GSA
    // A cycle of nine, then one of six whose last message lists two satellites.
    const std::string nine = Sentence("GPGSV,3,1,09,01,40,083,46,02,17,308,41,03,1,2,3,04,5,6,7") +
                             Sentence("GPGSV,3,2,09,05,40,083,46,06,17,308,41,07,1,2,3,08,5,6,7") +
                             Sentence("GPGSV,3,3,09,09,40,083,46");
    const std::string six = Sentence("GPGSV,2,1,06,21,40,083,46,22,17,308,41,23,1,2,3,24,5,6,70000") +
                            Sentence("GPGSV,2,2,06,25,40,083,46,26,17,308,");
    const auto south = [](const char* time) {
        return Sentence("GPRMC," + std::string(time) + ",A,3345.5000,S,07030.0000,W,0,0,010107,1.5,E");
    };
    const std::string ggaBefore = Sentence("GPGGA,235959,,,,,1,05,1.0,100.0,M,,,,");
    const std::string ggaAfter = Sentence("GPGGA,000001,,,,,1,05,1.0,104.0,M,,,,");
    const FieldCase cases[] = {
        {"", south("123519.5"), FIELD(rmcMillisecond), 500},
        {"", south("123519.1234"), FIELD(rmcMillisecond), 123},
        {"", south("123519."), FIELD(rmcMillisecond), 0},
        {"", south("123519.5"), FIELD(rmcLatitude), -(33 + 45.5 / 60)},
        {"", south("123519.5"), FIELD(rmcLongitude), -70.5},
        {"", south("123519.5"), FIELD(magneticVariation), 1.5},
        {ggaBefore, ggaAfter, FIELD(verticalSpeed), 2.0}, // across midnight
        // Same second: unchanged.
        {ggaBefore + ggaAfter, Sentence("GPGGA,000001.5,,,,,1,05,1.0,110.0,M,,,,"), FIELD(verticalSpeed), 2.0},
        {"", Sentence("GPRMC,000000,A,,,,,,,010169,,"), FIELD(year), 2069},
        {"", Sentence("GPRMC,000000,A,,,,,,,010170,,"), FIELD(year), 1970},
        {kRmc, emptyRmc, FIELD(rmcStatus), 'V'}, // status absent means void
        {kRmc, emptyRmc, FIELD(rmcLatitude), 48.1173},
        {kRmc, malformed, FIELD(rmcLatitude), 48.1173}, // not replaced, and not flipped by 'S'
        {kRmc, malformed, FIELD(rmcLongitude), 11.0 + 31.0 / 60}, // not flipped by 'W'
        {kRmc, malformed, FIELD(speedKnots), 0},
        {kGga, nonNumbers, FIELD(ggaLatitude), 48.1173},
        {kGga, nonNumbers, FIELD(hdop), 0.9},
        {kGga, Sentence("GPGGA,,,,,,,,,,,,,,"), FIELD(fixQuality), 0}, // absent quality is 0
        {kGga, Sentence("GPGGA,,,,,,,,,,,,,,"), FIELD(altitude), 545.4},
        // The GGA satellite count uses its first two characters; used satellites are listed
        // without the empty fields, with their full numbers (QZSS 193 is no GPS 19).
        {"", twoDigits, FIELD(satellitesUsed), 12},
        {"", twoDigits, FIELD(usedPrn[1]), 193},
        {"", twoDigits, FIELD(usedPrn[2]), 0},
        // A finished cycle replaces the last; no rows for blocks that are not there.
        {nine, six, FIELD(satellites[5].prn), 26},
        {nine, six, FIELD(satellites[6].prn), 0},
        {nine, six, FIELD(satellitesInView), 6},
        {nine, six, FIELD(satellites[3].snr), 65535}, // saturated, not wrapped
    };
    for (const FieldCase& c : cases) {
        platform::ManualClock clock;
        CNmeaParser parser(clock);
        FeedAll(parser, c.before);
        EXPECT_DOUBLE_EQ(c.get(FeedAll(parser, c.input)), c.expected) << c.field << " after " << c.input;
    }
}
#undef FIELD

TEST(NmeaParser, GsvRangeChecks)
{
    const std::string sats = ",08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45";
    for (auto [head, decoded] : {std::pair{"1,1", true}, {"8,8", true}, {"8,9", false}, {"9,1", false}, {"0,1", false},
                                 {",1", false}, {"1,0", false}, {"1,10", false}}) {
        const GpsData d = Decode(Sentence("GPGSV," + std::string(head) + sats));
        EXPECT_EQ(d.gsvCount, decoded ? 1u : 0u) << head;
        EXPECT_EQ(d.sentenceCount, 1u) << head;
    }
}

} // namespace
