#pragma once
#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "session/AcquisitionJournal.h"
#include "session/Crc32.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"
#include "settings/CSettings.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace testing_support {

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
    std::string JournalBytes() const { return ReadFile(journal->Path()); }

    // All different from the defaults, so recovery must restore them.
    void DistinctHeader()
    {
        Settings().headerText1 = "Участок 7";
        Settings().headerText2 = "north field";
        Settings().sessionExtra1 = 11;
        Settings().sessionExtra2 = -3;
        Settings().xStep = 2.5f;
        Settings().yStep = 10.0f;
        Settings().reportedSerial = 42;
    }
    // Settings changed after the crash: recovery must not depend on them.
    void ScrambleSettings()
    {
        Settings().workType = kWorkProfile;
        Settings().xSize = 99;
        Settings().ySize = 7;
        Settings().xStep = Settings().yStep = 1;
        Settings().headerText1 = "other";
        Settings().sessionExtra1 = Settings().reportedSerial = 0;
    }
    static std::string Serialized(const DataSet& d)
    {
        ByteWriter file;
        const_cast<DataSet&>(d).Serialize(file, false);
        return file.Data();
    }
    // Makes journal writes fail with ENOSPC; the descriptor to put back, or -1.
    int FillDisk()
    {
        const int saved = ::dup(journal->Descriptor());
        const int full = ::open("/dev/full", O_WRONLY);
        EXPECT_GE(full, 0);
        EXPECT_GE(::dup2(full, journal->Descriptor()), 0);
        ::close(full);
        return saved;
    }
    void FreeDisk(int saved)
    {
        EXPECT_GE(::dup2(saved, journal->Descriptor()), 0);
        ::close(saved);
    }

    std::unique_ptr<AcquisitionJournal> journal;
};

} // namespace testing_support
