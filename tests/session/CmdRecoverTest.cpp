#include <sys/stat.h>

#include "Commands.h"
#include "JournalFixture.h"

using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

class CmdRecoverTest : public testing_support::JournalTest {
protected:
    int Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "recover");
        args.insert(args.end(), {"--journal-dir", JournalDirectory()});
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = RunSession(args);
        err = testing::internal::GetCapturedStderr();
        out = testing::internal::GetCapturedStdout();
        return status;
    }
    static bool Exists(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    }
    // A limited profile of 6 stations with 4 readings, left journaled as by a crash.
    std::string CrashedProfile()
    {
        Settings().workType = kWorkLimitedProfile;
        Settings().xSize = 6;
        DistinctHeader();
        SurveyDataSet d(Settings());
        d.SetJournal(journal.get());
        EXPECT_TRUE(journal->Start(d));
        ScriptedSource source;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
        expected = Serialized(d);
        const std::string path = journal->Path();
        journal.reset(); // the program dies: the file stays
        ScrambleSettings();
        return path;
    }
    std::string out, err, expected;
};

} // namespace

TEST_F(CmdRecoverTest, ListsThenRecoversAndRemovesTheJournal)
{
    const std::string path = CrashedProfile();
    ASSERT_EQ(Run({}), 0) << err;
    for (const std::string& line : {path, std::string("work type: limited profile (3)"), std::string("readings: 4"),
                                    std::string("time span: ")})
        EXPECT_NE(out.find(line), std::string::npos) << out;
    // A target that exists or cannot be written keeps the journal.
    WriteFile(dir.File("taken.lur"), "precious");
    EXPECT_EQ(Run({path, "--out", dir.File("taken.lur")}), 1);
    EXPECT_NE(err.find("exists"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(dir.File("taken.lur")), "precious");
    EXPECT_EQ(Run({path, "--out", dir.File("no/such/dir/x.lur")}), 1);
    EXPECT_NE(err.find("the journal is kept"), std::string::npos) << err;
    EXPECT_EQ(Run({path}), 2); // --out missing
    ASSERT_TRUE(Exists(path));

    ASSERT_EQ(Run({path, "--out", dir.File("recovered.lur")}), 0) << err;
    EXPECT_NE(out.find("recovered 4 readings (4 measured records)"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(dir.File("recovered.lur")), expected);
    EXPECT_FALSE(Exists(path));
    ASSERT_EQ(Run({}), 0);
    EXPECT_NE(out.find("no journals to recover"), std::string::npos) << out;
}

TEST_F(CmdRecoverTest, DamagedJournalsAreReportedNotSaved)
{
    const std::string path = CrashedProfile();
    std::string bytes = ReadFile(path);
    bytes.resize(bytes.size() - 10); // torn last reading
    WriteFile(path, bytes);
    WriteFile(dir.File("journal/junk.lurj"), "not a journal at all");
    ASSERT_EQ(Run({}), 0);
    EXPECT_NE(out.find("readings: 3"), std::string::npos) << out;
    EXPECT_NE(out.find("damaged after the last reading above: the last entry is cut short"), std::string::npos)
        << out;
    EXPECT_NE(out.find("nothing to recover: not an acquisition journal"), std::string::npos) << out;
    EXPECT_EQ(Run({dir.File("journal/junk.lurj"), "--out", dir.File("junk.lur")}), 1);
    EXPECT_NE(err.find("not an acquisition journal"), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir.File("junk.lur")));
    ASSERT_EQ(Run({path, "--out", dir.File("torn.lur")}), 0) << err;
    EXPECT_NE(out.find("recovered 3 readings"), std::string::npos) << out;
    EXPECT_NE(out.find("damaged after them"), std::string::npos) << out;
}
