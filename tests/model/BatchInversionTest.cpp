// Many stations on worker threads: results in order, progress, cancellation, references.
#include <gtest/gtest.h>

#include "SyntheticStation.h"
#include "model/BatchInversion.h"

namespace {

std::vector<StationInput> Profile(size_t n)
{
    std::vector<StationInput> stations;
    for (size_t k = 0; k < n; ++k) {
        // The conductive layer thickens along the profile.
        const LayeredEarth ground{{0.02, 0.2, 0.05}, {1.0, 1.0 + 0.2 * double(k)}};
        stations.push_back({StationRefusal::None, testing_support::ModelledStation(ground, 0.01, uint32_t(k + 1))});
    }
    return stations;
}

TEST(BatchInversion, ResultsComeInOrderWhateverTheThreads)
{
    std::vector<StationInput> stations = Profile(6);
    stations[2] = {StationRefusal::Saturated, {}};
    BatchOptions options;
    options.inversion.noise = {0.01, 1};
    options.threads = 1;
    const auto one = InvertStations(&BuiltInCalibrationSet(), stations, options);
    options.threads = 3;
    std::vector<size_t> reported;
    const auto three = InvertStations(&BuiltInCalibrationSet(), stations, options,
                                      [&](size_t done, size_t total) {
                                          EXPECT_EQ(total, stations.size());
                                          reported.push_back(done);
                                      });
    ASSERT_EQ(one.size(), stations.size());
    ASSERT_EQ(three.size(), stations.size());
    for (size_t k = 0; k < stations.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(three[k].refusal, k == 2 ? StationRefusal::Saturated : StationRefusal::None);
        EXPECT_EQ(one[k].refusal, three[k].refusal);
        EXPECT_EQ(one[k].model.conductivity, three[k].model.conductivity);
        if (k != 2) {
            EXPECT_EQ(three[k].chi2, InvertStation(&BuiltInCalibrationSet(), stations[k].data, options.inversion).chi2);
        }
    }
    EXPECT_EQ(reported, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
    // Thicker conductive layers give more conductance.
    EXPECT_LT(one[0].model.ConductivityAt(2.3), one[5].model.ConductivityAt(2.3));

    const auto none = InvertStations(nullptr, stations, options);
    for (size_t k = 0; k < stations.size(); ++k)
        EXPECT_EQ(none[k].refusal, k == 2 ? StationRefusal::Saturated : StationRefusal::NoCalibration) << k;
    EXPECT_TRUE(InvertStations(&BuiltInCalibrationSet(), {}, options).empty());
}

TEST(BatchInversion, CancellingRefusesTheStationsNotYetBegun)
{
    const std::vector<StationInput> stations = Profile(5);
    BatchOptions options;
    std::atomic<bool> cancel{false};
    const auto results = InvertStations(
        &BuiltInCalibrationSet(), stations, options, [&](size_t done, size_t) { cancel = done == 2; }, &cancel);
    ASSERT_EQ(results.size(), 5u);
    for (size_t k = 0; k < 5; ++k)
        EXPECT_EQ(results[k].refusal, k < 2 ? StationRefusal::None : StationRefusal::Cancelled) << k;
}

TEST(BatchInversion, AChainedReferenceIsThePreviousStationsResult)
{
    const std::vector<StationInput> stations = Profile(3);
    BatchOptions options;
    options.inversion.noise = {0.03, 2};
    options.chainReference = true;
    const auto chained = InvertStations(&BuiltInCalibrationSet(), stations, options);
    InversionOptions second = options.inversion;
    second.reference = chained[0].model;
    EXPECT_EQ(chained[1].model.conductivity,
              InvertStation(&BuiltInCalibrationSet(), stations[1].data, second).model.conductivity);
    EXPECT_EQ(chained[0].model.conductivity,
              InvertStation(&BuiltInCalibrationSet(), stations[0].data, options.inversion).model.conductivity);
}

} // namespace
