#include "gps/GnssSky.h"

#include <algorithm>

namespace {

// Adds a satellite to rows[0..count), or raises the SNR of its row; false when full.
bool Merge(std::array<SatelliteInfo, kMaxSatellites>& rows, uint8_t& count, const SatelliteInfo& satellite)
{
    for (int i = 0; i < count; ++i) {
        SatelliteInfo& row = rows[size_t(i)];
        if (row.system == satellite.system && row.prn == satellite.prn) {
            row.snr = std::max(row.snr, satellite.snr);
            return true;
        }
    }
    if (count >= kMaxSatellites)
        return false;
    rows[count++] = satellite;
    return true;
}

} // namespace

bool GnssSky::Add(uint32_t epoch, NmeaSource source, const Message& m, const GnssUsedSet& used, GpsData& out)
{
    Talker& t = talkers_[static_cast<size_t>(source)];
    if (m.number == 1) {
        t.receiving = true;
        t.messages = m.messages;
        t.next = 1;
        t.signal = m.signal;
        t.inView = 0;
        t.cycleRows = 0;
    }
    if (!t.receiving || m.number != t.next || m.messages != t.messages || m.signal != t.signal) {
        t.receiving = false; // a gap: this cycle can no longer finish
        return false;
    }
    t.inView = std::max(t.inView, m.inView);
    for (int k = 0; k < m.blockCount; ++k) {
        const Block& b = m.blocks[size_t(k)];
        const GnssSystem system = SystemOfSatellite(source, b.prn);
        if (b.prn == 0 || system == GnssSystem::None)
            continue;
        Merge(t.cycle, t.cycleRows, SatelliteInfo{b.prn, b.elevation, b.azimuth, b.snr, 0, system});
    }
    ++t.next;
    if (m.number != m.messages)
        return false;
    t.receiving = false;
    Finish(t, epoch);
    Publish(used, out);
    return true;
}

void GnssSky::Finish(Talker& t, uint32_t epoch)
{
    const auto signalBit = static_cast<uint16_t>(1u << t.signal);
    if (!t.hasRound || epoch != t.roundEpoch || (t.roundSignals & signalBit) != 0) {
        t.hasRound = true;
        t.roundEpoch = epoch;
        t.roundSignals = 0;
        t.roundInView = 0;
        t.rows = 0;
    }
    for (int i = 0; i < t.cycleRows; ++i)
        Merge(t.sky, t.rows, t.cycle[size_t(i)]);
    t.roundSignals |= signalBit;
    t.roundInView = std::max(t.roundInView, t.inView);
}

bool GnssSky::Listed(GnssSystem system, uint16_t prn, int beforeTalker, int beforeRow) const
{
    for (int k = 0; k <= beforeTalker; ++k) {
        const Talker& t = talkers_[size_t(k)];
        const int rows = k == beforeTalker ? beforeRow : t.rows;
        for (int i = 0; i < rows; ++i)
            if (t.sky[size_t(i)].system == system && t.sky[size_t(i)].prn == prn)
                return true;
    }
    return false;
}

void GnssSky::Publish(const GnssUsedSet& used, GpsData& out) const
{
    std::array<uint32_t, kGnssSystemCount> inView{};
    out.satellites = {};
    size_t stored = 0;
    for (int k = 0; k < kNmeaSourceCount; ++k) {
        const Talker& t = talkers_[size_t(k)];
        for (int i = 0; i < t.rows; ++i) {
            SatelliteInfo row = t.sky[size_t(i)];
            if (Listed(row.system, row.prn, k, i)) // also heard from an earlier talker
                continue;
            ++inView[static_cast<size_t>(row.system)];
            row.used = used.Contains(row.system, row.prn) ? 1 : 0;
            if (stored < out.satellites.size())
                out.satellites[stored++] = row;
        }
        // Satellites a talker counts but does not list belong to its own system.
        const GnssSystem own = NominalSystem(static_cast<NmeaSource>(k));
        if (own != GnssSystem::None && t.roundInView > t.rows)
            inView[static_cast<size_t>(own)] += t.roundInView - t.rows;
    }
    uint32_t total = 0;
    for (size_t s = 1; s < kGnssSystemCount; ++s) {
        out.systems[s].inView = static_cast<uint16_t>(std::min<uint32_t>(inView[s], 0xFFFF));
        total += out.systems[s].inView;
    }
    out.satellitesInView = static_cast<uint16_t>(std::min<uint32_t>(total, 0xFFFF));
}
