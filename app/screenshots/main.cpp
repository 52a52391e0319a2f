// Grabs every page of the window program at the hand-held's size and a laptop's, offscreen, over
// a map survey and a GPS track taken through the simulators: lurcontrol_screenshots DIR
#include <QApplication>
#include <QDir>
#include <QAbstractButton>
#include <QKeyEvent>
#include <QThread>
#include <optional>
#include <cstdio>

#include "acquisition/AcquisitionEngine.h"
#include "graphics/SurfacePainter.h"
#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "platform/ConfigDirectory.h"
#include "settings/CSettings.h"
#include "session/WorkSession.h"
#include "survey/DataSet.h"
#include "ui/CLurControlSheet.h"
#include "ui/CPropertyPageBase.h"
#include "ui/QtMessagePoster.h"
#include "ui/SheetEvents.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/CPropertyPageS1.h"
#include "ui/WindowAcquisition.h"
#include "instrument/GpsReaderControl.h"
#include "model/BackgroundInversion.h"
#include "ui/CPropertyPageW1.h"
#include "ui/WindowInversion.h"
#include "instrument/PortMap.h"
#include "sim/SimulatedField.h"

namespace {

constexpr int kInversionSwitch = 2031;

class SilentPrompter final : public platform::Prompter {
public:
    platform::PromptAnswer Ask(const std::string&, const std::string&, platform::PromptButtons,
                               platform::PromptIcon) override
    {
        return platform::PromptAnswer::No;
    }
};

void GrabAll(CLurControlSheet& sheet, const QString& dir, const QString& state, QSize size)
{
    sheet.resize(size);
    for (int i = 0; i < sheet.PageCount(); ++i) {
        sheet.SetActivePage(i);
        QApplication::processEvents();
        sheet.Page(i)->repaint();
        const QString name = QString("%1/%2-%3-%4x%5.png").arg(dir, state).arg(i + 1).arg(size.width()).arg(size.height());
        sheet.grab().save(name);
        std::printf("%s\n", qPrintable(name));
    }
}

void Pause(int ms)
{
    for (int wait = 0; wait < ms / 10; ++wait) {
        QThread::msleep(10);
        QApplication::processEvents();
    }
}

// Takes readings as the operator does: Start, once the last one is drawn.
void TakeReadings(MeasurementPage& page, AcquisitionEngine& engine, int count, SimulatedField* follow)
{
    for (int k = 0; k < count; ++k) {
        if (follow != nullptr) {
            // The operator walks on between readings; the instrument reads the ground below.
            for (int wait = 0; wait < 10; ++wait) {
                QThread::msleep(10);
                QApplication::processEvents();
            }
            follow->PlaceInstrumentAtReceiver();
        }
        page.repaint();
        page.StartAction();
        while (engine.ExchangeRunning())
            Pause(10);
    }
    // Let the flash of a profile-start beep pass before the picture is taken.
    Pause(2 * MeasurementPage::kFlashMs);
}

// "Инверсия" switched on, and the graph after the section once every station is back.
void GrabInvertedSection(CLurControlSheet& sheet, const QString& dir, QSize size)
{
    sheet.SetActivePage(0);
    sheet.PageW1().Layout().Get<QAbstractButton>(kInversionSwitch)->click();
    sheet.SetActivePage(2);
    CPropertyPageView1& view = sheet.PageView1();
    const auto key = [&](Qt::Key k) {
        view.repaint();
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(&sheet, &press);
        view.repaint();
    };
    key(Qt::Key_Down); // onto the last whole profile
    const auto waitForInversions = [&] {
        for (int wait = 0; wait < 3000 && view.Inversion() != nullptr; wait += 50) {
            const BackgroundInversion& results = view.Inversion()->Results();
            if (results.Done() == results.Asked())
                break;
            Pause(50);
        }
    };
    waitForInversions();
    key(Qt::Key_Return);
    for (int k = 0; k < 6 && view.ShownGraph() != MeasurementPage::kSectionGraph; ++k)
        key(Qt::Key_Return);
    key(Qt::Key_Return);
    waitForInversions();
    Pause(2 * MeasurementPage::kInversionShowMs);
    view.repaint();
    const QString name = QString("%1/map-inversion-%2x%3.png").arg(dir).arg(size.width()).arg(size.height());
    sheet.grab().save(name);
    std::printf("%s\n", qPrintable(name));
    sheet.SetActivePage(0);
    sheet.PageW1().Layout().Get<QAbstractButton>(kInversionSwitch)->click(); // off again for the track
    sheet.SetActivePage(2);
}

std::unique_ptr<SimulatedField> StartField(const InstrumentOptions& instrument, std::optional<GpsSimulatorOptions> gps,
                                           PortMap& ports)
{
    auto field = std::make_unique<SimulatedField>(instrument, gps);
    std::string error;
    if (!field->Start(error)) {
        std::fprintf(stderr, "ui_screenshots: %s\n", error.c_str());
        std::exit(1);
    }
    const CSettings& settings = CSettings::Instance();
    ports.SetOverride(static_cast<unsigned>(settings.btInboundPort), field->InstrumentPath());
    if (gps)
        ports.SetOverride(static_cast<unsigned>(settings.btOutboundPort), field->GpsPath());
    return field;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString dir = argc > 1 ? argv[1] : "docs/screenshots";
    QDir().mkpath(dir);
    const std::string work = QDir::tempPath().toStdString() + "/lurcontrol-screenshots";
    QDir(QString::fromStdString(work)).removeRecursively();
    platform::SetConfigDirectoryOverride(work);
    InstallSurfacePainters();
    SilentPrompter prompter;
    CSettings& settings = CSettings::Instance();
    CNmeaParser parser;
    QtMessagePoster poster;
    CGpsPositionService positions(poster);
    GpsClockOffset clockOffset;
    GpsReaderControl reader(parser, positions, clockOffset, prompter);
    PortMap ports;
    WindowAcquisition acquisition(settings, ports, reader);
    std::string error;
    if (!acquisition.Start(error)) {
        std::fprintf(stderr, "ui_screenshots: %s\n", error.c_str());
        return 1;
    }
    AcquisitionEngine& engine = acquisition.Engine();
    PageServices services{settings, prompter, engine, parser, positions, nullptr, work + "/journal"};
    for (QSize size : {QSize(240, 320), QSize(1280, 800)}) {
        CLurControlSheet sheet(services);
        sheet.resize(size);
        sheet.show();
        GrabAll(sheet, dir, "setup", size);

        // A map of 10 x 5 stations 1 m apart over the simulated pipe and block.
        settings.workType = kWorkMap;
        settings.xSize = 10;
        settings.ySize = 5;
        settings.xStep = settings.yStep = 1;
        InstrumentOptions ground;
        ground.walk = {10, 1.0, 1.0};
        ground.ground = ground.ground.PlacedIn(9, 4);
        auto field = StartField(ground, std::nullopt, ports);
        SheetEvent begin(UM_BEGIN_WORK);
        sheet.PageS1().OnSetActive(); // as if chosen there
        QCoreApplication::sendEvent(&sheet, &begin);
        TakeReadings(sheet.PageView1(), engine, 33, nullptr);
        GrabAll(sheet, dir, "map", size);
        GrabInvertedSection(sheet, dir, size);
        sheet.OnNew();
        engine.Disconnect();
        while (engine.ExchangeRunning())
            Pause(10);

        // A track walked along the simulated survey lines.
        GpsSimulatorOptions gps;
        gps.rateHz = 10;
        gps.timeFactor = 30;
        field = StartField(InstrumentOptions{}, gps, ports);
        settings.workType = kWorkGpsTrack;
        sheet.PageS1().OnSetActive();
        QCoreApplication::sendEvent(&sheet, &begin);
        TakeReadings(sheet.PageView2(), engine, 60, field.get());
        GrabAll(sheet, dir, "track", size);
        sheet.OnNew();
        engine.Disconnect();
        while (engine.ExchangeRunning())
            Pause(10);
        ports.ClearOverrides();
    }
    return 0;
}
