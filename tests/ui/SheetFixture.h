#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "acquisition/AcquisitionEngine.h"
#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/PortMap.h"
#include "settings/CSettings.h"
#include "sim/InstrumentSimulator.h"
#include "survey/Calibration.h"
#include "support/SettingsFixture.h"
#include "ui/CLurControlSheet.h"
#include "ui/QtMessagePoster.h"
#include "ui/ScreenFit.h"
#include "ui/ScriptedPrompter.h"
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
