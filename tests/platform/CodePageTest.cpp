#include <gtest/gtest.h>

#include "platform/CodePage.h"

using namespace platform;

TEST(CodePage, CyrillicBothWaysEveryByteRoundTripsAndTheRestIsAQuestionMark)
{
    const std::string utf8 = "Калибровочные данные, ёЁ №";
    const std::string cp1251 = "\xCA\xE0\xEB\xE8\xE1\xF0\xEE\xE2\xEE\xF7\xED\xFB\xE5 \xE4\xE0\xED\xED\xFB\xE5, \xB8\xA8 \xB9";
    EXPECT_EQ(Utf8ToCp1251(utf8), cp1251);
    EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, char(b));
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(byte)), b == 0x98 ? "?" : byte) << b;
    }
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD"); // unassigned: the replacement character
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b"); // a CJK character
    EXPECT_EQ(Utf8ToCp1251("x\xC3"), "x?");              // cut sequence
    EXPECT_EQ(Utf8ToCp1251("\x80\xBF"), "??");           // stray continuation bytes
    EXPECT_EQ(Utf8ToCp1251("\xE2\x82\xAC"), "\x88");     // the euro sign exists in 1251
}
