// Grabs every page of the window program at the hand-held's size and a laptop's, offscreen,
// over a small simulated-looking survey and track: build/default/tests/ui/ui_screenshots DIR
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "graphics/SurfacePainter.h"
#include "instrument/CInstrument.h"
#include "instrument/RadioLeftAlone.h"
#include "instrument/SettingsStoreLink.h"
#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "platform/ConfigDirectory.h"
#include "settings/CSettings.h"
#include "support/ScriptedSource.h"
#include "session/WorkSession.h"
#include "survey/DataSet.h"
#include "ui/CLurControlSheet.h"
#include "ui/CPropertyPageBase.h"
#include "ui/QtMessagePoster.h"
#include "ui/SheetEvents.h"

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString dir = argc > 1 ? argv[1] : "docs/screenshots";
    QDir().mkpath(dir);
    platform::SetConfigDirectoryOverride(QDir::tempPath().toStdString() + "/lurcontrol-screenshots");
    InstallSurfacePainters();
    SilentPrompter prompter;
    CSettings& settings = CSettings::Instance();
    CSerialPort instrumentPort, gpsPort;
    SettingsStoreLink link;
    CInstrument instrument{InstrumentLinks{instrumentPort, gpsPort, link,
                                           std::make_unique<CBluetoothControl>(std::make_unique<RadioLeftAlone>()),
                                           platform::SystemTicks(), nullptr}};
    CNmeaParser parser;
    QtMessagePoster poster;
    CGpsPositionService positions(poster);
    PageServices services{settings, prompter, instrument, parser, positions, nullptr,
                          QDir::tempPath().toStdString() + "/lurcontrol-screenshots/journal"};
    for (QSize size : {QSize(240, 320), QSize(1280, 800)}) {
        CLurControlSheet sheet(services);
        sheet.show();
        GrabAll(sheet, dir, "setup", size);
        settings.workType = kWorkMap;
        settings.xSize = 8;
        settings.ySize = 4;
        SheetEvent begin(UM_BEGIN_WORK);
        QCoreApplication::sendEvent(&sheet, &begin);
        ScriptedSource source;
        for (int i = 0; i < 19; ++i)
            sheet.Work()->Measure(source);
        GrabAll(sheet, dir, "map", size);
        sheet.OnNew();
        settings.workType = kWorkGpsTrack;
        QCoreApplication::sendEvent(&sheet, &begin);
        GrabAll(sheet, dir, "track", size);
        sheet.ReleaseData();
    }
    return 0;
}
