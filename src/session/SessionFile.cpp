#include "session/SessionFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unistd.h>

#include "platform/CodePage.h"
#include "settings/CSettings.h"
#include "survey/ByteStream.h"
#include "survey/SessionLayout.h"
#include "survey/ByteReader.h"
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

std::string ParseSurveyBody(ByteReader& file, SessionImage& image, const ReadingVisitor& visit,
                            CutShortFile cutShort)
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
    const std::string shorter = "the file is shorter than its " + std::to_string(count) + " records";
    image.announced = uint32_t(count);
    image.intact = uint32_t(std::min<uint64_t>(count, file.Remaining() / MeasurementRecord::kSize));
    if (image.intact < count && cutShort == CutShortFile::Refuse)
        return shorter;
    if (!visit) {
        // A file read from disk can still end early: it may have shrunk since it was opened.
        if (!file.AppendRecords(image.records, image.intact))
            return shorter;
        image.records.resize(size_t(count)); // the stations past a cut are unmeasured
        return {};
    }
    MeasurementRecord record;
    for (uint64_t k = 0; k < image.intact; ++k) {
        if (!file.Bytes(record.bytes.data(), MeasurementRecord::kSize))
            return shorter;
        visit(record, GpsFix{});
    }
    return {};
}

} // namespace

std::string ParseSession(std::string_view bytes, SessionImage& image)
{
    ByteReader file(bytes);
    return ParseSession(file, image);
}

std::string ParseSession(ByteReader& file, SessionImage& image, const ReadingVisitor& visit,
                         CutShortFile cutShort)
{
    image = SessionImage{}; // records are appended: nothing of an earlier parse may stay
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
    return image.track ? ParseTrackBody(file, image, visit, cutShort) : ParseSurveyBody(file, image, visit, cutShort);
}

ReadSessionResult ReadSessionFile(const std::string& path, SessionImage& image, const ReadingVisitor& visit,
                                  CutShortFile cutShort)
{
    ReadSessionResult result;
    int fd = -1;
    size_t size = 0;
    const platform::FileResult opened = platform::OpenRegularFile(path, session::kMaxFileSize, fd, size);
    if (!opened.ok) {
        result.unreadable = true;
        result.error = opened.error;
        result.failure = opened.failure;
        result.errorNumber = opened.errorNumber;
        return result;
    }
    ByteReader file(fd, size);
    const std::string problem = ParseSession(file, image, visit, cutShort);
    ::close(fd);
    if (file.ReadError() != 0) {
        result.unreadable = true;
        result.error = platform::FailureText("Cannot read", path, file.ReadError());
        result.failure = platform::FileFailure::Read;
        result.errorNumber = file.ReadError();
        return result;
    }
    result.cutShort = image.intact < image.announced;
    result.track = image.track;
    result.announced = image.announced;
    result.intact = image.intact;
    if (!problem.empty())
        result.error = path + ": " + problem;
    return result;
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

OpenSessionResult OpenSession(const std::string& path, CSettings& settings, CutShortFile cutShort)
{
    OpenSessionResult result;
    SessionImage image;
    static_cast<ReadSessionResult&>(result) = ReadSessionFile(path, image, {}, cutShort);
    if (!result.error.empty())
        return result;
    result.dataSet = ApplySession(std::move(image), settings);
    // What is on the screen is no longer what the file holds.
    if (result.cutShort)
        result.dataSet->SetModified(true);
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
