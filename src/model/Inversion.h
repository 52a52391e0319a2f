#pragma once
#include <optional>

#include "model/ForwardModel.h"
#include "model/LayeredEarth.h"
#include "model/StationData.h"
#include "survey/Calibration.h"

// The standard deviation of each datum (quadrature and in-phase separately):
// sqrt((relative · |value|)² + (floorUnits · unit)²), unit the instrument's resolution at
// that frequency (one unit of the shifted signal values, StationData::unit).
struct NoiseModel {
    double relative = 0.02;
    double floorUnits = 1.0;
};

struct InversionOptions {
    size_t layers = 25; // kept within [kMinLayers, kMaxLayers]
    NoiseModel noise;
    double height = 0;  // of the instrument above the ground, metres
    // A model the result is drawn towards where the data leave it free: the previous
    // station's result keeps a section along a profile steady. Any layering; it is
    // resampled by depth.
    std::optional<LayeredEarth> reference;
    double referenceWeight = 0.05; // against the roughness between neighbouring layers
    int maxIterations = 12;

    static constexpr size_t kMinLayers = 4;
    static constexpr size_t kMaxLayers = 60;
};

struct InversionResult {
    StationRefusal refusal = StationRefusal::None;
    LayeredEarth model;
    double chi2 = 0;    // noise-weighted squared misfit per datum
    double doi = 0;     // depth of investigation, metres
    double bottom = 0;  // top of the last layer, metres
    int iterations = 0; // Gauss–Newton steps taken
    ModelResponse predicted{};
};

// A smooth-to-blocky layered earth that fits one station's data to its noise (Occam: the
// least structure that reaches χ² = 1, or the best fit when none does). `calibration` may
// be null, which is a refusal.
InversionResult InvertStation(const CalibrationSet* calibration, const StationData& data,
                              const InversionOptions& options = {});
