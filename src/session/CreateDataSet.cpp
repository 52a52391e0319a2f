#include "session/CreateDataSet.h"

#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

std::unique_ptr<DataSet> CreateDataSet(CSettings& settings)
{
    if (settings.workType == kWorkGpsTrack)
        return std::make_unique<TrackDataSet>(settings);
    return std::make_unique<SurveyDataSet>(settings);
}
