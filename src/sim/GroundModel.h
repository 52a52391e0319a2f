#pragma once
#include <array>
#include <cstdint>

#include "survey/Calibration.h"

// The ground the simulated instrument stands on, in survey coordinates: x along the
// profiles (metres, station × xStep), y across them (profile × yStep), depth z downward.
//
// Conductivity (S/m) is a uniform background with two bodies:
// - a buried conductive pipe running across the profiles (parallel to y) at x = pipeX and
//   depth pipeDepth; it adds pipeConductivity × exp(−d²/pipeRadius²), d the distance from
//   the pipe axis in the x–z plane;
// - a resistive block, an axis-aligned box [blockX0, blockX1] × [blockY0, blockY1] ×
//   [blockTop, blockBottom] of conductivity blockConductivity that replaces the background.
//
// Frequency i senses the ground around the pseudo-depth δ_i = depthScale × sqrt(F_0 / F_i):
// its apparent conductivity is the average of the conductivity below the station weighted by
// exp(−z/δ_i)/δ_i, integrated numerically to 5 δ_i. High frequencies thus see the shallow
// ground, low ones the deeper ground, as the sections of the program show them.
struct GroundModel {
    double background = 0.02; // 50 ohm·m
    double pipeX = 20.0;
    double pipeDepth = 3.0;
    double pipeRadius = 2.0;
    double pipeConductivity = 1.0;
    double blockX0 = 40.0, blockX1 = 60.0;
    double blockY0 = 0.0, blockY1 = 30.0;
    double blockTop = 5.0, blockBottom = 25.0;
    double blockConductivity = 0.001;
    double depthScale = 10.0;

    // The bodies moved to the same places relative to a survey area of width × height metres
    // as they have in the 120 m × 60 m field of the defaults, so that a grid of any size
    // crosses them; their sizes and depths stay.
    GroundModel PlacedIn(double width, double height) const;
    double Conductivity(double x, double y, double z) const;
    // Apparent conductivity at frequency index i (S/m).
    double ApparentConductivity(const CalibrationSet& calibration, int i, double x, double y) const;
};

// The four raw 24-bit values of one channel block: signal quadrature and in-phase (before
// the instrument's shift right by 7) and the transmitter current pair.
using ChannelValues = std::array<int32_t, 4>;

// The raw values that the reading conversion turns back into `sigma` (S/m) in apparent
// values for the quadrature, in-phase and module components alike: the two-receiver
// induction response Re = K1·σ, Im = −K2·σ^1.5 is undone through gain, phase correction,
// undercompensation and current normalisation with the calibration constants of frequency i.
// The transmitter current is taken to be the current of the calibration's air measurement.
ChannelValues SimulatedChannel(const CalibrationSet& calibration, int i, double sigma);
