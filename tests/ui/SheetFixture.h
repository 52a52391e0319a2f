#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

#include "acquisition/AcquisitionEngine.h"
#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/PortMap.h"
#include "settings/CSettings.h"
#include "sim/InstrumentSimulator.h"
#include "survey/Calibration.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "ui/CLurControlSheet.h"
#include "ui/QtMessagePoster.h"
#include "ui/ScreenFit.h"
#include "ui/ScriptedPrompter.h"
#include "ui/SheetEvents.h"
#include "ui/WindowAcquisition.h"

namespace testing_support {

// The program's parts as main builds them, over settings in a temporary directory, ports
// that the tests point at simulators (or nowhere), and a scripted prompter; the sheet on top.
class SheetTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        acquisition_ = std::make_unique<WindowAcquisition>(Settings(), ports, reader);
        std::string error;
        ASSERT_TRUE(acquisition_->Start(error)) << error;
        services_ = std::make_unique<PageServices>(
            PageServices{Settings(), prompter, acquisition_->Engine(), parser, positions, nullptr, dir.File("journal"),
                         &clockOffset});
    }
    void TearDown() override
    {
        sheet_.reset();
        acquisition_.reset();
        SettingsTest::TearDown();
    }

    // A simulated instrument on the configured instrument port.
    std::unique_ptr<InstrumentSimulator> StartInstrument(InstrumentFaults faults = {}, uint32_t delayMs = 0)
    {
        InstrumentOptions options;
        options.faults = faults;
        options.measurementDelayMs = delayMs;
        auto simulator = std::make_unique<InstrumentSimulator>(options, BuiltInCalibrationSet());
        EXPECT_TRUE(simulator->Start());
        ports.SetOverride(static_cast<unsigned>(Settings().btInboundPort), simulator->DevicePath());
        return simulator;
    }
    CLurControlSheet& Sheet()
    {
        if (!sheet_) {
            sheet_ = std::make_unique<CLurControlSheet>(*services_);
            if (fitToScreen) {
                ShowFitted(*sheet_);
            } else {
                sheet_->resize(480, 640);
                sheet_->show();
            }
            EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet_.get()));
        }
        return *sheet_;
    }
    void BeginWork()
    {
        SheetEvent begin(UM_BEGIN_WORK);
        QCoreApplication::sendEvent(&Sheet(), &begin);
    }
    // A map of three profiles of four stations begun, with its first `readings` taken.
    void BeginMapWithReadings(int readings)
    {
        Settings().workType = kWorkMap;
        Settings().xSize = 4;
        Settings().ySize = 3;
        BeginWork();
        ScriptedSource source;
        for (int i = 0; i < readings; ++i)
            ASSERT_EQ(MeasureOutcome::Stored, source.Measure(*Sheet().Work()));
    }
    // Runs `action` with files limited to `bytes`, as a disk that fills up: writes past it fail.
    template <class Action> void WithFileSizeLimit(rlim_t bytes, Action action)
    {
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        action();
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        std::signal(SIGXFSZ, oldHandler);
    }
    PageServices& Services() { return *services_; }
    AcquisitionEngine& Engine() { return acquisition_->Engine(); }

    ScriptedPrompter prompter;
    CNmeaParser parser;
    QtMessagePoster poster;
    CGpsPositionService positions{poster};
    GpsClockOffset clockOffset;
    GpsReaderControl reader{parser, positions, clockOffset, prompter};
    PortMap ports;
    bool fitToScreen = false; // shown as the program shows it on the screen at hand

private:
    std::unique_ptr<WindowAcquisition> acquisition_;
    std::unique_ptr<PageServices> services_;
    std::unique_ptr<CLurControlSheet> sheet_;
};

} // namespace testing_support
