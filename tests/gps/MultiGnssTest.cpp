// Several constellations through one parser: epochs written as u-blox M8 (NMEA 4.10, two
// GNGSA without system ids) and F9 (NMEA 4.11: system ids, a GSV cycle per signal) send them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "gps/CNmeaParser.h"
#include "gps/GnssSystemsText.h"
#include "gps/GpsDataJson.h"
#include "gps/NmeaTestSentences.h"

namespace {

class MultiGnss : public testing::Test {
protected:
    GpsData Feed(const std::string& text)
    {
        GpsData d;
        parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &d);
        return d;
    }
    static std::string Fix(const std::string& time)
    {
        return Sentence("GNRMC," + time + ",A,5545.20000,N,03737.60000,E,0.210,,150624,,,A") +
               Sentence("GNGGA," + time + ",5545.20000,N,03737.60000,E,1,09,1.04,151.2,M,14.6,M,,");
    }
    // One M8 epoch: GPS and GLONASS in two GNGSA, then GPGSV and GLGSV.
    static std::string M8Epoch(const std::string& time, const std::string& glonassUsed)
    {
        return Fix(time) + Sentence("GNGSA,A,3,02,05,12,25,29,,,,,,,,1.92,1.04,1.61") +
               Sentence("GNGSA,A,3," + glonassUsed + ",,,,,,,,,1.92,1.04,1.61") +
               Sentence("GPGSV,2,1,06,02,61,140,38,05,22,301,31,12,47,077,40,20,08,012,") +
               Sentence("GPGSV,2,2,06,25,33,208,35,29,14,251,27") +
               Sentence("GLGSV,2,1,05,66,30,060,29,67,55,119,33,76,24,337,26,77,70,247,35") +
               Sentence("GLGSV,2,2,05,82,11,301,") + Sentence("GNGLL,5545.20000,N,03737.60000,E," + time + ",A,A");
    }
    static std::set<std::pair<GnssSystem, uint16_t>> Rows(const GpsData& d)
    {
        std::set<std::pair<GnssSystem, uint16_t>> rows;
        for (const SatelliteInfo& s : d.satellites)
            if (s.prn != 0) {
                EXPECT_TRUE(rows.insert({s.system, s.prn}).second) << "twice: " << s.prn;
            }
        return rows;
    }
    static int RowCount(const GpsData& d)
    {
        int n = 0;
        for (const SatelliteInfo& s : d.satellites) n += s.prn != 0;
        return n;
    }

    platform::ManualClock clock;
    CNmeaParser parser{clock};
};

TEST_F(MultiGnss, NeoM8EpochUsesBothGsaAndListsEverySatelliteOnce)
{
    GpsData d = Feed(M8Epoch("083015.00", "66,67,76,77"));
    EXPECT_EQ(d.systems[size_t(GnssSystem::Gps)].used, 5);
    EXPECT_EQ(d.systems[size_t(GnssSystem::Glonass)].used, 4);
    EXPECT_EQ(parser.IsUsed(GnssSystem::Gps, 12), 1);
    EXPECT_EQ(parser.IsUsed(GnssSystem::Glonass, 66), 1); // the second GNGSA did not replace the first
    EXPECT_EQ(parser.IsUsed(GnssSystem::Glonass, 82), 0);
    EXPECT_EQ(d.usedPrn[5], 66);
    EXPECT_EQ(d.usedSystem[5], GnssSystem::Glonass);
    EXPECT_EQ(d.satellitesInView, 11); // 6 + 5, not whichever talker came last
    EXPECT_EQ(d.systems[size_t(GnssSystem::Glonass)].inView, 5);
    EXPECT_EQ(RowCount(d), 11);
    EXPECT_EQ(d.satellites[6].system, GnssSystem::Glonass);
    EXPECT_EQ(d.satellites[6].prn, 66);
    EXPECT_EQ(d.satellites[6].used, 1u);
    EXPECT_EQ(d.satellites[3].used, 0u); // GPS 20 is in view, not used
    const std::string json = GpsDataToJson(d);
    EXPECT_NE(json.find(R"({"prn":66,"elevation":30,"azimuth":60,"snr":29,"used":1,"system":"GLONASS"})"),
              std::string::npos);
    EXPECT_EQ(GnssSystemsText(d), "GPS 5/6, ГЛОНАСС 4/5");
    EXPECT_EQ(GnssSystemsText(d, true), "GP 5/6 ГЛ 4/5");

    // The next epochs: the used set is that epoch's alone, the sky is not doubled.
    Feed(M8Epoch("083016.00", "66,67,76,77"));
    d = Feed(M8Epoch("083017.00", "67"));
    EXPECT_EQ(d.systems[size_t(GnssSystem::Glonass)].used, 1);
    EXPECT_EQ(parser.IsUsed(GnssSystem::Glonass, 66), 0);
    EXPECT_EQ(RowCount(d), 11);
    EXPECT_EQ(d.satellitesInView, 11);
    EXPECT_EQ(d.epochCount, 3u);
    EXPECT_EQ(d.ggaEpoch, 3u);
    EXPECT_EQ(d.rmcEpoch, 3u);
}

TEST_F(MultiGnss, Nmea411SystemIdsAndSignalsGiveOneRowPerSatellite)
{
    const std::string epoch =
        Fix("101500.00") + Sentence("GNGSA,A,3,05,13,15,,,,,,,,,,1.40,0.80,1.15,1") +
        Sentence("GNGSA,A,3,05,30,,,,,,,,,,,1.40,0.80,1.15,3") + // Galileo 5 is not GPS 5
        Sentence("GNGSA,A,3,21,,,,,,,,,,,,1.40,0.80,1.15,4") + Sentence("GNGSA,A,3,03,,,,,,,,,,,,1.40,0.80,1.15,5") +
        // GPS on L1 C/A (signal 1), then the satellites that also send L2C (signal 6).
        Sentence("GPGSV,1,1,04,05,40,083,41,13,62,201,44,15,22,315,36,18,05,120,,1") +
        Sentence("GPGSV,1,1,02,05,40,083,47,13,62,201,39,6") +
        Sentence("GAGSV,1,1,03,05,51,160,40,30,30,045,37,36,09,300,,7") +
        Sentence("GBGSV,1,1,02,21,44,052,38,33,20,150,30,1") + Sentence("GQGSV,1,1,01,03,71,178,43,1") +
        Sentence("GNGLL,5545.20000,N,03737.60000,E,101500.00,A,A");
    GpsData d = Feed(epoch);
    const auto rows = Rows(d);
    EXPECT_EQ(rows.size(), 10u);
    EXPECT_TRUE(rows.count({GnssSystem::Galileo, 5}) && rows.count({GnssSystem::Gps, 5}));
    EXPECT_EQ(d.satellites[0].snr, 47); // the best of L1 and L2
    EXPECT_EQ(d.satellites[1].snr, 44);
    EXPECT_EQ(d.systems[size_t(GnssSystem::Gps)].inView, 4);
    EXPECT_EQ(d.systems[size_t(GnssSystem::Qzss)].used, 1);
    EXPECT_EQ(d.satellitesInView, 10);
    EXPECT_EQ(parser.IsUsed(GnssSystem::Galileo, 30), 1);
    EXPECT_EQ(parser.IsUsed(GnssSystem::Gps, 30), 0);
    EXPECT_EQ(GnssSystemsText(d), "GPS 3/4, Galileo 2/3, BeiDou 1/2, QZSS 1/1");
    EXPECT_EQ(GnssSystemsText(d, true), "GP 3/4 GA 2/3 BD 1/2 QZ 1/1");

    d = Feed(epoch); // the next epoch replaces, it does not add
    EXPECT_EQ(Rows(d).size(), 10u);
    EXPECT_EQ(d.satellitesInView, 10);
    // A later epoch whose GPS cycle of L2 no longer comes: the GPS rows are L1's alone.
    d = Feed(Fix("101502.00") + Sentence("GPGSV,1,1,02,05,40,083,41,13,62,201,44,1") + Sentence("GNGLL,,,,,,V,N"));
    EXPECT_EQ(d.systems[size_t(GnssSystem::Gps)].inView, 2);
    EXPECT_EQ(d.satellites[0].snr, 41);
    EXPECT_EQ(Rows(d).size(), 8u);
}

TEST_F(MultiGnss, UnfinishedCyclesNeverWipeAFinishedOne)
{
    GpsData d = Feed(M8Epoch("083015.00", "66,67,76,77"));
    const auto before = Rows(d);
    const std::string glonass1 = Sentence("GLGSV,3,1,09,65,10,010,20,66,30,060,29,67,55,119,33,68,10,020,21");
    const std::string glonass2 = Sentence("GLGSV,3,2,09,69,12,030,22,70,14,040,23,71,16,050,24,72,18,060,25");
    const std::string glonass3 = Sentence("GLGSV,3,3,09,73,20,070,26");
    for (const std::string& broken : {glonass1 + glonass2,                      // never finished
                                      glonass1 + glonass3,                      // message 2 lost
                                      glonass2 + glonass3,                      // message 1 lost
                                      glonass1 + Sentence("GLGSV,2,2,05,82,11,301,") + glonass3}) { // another cycle's
        d = Feed(broken + Sentence("GNGLL,,,,,,V,N"));
        EXPECT_EQ(Rows(d), before) << broken;
        EXPECT_EQ(d.satellitesInView, 11);
    }
    // A restarted cycle finishes; another talker's messages in between do not disturb it.
    d = Feed(glonass1 + glonass1 + Sentence("GPGSV,2,1,06,02,61,140,38,05,22,301,31,12,47,077,40,20,08,012,") +
             glonass2 + glonass3);
    EXPECT_EQ(d.systems[size_t(GnssSystem::Glonass)].inView, 9);
    EXPECT_EQ(d.satellitesInView, 15);
    EXPECT_EQ(RowCount(d), 15);
}

TEST_F(MultiGnss, MoreThanTheTableHoldsIsCountedNotListed)
{
    std::string text;
    for (const char* talker : {"GP", "GL"})
        for (int m = 1; m <= 8; ++m) {
            std::string body = std::string(talker) + "GSV,8," + std::to_string(m) + ",32";
            for (int k = 0; k < 4; ++k)
                body += "," + std::to_string((talker[1] == 'L' ? 64 : 0) + (m - 1) * 4 + k + 1) + ",10,100,30";
            text += Sentence(body);
        }
    GpsData d = Feed(text);
    EXPECT_EQ(d.satellitesInView, 64);
    EXPECT_EQ(d.systems[size_t(GnssSystem::Glonass)].inView, 32);
    EXPECT_EQ(RowCount(d), kMaxSatellites);
    EXPECT_EQ(d.satellites[35].prn, 68); // GPS first, then GLONASS as far as there is room
    d = Feed(text + text); // repeated cycles stay within the table too
    EXPECT_EQ(RowCount(d), kMaxSatellites);
    EXPECT_EQ(d.satellitesInView, 64);
}

TEST_F(MultiGnss, UnknownTalkersSystemsAndNumbersChangeNothing)
{
    const GpsData before = Feed(M8Epoch("083015.00", "66,67,76,77"));
    const GpsData d = Feed(Sentence("GIGSA,A,3,01,02,03,,,,,,,,,,1.0,1.0,1.0,6") + // NavIC talker
                           Sentence("GNGSA,A,1,01,02,03,,,,,,,,,,9.9,9.9,9.9,6") + // NavIC system id
                           Sentence("GNGSA,A,1,01,02,03,,,,,,,,,,9.9,9.9,9.9,X") +
                           Sentence("GPGSA,A,1,66,,,,,,,,,,,,9.9,9.9,9.9,2") + // GP cannot speak for GLONASS
                           Sentence("GIGSV,1,1,01,01,40,083,41") + Sentence("GNGSV,1,1,01,999,40,083,41") +
                           Sentence("GNGLL,,,,,,V,N"));
    EXPECT_EQ(d.gsaCount, before.gsaCount);
    EXPECT_EQ(d.fixType, 3);
    EXPECT_EQ(d.pdop, 1.92);
    EXPECT_EQ(d.usedPrn, before.usedPrn);
    EXPECT_EQ(Rows(d), Rows(before));
    EXPECT_EQ(d.satellitesInView, before.satellitesInView);
    EXPECT_EQ(d.sentenceCount, before.sentenceCount + 7);
}

// GSA sentences may come before the epoch's time, and a system with more than twelve used
// satellites takes two: each epoch still shows its own set.
TEST_F(MultiGnss, UsedSetsFollowTheEpochWhateverTheOrder)
{
    Feed(Sentence("GPGSA,A,3,01,02,03,,,,,,,,,,1.0,1.0,1.0") + Fix("120000.00"));
    GpsData d = Feed(Sentence("GPGSA,A,3,04,05,,,,,,,,,,,1.0,1.0,1.0") + Fix("120001.00"));
    EXPECT_EQ(d.systems[size_t(GnssSystem::Gps)].used, 2);
    EXPECT_EQ(parser.IsPrnUsed(1), 0);
    d = Feed(Sentence("GPGSA,A,3,01,02,03,04,05,06,07,08,09,10,11,12,1.0,1.0,1.0") +
             Sentence("GPGSA,A,3,13,14,15,,,,,,,,,,1.0,1.0,1.0") + Fix("120002.00"));
    EXPECT_EQ(d.systems[size_t(GnssSystem::Gps)].used, 15);
    EXPECT_EQ(d.usedPrn[14], 15);
    // Without any time at all a GP-only receiver's GSA replaces the last, as it always did.
    CNmeaParser alone(clock);
    const std::string two = Sentence("GPGSA,A,3,01,02,,,,,,,,,,,1.0,1.0,1.0") +
                            Sentence("GPGSA,A,3,07,,,,,,,,,,,,1.0,1.0,1.0") + Sentence("GPGSV,1,1,00");
    alone.Feed(reinterpret_cast<const uint8_t*>(two.data()), two.size(), &d);
    EXPECT_EQ(d.usedPrn[0], 7);
    EXPECT_EQ(d.usedPrn[1], 0);
}

} // namespace
