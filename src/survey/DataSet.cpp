#include "survey/DataSet.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "graphics/SurfaceContext.h"

bool DataSet::PaintProgress(DrawContext*, int, int, int, int) { return false; }

bool DataSet::PaintToBitmap(DibSurface* bitmap, int left, int top, int right, int bottom)
{
    if (bitmap == nullptr)
        return false;
    const std::unique_ptr<SurfaceContext> context = OpenSurfaceContext(*bitmap);
    return context != nullptr && PaintProgress(&context->Context(), left, top, right, bottom);
}

const std::string& DataSet::DefaultName(std::time_t now)
{
    if (name_.empty()) {
        std::tm local{};
        localtime_r(&now, &local);
        char text[32];
        std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d", local.tm_year % 100, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min);
        name_ = text;
    }
    return name_;
}

bool DataSet::StoreRecord(size_t index, const MeasurementRecord& record)
{
    if (index >= kMaxRecords)
        return false;
    if (index >= records_.size()) {
        try {
            records_.resize(index + 1);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    records_[index] = record;
    return true;
}

bool DataSet::ReserveExtra(size_t extra)
{
    if (records_.size() + extra > kMaxRecords)
        return false;
    const size_t needed = records_.size() + extra;
    if (needed <= records_.capacity())
        return true;
    try {
        records_.reserve(std::min(kMaxRecords, std::max(needed, 2 * records_.capacity())));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void DataSet::JournalReading(uint32_t index)
{
    if (journal_)
        journal_->ReadingStored(*this, index);
}

MeasureOutcome DataSet::CommitJournal()
{
    return !journal_ || journal_->Commit(*this) ? MeasureOutcome::Stored : MeasureOutcome::StoredInMemory;
}
