#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "support/TempDir.h"

using platform::Registry;

// Layout and values are pinned byte for byte by the settings test.
TEST(Registry, UnreadableLinesAreSkippedAndReportedWhileTheRestIsKept)
{
    std::string text = "[software\\A]\n"
                       "\"good\"=dword:00000005\n"
                       "\"bad hex\"=hex:0g,00\n"
                       "\"odd hex\"=hex:0\n"
                       "\"trailing comma\"=hex:01,\n"
                       "\"too long\"=dword:123456789\n"
                       "\"no equals\" dword:1\n"
                       "\"unterminated=dword:1\n"
                       "garbage line\n"
                       "[broken header\n"
                       "\"lost\"=dword:00000001\n"
                       "[software\\B]\r\n"
                       "\"crlf\"=dword:0000000a\r\n";
    std::vector<std::string> problems;
    Registry r = Registry::Parse(text, problems);
    EXPECT_EQ(problems.size(), 9u);
    EXPECT_EQ(problems.front().rfind("line 3:", 0), 0u);
    ASSERT_NE(r.Find("software\\A", "good"), nullptr);
    EXPECT_EQ(r.Find("software\\A", "good")->bytes, std::string("\x05\x00\x00\x00", 4));
    EXPECT_EQ(r.Find("software\\A", "lost"), nullptr);
    EXPECT_NE(r.Find("software\\B", "crlf"), nullptr);
}

TEST(Registry, MissingFileIsEmptyOversizedIsRefusedSavedValuesReadBack)
{
    testing_support::TempDir dir;
    std::vector<std::string> problems;
    EXPECT_EQ(Registry::LoadFile(dir.File("none.reg"), problems), Registry{});
    EXPECT_TRUE(problems.empty());
    testing_support::WriteFile(dir.File("huge.reg"), std::string(5u << 20, ';'));
    EXPECT_EQ(Registry::LoadFile(dir.File("huge.reg"), problems), Registry{});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("too large"), std::string::npos);

    Registry r;
    r.SetDword("software\\A", "name with \"quote\" and \\ slash", 7);
    r.SetBinary("software\\A", "empty", "");
    // Port map entries are the strings settings keep: a lost or mangled one loses a device.
    r.SetString("software\\Dalmar\\LurControl\\Serial ports", "COM5", "/dev/with \"quotes\"\\and\nnewline");
    ASSERT_TRUE(r.SaveFile(dir.File("a/b/settings.reg")).ok);
    EXPECT_EQ(Registry::LoadFile(dir.File("a/b/settings.reg"), problems), r);
}
