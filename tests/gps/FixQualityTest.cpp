// The quality that travels with each position: live fixes with their own epoch's values,
// reading positions marked across dropouts, and the monitor that beeps on changes.
#include <gtest/gtest.h>

#include <vector>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/EpochFixAssembler.h"
#include "gps/FixQualityMonitor.h"
#include "gps/GpsTestDoubles.h"
#include "gps/NmeaTestSentences.h"

namespace {

std::string Rmc(const std::string& time, const std::string& latitudeMinutes = "00.000")
{
    return Sentence("GNRMC," + time + ",A,50" + latitudeMinutes + ",N,03000.000,E,0,0,150624,,");
}
std::string Gga(const std::string& time, const std::string& quality, const std::string& hdop)
{
    return Sentence("GNGGA," + time + ",5000.000,N,03000.000,E," + quality + ",07," + hdop + ",150.0,M,,,,");
}

class Assembler : public testing::Test {
protected:
    std::vector<GpsFix> Chunk(const std::string& text)
    {
        clock.Advance(100);
        GpsData d;
        parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &d);
        const auto out = assembler.Next(d);
        return std::vector<GpsFix>(out.fix.begin(), out.fix.begin() + out.count);
    }
    platform::ManualClock clock{1000};
    CNmeaParser parser{clock};
    EpochFixAssembler assembler;
};

TEST_F(Assembler, AFixCarriesTheQualityOfItsOwnEpoch)
{
    EXPECT_TRUE(Chunk(Rmc("120000.00") + Gga("120000.00", "1", "0.9")).size() == 1);
    // u-blox order: RMC first; its GGA, with the bad HDOP, comes in the next read.
    EXPECT_TRUE(Chunk(Rmc("120001.00", "01.000")).empty());
    auto fixes = Chunk(Gga("120001.00", "1", "6.5") + Sentence("GNGSA,A,3,01,02,03,,,,,,,,,,9.0,6.5,5.0,1"));
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_DOUBLE_EQ(fixes[0].quality.hdop, 6.5);
    EXPECT_EQ(fixes[0].quality.ggaQuality, 1);
    EXPECT_EQ(fixes[0].quality.satellitesUsed, 7);
    EXPECT_EQ(fixes[0].tick, 1200u); // stamped when its RMC arrived
    EXPECT_NEAR(fixes[0].latitude, 50 + 1 / 60.0, 1e-12);

    // A GGA that never comes: the next epoch lets the waiting fix go with what was known.
    EXPECT_TRUE(Chunk(Rmc("120002.00")).empty());
    fixes = Chunk(Rmc("120003.00", "03.000"));
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_EQ(fixes[0].tick, 1400u);
    EXPECT_DOUBLE_EQ(fixes[0].quality.hdop, 6.5);
    EXPECT_EQ(fixes[0].quality.fixType, 3);
    // Dead reckoning is no solution, though RMC says A.
    fixes = Chunk(Gga("120003.00", "6", "1.0"));
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_FALSE(HasSolution(fixes[0].quality));
    // A void RMC lets a waiting fix go and adds none.
    EXPECT_TRUE(Chunk(Rmc("120004.00")).empty());
    fixes = Chunk(Sentence("GNRMC,120005.00,V,,,,,,,150624,,"));
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_EQ(fixes[0].tick, 1700u);
}

TEST_F(Assembler, AReceiverWithoutGgaHasItsFixesAtOnceWithUnknownQuality)
{
    const auto fixes = Chunk(Rmc("120000.00") + Rmc("120001.00", "01.000"));
    ASSERT_EQ(fixes.size(), 1u); // the chunk's last RMC
    EXPECT_NEAR(fixes[0].latitude, 50 + 1 / 60.0, 1e-12);
    EXPECT_EQ(fixes[0].quality.ggaQuality, GpsFixQuality::kUnknown);
    EXPECT_TRUE(HasSolution(fixes[0].quality));
}

class ReadingQuality : public testing::Test {
protected:
    static GpsFix Fix(uint32_t tick, double hdop = 1.0, uint8_t ggaQuality = 1)
    {
        GpsFixQuality q;
        q.ggaQuality = ggaQuality;
        q.fixType = 3;
        q.hdop = hdop;
        q.satellitesUsed = 9;
        return GpsFix{50.0 + tick * 1e-7, 30.0, tick, q};
    }
    std::vector<GpsFix> Answers()
    {
        std::vector<GpsFix> out;
        for (const auto& [window, m] : poster.Copy())
            if (m.message == UM_READING_POSITION) out.push_back(m.fix);
        return out;
    }
    platform::ManualClock clock{500};
    testing_support::RecordingPoster poster;
    CGpsPositionService service{poster, clock};
};

// A dropout of 1 Hz fixes from 6 s to 9 s: exactly the readings taken between the last fix
// before it and the first after it are marked.
TEST_F(ReadingQuality, ReadingsAcrossADropoutAreMarkedAndNoOthers)
{
    for (uint32_t t = 1000; t <= 4000; t += 1000) service.OnFix(Fix(t));
    service.RequestPosition({1, 0, 4500});
    service.OnFix(Fix(5000, 3.0));
    for (uint32_t t : {5500u, 7000u, 9900u}) service.RequestPosition({1, 0, t});
    service.OnFix(Fix(10000));
    service.RequestPosition({1, 0, 10500});
    service.OnFix(Fix(11000));
    const auto a = Answers();
    ASSERT_EQ(a.size(), 5u);
    const bool ok[] = {true, false, false, false, true};
    const uint32_t age[] = {500, 500, 2000, 100, 500};
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].quality.placedOk, ok[i]) << i;
        EXPECT_EQ(a[i].quality.ageMs, age[i]) << i;
    }
    EXPECT_DOUBLE_EQ(a[0].quality.hdop, 3.0); // 4500 is as near 5000 as 4000: the newer fix
    EXPECT_DOUBLE_EQ(a[1].quality.hdop, 3.0);
    EXPECT_DOUBLE_EQ(a[3].quality.hdop, 1.0);
    EXPECT_EQ(a[3].quality.satellitesUsed, 9);

    // The limit is the operator's: with 6 s the same gap places well.
    service.SetGapLimitMs(6000);
    service.RequestPosition({1, 0, 10800});
    service.OnFix(Fix(16000));
    EXPECT_TRUE(Answers().back().quality.placedOk);
}

TEST_F(ReadingQuality, FixesWithoutASolutionOrFarAwayPlaceBadly)
{
    service.RequestPosition({1, 0, 800}); // before the first fix: answered by it alone
    service.RequestPosition({1, 0, uint32_t(1000 - 2500)});
    service.OnFix(Fix(1000));
    service.RequestPosition({1, 0, 1500});
    service.OnFix(Fix(2000, 1.0, 0)); // GGA quality 0
    service.RequestPosition({1, 0, 2500});
    service.OnFix(Fix(3000));
    service.RequestPosition({1, 0, 3500});
    service.RequestPosition({1, 0, 6100}); // 2.1 s past the newest fix
    service.RequestPosition({1, 0, 6000}); // 2 s past it: still within the limit
    service.OnFix(Fix(4000));
    const auto a = Answers();
    ASSERT_EQ(a.size(), 7u);
    const bool ok[] = {true, false, false, false, true, false, true};
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].quality.placedOk, ok[i]) << i;
    EXPECT_EQ(a[1].quality.ageMs, 2500u);
}

TEST(FixMonitor, EachChangeIsReportedOnce)
{
    using Change = FixQualityMonitor::Change;
    platform::ManualClock clock(0xFFFFF000u); // across the tick wrap
    FixQualityMonitor monitor(clock);
    const auto fix = [](double hdop, uint8_t ggaQuality = 1) {
        GpsFixQuality q;
        q.ggaQuality = ggaQuality;
        q.fixType = 3;
        q.hdop = hdop;
        return GpsFix{55, 37, 0, q};
    };
    EXPECT_EQ(monitor.Poll(), Change::None);
    EXPECT_EQ(monitor.OnFix(fix(1.0, 0)), Change::None); // nothing to lose yet
    EXPECT_EQ(monitor.OnFix(fix(1.0)), Change::None);   // the first fix is no change
    EXPECT_EQ(monitor.Current(), FixQualityMonitor::State::Good);
    EXPECT_EQ(monitor.OnFix(fix(6.0)), Change::Degraded);
    EXPECT_EQ(monitor.OnFix(fix(7.0)), Change::None);
    EXPECT_EQ(monitor.OnFix(fix(4.8)), Change::None); // under the limit, not by the margin
    EXPECT_EQ(monitor.OnFix(fix(4.5)), Change::Restored);
    EXPECT_EQ(monitor.OnFix(fix(5.0)), Change::None); // the limit itself is still good
    clock.Advance(3000);
    EXPECT_EQ(monitor.Poll(), Change::None);
    clock.Advance(1);
    EXPECT_EQ(monitor.Poll(), Change::Lost);
    EXPECT_EQ(monitor.Poll(), Change::None);
    EXPECT_EQ(monitor.OnFix(fix(8.0)), Change::Degraded); // back, but poor
    EXPECT_EQ(monitor.OnFix(fix(1.0)), Change::Restored);
    EXPECT_EQ(monitor.OnFix(fix(1.0, 6)), Change::Lost); // dead reckoning
    EXPECT_EQ(monitor.OnFix(fix(1.0, 0)), Change::None);
    EXPECT_EQ(monitor.OnFix(fix(1.0)), Change::Restored);

    FixQualityMonitor strict(clock, {2.0, 0.2, 1000});
    strict.OnFix(fix(1.0));
    EXPECT_EQ(strict.OnFix(fix(2.5)), Change::Degraded);
    clock.Advance(1001);
    EXPECT_EQ(strict.Poll(), Change::Lost);
}

} // namespace
