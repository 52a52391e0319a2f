#include "gps/EpochFixAssembler.h"

GpsFixQuality QualityOf(const GpsData& data)
{
    GpsFixQuality q;
    if (data.ggaCount != 0) {
        q.ggaQuality = data.fixQuality;
        q.satellitesUsed = data.satellitesUsed;
        q.hdop = data.hdop;
    } else if (data.gsaCount != 0) {
        q.hdop = data.gsaHdop;
    }
    if (data.gsaCount != 0)
        q.fixType = data.fixType;
    return q;
}

EpochFixAssembler::Fixes EpochFixAssembler::Next(const GpsData& data)
{
    Fixes out;
    if (waiting_) {
        if (data.ggaEpoch == waitingEpoch_)
            waitingFix_.quality = QualityOf(data);
        if (data.ggaEpoch == waitingEpoch_ || data.epochCount != waitingEpoch_ || data.rmcCount != lastRmcCount_) {
            out.fix[size_t(out.count++)] = waitingFix_;
            waiting_ = false;
        }
    }
    if (data.rmcCount == lastRmcCount_)
        return out;
    lastRmcCount_ = data.rmcCount;
    if (data.rmcStatus != 'A')
        return out;
    const GpsFix fix{data.rmcLatitude, data.rmcLongitude, data.rmcTick, QualityOf(data)};
    if (data.ggaCount == 0 || data.ggaEpoch == data.rmcEpoch) {
        out.fix[size_t(out.count++)] = fix;
    } else {
        waiting_ = true;
        waitingEpoch_ = data.rmcEpoch;
        waitingFix_ = fix;
    }
    return out;
}
