#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "platform/ConfigDirectory.h"
#include "platform/FileIO.h"
#include "support/TempDir.h"

using namespace platform;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(FileIO, AtomicWriteReplacesTheFileOrKeepsThePreviousOne)
{
    TempDir dir;
    WriteFile(dir.File("f"), "old contents");
    ASSERT_TRUE(WriteFileAtomically(dir.File("f"), "new").ok);
    EXPECT_EQ(ReadFile(dir.File("f")), "new");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        entries += e.is_regular_file();
    EXPECT_EQ(entries, 1);

    // The target is a directory, so the final rename must fail after the data was written.
    std::filesystem::create_directory(dir.File("target"));
    WriteFile(dir.File("target/keep"), "x");
    FileResult r = WriteFileAtomically(dir.File("target"), "data");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("target"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("target/keep")), "x");

    FileResult missing = WriteFileAtomically(dir.File("no/such/dir/f"), "data");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("No such file"), std::string::npos);
}

TEST(FileIO, ReadWholeFileRefusesLargeFilesAndDirectories)
{
    TempDir dir;
    WriteFile(dir.File("f"), std::string(100, 'a'));
    std::string contents;
    EXPECT_TRUE(ReadWholeFile(dir.File("f"), 100, contents).ok);
    EXPECT_EQ(contents.size(), 100u);
    EXPECT_FALSE(ReadWholeFile(dir.File("f"), 99, contents).ok);
    EXPECT_FALSE(ReadWholeFile(dir.path(), 1000, contents).ok);
    EXPECT_FALSE(ReadWholeFile(dir.File("absent"), 1000, contents).ok);
}

TEST(ConfigDirectory, OverrideAndXdgLocation)
{
    SetConfigDirectoryOverride("/some/where/");
    EXPECT_EQ(ConfigDirectory(), "/some/where");
    SetConfigDirectoryOverride("");
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(ConfigDirectory(), "/xdg/Dalmar/LurControl");
    ::setenv("XDG_CONFIG_HOME", "relative", 1); // not absolute: ignored as XDG asks
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(ConfigDirectory(), "/home/u/.config/Dalmar/LurControl");

    TempDir dir;
    EXPECT_TRUE(MakeDirectories(dir.File("x/y/z")));
    struct stat st {};
    EXPECT_EQ(::stat(dir.File("x/y/z").c_str(), &st), 0);
    WriteFile(dir.File("file"), "");
    EXPECT_FALSE(MakeDirectories(dir.File("file/sub")));
}
