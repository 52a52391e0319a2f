// Faults from outside, end to end through the programs: the instrument or the GPS going
// away, a full disk, a killed survey. In each case the program says what happened and no
// reading measured before the fault is lost.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <vector>

#include "Lurctl.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

using testing_support::ChildProcess;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class FaultInjection : public testing::Test {
protected:
    // lurctl with private settings and journal directories.
    std::unique_ptr<ChildProcess> StartLurctl(const std::string& arguments)
    {
        return std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", "exec " + Lurctl() + " " + arguments},
                                              std::vector<std::string>{"XDG_DATA_HOME=" + data.path()});
    }
    int RunLurctl(const std::string& arguments, std::string& out, const std::string& dataHome = "")
    {
        LurctlResult r = ::Lurctl(config, arguments, "&1", dataHome.empty() ? data.path() : dataHome);
        out = r.out;
        return r.status;
    }
    std::string Lurctl() const { return std::string(LURCTL_PATH) + " --config-dir '" + config.path() + "'"; }

    // lursim serving one device, linked as DIR/instrument or DIR/gps.
    std::unique_ptr<ChildProcess> StartLursim(std::vector<std::string> arguments, const TempDir& link)
    {
        arguments.insert(arguments.begin(), LURSIM_PATH);
        arguments.insert(arguments.end(), {"--link", link.path()});
        auto child = std::make_unique<ChildProcess>(std::move(arguments));
        EXPECT_NE(child->ReadLine().find(" /dev/"), std::string::npos) << child->Output();
        return child;
    }

    // The rows of an export without the time stamp column: what the instrument measured.
    std::vector<std::string> Readings(const std::string& session, bool track = false)
    {
        std::string out;
        EXPECT_EQ(RunLurctl("session export '" + session + "' --format csv --units adc", out), 0) << out;
        std::vector<std::string> rows;
        for (std::vector<std::string>& cells : CsvRows(out)) {
            cells.erase(cells.begin() + (track ? 5 : 3));
            std::string& row = rows.emplace_back();
            for (const std::string& cell : cells)
                row += cell + ",";
        }
        return rows;
    }
    // Rebuilds the one journal that is left into `session`.
    void Recover(const std::string& session)
    {
        std::string out;
        ASSERT_EQ(RunLurctl("session recover", out), 0) << out;
        const std::string journal = out.substr(0, out.find('\n'));
        ASSERT_NE(journal.find(".lurj"), std::string::npos) << out;
        ASSERT_EQ(RunLurctl("session recover '" + journal + "' --out '" + session + "'", out), 0) << out;
        ASSERT_EQ(RunLurctl("session recover", out), 0) << out;
        EXPECT_EQ(out.find(".lurj"), std::string::npos) << out;
    }
    std::string Info(const std::string& session)
    {
        std::string out;
        EXPECT_EQ(RunLurctl("session info '" + session + "'", out), 0) << out;
        return out;
    }
    // Runs a shell script in a mount namespace of its own, where `mountPoint` is a tmpfs of
    // `kilobytes`; false when this machine does not allow that.
    bool RunOnSmallDisk(const std::string& mountPoint, int kilobytes, const std::string& script, std::string& out,
                        int& status)
    {
        ChildProcess child({"/usr/bin/unshare", "-r", "-m", "/bin/sh", "-c",
                            "mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k none '" + mountPoint +
                                "' || exit 77\n" + script},
                           {"XDG_DATA_HOME=" + data.path()});
        status = child.Wait(120000);
        out = child.Output();
        return status != 77;
    }

    TempDir config, data, work;
};

TEST_F(FaultInjection, TheInstrumentGoingAwayMidReplyEndsTheSurveyWithEveryEarlierReadingSaved)
{
    // A journal that cannot be written keeps the readings in memory only; the instrument's
    // failure must still end the survey.
    const std::string noJournal = work.File("not-a-directory");
    WriteFile(noJournal, "");
    const std::string cut = work.File("cut.lur");
    std::string out;
    for (const std::string& dataHome : {std::string(), noJournal}) {
        SCOPED_TRACE(dataHome);
        TempDir link;
        auto instrument = StartLursim({"instrument", "--xsize", "5", "--pacing", "--vanish-after", "7"}, link);
        EXPECT_EQ(RunLurctl("survey --port '" + link.File("instrument") + "' --type map --x 5 --y 4 --out '" + cut +
                                "'",
                            out, dataHome),
                  1);
        EXPECT_NE(out.find("reading at index 7 failed: the instrument's line went dead"), std::string::npos) << out;
        EXPECT_EQ(out.find("kept in memory only") != std::string::npos, !dataHome.empty()) << out;
        EXPECT_NE(Info(cut).find("measured: 7\n"), std::string::npos);
    }

    // The same readings as an instrument that stays gives.
    TempDir link2;
    auto whole = StartLursim({"instrument", "--xsize", "5"}, link2);
    const std::string full = work.File("full.lur");
    ASSERT_EQ(RunLurctl("survey --port '" + link2.File("instrument") + "' --type map --x 5 --y 4 --out '" + full + "'",
                        out),
              0)
        << out;
    std::vector<std::string> reference = Readings(full);
    ASSERT_EQ(reference.size(), 20u);
    reference.resize(7);
    EXPECT_EQ(Readings(cut), reference);
}

TEST_F(FaultInjection, TheGpsGoingAwayEndsATrackWithEveryReadingPlaced)
{
    TempDir instrumentLink, gpsLink;
    auto instrument = StartLursim({"instrument"}, instrumentLink);
    auto gps = StartLursim({"gps", "--rate", "10"}, gpsLink);
    const std::string track = work.File("track.lur");
    auto survey = StartLurctl("survey --port '" + instrumentLink.File("instrument") + "' --gps-port '" +
                              gpsLink.File("gps") + "' --type track --readings 100000 --interval 0.05 --out '" +
                              track + "'");
    ASSERT_TRUE(survey->WaitForOutput("10/100000")) << survey->Output();
    gps->Signal(SIGKILL); // the receiver is switched off
    EXPECT_EQ(survey->Wait(), 1);
    EXPECT_NE(survey->Output().find("lurctl survey: GPS: "), std::string::npos) << survey->Output();
    EXPECT_NE(survey->Output().find("the survey stops"), std::string::npos) << survey->Output();

    std::vector<std::string> rows = Readings(track, true);
    ASSERT_GE(rows.size(), 10u);
    for (const std::string& row : rows) // index, latitude, longitude, ...
        EXPECT_NE(row.find(",55.7"), std::string::npos) << row;
}

TEST_F(FaultInjection, ASurveyKilledAtAnyMomentRecoversEveryReadingItReported)
{
    const std::string full = work.File("full.lur");
    std::string out;
    ASSERT_EQ(RunLurctl("survey --simulate --type map --x 30 --y 20 --out '" + full + "'", out), 0) << out;
    const std::vector<std::string> reference = Readings(full);
    ASSERT_EQ(reference.size(), 600u);

    for (int killAt : {1, 58, 300}) {
        // A measurement time of 4 ms keeps the survey from ending before the kill arrives,
        // even on a busy machine.
        auto survey = StartLurctl("survey --simulate --type map --x 30 --y 20 --delay 4 --out '" +
                                  work.File("never.lur") + "'");
        ASSERT_TRUE(survey->WaitForOutput("\r" + std::to_string(killAt) + "/600")) << survey->Output();
        survey->Signal(SIGKILL);
        ASSERT_EQ(survey->Wait(), 128 + SIGKILL);

        const std::string recovered = work.File("recovered" + std::to_string(killAt) + ".lur");
        Recover(recovered);
        std::vector<std::string> rows = Readings(recovered);
        ASSERT_GE(rows.size(), size_t(killAt));
        ASSERT_LE(rows.size(), reference.size());
        EXPECT_TRUE(std::equal(rows.begin(), rows.end(), reference.begin())) << killAt;
    }
}

// A survey that is still measuring holds its journal: another program lists it as in use and
// will not recover or remove it; once the survey is killed, its journal is recovered.
TEST_F(FaultInjection, ALiveJournalIsInUseUntilItsProgramEnds)
{
    auto survey = StartLurctl("survey --simulate --type map --x 30 --y 20 --delay 20 --out '" +
                              work.File("never.lur") + "'");
    ASSERT_TRUE(survey->WaitForOutput("\r5/600")) << survey->Output();
    std::string out;
    ASSERT_EQ(RunLurctl("session recover", out), 0) << out;
    EXPECT_NE(out.find("in use: a running program (process "), std::string::npos) << out;
    const std::string journal = out.substr(0, out.find('\n'));
    EXPECT_EQ(RunLurctl("session recover '" + journal + "' --out '" + work.File("stolen.lur") + "'", out), 1);
    EXPECT_NE(out.find("another running program writes it"), std::string::npos) << out;
    struct stat st {};
    EXPECT_EQ(::stat(journal.c_str(), &st), 0) << "a live journal was removed";
    EXPECT_NE(::stat(work.File("stolen.lur").c_str(), &st), 0);
    survey->Signal(SIGKILL);
    survey->Wait();
    Recover(work.File("recovered.lur"));
    EXPECT_NE(Info(work.File("recovered.lur")).find("measured: "), std::string::npos);
}

TEST_F(FaultInjection, AFullDiskStopsTheJournalButNoReading)
{
    const std::string session = work.File("s.lur");
    std::string out;
    int status = 0;
    if (!RunOnSmallDisk(data.path(), 16, Lurctl() + " survey --simulate --type map --x 20 --y 10 --out '" + session + "'",
                        out, status))
        GTEST_SKIP() << "no tmpfs can be mounted here: " << out;
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("journal: "), std::string::npos) << out;
    EXPECT_NE(Info(session).find("measured: 200\n"), std::string::npos);
}

TEST_F(FaultInjection, AFullDiskFailsTheSaveButKeepsThePreviousFileAndTheJournal)
{
    const std::string previous(20000, 'p');
    WriteFile(work.File("previous"), previous);
    const std::string disk = work.File("disk");
    ASSERT_EQ(::mkdir(disk.c_str(), 0755), 0);
    std::string out;
    int status = 0;
    // 32 KiB hold the previous file but not beside it the new one of 36 KiB.
    if (!RunOnSmallDisk(disk, 32,
                        "cp '" + work.File("previous") + "' '" + disk + "/s.lur' && " + Lurctl() +
                            " survey --simulate --type map --x 20 --y 10 --out '" + disk +
                            "/s.lur'; status=$?; cmp '" + work.File("previous") + "' '" + disk +
                            "/s.lur' && echo INTACT; ls -A '" + disk + "'; exit $status",
                        out, status))
        GTEST_SKIP() << "no tmpfs can be mounted here: " << out;
    EXPECT_EQ(status, 1) << out;
    EXPECT_NE(out.find("lurctl survey: "), std::string::npos) << out;
    EXPECT_NE(out.find("No space left on device"), std::string::npos) << out;
    EXPECT_NE(out.find("the readings stay in the journal"), std::string::npos) << out;
    EXPECT_NE(out.find("INTACT\ns.lur\n"), std::string::npos) << out; // and no temporary file

    const std::string recovered = work.File("recovered.lur");
    Recover(recovered);
    EXPECT_NE(Info(recovered).find("measured: 200\n"), std::string::npos);
}

} // namespace
