#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "instrument/CInstrument.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/RadioLeftAlone.h"
#include "instrument/SettingsStoreLink.h"
#include "settings/CSettings.h"
#include "support/SettingsFixture.h"
#include "ui/CLurControlSheet.h"
#include "ui/QtMessagePoster.h"
#include "ui/ScriptedPrompter.h"

namespace testing_support {

// The program's parts as main builds them, over settings in a temporary directory, an
// instrument whose ports are never opened, and a scripted prompter; the sheet on top.
class SheetTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        services_ = std::make_unique<PageServices>(
            PageServices{Settings(), prompter, instrument, parser, positions, nullptr, dir.File("journal")});
    }
    void TearDown() override
    {
        sheet_.reset();
        instrument.Disconnect();
        SettingsTest::TearDown();
    }

    CLurControlSheet& Sheet()
    {
        if (!sheet_) {
            sheet_ = std::make_unique<CLurControlSheet>(*services_);
            sheet_->resize(480, 640);
            sheet_->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet_.get()));
        }
        return *sheet_;
    }
    PageServices& Services() { return *services_; }

    ScriptedPrompter prompter;
    CNmeaParser parser;
    QtMessagePoster poster;
    CGpsPositionService positions{poster};
    GpsClockOffset clockOffset;
    GpsReaderControl reader{parser, positions, clockOffset, prompter};
    CSerialPort instrumentPort;
    CSerialPort gpsPort;
    SettingsStoreLink link;
    CInstrument instrument{InstrumentLinks{instrumentPort, gpsPort, link,
                                           std::make_unique<CBluetoothControl>(std::make_unique<RadioLeftAlone>()),
                                           platform::SystemTicks(), &reader}};

private:
    std::unique_ptr<PageServices> services_;
    std::unique_ptr<CLurControlSheet> sheet_;
};

} // namespace testing_support
