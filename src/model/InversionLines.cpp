#include "model/InversionLines.h"

#include "survey/SurveyDataSet.h"

namespace {

// Stations per profile: the grid's, or the records of an open-ended profile.
size_t ProfileWidth(const SurveyDataSet& survey)
{
    return survey.XSize() != 0 ? survey.XSize() : survey.RecordCount();
}

} // namespace

std::vector<size_t> ProfileLine(const SurveyDataSet& survey, uint32_t p)
{
    std::vector<size_t> line;
    const size_t width = ProfileWidth(survey);
    if (p >= survey.YSize())
        return line;
    line.reserve(width);
    for (size_t s = 0; s < width; ++s)
        line.push_back(survey.IndexOf(p, uint32_t(s)));
    return line;
}

std::vector<std::vector<size_t>> SessionLines(const DataSet& data, uint32_t first)
{
    std::vector<std::vector<size_t>> lines;
    if (const SurveyDataSet* survey = AsSurvey(data)) {
        if (first < survey->YSize())
            lines.push_back(ProfileLine(*survey, first));
        for (uint32_t p = 0; p < survey->YSize(); ++p)
            if (p != first)
                lines.push_back(ProfileLine(*survey, p));
        return lines;
    }
    std::vector<size_t> track(data.RecordCount());
    for (size_t k = 0; k < track.size(); ++k)
        track[k] = k;
    lines.push_back(std::move(track));
    return lines;
}

std::optional<size_t> WalkedBefore(const DataSet& data, size_t slot)
{
    // Records are stored in walking order: the one before on the same profile comes first.
    if (slot == 0)
        return std::nullopt;
    if (const SurveyDataSet* survey = AsSurvey(data)) {
        const size_t width = ProfileWidth(*survey);
        if (width == 0 || slot % width == 0)
            return std::nullopt;
    }
    return slot - 1;
}
