#include "graphics/GraphDispatch.h"

#include "graphics/GraphSettings.h"
#include "graphics/SurveyGraphs.h"
#include "graphics/TrackGraphs.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace {

GraphRefusal RefusalOf(GraphOutcome outcome)
{
    switch (outcome) {
    case GraphOutcome::Painted:
        return GraphRefusal::None;
    case GraphOutcome::TooSmall:
        return GraphRefusal::TooSmall;
    case GraphOutcome::OutOfMemory:
        return GraphRefusal::OutOfMemory;
    case GraphOutcome::NotPainted:
        break;
    }
    return GraphRefusal::TooFewReadings;
}

GraphOutcome PaintSurvey(SurveyDataSet& data, CSettings& settings, const GraphRequest& request, ValueSurface& surface,
                         DrawContext& dc)
{
    const uint32_t p = request.position.profile, s = request.position.station;
    const int f = request.frequency;
    switch (request.kind) {
    case GraphKind::Map:
        return DrawMap(data, settings, surface, dc, request.rect, p, s, f);
    case GraphKind::Section:
        return DrawSection(data, settings, surface, dc, request.rect, p, s);
    case GraphKind::ProfileCurve:
        return DrawProfileCurve(data, settings, surface, dc, request.rect, p, s, f);
    case GraphKind::InvertedSection:
        return DrawInvertedProfile(data, settings, *request.inverted, surface, dc, request.rect, p, *request.depth);
    case GraphKind::SoundingCurve:
    case GraphKind::Progress:
        break;
    }
    return DrawSoundingCurve(data, settings, surface, request.rect, p, s);
}

GraphOutcome PaintTrack(TrackDataSet& data, CSettings& settings, const GraphRequest& request, ValueSurface& surface,
                        DrawContext& dc)
{
    const int f = request.frequency;
    switch (request.kind) {
    case GraphKind::Map:
        return PaintTrackMap(data, settings, surface, dc, request.rect, f);
    case GraphKind::Section:
        return PaintTrackSection(data, settings, surface, dc, request.rect);
    case GraphKind::ProfileCurve:
        return PaintTrackProfileCurve(data, settings, surface, dc, request.rect, f);
    case GraphKind::InvertedSection:
        return PaintTrackInvertedSection(data, settings, *request.inverted, surface, dc, request.rect, *request.depth);
    case GraphKind::SoundingCurve:
    case GraphKind::Progress:
        break;
    }
    return PaintLatestSoundingCurve(data, settings, surface, request.rect, request.position.reading);
}

bool FrequencyUsed(const CSettings& settings, int f)
{
    return f >= 0 && f < kFrequencyCount && settings.usedFrequencies[static_cast<size_t>(f)] != 0;
}

} // namespace

GraphRefusal PaintGraph(DataSet& data, CSettings& settings, const GraphRequest& request, ValueSurface& surface,
                        DrawContext& dc)
{
    const PixelRect& r = request.rect;
    if (!UsableRect(r))
        return GraphRefusal::BadRectangle;
    if (request.kind == GraphKind::Progress)
        return data.PaintProgress(&dc, r.left, r.top, r.right, r.bottom) ? GraphRefusal::None
                                                                         : GraphRefusal::TooFewReadings;
    if ((request.kind == GraphKind::Map || request.kind == GraphKind::ProfileCurve) &&
        !FrequencyUsed(settings, request.frequency))
        return GraphRefusal::FrequencyNotUsed;
    if (request.kind == GraphKind::InvertedSection && (!request.inverted || !*request.inverted || !request.depth))
        return GraphRefusal::TooFewReadings;
    if (auto* track = AsTrack(data))
        return RefusalOf(PaintTrack(*track, settings, request, surface, dc));
    if (auto* survey = AsSurvey(data))
        return RefusalOf(PaintSurvey(*survey, settings, request, surface, dc));
    return GraphRefusal::TooFewReadings;
}

int32_t PageFrequencyNumber(const CSettings& settings)
{
    const int32_t setting = settings.mapFrequencyNumber;
    // A setting outside 1..14 still names a start: the walk wraps it into range.
    const int32_t start = ((setting - 1) % kFrequencyCount + kFrequencyCount) % kFrequencyCount;
    for (int32_t k = 0; k < kFrequencyCount; ++k) {
        const int32_t f = (start + k) % kFrequencyCount;
        if (settings.usedFrequencies[static_cast<size_t>(f)] != 0)
            return f + 1;
    }
    return setting;
}
