#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "session/WorkSession.h"
#include "support/ScriptedSource.h"
#include "support/SyntheticGround.h"
#include "track/TrackDataSet.h"
#include "ui/ExportDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SessionExportCommand.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"

using platform::PromptAnswer;
using testing_support::SheetTest;

namespace {

class SessionExportTest : public SheetTest {
protected:
    std::vector<std::filesystem::path> Files() const
    {
        return {std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()};
    }
    std::string Head(const std::string& file, size_t n) { return testing_support::ReadFile(dir.File(file)).substr(0, n); }
};

} // namespace

// The filter chosen is the format; a typed extension of another format asks which one is
// meant; the final name is the one checked before replacing; success says what was written.
TEST_F(SessionExportTest, TheFilterChosenIsTheFormatAndTheFinalNameIsCheckedBeforeReplacing)
{
    BeginMapWithReadings(12);
    const std::string written = "Записано (сетка ESRI ASCII):\n" + dir.File("grid.asc") + "\n";
    prompter.ExpectSaveFile(dir.File("grid"), 1); // the second filter: ESRI ASCII
    prompter.ExpectExportOptions(platform::ExportOptionsAnswer{});
    prompter.ExpectMessageStart(written);
    Sheet().OnExport();
    EXPECT_EQ(platform::PromptIcon::Information, prompter.lastIcon);
    EXPECT_EQ("ncols", Head("grid.asc", 5));
    EXPECT_TRUE(prompter.lastExportRequest.grid);
    EXPECT_FALSE(prompter.lastExportRequest.radius);
    EXPECT_NE(std::string::npos, prompter.lastFileChoice.filter.find("Сетка Surfer (*.grd)"));
    EXPECT_TRUE(Sheet().Data()->Modified()); // exporting is not saving

    // The same name again: asked about, and kept when the operator says no.
    const std::string earlier = testing_support::ReadFile(dir.File("grid.asc"));
    prompter.ExpectSaveFile(dir.File("grid"), 1);
    prompter.ExpectMessage("Файл «grid.asc» уже существует.\nЗаменить его?", PromptAnswer::No);
    Sheet().OnExport();
    EXPECT_EQ(earlier, testing_support::ReadFile(dir.File("grid.asc")));

    // "map.tif" with the Surfer filter: the GeoTIFF when meant, else a Surfer grid named so.
    const std::string which = "Имя «map.tif» — файл формата «сетка GeoTIFF», а выбран формат «сетка Surfer».\n"
                              "Записать в формате «сетка GeoTIFF»? («Нет» — в формате «сетка Surfer», файл "
                              "«map.tif.grd».)";
    prompter.ExpectSaveFile(dir.File("map.tif"), 2);
    prompter.ExpectMessage(which, PromptAnswer::Yes);
    platform::ExportOptionsAnswer cell;
    cell.cellMetres = 0.5;
    prompter.ExpectExportOptions(cell);
    prompter.ExpectMessageStart("Записано (сетка GeoTIFF):\n" + dir.File("map.tif") + "\n\nИзмерений: 12, частот: 14\n"
                                "Ячейка: 0.5 м\nСистема координат: метры съёмки");
    Sheet().OnExport();
    EXPECT_EQ("II*", Head("map.tif", 3));
    prompter.ExpectSaveFile(dir.File("map.tif"), 2);
    prompter.ExpectMessage(which, PromptAnswer::No);
    prompter.ExpectExportOptions(platform::ExportOptionsAnswer{});
    prompter.ExpectMessageStart("Записано (сетка Surfer):\n" + dir.File("map.tif.grd") + "\n");
    Sheet().OnExport();
    EXPECT_EQ("DSBB", Head("map.tif.grd", 4));

    // Cancelling any dialog writes nothing; a refused export says why.
    prompter.ExpectSaveCancelled();
    Sheet().OnExport();
    prompter.ExpectSaveFile(dir.File("cancelled"), 0);
    prompter.ExpectExportOptions(std::nullopt);
    Sheet().OnExport();
    EXPECT_FALSE(std::filesystem::exists(dir.File("cancelled.tif")));
    platform::ExportOptionsAnswer tiny;
    tiny.cellMetres = 1e-5;
    prompter.ExpectSaveFile(dir.File("huge.tif"), 0);
    prompter.ExpectExportOptions(tiny);
    prompter.ExpectMessageStart("Файл «huge.tif» не записан.\nСетка вышла бы ");
    Sheet().OnExport();
    EXPECT_EQ(platform::PromptIcon::Error, prompter.lastIcon);
    EXPECT_FALSE(std::filesystem::exists(dir.File("huge.tif")));
}

// Readings without a position are named and written only when the operator agrees, or kept
// without a geometry when asked for.
TEST_F(SessionExportTest, ReadingsWithoutAPositionAreWrittenOnlyWhenTheOperatorAgrees)
{
    Settings().workType = kWorkGpsTrack;
    SessionImage image;
    image.track = true;
    for (uint32_t k = 0; k < 8; ++k) {
        image.records.push_back(testing_support::GroundRecord(k, 0, k));
        image.fixes.push_back(k % 3 == 0 ? GpsFix{} : GpsFix{55.0 + k * 1e-5, 37.0 + (k % 2) * 1e-5, 0});
    }
    auto data = TrackDataSet::LoadTrackBody(image, Settings());
    const std::string question = "Измерений без координат GPS: 3 (0, 3, 6).\nЗаписать файл без них?";
    for (const PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        prompter.ExpectSaveFile(dir.File("t"), 0);
        prompter.ExpectExportOptions(platform::ExportOptionsAnswer{});
        prompter.ExpectMessage(question, answer);
        if (answer == PromptAnswer::Yes)
            prompter.ExpectMessageStart("Записано (GeoPackage):\n" + dir.File("t.gpkg") + "\n\nИзмерений: 5, частот: 14\n"
                                        "Система координат: WGS 84 (EPSG:4326)\nБез координат: 3");
        ExportCurrentSession(*data, Settings(), prompter);
        EXPECT_EQ(answer == PromptAnswer::Yes, std::filesystem::exists(dir.File("t.gpkg")));
        EXPECT_TRUE(prompter.lastExportRequest.keepUnlocated);
        EXPECT_FALSE(prompter.lastExportRequest.grid);
    }
    platform::ExportOptionsAnswer keep;
    keep.keepUnlocated = true;
    prompter.ExpectSaveFile(dir.File("k.csv"), 5);
    prompter.ExpectExportOptions(keep);
    prompter.ExpectMessageStart("Записано (CSV с точками WKT):\n" + dir.File("k.csv") + "\n");
    ExportCurrentSession(*data, Settings(), prompter);
    EXPECT_TRUE(std::filesystem::exists(dir.File("k.csv.txt"))) << "the provenance beside the CSV file";
    const std::string csv = testing_support::ReadFile(dir.File("k.csv"));
    EXPECT_EQ(9, std::count(csv.begin(), csv.end(), '\n')) << "a header and all 8 readings";
}

// The options dialog as the operator uses it: lengths typed with a comma or a point, OK
// only while they are lengths, the box ticked; QtPrompter returns what was entered.
TEST_F(SessionExportTest, TheOptionsDialogTakesWhatIsTypedIntoItsFields)
{
    platform::ExportOptionsRequest request;
    request.grid = request.radius = request.keepUnlocated = true;
    request.cellHint = "по умолчанию четверть радиуса";
    ExportDialog dialog(request, nullptr);
    dialog.show();
    QPushButton* ok = dialog.Buttons()->button(QDialogButtonBox::Ok);
    EXPECT_EQ("по умолчанию четверть радиуса", dialog.CellEdit()->placeholderText().toStdString());
    EXPECT_FALSE(dialog.Answer().cellMetres) << "empty: the default";
    QTest::keyClicks(dialog.CellEdit(), "0,5");
    QTest::keyClicks(dialog.RadiusEdit(), "abc");
    EXPECT_FALSE(ok->isEnabled());
    dialog.RadiusEdit()->clear();
    QTest::keyClicks(dialog.RadiusEdit(), "-3");
    EXPECT_FALSE(ok->isEnabled());
    dialog.RadiusEdit()->clear();
    QTest::keyClicks(dialog.RadiusEdit(), "12.5");
    EXPECT_TRUE(ok->isEnabled());
    QTest::mouseClick(dialog.KeepBox(), Qt::LeftButton);
    const platform::ExportOptionsAnswer answer = dialog.Answer();
    EXPECT_EQ(0.5, answer.cellMetres);
    EXPECT_EQ(12.5, answer.radiusMetres);
    EXPECT_TRUE(answer.keepUnlocated);

    QtPrompter qtPrompter;
    request.keepUnlocated = false;
    QTimer::singleShot(0, [] {
        auto* shown = dynamic_cast<ExportDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->KeepBox(), nullptr);
        QTest::keyClicks(shown->CellEdit(), "2");
        QTest::mouseClick(shown->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    const auto chosen = qtPrompter.ChooseExportOptions(request);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(2.0, chosen->cellMetres);
    EXPECT_FALSE(chosen->radiusMetres);
}

// A failed export chosen from the menu tells the operator why in Russian, naming the file
// chosen: a map of one profile, and a disk that fills up (a file size limit stands in for it).
TEST_F(SessionExportTest, AFailedExportFromTheMenuSaysWhyInRussian)
{
    BeginMapWithReadings(4);
    QAction* exportAction = Sheet().ExportAction();
    prompter.ExpectSaveFile(dir.File("one.tif"), 0);
    prompter.ExpectExportOptions(platform::ExportOptionsAnswer{});
    prompter.ExpectMessage("Файл «one.tif» не записан.\nДля карты нужно хотя бы 2 полных профиля по 2 станции.");
    exportAction->trigger();
    EXPECT_EQ(platform::PromptIcon::Error, prompter.lastIcon);
    EXPECT_FALSE(std::filesystem::exists(dir.File("one.tif")));

    ScriptedSource source;
    for (int i = 4; i < 12; ++i)
        ASSERT_EQ(MeasureOutcome::Stored, source.Measure(*Sheet().Work()));
    const std::vector<std::filesystem::path> before = Files();
    prompter.ExpectSaveFile(dir.File("map.tif"), 0);
    prompter.ExpectExportOptions(platform::ExportOptionsAnswer{});
    prompter.ExpectMessage("Не удалось записать «map.tif»: файл больше, чем разрешено.");
    WithFileSizeLimit(2000, [&] { exportAction->trigger(); });
    EXPECT_EQ(platform::PromptIcon::Error, prompter.lastIcon);
    EXPECT_EQ(before, Files()) << "nothing written, no staging place left";
}
