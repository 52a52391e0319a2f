#include "gps/GnssUsedSet.h"

namespace {
uint8_t Bit(GnssSystem system) { return static_cast<uint8_t>(1u << static_cast<unsigned>(system)); }
} // namespace

void GnssUsedSet::Add(uint32_t epoch, NmeaSource source, GnssSystem system, const uint16_t* numbers, int count)
{
    uint8_t systems = 0;
    if (system != GnssSystem::None) {
        systems = Bit(system);
    } else {
        for (int i = 0; i < count; ++i)
            if (const GnssSystem s = SystemOfSatellite(source, numbers[i]); s != GnssSystem::None)
                systems |= Bit(s);
    }
    if (!started_ || epoch != epoch_ || (systems & partialSystems_) != 0) {
        building_ = Set{};
        partialSystems_ = 0;
        started_ = true;
        epoch_ = epoch;
    }
    for (int i = 0; i < count; ++i)
        building_.Insert(system != GnssSystem::None ? system : SystemOfSatellite(source, numbers[i]), numbers[i]);
    runOpen_ = true;
    if (count < kFixPrnFields)
        partialSystems_ |= systems;
    else
        partialSystems_ &= static_cast<uint8_t>(~systems);
}

void GnssUsedSet::Set::Insert(GnssSystem system, uint16_t number)
{
    if (system == GnssSystem::None || number == 0 || Contains(system, number))
        return;
    const auto s = static_cast<size_t>(system);
    if (counts[s] < kMaxSatellites)
        numbers[s][counts[s]++] = number;
}

bool GnssUsedSet::Set::Contains(GnssSystem system, uint16_t number) const
{
    const auto s = static_cast<size_t>(system);
    if (s >= kGnssSystemCount || number == 0)
        return false;
    for (int i = 0; i < counts[s]; ++i)
        if (numbers[s][size_t(i)] == number)
            return true;
    return false;
}

bool GnssUsedSet::Contains(GnssSystem system, uint16_t number) const
{
    return shown_.Contains(system, number);
}

bool GnssUsedSet::ContainsNumber(uint16_t number) const
{
    for (size_t s = 1; s < kGnssSystemCount; ++s)
        if (Contains(static_cast<GnssSystem>(s), number))
            return true;
    return false;
}

void GnssUsedSet::EndRun(GpsData& out)
{
    if (!runOpen_)
        return;
    runOpen_ = false;
    shown_ = building_;
    out.usedPrn = {};
    out.usedSystem = {};
    size_t next = 0;
    for (size_t s = 1; s < kGnssSystemCount; ++s) {
        out.systems[s].used = shown_.counts[s];
        for (int i = 0; i < shown_.counts[s] && next < out.usedPrn.size(); ++i, ++next) {
            out.usedPrn[next] = shown_.numbers[s][size_t(i)];
            out.usedSystem[next] = static_cast<GnssSystem>(s);
        }
    }
}
