#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/BilinearGridder.h"
#include "survey/DataSet.h"

class CSettings;
struct SessionImage;

// A run of stations or a block of profiles; not found is first = 1, last = 0.
struct GridSpan {
    bool found = false;
    uint32_t first = 1;
    uint32_t last = 0;
};

// Records of a map, limited profile or profile, stored in serpentine walking order:
// even profiles upward from station 0, odd profiles downward. xSize 0 is an open-ended
// profile that grows with the readings. Reads the settings object it was built from
// (which must outlive it); UI thread only.
class SurveyDataSet : public DataSet {
public:
    // Records of an open-ended profile before its first reading.
    static constexpr size_t kOpenProfileStart = 20;

    // Grid from the settings' work type, sizes and steps; writes the effective grid back
    // into the settings (gridStations, gridProfiles). Starts with `records` (those of a file),
    // grown to the grid with empty ones.
    explicit SurveyDataSet(CSettings& settings, std::vector<MeasurementRecord> records = {});

    DataSetKind Kind() const override { return DataSetKind::Survey; }
    StoreResult StoreReadings(std::span<const MeasurementRecord> records) override;
    // The station-progress grid of the band of six profiles around the current one.
    bool PaintProgress(DrawContext* dc, int left, int top, int right, int bottom) override;
    bool ResetPosition() override;
    bool NextPosition() override;
    bool PreviousPosition() override;
    bool PreviousStation() override;
    bool NextStation() override;
    bool NextProfile() override;
    bool PreviousProfile() override;
    uint32_t CurrentIndex() const override { return IndexOf(p_, s_); }
    bool Serialize(ByteWriter& file, bool clearModified) override;

    uint32_t IndexOf(uint32_t p, uint32_t s) const;
    bool IsProfileStart() const;
    GridSpan FindStationRun(uint32_t p, uint32_t s) const;
    uint32_t StationRunLength(uint32_t p, uint32_t s) const;
    GridSpan FindProfileBlock(uint32_t p, uint32_t s) const;
    uint32_t ProfileBlockLength(uint32_t p, uint32_t s) const;

    // Moves to (p, s); false, nothing changed, when that is outside the grid.
    bool SetPosition(uint32_t p, uint32_t s);
    // Moves to the first station in walking order that holds no reading; a grid measured
    // whole stays at its last station, as the reading that completed it left it.
    void MoveToFirstUnmeasured();
    // Whether (p, s) lies in the grid once it holds `records` records (an open profile grows).
    bool PositionFits(uint32_t p, uint32_t s, size_t records) const;
    uint32_t Profile() const { return p_; }
    uint32_t Station() const { return s_; }
    uint32_t XSize() const { return xSize_; }
    uint32_t YSize() const { return ySize_; }
    float XStep() const { return xStep_; }
    float YStep() const { return yStep_; }
    const CSettings& Settings() const { return settings_; }
    // Regrids the tables of maps and sections.
    BilinearGridder& Gridder() { return gridder_; }

    // Builds the data set of a parsed survey session, applying its grid, steps, reserved
    // words and used frequencies to the settings.
    static std::unique_ptr<SurveyDataSet> LoadSurveyBody(SessionImage image, CSettings& settings);

private:
    bool Measured(uint32_t p, uint32_t s) const;

    CSettings& settings_;
    uint32_t p_ = 0;
    uint32_t s_ = 0;
    uint32_t xSize_ = 0;
    uint32_t ySize_ = 1;
    float xStep_ = 0;
    float yStep_ = 0;
    BilinearGridder gridder_;
};

// The data set as a SurveyDataSet; null when it is of another kind.
inline SurveyDataSet* AsSurvey(DataSet& dataSet)
{
    return dataSet.Kind() == DataSetKind::Survey ? static_cast<SurveyDataSet*>(&dataSet) : nullptr;
}
inline const SurveyDataSet* AsSurvey(const DataSet& dataSet)
{
    return dataSet.Kind() == DataSetKind::Survey ? static_cast<const SurveyDataSet*>(&dataSet) : nullptr;
}
