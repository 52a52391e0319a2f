#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <malloc.h>
#include <memory>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "graphics/SurfacePainter.h"
#include "acquisition/AcquisitionEngine.h"
#include "instrument/PortMap.h"
#include "session/SessionFile.h"
#include "settings/CSettings.h"
#include "support/SyntheticGround.h"
#include "ui/CLurControlSheet.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/HardwareKeys.h"
#include "ui/QtMessagePoster.h"

// What the operator waits for after a reading: the measurement page choosing, rebuilding and
// painting its graph from the raw records into a full-HD canvas with one pixel per cell, the
// progress view and the copy to the window; and the once-a-second GPS overlay repaint.
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// No instrument is asked anything here.
class NoExchanges final : public ExchangeQueue, public SeriesTimer {
public:
    void Submit(const ExchangeRequest&) override {}
    void Arm(uint32_t) override {}
    void Disarm() override {}
};

class OpenOnly final : public platform::Prompter {
public:
    std::string path;
    platform::PromptAnswer Ask(const std::string&, const std::string&, platform::PromptButtons,
                               platform::PromptIcon) override
    {
        return platform::PromptAnswer::No;
    }
    std::optional<std::string> ChooseFile(const platform::FileChoice&) override { return path; }
};

struct Program {
    Program()
    {
        static int argc = 1;
        static char name[] = "bench_page_paint";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
        InstallSurfacePainters();
        const std::string dir = QDir::tempPath().toStdString() + "/bench_page_paint";
        QDir().mkpath(QString::fromStdString(dir));
        CSettings::SetEnvironment({dir + "/settings.reg", dir + "/LurCalibration.ini", {}});
        CSettings& s = CSettings::Instance();
        s.pixelSize = 1;
        s.showGrid = 0;
        s.showScaleMarks = 0;
        s.gpsTrackRadius = 50;
        sessionDir = dir;
        engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{s, exchanges, exchanges, ports, nullptr});
        sheet = std::make_unique<CLurControlSheet>(
            PageServices{s, prompter, *engine, parser, positions, nullptr, dir + "/journal"});
        sheet->resize(kWidth, kHeight);
        sheet->show();
        QApplication::processEvents();
    }
    // Opens a session made by the core, as the operator would.
    void Open(DataSet& data, const std::string& name)
    {
        prompter.path = sessionDir + "/" + name;
        SaveSession(data, prompter.path);
        sheet->OnOpen();
        QApplication::processEvents();
    }

    std::unique_ptr<QApplication> application;
    OpenOnly prompter;
    CNmeaParser parser;
    QtMessagePoster poster;
    CGpsPositionService positions{poster};
    NoExchanges exchanges;
    PortMap ports;
    std::unique_ptr<AcquisitionEngine> engine;
    std::string sessionDir;
    std::unique_ptr<CLurControlSheet> sheet;
};

Program& TheProgram()
{
    static Program program;
    return program;
}

// Only the graph under test may be chosen, so every Enter rebuilds it.
void OnlyGraph(CSettings& s, uint32_t graph)
{
    s.showMap = graph == MeasurementPage::kMapGraph;
    s.showSection = graph == MeasurementPage::kSectionGraph;
    s.showProfileCurve = graph == MeasurementPage::kProfileCurveGraph;
    s.showSoundingCurve = graph == MeasurementPage::kSoundingGraph;
    s.minProfilesMap = 2;
    s.minStationsSection = 2;
    s.minStationsProfileCurve = 2;
    s.minPointsScatteredMap = 4;
}

void Rebuild(benchmark::State& state, MeasurementPage& page, uint32_t graph)
{
    page.resize(kWidth, kHeight - 60);
    page.repaint(); // a page takes no keys while a repaint is pending
    for (auto _ : state) {
        page.OnKeyDown(hardware_key::kEnter, false);
        page.repaint();
        if (page.ShownGraph() != graph) {
            state.SkipWithError("the graph was not drawn");
            break;
        }
    }
}

void SurveyPage(benchmark::State& state)
{
    Program& program = TheProgram();
    CSettings& s = CSettings::Instance();
    static bool opened = false;
    if (!opened) {
        auto survey = testing_support::GroundSurvey(s, 100, 100, 1.0f, 1.0f, 100 * 100);
        program.Open(*survey, "survey.lur");
        opened = true;
    }
    const auto graph = static_cast<uint32_t>(state.range(0));
    OnlyGraph(s, graph);
    CPropertyPageView1& page = program.sheet->PageView1();
    for (int k = 0; k < 50; ++k) // onto the middle profile, where the section and curves are
        page.OnKeyDown(hardware_key::kDown, false), page.repaint();
    Rebuild(state, page, graph);
}
BENCHMARK(SurveyPage)->Arg(1001)->Arg(1002)->Arg(1003)->Arg(1004)->Unit(benchmark::kMillisecond);

void TrackPage(benchmark::State& state)
{
    Program& program = TheProgram();
    CSettings& s = CSettings::Instance();
    static bool opened = false;
    if (!opened) {
        auto track = testing_support::GroundTrack(s, 10000);
        program.Open(*track, "track.lur");
        opened = true;
    }
    const auto graph = static_cast<uint32_t>(state.range(0));
    OnlyGraph(s, graph);
    Rebuild(state, program.sheet->PageView2(), graph);
}
BENCHMARK(TrackPage)->Arg(1001)->Arg(1002)->Arg(1003)->Arg(1004)->Unit(benchmark::kMillisecond);

// A live position repaints the overlay and the track view, never the graph.
void TrackOverlay(benchmark::State& state)
{
    Program& program = TheProgram();
    CSettings& s = CSettings::Instance();
    s.showGpsTrack = 1;
    CPropertyPageView2& page = program.sheet->PageView2();
    page.resize(kWidth, kHeight - 60);
    page.repaint();
    for (auto _ : state)
        page.repaint();
}
BENCHMARK(TrackOverlay)->Unit(benchmark::kMillisecond);

// Сессия → Открыть on a 100 000-station open profile (18 MB), with the default display
// settings, until the page has painted the first graph it chose: reading and checking the
// file, the data set, the pages and the graph.
void OpenToFirstGraph(benchmark::State& state)
{
    Program& program = TheProgram();
    CSettings& s = CSettings::Instance();
    s.SetDefaults();
    static const std::string path = [&] {
        const std::string file = program.sessionDir + "/profile-100k.lur";
        SaveSession(*testing_support::GroundSurvey(s, 0, 1, 1.0f, 1.0f, 100000), file);
        return file;
    }();
    program.prompter.path = path;
    CPropertyPageView1& page = program.sheet->PageView1();
    for (auto _ : state) {
        // As in a program that has not opened a session yet, the memory the file goes into
        // is fresh from the kernel (freed memory would otherwise be reused without faults).
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        program.sheet->OnOpen();
        QApplication::processEvents();
        page.repaint();
        if (page.ShownGraph() == MeasurementPage::kNoGraph) {
            state.SkipWithError("no graph was drawn");
            break;
        }
    }
}
BENCHMARK(OpenToFirstGraph)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
