#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "export/StagedOutput.h"
#include "support/TempDir.h"

namespace {

using Files = std::map<std::string, std::string>;

Files Listing(const std::string& directory)
{
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? testing_support::ReadFile(entry.path().string()) : "(directory)";
    return files;
}

// An earlier shapefile set with a spatial index the new set lacks, and a file of another set.
const Files kEarlier{{"t.shp", "old shp"}, {"t.shx", "old shx"}, {"t.dbf", "old dbf"}, {"t.qix", "old qix"},
                     {"other.txt", "not ours"}};
const Files kNew{{"t.shp", "new shp"}, {"t.shx", "new shx"}, {"t.dbf", "new dbf"}, {"t.prj", "new prj"}};

// An empty directory, or one holding `files`.
void Fill(const testing_support::TempDir& dir, const Files& files = {})
{
    std::filesystem::remove_all(dir.path());
    std::filesystem::create_directories(dir.path());
    for (const auto& [name, contents] : files)
        testing_support::WriteFile(dir.File(name), contents);
}

// Opens `output` and writes the new set where it stages; that place.
std::string Stage(StagedOutput& output, ExportError& error)
{
    EXPECT_TRUE(output.Open(error)) << error.text;
    const std::string staged = std::filesystem::path(output.Path()).parent_path().string();
    for (const auto& [name, contents] : kNew)
        testing_support::WriteFile(staged + "/" + name, contents);
    return staged;
}

// Stages the new set and commits it with rename failing at call `failAt` (never when 0);
// returns the calls made.
int Commit(const testing_support::TempDir& dir, int failAt, bool& committed, ExportError& error)
{
    int calls = 0;
    StagedOutput output(dir.File("t.shp"), {"t.qix", "t.cpg"}, [&](const char* from, const char* to) {
        if (++calls == failAt) {
            errno = EIO;
            return -1;
        }
        return std::rename(from, to);
    });
    Stage(output, error);
    committed = output.Commit(error);
    if (committed) {
        EXPECT_EQ(output.Committed().front(), dir.File("t.shp")) << "the main file first";
    }
    return calls;
}

} // namespace

// A failure at any rename of the commit leaves every earlier file as it was and no file of
// the new set; without one the new set replaces the earlier one, its stale index included.
TEST(StagedOutputTest, AFailureAtAnyRenameLeavesTheEarlierSetWhole)
{
    testing_support::TempDir dir;
    Fill(dir, kEarlier);
    bool committed = false;
    ExportError error;
    const int renames = Commit(dir, 0, committed, error);
    ASSERT_TRUE(committed) << error.text;
    // Three earlier files and the index set aside, four new ones put in place.
    EXPECT_EQ(renames, 8);
    Files expected = kNew;
    expected["other.txt"] = "not ours";
    EXPECT_EQ(Listing(dir.path()), expected);

    for (int failAt = 1; failAt <= renames; ++failAt) {
        Fill(dir, kEarlier);
        Commit(dir, failAt, committed, error);
        EXPECT_FALSE(committed) << "failure at rename " << failAt;
        EXPECT_NE(error.text.find("Input/output error"), std::string::npos) << error.text;
        // Named as the operator knows it: a file beside the target, never a staging one.
        EXPECT_EQ(error.failure.problem, ExportProblem::CannotReplace);
        EXPECT_EQ(error.failure.errorNumber, EIO);
        EXPECT_TRUE(kEarlier.count(std::filesystem::path(error.failure.file).filename().string()) != 0 ||
                    kNew.count(std::filesystem::path(error.failure.file).filename().string()) != 0)
            << error.failure.file;
        EXPECT_EQ(std::filesystem::path(error.failure.file).parent_path(), dir.path()) << error.failure.file;
        EXPECT_FALSE(error.failure.earlierKeptAside);
        EXPECT_EQ(Listing(dir.path()), kEarlier) << "failure at rename " << failAt;
    }
}

TEST(StagedOutputTest, ANewSetGoesInWhereThereWasNone)
{
    testing_support::TempDir dir;
    bool committed = false;
    ExportError error;
    EXPECT_EQ(Commit(dir, 0, committed, error), 4);
    ASSERT_TRUE(committed) << error.text;
    EXPECT_EQ(Listing(dir.path()), kNew);
    for (int failAt = 1; failAt <= 4; ++failAt) {
        Fill(dir);
        Commit(dir, failAt, committed, error);
        EXPECT_FALSE(committed);
        EXPECT_TRUE(Listing(dir.path()).empty()) << "failure at rename " << failAt;
    }
}

// When the earlier files cannot be put back either they are kept, and the failure says so.
TEST(StagedOutputTest, EarlierFilesThatCannotBePutBackAreKeptAndTold)
{
    testing_support::TempDir dir;
    Fill(dir, kEarlier);
    int calls = 0;
    // Only the first rename, which moves the stale index aside, succeeds.
    StagedOutput output(dir.File("t.shp"), {"t.qix"}, [&](const char* from, const char* to) {
        if (++calls > 1) {
            errno = EACCES;
            return -1;
        }
        return std::rename(from, to);
    });
    ExportError error;
    const std::string staged = Stage(output, error);
    EXPECT_FALSE(output.Commit(error));
    EXPECT_NE(error.text.find("could not be put back"), std::string::npos) << error.text;
    EXPECT_TRUE(error.failure.earlierKeptAside);
    EXPECT_EQ(error.failure.problem, ExportProblem::CannotReplace);
    EXPECT_EQ(error.failure.errorNumber, EACCES);
    EXPECT_EQ(std::filesystem::path(error.failure.file).parent_path(), dir.path()) << error.failure.file;
    EXPECT_TRUE(std::filesystem::exists(staged + "/.earlier/t.qix")) << "kept, not removed with the staging place";
}
