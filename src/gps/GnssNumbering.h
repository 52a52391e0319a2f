#pragma once
#include <cstdint>
#include <optional>

#include "gps/GpsData.h"

// The talkers whose sentences are decoded. GB and BD are both BeiDou and share a source.
enum class NmeaSource : uint8_t { Gp, Gl, Ga, Bd, Gq, Gn };
constexpr int kNmeaSourceCount = 6;

// The source of a sentence address such as "GNGSA"; empty for other talkers.
std::optional<NmeaSource> SourceOfAddress(const char* address);

// The one system a talker speaks for; None for GN, which speaks for all.
GnssSystem NominalSystem(NmeaSource source);

// The system of a satellite number heard from a source. GP and GN lists may carry other
// systems in the numbering that predates the NMEA 4.10 system ids (GLONASS 65-96, QZSS
// 193-202, Galileo 301-336, BeiDou 401-437; SBAS 33-64 and 120-158 count as GPS). GP keeps
// a number it does not know as GPS; from GN it is None (the satellite is skipped).
GnssSystem SystemOfSatellite(NmeaSource source, uint16_t number);

// A GSA or GSV system id of NMEA 4.11 (1..5); empty for any other value.
std::optional<GnssSystem> SystemOfId(uint16_t id);

// Short ASCII name ("GPS", "GLONASS", "Galileo", "BeiDou", "QZSS"; "" for None).
const char* GnssSystemName(GnssSystem system);
