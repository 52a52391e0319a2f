#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ConfigDirectory.h"
#include "platform/FileIO.h"
#include "support/TempDir.h"

using namespace platform;
using testing_support::ReadFile;
using testing_support::WriteFile;

TEST(FileIO, AtomicWriteReplacesTheFileOrKeepsThePreviousOneAndReadsAreBounded)
{
    testing_support::TempDir dir;
    WriteFile(dir.File("f"), "old contents");
    ASSERT_TRUE(WriteFileAtomically(dir.File("f"), "new").ok);
    EXPECT_EQ(ReadFile(dir.File("f")), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temporary left

    // The target is a directory, so the final rename must fail after the data was written.
    std::filesystem::create_directory(dir.File("target"));
    WriteFile(dir.File("target/keep"), "x");
    FileResult r = WriteFileAtomically(dir.File("target"), "data");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("target"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("target/keep")), "x");
    EXPECT_NE(WriteFileAtomically(dir.File("no/such/dir/f"), "data").error.find("No such file"), std::string::npos);

    std::string contents;
    EXPECT_TRUE(ReadWholeFile(dir.File("f"), 3, contents).ok);
    EXPECT_EQ(contents, "new");
    EXPECT_FALSE(ReadWholeFile(dir.File("f"), 2, contents).ok);
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

    testing_support::TempDir dir;
    EXPECT_TRUE(MakeDirectories(dir.File("x/y/z")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("x/y/z")));
    WriteFile(dir.File("file"), "");
    EXPECT_FALSE(MakeDirectories(dir.File("file/sub")));
}
