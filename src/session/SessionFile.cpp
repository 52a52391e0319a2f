#include "session/SessionFile.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "platform/CodePage.h"
#include "settings/CSettings.h"
#include "survey/ByteStream.h"
#include "survey/SessionLayout.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackBody.h"
#include "track/TrackDataSet.h"

namespace {

std::string ReadText(ByteReader& file)
{
    char field[session::kTextFieldSize] = {};
    file.Bytes(field, sizeof field);
    return platform::Cp1251ToUtf8(std::string_view(field + 1, uint8_t(field[0])));
}

bool FitsFloat(double v) { return std::isfinite(v) && std::fabs(v) <= double(std::numeric_limits<float>::max()); }

std::string ParseSurveyBody(ByteReader& file, SessionImage& image)
{
    image.extra1 = int32_t(file.U32());
    image.extra2 = int32_t(file.U32());
    image.x = file.U32();
    image.y = file.U32();
    image.xStep = file.F64();
    image.yStep = file.F64();
    image.openProfileFlag = file.U32();
    const uint32_t recordsOffset = file.U32();
    if (!file.Ok())
        return "the survey body is cut short";
    if (!FitsFloat(image.xStep) || !FitsFloat(image.yStep))
        return "the grid steps are not numbers";
    const uint64_t count = uint64_t(image.x) * image.y;
    if (image.y == 0 || image.x > DataSet::kMaxRecords || image.y > DataSet::kMaxRecords ||
        count > DataSet::kMaxRecords || (image.x == 0 && (image.openProfileFlag & 1) == 0))
        return "the grid size is impossible";
    if (!file.Seek(recordsOffset))
        return "the records offset lies past the end of the file";
    if (count * MeasurementRecord::kSize > file.Remaining())
        return "the file is shorter than its " + std::to_string(count) + " records";
    image.records.resize(size_t(count));
    // The records lie back to back, as they do in memory: one copy.
    static_assert(std::is_trivially_copyable_v<MeasurementRecord>);
    if (!image.records.empty()) // an empty vector's data() may be null, which memcpy must not see
        file.Bytes(image.records.data(), image.records.size() * MeasurementRecord::kSize);
    return {};
}

} // namespace

std::string ParseSession(std::string_view bytes, SessionImage& image)
{
    ByteReader file(bytes);
    char magic[4] = {};
    if (!file.Bytes(magic, 4) || std::string_view(magic, 4) != std::string_view(session::kMagic, 4))
        return "not a session file";
    file.U16();
    file.U16();
    for (std::string& text : image.texts)
        text = ReadText(file);
    image.key.day = file.U8();
    image.key.month = file.U8();
    image.key.year = file.U16();
    image.key.serial = file.U16();
    const uint16_t kind = file.U16();
    const uint32_t bodyOffset = file.U32();
    if (!file.Ok())
        return "the session header is cut short";
    if (!file.Seek(bodyOffset))
        return "the body offset lies past the end of the file";
    image.track = (kind & 1) != 0;
    return image.track ? ParseTrackBody(file, image) : ParseSurveyBody(file, image);
}

std::unique_ptr<DataSet> ApplySession(SessionImage image, CSettings& settings)
{
    settings.headerText1 = std::move(image.texts[0]);
    settings.headerText2 = std::move(image.texts[1]);
    settings.headerText3 = std::move(image.texts[2]);
    settings.InstallSet(image.key);
    if (image.track)
        return TrackDataSet::LoadTrackBody(std::move(image), settings);
    return SurveyDataSet::LoadSurveyBody(std::move(image), settings);
}

OpenSessionResult OpenSession(const std::string& path, CSettings& settings)
{
    OpenSessionResult result;
    std::string bytes;
    const platform::FileResult read = platform::ReadWholeFile(path, session::kMaxFileSize, bytes);
    if (!read.ok) {
        result.unreadable = true;
        result.error = read.error;
        return result;
    }
    SessionImage image;
    const std::string problem = ParseSession(bytes, image);
    if (!problem.empty()) {
        result.error = path + ": " + problem;
        return result;
    }
    bytes = std::string(); // the records now live in the image
    result.dataSet = ApplySession(std::move(image), settings);
    return result;
}

platform::FileResult SaveSession(DataSet& dataSet, const std::string& path)
{
    ByteWriter file;
    dataSet.Serialize(file, false);
    platform::FileResult result = platform::WriteFileAtomically(path, file.Data());
    if (result.ok) {
        dataSet.SetModified(false);
        dataSet.SetName(path);
        // The file now holds every reading; the next one starts a new journal.
        if (DataSetJournal* journal = dataSet.Journal())
            journal->Discard();
    }
    return result;
}
