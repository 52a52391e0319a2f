#include <gtest/gtest.h>

#include <unistd.h>

#include "session/WorkSession.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"

namespace {

class WorkSessionTest : public testing_support::SettingsTest {
protected:
    std::string JournalDirectory() const { return dir.File("journal"); }
    ScriptedSource source;
};

TEST_F(WorkSessionTest, SaveOrCloseRemoveTheJournalAndAnythingElseKeepsIt)
{
    Settings().workType = kWorkProfile;
    for (const std::string end : {"save", "close", "none"}) {
        SCOPED_TRACE(end);
        std::string journal;
        {
            WorkSession work(Settings(), JournalDirectory());
            ASSERT_TRUE(work.Begin());
            ASSERT_EQ(work.Measure(source), MeasureOutcome::Stored);
            journal = work.Journal().Path();
            ASSERT_EQ(::access(journal.c_str(), F_OK), 0);
            if (end == "save")
                ASSERT_TRUE(work.Save(dir.File("s.lur")).ok);
            else if (end == "close")
                work.Close();
        }
        EXPECT_EQ(::access(journal.c_str(), F_OK) == 0, end == "none");
        ::unlink(journal.c_str());
    }
    // A journal that cannot start keeps readings in memory until saved.
    testing_support::WriteFile(JournalDirectory() + ".file", "");
    WorkSession work(Settings(), JournalDirectory() + ".file");
    EXPECT_FALSE(work.Begin());
    EXPECT_NE(work.Journal().Error().find("journal directory"), std::string::npos) << work.Journal().Error();
    EXPECT_EQ(work.Measure(source), MeasureOutcome::StoredInMemory);
    ASSERT_TRUE(work.Save(dir.File("saved.lur")).ok);
    EXPECT_TRUE(work.Journal().Durable()) << "nothing is pending after a save";
}

} // namespace
