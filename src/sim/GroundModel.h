#pragma once
#include <array>
#include <complex>
#include <cstdint>

#include "model/LayeredEarth.h"
#include "survey/Calibration.h"

// The ground the simulated instrument stands on, in survey coordinates: x along the
// profiles (metres, station × xStep), y across them (profile × yStep), depth z downward.
//
// A layered background (by default 0.02 S/m over 0.2 S/m from 1 to 3 m over 0.05 S/m) with
// two bodies, which change the layers locally:
// - a buried conductive pipe running across the profiles (parallel to y) at x = pipeX and
//   depth pipeDepth; it adds pipeConductivity × exp(−d²/pipeRadius²), d the distance from
//   the pipe axis in the x–z plane;
// - a resistive block, an axis-aligned box [blockX0, blockX1] × [blockY0, blockY1] ×
//   [blockTop, blockBottom] of conductivity blockConductivity that replaces the background.
// Each station sees the one-dimensional ground below it (EarthBelow), which the instrument
// model turns into readings.
struct GroundModel {
    LayeredEarth background{{0.02, 0.2, 0.05}, {1.0, 2.0}};
    double pipeX = 20.0;
    double pipeDepth = 3.0;
    double pipeRadius = 2.0;
    double pipeConductivity = 1.0;
    double blockX0 = 40.0, blockX1 = 60.0;
    double blockY0 = 0.0, blockY1 = 30.0;
    double blockTop = 5.0, blockBottom = 25.0;
    double blockConductivity = 0.001;

    // A uniform ground of `conductivity` S/m without bodies.
    static GroundModel Homogeneous(double conductivity);
    // The bodies moved to the same places relative to a survey area of width × height metres
    // as they have in the 120 m × 60 m field of the defaults, so that a grid of any size
    // crosses them; their sizes and depths stay.
    GroundModel PlacedIn(double width, double height) const;
    double Conductivity(double x, double y, double z) const;
    // The layers under (x, y): the background where no body reaches, else the column
    // sampled in slices (0.25 m to 10 m, 1 m to 30 m, then uniform), equal neighbours merged.
    LayeredEarth EarthBelow(double x, double y) const;
};

// The four raw 24-bit values of one channel block: signal quadrature and in-phase (before
// the instrument's shift right by 7) and the transmitter current pair.
using ChannelValues = std::array<int32_t, 4>;

// The raw values that the reading conversion turns back into the corrected signal `z` of
// frequency i (up to the instrument's resolution): z is undone through gain, phase
// correction, undercompensation and current normalisation with the calibration constants.
// The transmitter current is taken to be the current of the calibration's air measurement.
// A z that is not a number gives the plain undercompensation.
ChannelValues SimulatedChannel(const CalibrationSet& calibration, int i, std::complex<double> z);

// The size in Z of one unit of the shifted signal values at frequency i, for that current.
double SimulatedUnit(const CalibrationSet& calibration, int i);
