#include "CLurControlApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsClockOffset.h"
#include "graphics/SurfacePainter.h"
#include "instrument/BluetoothRadio.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/PortMap.h"
#include "instrument/RfkillBluetoothStack.h"
#include "settings/CSettings.h"
#include "sim/SimulatedField.h"
#include "ui/SheetTexts.h"
#include "ui/CLurControlSheet.h"
#include "ui/QtMessagePoster.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenFit.h"
#include "ui/WindowAcquisition.h"

namespace {

int gSignalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

// SIGTERM and SIGINT reach the event loop through a socket pair, where the sheet can end
// the program in its usual order. The signals go back to their defaults at destruction.
class TerminationWatch {
public:
    explicit TerminationWatch(CLurControlSheet& sheet)
    {
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        notifier_ = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &sheet, [&sheet] {
            char byte = 0;
            [[maybe_unused]] const ssize_t got = read(gSignalPipe[0], &byte, 1);
            sheet.Terminate();
        });
    }
    ~TerminationWatch()
    {
        if (!notifier_)
            return;
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        notifier_.reset();
        for (int& fd : gSignalPipe)
            ::close(std::exchange(fd, -1));
    }
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

void ReportSettingsProblems(const CSettings& settings, platform::Prompter& prompter)
{
    if (settings.Problems().empty())
        return;
    // The details are for `lurctl settings show`; the operator needs to know what it means.
    prompter.Ask(sheet_texts::SettingsNotRead(settings.Problems().size(), settings.SettingsFile()), "",
                 platform::PromptButtons::Ok, platform::PromptIcon::Warning);
}

// The simulators stand in for the configured ports for this run only.
std::unique_ptr<SimulatedField> StartSimulators(const AppOptions& options, const CSettings& settings, PortMap& ports,
                                                platform::Prompter& prompter)
{
    InstrumentOptions instrument;
    instrument.measurementDelayMs = options.simulatedDelayMs;
    GpsSimulatorOptions gps;
    gps.rateHz = 5;
    gps.timeFactor = 5;
    gps.lagSeconds = options.simulatedGpsLag;
    gps.antennaAheadMetres = options.simulatedAntennaAhead;
    gps.multiConstellation = options.simulatedMultiGnss;
    auto field = std::make_unique<SimulatedField>(instrument, gps);
    std::string error;
    if (!field->Start(error)) {
        prompter.Ask(sheet_texts::kSimulatorNotStarted, "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
        return nullptr;
    }
    ports.SetOverride(static_cast<unsigned>(settings.btInboundPort), field->InstrumentPath());
    ports.SetOverride(static_cast<unsigned>(settings.btOutboundPort), field->GpsPath());
    return field;
}

} // namespace

int CLurControlApp::Run(int& argc, char** argv, const AppOptions& options)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("LurControl");
    QApplication::setOrganizationName("Dalmar");
    InstallSurfacePainters();
    // Qt's own dialogs (files, colours) speak the program's language when its translation is there.
    QTranslator qtTranslation;
    if (qtTranslation.load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    QtPrompter prompter;
    CSettings& settings = CSettings::Instance();
    settings.calibrations.SetOverwriteQuestion([&prompter](const std::string& text, const std::string& caption) {
        switch (prompter.Ask(text, caption, platform::PromptButtons::YesNoCancel, platform::PromptIcon::Question)) {
        case platform::PromptAnswer::Yes:
            return OverwriteAnswer::Yes;
        case platform::PromptAnswer::No:
            return OverwriteAnswer::No;
        default:
            return OverwriteAnswer::Cancel;
        }
    });

    PortMap ports;
    ports.Load(settings.Registry());
    std::unique_ptr<SimulatedField> field;
    QTimer followReceiver;
    if (options.simulate) {
        field = StartSimulators(options, settings, ports, prompter);
        if (!field)
            return 1;
        // On a track the instrument reads the ground under the walking receiver.
        QObject::connect(&followReceiver, &QTimer::timeout, [&field] { field->PlaceInstrumentAtReceiver(); });
        followReceiver.start(200);
    }

    CNmeaParser parser;
    QtMessagePoster poster;
    CGpsPositionService positions(poster);
    GpsClockOffset clockOffset;
    GpsReaderControl reader(parser, positions, clockOffset, prompter);
    int exitCode = 0;
    {
        // Switched on now when it was off, and off again at the end.
        BluetoothRadio radio(std::make_unique<CBluetoothControl>(std::make_unique<RfkillBluetoothStack>()));
        WindowAcquisition acquisition(settings, ports, reader, &radio);
        std::string workerError;
        const bool workerStarted = acquisition.Start(workerError);
        CLurControlSheet sheet(
            PageServices{settings, prompter, acquisition.Engine(), parser, positions, nullptr, {}, &clockOffset});
        prompter.SetOwner(&sheet);
        const TerminationWatch terminationWatch(sheet);
        ShowFitted(sheet);
        // Inside the event loop, so that SIGTERM while a question is open still ends the program.
        QTimer::singleShot(0, &sheet, [&] {
            if (!workerStarted)
                prompter.Ask(sheet_texts::kNoExchangeThread, "", platform::PromptButtons::Ok,
                             platform::PromptIcon::Error);
            ReportSettingsProblems(settings, prompter);
            if (!sheet.ExitRequested())
                sheet.OfferRecovery();
        });
        exitCode = QApplication::exec();

        // Shutdown, in order: the data set (its journal kept), the GPS reader, the instrument
        // and its worker, the radio; then the calibration file and the settings (saved once,
        // here), then the pages.
        sheet.ReleaseData();
        reader.Stop();
        prompter.SetOwner(nullptr);
    }
    if (settings.calibrations.Modified() && !settings.calibrations.SaveFile())
        prompter.Ask(sheet_texts::CalibrationsNotSaved(settings.calibrations.Path()), "",
                     platform::PromptButtons::Ok, platform::PromptIcon::Error);
    const std::string settingsFile = settings.SettingsFile();
    const platform::FileResult saved = CSettings::Release();
    if (!saved.ok)
        prompter.Ask(sheet_texts::SettingsNotSaved(settingsFile, saved), "", platform::PromptButtons::Ok,
                     platform::PromptIcon::Error);
    if (field)
        field->Stop();
    return exitCode;
}
