#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "support/TempDir.h"

using platform::Registry;
using platform::RegistryValue;

namespace {

const std::string kSection = "software\\Dalmar\\LurControl\\Default values";

} // namespace

TEST(Registry, SerializedTextReadsBackToTheSameValues)
{
    Registry r;
    r.SetDword(kSection, "Work type", 31);
    r.SetDword(kSection, "", 0xFFFFFFFF); // the unnamed default value
    r.SetDword(kSection, "Режим трассоискателя включён", 1);
    r.SetBinary(kSection, "xStep", std::string("\x00\x00\x80\x3f", 4));
    r.SetBinary(kSection, "empty", "");
    r.SetBinary(kSection, "Проф. кривая: профиль %u, частота %u", std::string("\x07\x00", 2));
    r.SetString("software\\Dalmar\\LurControl\\Serial ports", "COM5", "/dev/with \"quotes\"\\and\nnewline");
    r.SetDword(kSection, "name with \"quote\" and \\ slash", 7);

    const std::string text = r.Serialize();
    EXPECT_NE(text.find("[software\\Dalmar\\LurControl\\Default values]\n"), std::string::npos);
    EXPECT_NE(text.find("@=dword:ffffffff\n"), std::string::npos);
    EXPECT_NE(text.find("\"Work type\"=dword:0000001f\n"), std::string::npos);
    EXPECT_NE(text.find("\"xStep\"=hex:00,00,80,3f\n"), std::string::npos);
    std::vector<std::string> problems;
    Registry back = Registry::Parse(text, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back, r);
    const RegistryValue* unnamed = back.Find(kSection, "");
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->kind, RegistryValue::Kind::Dword);
    EXPECT_EQ(unnamed->bytes, std::string("\xFF\xFF\xFF\xFF", 4));
}
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
    ASSERT_NE(r.Find("software\\A", "good"), nullptr);
    EXPECT_EQ(r.Find("software\\A", "good")->bytes, std::string("\x05\x00\x00\x00", 4));
    EXPECT_EQ(r.Find("software\\A", "bad hex"), nullptr);
    EXPECT_EQ(r.Find("software\\A", "lost"), nullptr);
    ASSERT_NE(r.Find("software\\B", "crlf"), nullptr);
    EXPECT_EQ(problems.front().rfind("line 3:", 0), 0u);
}

TEST(Registry, MissingFileIsEmptyOversizedIsRefusedSaveCreatesDirectories)
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
    r.SetDword(kSection, "x", 1);
    std::string nested = dir.File("a/b/settings.reg");
    ASSERT_TRUE(r.SaveFile(nested).ok);
    problems.clear();
    EXPECT_EQ(Registry::LoadFile(nested, problems), r);
    EXPECT_TRUE(problems.empty());
}
