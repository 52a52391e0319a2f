#pragma once
#include <gtest/gtest.h>

#include "settings/CSettings.h"
#include "support/TempDir.h"

namespace testing_support {

// Points the one settings object at files in a fresh temporary directory and releases it
// after the test. WriteCalibration() before Settings() gives it a calibration file.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSettings::Release();
        CSettings::SetEnvironment({dir.File("settings.reg"), dir.File("LurCalibration.ini"), {}});
    }
    void TearDown() override { CSettings::Release(); }

    CSettings& Settings() { return CSettings::Instance(); }
    void WriteCalibration(const std::string& text) { WriteFile(dir.File("LurCalibration.ini"), text); }

    TempDir dir;
};

} // namespace testing_support
