#include "gps/CGpsPositionService.h"

#include <gtest/gtest.h>

#include <vector>

#include "gps/GpsTestDoubles.h"

namespace {

using Posted = std::pair<WindowId, PositionMessage>;
constexpr WindowId kPage = 0x1234;

class PositionService : public testing::Test {
protected:
    platform::ManualClock clock{5000};
    testing_support::RecordingPoster poster;
    CGpsPositionService service{poster, clock};

    std::vector<Posted> Readings()
    {
        std::vector<Posted> out;
        for (const Posted& p : poster.Copy())
            if (p.second.message == UM_READING_POSITION) out.push_back(p);
        return out;
    }
};

TEST_F(PositionService, InterpolatesAndExtrapolatesAcrossTickWrapAndDropsWindowlessRequests)
{
    clock.Set(0xFFFFF000u);
    service.Reset();
    service.OnFix({10.0, 20.0, 0xFFFFFC18u}); // 1000 ms before the wrap
    service.RequestPosition({kPage, 1, 0xFFFFFE0Cu}); // 500 ms before it
    service.RequestPosition({0, 9, 0xFFFFFE0Cu});
    service.RequestPosition({kPage, 2, 0x000001F4u}); // 500 ms after it
    service.RequestPosition({kPage, 3, 0x000005DCu}); // after the next fix
    service.RequestPosition({kPage, 4, 0xFFFFFA24u}); // before the last one
    service.OnFix({12.0, 24.0, 0x000003E8u});         // 1000 ms after it
    const auto r = Readings();
    ASSERT_EQ(r.size(), 4u);
    const double lat[] = {10.5, 11.5, 12.5, 9.5}, lon[] = {21.0, 23.0, 25.0, 19.0};
    const uint32_t tick[] = {0xFFFFFE0Cu, 0x1F4u, 0x5DCu, 0xFFFFFA24u};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(r[i].second.wParam, i + 1);
        EXPECT_DOUBLE_EQ(r[i].second.fix.latitude, lat[i]) << i;
        EXPECT_DOUBLE_EQ(r[i].second.fix.longitude, lon[i]) << i;
        EXPECT_EQ(r[i].second.fix.tick, tick[i]) << i;
    }
    service.OnFix({14.0, 0.0, 0x000007D0u});
    EXPECT_EQ(Readings().size(), 4u); // nothing left waiting
}

TEST_F(PositionService, FixesWithTheSameTickLeaveRequestsWaiting)
{
    service.OnFix({10.0, 0.0, 1000});
    service.RequestPosition({kPage, 9, 1500});
    service.OnFix({10.2, 0.0, 1000});
    EXPECT_TRUE(Readings().empty());
    service.OnFix({12.0, 0.0, 2000}); // last fix is now the second one at 1000
    ASSERT_EQ(Readings().size(), 1u);
    EXPECT_DOUBLE_EQ(Readings()[0].second.fix.latitude, 11.1);
}

TEST_F(PositionService, SeventeenthRequestPushesOutTheFirst)
{
    for (uint32_t i = 1; i <= 17; ++i) service.RequestPosition({kPage, i, 100});
    service.OnFix({1.0, 1.0, 200});
    const auto r = Readings();
    ASSERT_EQ(r.size(), 16u);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(r[i].second.wParam, i + 2); // oldest first, 1 lost
}

TEST_F(PositionService, SlotsAreUsedInTurnAndRestartAfterReset)
{
    service.RequestPosition({kPage, 0, 0});
    // Delivery 1 answers the request, then one current position per fix.
    for (uint32_t i = 1; i <= 80; ++i) service.OnFix({static_cast<double>(i), 0.0, i * 1000});
    const auto posted = poster.Copy();
    ASSERT_EQ(posted.size(), 81u);
    for (uint32_t i = 0; i < 80; ++i) EXPECT_EQ(posted[i].second.slot, i + 1) << i;
    EXPECT_EQ(posted[80].second.slot, 1u);
    EXPECT_DOUBLE_EQ(service.Slot(1).latitude, 80.0); // overwritten by the 81st delivery
    EXPECT_DOUBLE_EQ(service.Slot(80).latitude, 79.0);
    EXPECT_DOUBLE_EQ(service.Slot(0).latitude, 0.0); // out of range reads as zero
    EXPECT_DOUBLE_EQ(service.Slot(81).latitude, 0.0);

    service.RequestPosition({kPage, 1, 81500});
    service.Reset();
    EXPECT_FALSE(service.HasFix());
    service.OnFix({20.0, 0.0, 2000});
    EXPECT_EQ(poster.Copy().size(), 81u); // request dropped, listener cleared
    service.RequestPosition({kPage, 2, 2500});
    service.OnFix({30.0, 0.0, 3000});
    const auto after = poster.Copy();
    ASSERT_EQ(after.size(), 83u);
    EXPECT_DOUBLE_EQ(after[81].second.fix.latitude, 25.0); // interpolated from the fix after Reset
    EXPECT_EQ(after[81].second.slot, 1u);
}

} // namespace
