#include <gtest/gtest.h>

#include <sys/stat.h>

#include "Commands.h"
#include "JournalFixture.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

class CmdRecoverTest : public testing_support::JournalTest {
protected:
    int Run(std::vector<std::string> args, std::string& out, std::string& err)
    {
        args.insert(args.begin(), "recover");
        args.push_back("--journal-dir");
        args.push_back(JournalDirectory());
        CaptureStdout();
        CaptureStderr();
        const int status = RunSession(args);
        err = GetCapturedStderr();
        out = GetCapturedStdout();
        return status;
    }
    static bool Exists(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    }
    // A limited profile of 6 stations with 4 readings, left journaled as by a crash; the
    // file a normal save would have written goes into `expected`.
    std::string CrashedProfile(std::string& expected)
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
        ByteWriter file;
        d.Serialize(file, false);
        expected = file.Data();
        const std::string path = journal->Path();
        journal.reset(); // the program dies: the file stays
        ScrambleSettings();
        return path;
    }
};

} // namespace

TEST_F(CmdRecoverTest, ListsThenRecoversAndRemovesTheJournal)
{
    std::string expected;
    const std::string path = CrashedProfile(expected);
    std::string out, err;
    ASSERT_EQ(Run({}, out, err), 0) << err;
    EXPECT_NE(out.find(path), std::string::npos) << out;
    EXPECT_NE(out.find("work type: limited profile (3)"), std::string::npos) << out;
    EXPECT_NE(out.find("readings: 4"), std::string::npos) << out;
    EXPECT_NE(out.find("time span: "), std::string::npos) << out;

    const std::string target = dir.File("recovered.lur");
    ASSERT_EQ(Run({path, "--out", target}, out, err), 0) << err;
    EXPECT_NE(out.find("recovered 4 readings (4 measured records)"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(target), expected);
    EXPECT_FALSE(Exists(path));
    ASSERT_EQ(Run({}, out, err), 0);
    EXPECT_NE(out.find("no journals to recover"), std::string::npos) << out;
}

TEST_F(CmdRecoverTest, AFailedSaveOrAnExistingTargetKeepsTheJournal)
{
    std::string expected;
    const std::string path = CrashedProfile(expected);
    std::string out, err;
    WriteFile(dir.File("taken.lur"), "precious");
    EXPECT_EQ(Run({path, "--out", dir.File("taken.lur")}, out, err), 1);
    EXPECT_NE(err.find("exists"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(dir.File("taken.lur")), "precious");
    EXPECT_EQ(Run({path, "--out", dir.File("no/such/dir/x.lur")}, out, err), 1);
    EXPECT_NE(err.find("the journal is kept"), std::string::npos) << err;
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(Run({path}, out, err), 2); // --out missing
}

TEST_F(CmdRecoverTest, DamagedJournalsAreReportedNotSaved)
{
    std::string expected;
    const std::string path = CrashedProfile(expected);
    std::string bytes = ReadFile(path);
    bytes.resize(bytes.size() - 10); // torn last reading
    WriteFile(path, bytes);
    WriteFile(dir.File("journal/junk.lurj"), "not a journal at all");
    std::string out, err;
    ASSERT_EQ(Run({}, out, err), 0);
    EXPECT_NE(out.find("readings: 3"), std::string::npos) << out;
    EXPECT_NE(out.find("damaged after the last reading above: the last entry is cut short"), std::string::npos)
        << out;
    EXPECT_NE(out.find("nothing to recover: not an acquisition journal"), std::string::npos) << out;

    EXPECT_EQ(Run({dir.File("journal/junk.lurj"), "--out", dir.File("junk.lur")}, out, err), 1);
    EXPECT_NE(err.find("not an acquisition journal"), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir.File("junk.lur")));

    ASSERT_EQ(Run({path, "--out", dir.File("torn.lur")}, out, err), 0) << err;
    EXPECT_NE(out.find("recovered 3 readings"), std::string::npos) << out;
    EXPECT_NE(out.find("damaged after them"), std::string::npos) << out;
}
