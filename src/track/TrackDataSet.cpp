#include "track/TrackDataSet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <span>

#include "graphics/TrackView.h"
#include "settings/CSettings.h"
#include "survey/ByteStream.h"
#include "survey/SessionLayout.h"
#include "survey/SessionImage.h"
#include "track/TrackProjection.h"
#include "track/FixQualityBytes.h"
#include "track/TrackQualityBlock.h"

namespace {

constexpr size_t kInitialRoom = 32;

float ToFloat(double v) { return std::fabs(v) <= double(std::numeric_limits<float>::max()) ? float(v) : 0.0f; }

} // namespace

TrackDataSet::TrackDataSet(CSettings& settings) : settings_(settings)
{
    records_.reserve(kInitialRoom);
    fixes_.reserve(kInitialRoom);
    track_.reserve(kInitialRoom);
}

bool TrackDataSet::StoreReading(const MeasurementRecord& record)
{
    const uint32_t k = cursor_;
    if (k >= fixes_.size()) {
        try {
            fixes_.resize(size_t(k) + 1);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    if (!StoreRecord(k, record))
        return false;
    fixes_[k] = GpsFix{0, 0, record.TimeStamp()};
    NextPosition();
    JournalReading(k);
    return true;
}

StoreResult TrackDataSet::StoreReadings(std::span<const MeasurementRecord> records)
{
    StoreResult result;
    if (records.empty() || !ReserveExtra(records.size()))
        return result;
    try {
        fixes_.reserve(records_.capacity());
    } catch (const std::bad_alloc&) {
        return result;
    }
    for (const MeasurementRecord& record : records) {
        if (!StoreReading(record))
            break;
        ++result.stored;
    }
    if (result.stored == 0)
        return result;
    modified_ = true;
    result.outcome = CommitJournal();
    return result;
}

bool TrackDataSet::PaintProgress(DrawContext* dc, int left, int top, int right, int bottom)
{
    return dc != nullptr && PaintTrackView(*this, *dc, PixelRect{left, top, right, bottom});
}

bool TrackDataSet::ResetPosition()
{
    cursor_ = 0;
    return true;
}

bool TrackDataSet::NextPosition()
{
    if (cursor_ >= records_.size())
        return false;
    ++cursor_;
    return true;
}

bool TrackDataSet::PreviousPosition()
{
    if (cursor_ == 0)
        return false;
    --cursor_;
    return true;
}

bool TrackDataSet::SetCurrentFix(const GpsFix& fix)
{
    currentFix_ = fix;
    hasLiveFix_ = true;
    if (journal_)
        journal_->CurrentFixChanged(fix);
    return true;
}

bool TrackDataSet::SetFix(uint32_t k, const GpsFix& fix)
{
    size_t target = k;
    if (k >= fixes_.size() || fixes_[k].tick != fix.tick) {
        target = std::min<size_t>(k, fixes_.size());
        while (target > 0 && fixes_[target - 1].tick != fix.tick)
            --target;
        if (target == 0)
            return false;
        --target;
    }
    fixes_[target] = fix;
    if (journal_) {
        journal_->FixStored(*this, uint32_t(target));
        CommitJournal(); // the page ignores the result; Journal()->Durable() tells
    }
    return true;
}

bool TrackDataSet::RestoreReading(uint32_t k, const MeasurementRecord& record, const GpsFix& fix)
{
    if (k > records_.size())
        return false;
    try {
        if (k >= fixes_.size())
            fixes_.resize(size_t(k) + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!StoreRecord(k, record))
        return false;
    fixes_[k] = fix;
    return true;
}

bool TrackDataSet::RestoreFix(uint32_t k, const GpsFix& fix)
{
    if (k >= fixes_.size())
        return false;
    fixes_[k] = fix;
    return true;
}

bool TrackDataSet::SetCursor(uint32_t cursor)
{
    if (cursor > records_.size())
        return false;
    cursor_ = cursor;
    return true;
}

std::vector<CorrectedPosition> TrackDataSet::CorrectedPositions(const TrackCorrectionSettings& correction) const
{
    return CorrectTrack(StampedFixes(records_, fixes_), correction);
}

void TrackDataSet::ComputeTrack(bool liveFixReceived)
{
    const size_t n = records_.size();
    if (n == 0) {
        track_.clear();
        return;
    }
    track_.assign(n + 1, TrackPoint{});
    const std::vector<CorrectedPosition> placed = CorrectedPositions(TrackCorrectionFrom(settings_));
    const std::optional<GpsFix> origin = TrackOrigin(placed);
    const bool live = liveFixReceived && HasPosition(currentFix_);
    if (!origin && !live)
        return;
    const TrackProjection projection(origin.value_or(currentFix_));
    auto project = [&](double latitude, double longitude) {
        double east = 0, north = 0;
        projection.Project(GpsFix{latitude, longitude, 0}, east, north);
        return TrackPoint{ToFloat(east), ToFloat(north), true};
    };
    for (size_t k = 0; k < n; ++k)
        if (placed[k].hasPosition)
            track_[k] = project(placed[k].latitude, placed[k].longitude);
    track_[n] = live ? project(currentFix_.latitude, currentFix_.longitude) : track_[n - 1];
}

bool TrackDataSet::Serialize(ByteWriter& file, bool clearModified)
{
    WriteSessionHeader(file, settings_);
    if (clearModified)
        modified_ = false;
    file.U16(1);
    file.U32(file.Position() + 4);
    file.U32(uint32_t(records_.size()));
    file.U32(0);
    file.U32(file.Position() + 4);
    for (size_t k = 0; k < records_.size(); ++k) {
        const GpsFix fix = k < fixes_.size() ? fixes_[k] : GpsFix{};
        file.Bytes(records_[k].bytes.data(), MeasurementRecord::kSize);
        file.F64(fix.longitude);
        file.F64(fix.latitude);
    }
    // Only where the file stays within the size every reader accepts.
    const size_t n = records_.size();
    if (n > 0 && fixes_.size() >= n &&
        file.Position() + session::kQualityBlockOverhead + n * kFixQualitySize <= session::kMaxFileSize)
        WriteTrackQualityBlock(file, std::span(fixes_).first(n));
    return true;
}

std::unique_ptr<TrackDataSet> TrackDataSet::LoadTrackBody(SessionImage image, CSettings& settings)
{
    settings.workType = kWorkGpsTrack;
    auto dataSet = std::make_unique<TrackDataSet>(settings);
    AdoptUsedFrequencies(image.records, settings);
    dataSet->records_ = std::move(image.records);
    dataSet->fixes_ = std::move(image.fixes);
    dataSet->fixes_.resize(dataSet->records_.size());
    dataSet->ResetPosition();
    dataSet->modified_ = false;
    dataSet->ComputeTrack(false);
    return dataSet;
}
