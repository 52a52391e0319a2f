#include "sim/NmeaGenerator.h"

#include <gtest/gtest.h>

#include <chrono>

#include "gps/CNmeaParser.h"
#include "gps/GnssSystemsText.h"
#include "track/TrackProjection.h"
#include "sim/GpsSimulator.h"

namespace {

GpsData Parse(const std::string& text)
{
    platform::ManualClock clock;
    CNmeaParser parser(clock);
    GpsData d;
    parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &d);
    return d;
}

GpsEpoch SampleEpoch()
{
    GpsEpoch e;
    e.utcMs = 1704103200000 + 3723450; // 2024-01-01 11:02:03.450 UTC
    e.latitude = -33.8567844;
    e.longitude = -70.6544;
    e.speedKnots = 2.333;
    e.courseDegrees = 271.5;
    e.altitude = 512.3;
    return e;
}

TEST(NmeaGenerator, SentenceFraming)
{
    EXPECT_EQ(NmeaSentence("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"),
              "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
    EXPECT_EQ(NmeaSentence(""), "$*00\r\n");
}

// Both talkers: the GN sentences decode as the combined solution.
TEST(NmeaGenerator, EpochRoundTripsThroughTheParser)
{
    for (bool gn : {false, true}) {
        SCOPED_TRACE(gn);
        const std::string text = NmeaGenerator(gn).Epoch(SampleEpoch());
        EXPECT_EQ(text.rfind(gn ? "$GNRMC," : "$GPRMC,", 0), 0u);
        EXPECT_NE(text.find(gn ? "$GNGSA," : "$GPGSA,"), std::string::npos);
        const GpsData d = Parse(text);
        EXPECT_EQ(d.sentenceCount, 6u); // RMC, GGA, GSA, three GSV; every checksum right
        EXPECT_EQ(d.ggaCount, 1u);
        EXPECT_EQ(d.gsvCount, 3u);
        EXPECT_EQ(d.rmcStatus, 'A');
        EXPECT_EQ(d.rmcHour * 10000 + d.rmcMinute * 100 + d.rmcSecond, 110203);
        EXPECT_EQ(d.rmcMillisecond, 450);
        EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 20240101);
        EXPECT_NEAR(d.rmcLatitude, -33.8567844, 1e-6); // 1e-5 minutes resolution
        EXPECT_NEAR(d.rmcLongitude, -70.6544, 1e-6);
        EXPECT_NEAR(d.ggaLatitude, d.rmcLatitude, 1e-12);
        EXPECT_DOUBLE_EQ(d.speedKnots, 2.333);
        EXPECT_DOUBLE_EQ(d.courseDegrees, 271.5);
        EXPECT_DOUBLE_EQ(d.altitude, 512.3);
        EXPECT_EQ(d.fixQuality, 1);
        EXPECT_EQ(d.fixType, 3);
        EXPECT_EQ(d.satellitesInView, 10);
        EXPECT_EQ(d.satellites[9].prn, 29);
        EXPECT_EQ(d.satellites[10].prn, 0);
    }
}

TEST(NmeaGenerator, NoFixEpochAndMinutesThatRoundUp)
{
    GpsEpoch e = SampleEpoch();
    e.valid = false;
    const NmeaGenerator gen;
    EXPECT_EQ(gen.Rmc(e).substr(0, 33), "$GPRMC,110203.45,V,,,,,,,010124,,");
    const GpsData d = Parse(gen.Epoch(e));
    EXPECT_EQ(d.rmcStatus, 'V');
    EXPECT_EQ(d.fixQuality, 0);
    EXPECT_EQ(d.fixType, 1);
    EXPECT_DOUBLE_EQ(d.rmcLatitude, 0);
    EXPECT_EQ(d.usedPrn[0], 0);
    EXPECT_EQ(d.year, 2024); // receivers keep the date without a fix

    e = SampleEpoch(); // minutes that round up carry into degrees
    e.latitude = 10.9999999999;
    e.longitude = 0.0000001;
    const std::string rmc = gen.Rmc(e);
    EXPECT_NE(rmc.find(",1100.00000,N,00000.00001,E,"), std::string::npos) << rmc;
}

// The default output is what it always was: one GSA of GPS, HDOP 0.92.
TEST(NmeaGenerator, SeveralConstellationsAsANmea411Receiver)
{
    const GpsEpoch e = SampleEpoch();
    EXPECT_EQ(NmeaGenerator().Gsa(e), NmeaSentence("GPGSA,A,3,02,05,06,12,13,15,19,24,,,,,1.65,0.92,1.37"));
    const NmeaGenerator multi(false, true);
    const std::string text = multi.Epoch(e);
    EXPECT_EQ(text.rfind("$GNRMC,", 0), 0u);
    EXPECT_NE(text.find("$GNGSA,A,3,65,66,72,73,80,,,,,,,,1.65,0.92,1.37,2*"), std::string::npos);
    EXPECT_NE(text.find("$GAGSV,2,2,06,24,33,080,36,31,06,190,,7*"), std::string::npos);
    const GpsData d = Parse(text + NmeaSentence("GNGLL,,,,,,V,N"));
    EXPECT_EQ(d.satellitesUsed, 20);
    EXPECT_EQ(d.satellitesInView, 28);
    EXPECT_EQ(d.satellites[27].prn, 37);
    EXPECT_EQ(d.satellites[27].system, GnssSystem::BeiDou);
    EXPECT_EQ(GnssSystemsText(d), "GPS 8/10, ГЛОНАСС 5/7, Galileo 4/6, BeiDou 3/5");

    GpsEpoch lost = e;
    lost.valid = false;
    const GpsData none = Parse(multi.Epoch(lost) + NmeaSentence("GNGLL,,,,,,V,N"));
    EXPECT_EQ(none.usedPrn[0], 0);
    EXPECT_EQ(none.satellitesInView, 28);
    EXPECT_EQ(none.fixType, 1);
}

} // namespace

// The receiver reports where its antenna was `lag` seconds before it sends, the antenna
// riding ahead of the instrument; its HDOP spikes and its fix drops out when asked.
TEST(GpsSimulator, LateAntennaAheadSpikesAndDropouts)
{
    GpsSimulatorOptions o;
    o.startUtcMs = 1717230000000;
    o.lagSeconds = 2.0;
    o.antennaAheadMetres = 3.0;
    o.hdopSpikes = {{30, 32}};
    o.fixLoss = {{40, 41}};
    const GpsSimulator sim(GpsWalker({{55.7, 37.5}, {55.7, 37.51}}), o);
    const GpsEpoch e = sim.EpochState(20);
    EXPECT_EQ(e.utcMs, o.startUtcMs + 18000);
    const GeoPoint instrument = sim.PositionAt(18.0);
    const TrackProjection local(GpsFix{instrument.latitude, instrument.longitude, 0});
    double east = 0, north = 0;
    local.Project(GpsFix{e.latitude, e.longitude, 0}, east, north);
    EXPECT_NEAR(east, 3.0, 1e-6); // walking east, the antenna 3 m ahead
    EXPECT_NEAR(north, 0.0, 1e-6);
    EXPECT_DOUBLE_EQ(sim.EpochState(29).hdop, 0.92);
    EXPECT_DOUBLE_EQ(sim.EpochState(31).hdop, 8.5);
    EXPECT_TRUE(sim.EpochState(39).valid);
    EXPECT_FALSE(sim.EpochState(40).valid);
    const GpsData d = Parse(sim.EpochText(31));
    EXPECT_DOUBLE_EQ(d.hdop, 8.5);
    EXPECT_DOUBLE_EQ(d.gsaHdop, 8.5);
    EXPECT_GT(d.pdop, d.hdop);
}

// A walk without a given start is dated now, so its fixes carry today's date rather than 1970's.
TEST(GpsSimulator, StartsAtTheCurrentTimeUnlessToldOtherwise)
{
    const GpsSimulator sim(GpsWalker::Default(), GpsSimulatorOptions{});
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
    const int64_t start = sim.EpochState(0).utcMs;
    EXPECT_EQ(start % 1000, 0);
    EXPECT_LE(start, now);
    EXPECT_GT(start, now - 3600 * 1000);
}
