#include "survey/SurveyDataSet.h"

#include <algorithm>

#include "graphics/StationProgress.h"
#include "settings/CSettings.h"
#include "survey/ByteStream.h"
#include "survey/SessionLayout.h"
#include "survey/SessionImage.h"

namespace {

// Settings are not range-checked on load: a negative size means none, and a grid larger
// than any array we allow loses profiles rather than exhausting memory.
uint32_t NonNegative(int32_t v) { return v > 0 ? uint32_t(v) : 0; }

} // namespace

SurveyDataSet::SurveyDataSet(CSettings& settings, std::vector<MeasurementRecord> records) : settings_(settings)
{
    xSize_ = NonNegative(settings.xSize);
    ySize_ = std::max<uint32_t>(1, NonNegative(settings.ySize));
    xStep_ = settings.xStep;
    yStep_ = settings.yStep;
    if (settings.workType == kWorkLimitedProfile || settings.workType == kWorkProfile) {
        ySize_ = 1;
        yStep_ = 0;
    }
    if (settings.workType == kWorkProfile)
        xSize_ = 0;
    xSize_ = std::min<uint32_t>(xSize_, kMaxRecords);
    // An open-ended grid is one profile: its records are indexed by station alone, and a
    // file cannot say how long each of several open profiles would be.
    ySize_ = xSize_ != 0 ? std::min<uint32_t>(ySize_, uint32_t(kMaxRecords / xSize_)) : 1;
    settings.gridStations = int32_t(xSize_);
    settings.gridProfiles = int32_t(ySize_);
    records_ = std::move(records);
    records_.resize(std::max(records_.size(), xSize_ != 0 ? size_t(xSize_) * ySize_ : kOpenProfileStart));
}

StoreResult SurveyDataSet::StoreReadings(std::span<const MeasurementRecord> records)
{
    StoreResult result;
    // Only an open profile grows; a grid has a record for every station already.
    if (records.empty() || (xSize_ == 0 && !ReserveExtra(records.size())))
        return result;
    bool room = true;
    for (const MeasurementRecord& record : records) {
        if (!room) {
            ++result.leftOut;
            continue;
        }
        const uint32_t index = CurrentIndex();
        if (!StoreRecord(index, record))
            break;
        ++result.stored;
        room = NextPosition();
        JournalReading(index);
    }
    if (result.stored == 0)
        return result;
    result.full = !room;
    modified_ = true;
    result.outcome = CommitJournal();
    return result;
}

void SurveyDataSet::MoveToFirstUnmeasured()
{
    ResetPosition();
    while (Measured(p_, s_) && NextPosition()) {
    }
}

bool SurveyDataSet::PositionFits(uint32_t p, uint32_t s, size_t records) const
{
    return p < ySize_ && (xSize_ != 0 ? s < xSize_ : s <= records);
}

bool SurveyDataSet::SetPosition(uint32_t p, uint32_t s)
{
    if (!PositionFits(p, s, records_.size()))
        return false;
    p_ = p;
    s_ = s;
    return true;
}

bool SurveyDataSet::PaintProgress(DrawContext* dc, int left, int top, int right, int bottom)
{
    return dc != nullptr && PaintStationProgress(*this, *dc, PixelRect{left, top, right, bottom});
}

bool SurveyDataSet::ResetPosition()
{
    p_ = 0;
    s_ = 0;
    return true;
}

bool SurveyDataSet::NextPosition()
{
    if (xSize_ == 0) {
        if (s_ >= records_.size())
            return false;
        ++s_;
        return true;
    }
    if (p_ % 2 == 0 ? s_ + 1 < xSize_ : s_ > 0) {
        p_ % 2 == 0 ? ++s_ : --s_;
        return true;
    }
    if (p_ + 1 >= ySize_)
        return false;
    ++p_; // the serpentine turns: same station, next profile
    return true;
}

bool SurveyDataSet::PreviousPosition()
{
    if (xSize_ == 0) {
        if (s_ == 0)
            return false;
        --s_;
        return true;
    }
    if (p_ % 2 == 1 ? s_ + 1 < xSize_ : s_ > 0) {
        p_ % 2 == 1 ? ++s_ : --s_;
        return true;
    }
    if (p_ == 0)
        return false;
    --p_;
    return true;
}

bool SurveyDataSet::PreviousStation()
{
    if (s_ > 0)
        --s_;
    else
        s_ = xSize_ != 0 ? xSize_ - 1 : uint32_t(records_.size());
    return true;
}

bool SurveyDataSet::NextStation()
{
    ++s_;
    if (xSize_ != 0 ? s_ >= xSize_ : s_ > records_.size())
        s_ = 0;
    return true;
}

bool SurveyDataSet::NextProfile()
{
    p_ = p_ + 1 < ySize_ ? p_ + 1 : 0;
    return true;
}

bool SurveyDataSet::PreviousProfile()
{
    p_ = p_ > 0 ? p_ - 1 : ySize_ - 1;
    return true;
}

uint32_t SurveyDataSet::IndexOf(uint32_t p, uint32_t s) const
{
    if (xSize_ == 0)
        return s;
    return p % 2 == 0 ? p * xSize_ + s : (p + 1) * xSize_ - s - 1;
}

bool SurveyDataSet::IsProfileStart() const
{
    if (xSize_ == 0 || p_ % 2 == 0)
        return s_ == 0;
    return s_ == xSize_ - 1;
}

bool SurveyDataSet::Measured(uint32_t p, uint32_t s) const
{
    const uint32_t index = IndexOf(p, s);
    return index < records_.size() && !records_[index].Empty();
}

GridSpan SurveyDataSet::FindStationRun(uint32_t p, uint32_t s) const
{
    const uint32_t width = xSize_ != 0 ? xSize_ : uint32_t(records_.size());
    GridSpan run;
    if (p >= ySize_ || width == 0)
        return run;
    const uint32_t at = std::min(s, width - 1);
    if (!Measured(p, at)) {
        run.last = at;
        return run;
    }
    run.found = true;
    run.first = at;
    while (run.first > 0 && Measured(p, run.first - 1))
        --run.first;
    run.last = at;
    while (run.last + 1 < width && Measured(p, run.last + 1))
        ++run.last;
    return run;
}

uint32_t SurveyDataSet::StationRunLength(uint32_t p, uint32_t s) const
{
    const GridSpan run = FindStationRun(p, s);
    return run.found ? run.last - run.first + 1 : 0;
}

GridSpan SurveyDataSet::FindProfileBlock(uint32_t p, uint32_t s) const
{
    const uint32_t width = xSize_ != 0 ? xSize_ : uint32_t(records_.size());
    auto complete = [&](uint32_t q) { return width != 0 && StationRunLength(q, s) == width; };
    int64_t first = p;
    for (int64_t q = p > 0 ? int64_t(p) - 1 : 0; q >= 0 && complete(uint32_t(q)); --q)
        first = q;
    int64_t last = int64_t(p) - 1;
    for (int64_t q = p; q < int64_t(ySize_) && complete(uint32_t(q)); ++q)
        last = q;
    GridSpan block;
    if (first <= last) {
        block.found = true;
        block.first = uint32_t(first);
        block.last = uint32_t(last);
    }
    return block;
}

uint32_t SurveyDataSet::ProfileBlockLength(uint32_t p, uint32_t s) const
{
    const GridSpan block = FindProfileBlock(p, s);
    return block.found ? block.last - block.first + 1 : 0;
}

bool SurveyDataSet::Serialize(ByteWriter& file, bool clearModified)
{
    WriteSessionHeader(file, settings_);
    if (clearModified)
        modified_ = false;
    file.U16(0);
    file.U32(file.Position() + 4);
    const uint32_t count = uint32_t(records_.size());
    file.U32(uint32_t(settings_.sessionExtra1));
    file.U32(uint32_t(settings_.sessionExtra2));
    // The data set's own grid: a profile is open-ended whatever "xSize" says.
    file.U32(xSize_ != 0 ? xSize_ : count);
    file.U32(ySize_);
    file.F64(double(settings_.xStep));
    file.F64(double(settings_.yStep));
    file.U32(xSize_ == 0 ? 1 : 0);
    file.U32(file.Position() + 4);
    for (const MeasurementRecord& record : records_)
        file.Bytes(record.bytes.data(), MeasurementRecord::kSize);
    return true;
}

std::unique_ptr<SurveyDataSet> SurveyDataSet::LoadSurveyBody(SessionImage image, CSettings& settings)
{
    settings.sessionExtra1 = image.extra1;
    settings.sessionExtra2 = image.extra2;
    settings.xStep = float(image.xStep);
    settings.yStep = float(image.yStep);
    if (image.y > 1 && image.x != 0) {
        settings.workType = kWorkMap;
        settings.xSize = int32_t(image.x);
        settings.ySize = int32_t(image.y);
    } else if ((image.openProfileFlag & 1) == 0) {
        settings.workType = kWorkLimitedProfile;
        settings.xSize = int32_t(image.x);
    } else {
        settings.workType = kWorkProfile;
    }
    AdoptUsedFrequencies(image.records, settings);
    auto dataSet = std::make_unique<SurveyDataSet>(settings, std::move(image.records));
    dataSet->ResetPosition();
    dataSet->modified_ = false;
    return dataSet;
}
