#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "export/ExportFormat.h"
#include "settings/CSettings.h"
#include "ui/ExportTexts.h"
#include "ui/ScriptedPrompter.h"

namespace {

// Product and standard names the texts may carry in Latin letters.
const std::set<std::string> kNames{"GeoTIFF", "GeoPackage", "GeoJSON", "KML",  "GPX", "Shapefile", "ESRI", "ASCII",
                                   "Surfer",  "CSV",        "WKT",     "UTM",  "GDAL", "GPS",      "WGS"};

// The Latin words of a text outside «» that are not names, paths included: an export's
// texts name their files in «».
std::string ForeignWords(const std::string& text)
{
    return testing_support::NotTheOperatorsWords(text, kNames, true);
}

constexpr ExportProblem kLastProblem = ExportProblem::GdalFailed;

ExportResult Failed(ExportProblem problem)
{
    ExportResult result;
    ExportFailure& failure = result.failure;
    failure.problem = problem;
    failure.file = problem == ExportProblem::NoFileName ? "/data/Профиль 3/" : "/data/Профиль 3/карта.tif";
    failure.errorNumber = ENOSPC;
    failure.frequency = 5;
    failure.kHz = 6.945;
    failure.readings = 12;
    failure.columns = 38001;
    failure.rows = 15001;
    failure.bands = 14;
    failure.gigabytes = 31.9;
    for (size_t k = 0; k < 12; ++k)
        result.leftOut.unpositioned.push_back(k);
    return result;
}

} // namespace

// Every failure is worded in Russian (names apart), names the operator's file and no
// staging one, and each problem has words of its own.
TEST(ExportTextsTest, EveryFailureIsToldInRussianNamingTheOperatorsFile)
{
    std::set<std::string> texts;
    for (int p = int(ExportProblem::None) + 1; p <= int(kLastProblem); ++p) {
        const ExportProblem problem = ExportProblem(p);
        const std::string text = ExportFailureText(Failed(problem));
        EXPECT_EQ(ForeignWords(text), "") << p << ": " << text;
        const std::string named = problem == ExportProblem::NoFileName ? "«/data/Профиль 3/»" : "«карта.tif»";
        EXPECT_NE(text.find(named), std::string::npos) << p << ": " << text;
        EXPECT_EQ(text.find(".tmp"), std::string::npos) << text;
        EXPECT_EQ(text.find(".export"), std::string::npos) << text;
        EXPECT_EQ(text.find("Причина неизвестна"), std::string::npos) << p << ": " << text;
        EXPECT_TRUE(texts.insert(text).second) << p << " says what another problem says: " << text;
    }
}

TEST(ExportTextsTest, FailuresSayTheReasonInWords)
{
    struct Case {
        ExportProblem problem;
        int errorNumber;
        const char* text;
    };
    const Case cases[] = {
        {ExportProblem::CannotWrite, ENOSPC, "Не удалось записать «карта.tif»: нет места на диске."},
        {ExportProblem::CannotCreate, EACCES,
         "Не удалось создать «карта.tif»: нет прав на запись в папку «/data/Профиль 3»."},
        {ExportProblem::CannotReplace, EROFS, "Не удалось заменить «карта.tif»: диск защищён от записи."},
        {ExportProblem::CannotWrite, 0, "Не удалось записать «карта.tif»: причина неизвестна."},
        {ExportProblem::GdalFailed, EIO, "GDAL не смог записать «карта.tif»."},
        {ExportProblem::MapTooFewProfiles, 0,
         "Файл «карта.tif» не записан.\nДля карты нужно хотя бы 2 полных профиля по 2 станции."},
        {ExportProblem::FrequencyNotUsed, 0,
         "Файл «карта.tif» не записан.\nЧастота 5 (6.945 кГц) в этой сессии не использовалась."},
        {ExportProblem::GridTooLarge, 0,
         "Файл «карта.tif» не записан.\nСетка вышла бы 38001 × 15001 ячеек, частот: 14 (31.9 ГБ), а можно не больше "
         "10000 × 10000 ячеек и 2 ГБ.\nВыберите ячейку крупнее."},
        {ExportProblem::ReadingsLeftOut, 0,
         "Файл «карта.tif» не записан.\nИзмерений без координат GPS: 12 (0, 1, 2, 3, 4, 5, 6, 7, 8, 9 и ещё 2)."},
        {ExportProblem::NoReadingExportable, 0,
         "Файл «карта.tif» не записан.\nНи одно из 12 измерений нельзя записать: у них нет координат GPS или "
         "экспортируемых частот."},
    };
    for (const Case& c : cases) {
        ExportResult result = Failed(c.problem);
        result.failure.errorNumber = c.errorNumber;
        EXPECT_EQ(ExportFailureText(result), c.text);
    }
    ExportResult kept = Failed(ExportProblem::CannotReplace);
    kept.failure.file = "/data/Профиль 3/карта.shx";
    kept.failure.errorNumber = EBUSY;
    kept.failure.earlierKeptAside = true;
    EXPECT_EQ(ExportFailureText(kept), "Не удалось заменить «карта.shx»: занято другой программой.\nПрежние файлы не "
                                       "удалось вернуть на место: они сохранены в папке рядом с «карта.shx».");
}

// The questions, hints and summary of an export, and the formats as the file dialog and the
// questions name them, are Russian too.
TEST(ExportTextsTest, QuestionsSummaryAndFormatNamesAreRussian)
{
    ExportResult written;
    written.ok = true;
    written.files = {"/data/карта.tif"};
    written.readings = 40;
    written.bands = 14;
    written.provenance = {{"crs", "WGS 84 / UTM zone 37N"}, {"cell_m", "0.25 x 0.5"}, {"radius_m", "2"}};
    written.leftOut.unpositioned = {1, 2};
    const ExportFormatInfo tiff = *FindExportFormat(kWorkGpsTrack, "tif");
    const std::string summary = ExportSummary(written, tiff);
    EXPECT_EQ(summary, "Записано (сетка GeoTIFF):\n/data/карта.tif\n\nИзмерений: 40, частот: 14\nЯчейка: 0.25 × 0.5 м, "
                       "радиус: 2 м\nСистема координат: WGS 84 / UTM, зона 37, северное полушарие\nБез координат: 2");
    written.provenance = {{"crs", "WGS 84 / UTM zone 19S"}};
    EXPECT_NE(ExportSummary(written, tiff).find("WGS 84 / UTM, зона 19, южное полушарие"), std::string::npos);
    written.provenance = {{"crs", "none: metres, x along the profiles from station 0, y across from profile 0"}};
    EXPECT_NE(ExportSummary(written, tiff).find("Система координат: метры съёмки от станции 0 профиля 0"),
              std::string::npos);

    const ExportFormatInfo surfer = *FindExportFormat(kWorkMap, "grd");
    // The files listed first are the operator's names.
    const auto afterFiles = [](const std::string& text) { return text.substr(text.find("\n\n")); };
    std::vector<std::string> texts = {
        afterFiles(summary),
        afterFiles(ExportSummary(written, tiff)),
        FormatQuestion("/data/карта.tif", tiff, surfer),
        ReplaceQuestion("/data/карта.tif"),
        LeftOutQuestion(Failed(ExportProblem::ReadingsLeftOut).leftOut),
        SurveyCellHint(0.5),
        kTrackCellHint,
        kTrackRadiusHint,
    };
    for (int32_t workType : {kWorkMap, kWorkLimitedProfile, kWorkProfile, kWorkGpsTrack})
        for (const ExportFormatInfo& format : ExportFormatsFor(workType)) {
            texts.push_back(format.title);
            // The pattern "(*.tif)" is the file's, not a word.
            texts.push_back(format.filter.substr(0, format.filter.find(" (*.")));
        }
    for (const std::string& text : texts)
        EXPECT_EQ(ForeignWords(text), "") << text;
    EXPECT_EQ(SurveyCellHint(0.5), "по умолчанию 0.5 м (четверть шага)");
    EXPECT_EQ(LeftOutQuestion(Failed(ExportProblem::ReadingsLeftOut).leftOut),
              "Измерений без координат GPS: 12 (0, 1, 2, 3, 4, 5, 6, 7, 8, 9 и ещё 2).\nЗаписать файл без них?");
}
