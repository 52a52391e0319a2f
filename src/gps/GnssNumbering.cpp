#include "gps/GnssNumbering.h"

#include <cstring>

std::optional<NmeaSource> SourceOfAddress(const char* address)
{
    if (std::strlen(address) != 5)
        return std::nullopt;
    static constexpr struct {
        char talker[3];
        NmeaSource source;
    } kTalkers[] = {{"GP", NmeaSource::Gp}, {"GL", NmeaSource::Gl}, {"GA", NmeaSource::Ga}, {"GB", NmeaSource::Bd},
                    {"BD", NmeaSource::Bd}, {"GQ", NmeaSource::Gq}, {"GN", NmeaSource::Gn}};
    for (const auto& t : kTalkers)
        if (address[0] == t.talker[0] && address[1] == t.talker[1])
            return t.source;
    return std::nullopt;
}

GnssSystem NominalSystem(NmeaSource source)
{
    switch (source) {
    case NmeaSource::Gp: return GnssSystem::Gps;
    case NmeaSource::Gl: return GnssSystem::Glonass;
    case NmeaSource::Ga: return GnssSystem::Galileo;
    case NmeaSource::Bd: return GnssSystem::BeiDou;
    case NmeaSource::Gq: return GnssSystem::Qzss;
    case NmeaSource::Gn: break;
    }
    return GnssSystem::None;
}

GnssSystem SystemOfSatellite(NmeaSource source, uint16_t number)
{
    if (source != NmeaSource::Gp && source != NmeaSource::Gn)
        return NominalSystem(source);
    if (number >= 1 && number <= 64) return GnssSystem::Gps;
    if (number >= 65 && number <= 96) return GnssSystem::Glonass;
    if (number >= 120 && number <= 158) return GnssSystem::Gps;
    if (number >= 193 && number <= 202) return GnssSystem::Qzss;
    if (number >= 301 && number <= 336) return GnssSystem::Galileo;
    if (number >= 401 && number <= 437) return GnssSystem::BeiDou;
    return source == NmeaSource::Gp ? GnssSystem::Gps : GnssSystem::None;
}

std::optional<GnssSystem> SystemOfId(uint16_t id)
{
    if (id >= 1 && id <= 5)
        return static_cast<GnssSystem>(id);
    return std::nullopt;
}

const char* GnssSystemName(GnssSystem system)
{
    switch (system) {
    case GnssSystem::Gps: return "GPS";
    case GnssSystem::Glonass: return "GLONASS";
    case GnssSystem::Galileo: return "Galileo";
    case GnssSystem::BeiDou: return "BeiDou";
    case GnssSystem::Qzss: return "QZSS";
    case GnssSystem::None: break;
    }
    return "";
}
