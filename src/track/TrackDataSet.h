#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/BilinearGridder.h"
#include "graphics/RadiusGridder.h"
#include "survey/DataSet.h"
#include "gps/GpsFix.h"
#include "track/TrackCorrection.h"

class CSettings;
struct SessionImage;

// Planar track position in metres east and north of the first reading with a position.
struct TrackPoint {
    float east = 0;
    float north = 0;
    bool positioned = false; // false: a reading without a position, left out of every graph
};

// Readings of the GPS track mode in the order taken, each with the position at which it
// was taken. Reads the settings object it was built from (which must outlive it);
// UI thread only — positions arrive through the track page.
class TrackDataSet : public DataSet {
public:
    explicit TrackDataSet(CSettings& settings);

    DataSetKind Kind() const override { return DataSetKind::Track; }
    StoreResult StoreReadings(std::span<const MeasurementRecord> records) override;
    // The track view: reading positions, the live position and the current reading; false
    // without readings.
    bool PaintProgress(DrawContext* dc, int left, int top, int right, int bottom) override;
    bool ResetPosition() override;
    bool NextPosition() override;
    bool PreviousPosition() override;
    bool PreviousStation() override { return PreviousPosition(); }
    bool NextStation() override { return NextPosition(); }
    bool NextProfile() override { return NextPosition(); }
    bool PreviousProfile() override { return PreviousPosition(); }
    uint32_t CurrentIndex() const override { return cursor_; }
    bool Serialize(ByteWriter& file, bool clearModified) override;

    // The live position; from the first one on, the track ends at it.
    bool SetCurrentFix(const GpsFix& fix);
    bool HasLiveFix() const { return hasLiveFix_; }
    const GpsFix& CurrentFix() const { return currentFix_; }
    // k must be below FixCount().
    const GpsFix& FixAt(size_t k) const { return fixes_[k]; }
    size_t FixCount() const { return fixes_.size(); }
    // Stores a position for the reading stamped fix.tick at or below index k; false when
    // no such reading exists (it was replaced meanwhile).
    bool SetFix(uint32_t k, const GpsFix& fix);

    // Rebuilding from a journal: the reading and its fix at k (at most N), a fix at k
    // (below the fix count), the cursor (at most N). False, nothing changed, outside those.
    bool RestoreReading(uint32_t k, const MeasurementRecord& record, const GpsFix& fix);
    bool RestoreFix(uint32_t k, const GpsFix& fix);
    bool SetCursor(uint32_t cursor);

    // Where the readings were taken: their positions corrected for the receiver's lag and
    // the antenna's offset, in reading order. Computed afresh from the stored positions and
    // the records' time stamps.
    std::vector<CorrectedPosition> CorrectedPositions(const TrackCorrectionSettings& correction) const;

    // Rebuilds the track from the positions corrected as the settings say: N + 1 points
    // about the first reading with a position, the last one the live position (as reported)
    // when the GPS side has received a fix since its last reset, else a repeat of the last
    // reading's point. Readings without a position stay unpositioned.
    void ComputeTrack(bool liveFixReceived);
    const std::vector<TrackPoint>& Track() const { return track_; }

    const CSettings& Settings() const { return settings_; }
    // Holds the track map's radius, in cells of a map kRadiusMapWidth pixels wide
    // (graphics/TrackMapRadius.h); the track page sets it.
    RadiusGridder& ScatteredGridder() { return scatteredGridder_; }
    // Regrids the section's table.
    BilinearGridder& SectionGridder() { return sectionGridder_; }

    // Builds the data set of a parsed track session: work type 31, used frequencies from
    // the first measured record, fixes with tick 0, cursor 0, track computed.
    static std::unique_ptr<TrackDataSet> LoadTrackBody(SessionImage image, CSettings& settings);

private:
    bool StoreReading(const MeasurementRecord& record);

    CSettings& settings_;
    uint32_t cursor_ = 0;
    std::vector<GpsFix> fixes_;
    GpsFix currentFix_;
    bool hasLiveFix_ = false;
    std::vector<TrackPoint> track_;
    RadiusGridder scatteredGridder_;
    BilinearGridder sectionGridder_;
};

// The data set as a TrackDataSet; null when it is of another kind.
inline TrackDataSet* AsTrack(DataSet& dataSet)
{
    return dataSet.Kind() == DataSetKind::Track ? static_cast<TrackDataSet*>(&dataSet) : nullptr;
}
inline const TrackDataSet* AsTrack(const DataSet& dataSet)
{
    return dataSet.Kind() == DataSetKind::Track ? static_cast<const TrackDataSet*>(&dataSet) : nullptr;
}
