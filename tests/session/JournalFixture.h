#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "settings/CSettings.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "session/AcquisitionJournal.h"
#include "survey/ByteStream.h"
#include "session/Crc32.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace testing_support {

// Settings in a temporary directory and a journal writing into its "journal" folder.
class JournalTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        journal = std::make_unique<AcquisitionJournal>(JournalDirectory(), Settings());
    }
    void TearDown() override
    {
        journal.reset();
        SettingsTest::TearDown();
    }

    std::string JournalDirectory() const { return dir.File("journal"); }

    // Settings a save writes, all different from the defaults, so recovery must restore them.
    void DistinctHeader()
    {
        Settings().headerText1 = "Участок 7";
        Settings().headerText2 = "north field";
        Settings().headerText3.clear();
        Settings().sessionExtra1 = 11;
        Settings().sessionExtra2 = -3;
        Settings().xStep = 2.5f;
        Settings().yStep = 10.0f;
        Settings().reportedSerial = 42;
    }

    // Settings put elsewhere after the crash: recovery must not depend on them.
    void ScrambleSettings()
    {
        Settings().workType = kWorkProfile;
        Settings().xSize = 99;
        Settings().ySize = 7;
        Settings().xStep = 1;
        Settings().yStep = 1;
        Settings().headerText1 = "other";
        Settings().sessionExtra1 = 0;
        Settings().reportedSerial = 0;
    }

    std::string JournalBytes() const { return ReadFile(journal->Path()); }

    // Recovers `bytes` and saves the result; the saved bytes.
    std::string RecoverAndSave(const std::string& bytes, const std::string& name, RecoveryResult* out = nullptr)
    {
        RecoveryResult result = RecoverJournal(bytes, Settings());
        EXPECT_TRUE(result.dataSet) << result.problem;
        if (!result.dataSet)
            return {};
        EXPECT_TRUE(result.dataSet->Modified());
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveSession(*result.dataSet, path).ok);
        if (out)
            *out = std::move(result);
        return ReadFile(path);
    }

    std::unique_ptr<AcquisitionJournal> journal;
};

} // namespace testing_support
