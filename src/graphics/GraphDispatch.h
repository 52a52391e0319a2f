#pragma once
#include <cstdint>
#include <functional>

#include "graphics/DrawContext.h"
#include "graphics/InvertedSection.h"
#include "graphics/PixelRect.h"
#include "graphics/ValueSurface.h"

class CSettings;
class DataSet;

// The graphs of the measurement pages. Progress is the data set's own view: the survey's
// station-progress grid or the track view, at the data set's current position.
// InvertedSection: the layered grounds inverted under the stations of the shown profile, or
// under the readings of the track.
enum class GraphKind { Map, Section, ProfileCurve, SoundingCurve, Progress, InvertedSection };

// The inverted result of the station at a slot (its record index), or null.
using InvertedResults = std::function<const InversionResult*(size_t slot)>;

// Where the page stands: a survey's profile and station, or a track's shown reading.
struct GraphPosition {
    uint32_t profile = 0;
    uint32_t station = 0;
    uint32_t reading = 0;
};

// One graph as a page asks for it; the frequency (index 0..13) is for maps and profile curves.
struct GraphRequest {
    GraphKind kind = GraphKind::Map;
    GraphPosition position;
    int frequency = 0;
    PixelRect rect;
    const InvertedResults* inverted = nullptr; // the inverted section's stations
    DepthScale* depth = nullptr;               // where the inverted section put its depths
};

// Why a graph was not painted.
enum class GraphRefusal {
    None,             // painted
    TooFewReadings,   // the readings around the position do not make this graph (yet)
    TooSmall,         // the rectangle holds no grid row at the pixel size
    BadRectangle,     // empty, or larger than any surface can be
    FrequencyNotUsed, // outside 0..13, or not among the used frequencies
    OutOfMemory,
};

// Paints the survey or track graph (after the data set's kind) into the rectangle of
// `surface`, recomputed from the records, the settings and the installed calibration; dc
// draws the labels and must draw into the surface. Maps and sections may fit the settings'
// chart ranges. UI thread only.
GraphRefusal PaintGraph(DataSet& data, CSettings& settings, const GraphRequest& request, ValueSurface& surface,
                        DrawContext& dc);

// The frequency number (1..14) a measurement page starts with: the first used frequency,
// walking cyclically up from the area-frequency setting; the setting itself when no
// frequency is used.
int32_t PageFrequencyNumber(const CSettings& settings);
