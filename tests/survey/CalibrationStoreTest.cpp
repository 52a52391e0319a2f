#include <gtest/gtest.h>

#include <cmath>

#include "survey/CalibrationStore.h"
#include "support/TempDir.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Fourteen frequency lines F1=1 .. F14=14, so a section passes validation.
std::string Frequencies()
{
    std::string text;
    for (int n = 1; n <= 14; ++n)
        text += "F" + std::to_string(n) + "=" + std::to_string(n) + "\n";
    return text;
}

struct StoreFixture : ::testing::Test {
    TempDir dir;
    std::vector<std::string> questions;
    std::vector<OverwriteAnswer> answers;

    CalibrationStore MakeStore(const std::string& initial = "")
    {
        if (!initial.empty())
            WriteFile(dir.File("store.ini"), initial);
        return CalibrationStore(dir.File("store.ini"), [this](const std::string& text, const std::string& caption) {
            questions.push_back(text + " | " + caption);
            OverwriteAnswer a = answers.empty() ? OverwriteAnswer::No : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return a;
        });
    }
    bool Merge(CalibrationStore& store, const std::string& name, const std::string& text,
               MergeOutcome* outcome = nullptr)
    {
        WriteFile(dir.File(name), text);
        return store.MergeFile(dir.File(name), outcome);
    }
};

using CalibrationMerge = StoreFixture;

TEST_F(CalibrationMerge, CommentsQuotesDatesAndKeys)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "a.ini",
                      "; heading comment\n"
                      "[LUR 5] trailing words\n"
                      "  Date = 28/02/2007 ;in format dd/mm/yyyy\n"
                      "Comment=\"a;b\"\n" +
                          Frequencies() +
                          "XP3=0.5 ; a note\n"
                          "M1_2 = -1.25e-3\n"
                          "M2_14=7\n"
                          "GF1=1.45E-08\n"
                          "IA15=9\nXP0=9\n"
                          "rt=0.1525\nnt=38\nr1=1.496\nr2=2.508\n"
                          "Unknown=1\nno equals sign here\n"
                          "YP2=abc\nYA1=nan\nCC1=inf\nXA1=1e999\nrt=nan\nnt=inf\n")); // numbers that are not are ignored
    const CalibrationSet* set = store.FindSet({5, 2007, 2, 28});
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->comment, "a;b");
    EXPECT_EQ(set->XP[2], 0.5);
    EXPECT_EQ(set->M1[1], -1.25e-3);
    EXPECT_EQ(set->M2[13], 7.0);
    EXPECT_EQ(set->GF[0], 1.45e-08);
    EXPECT_EQ(set->IA, (std::array<double, 14>{}));
    EXPECT_EQ(set->XP[0], 0.0);
    EXPECT_EQ(set->rt, 0.1525); // not replaced by the later nan
    EXPECT_EQ(set->nt, 38.0);
    EXPECT_EQ(set->r2, 2.508);
    EXPECT_EQ(set->YP[1], 0.0);
    EXPECT_EQ(set->YA[0], 0.0);
    EXPECT_EQ(set->CC[0], 0.0);
    EXPECT_EQ(set->XA[0], 0.0);
    EXPECT_DOUBLE_EQ(set->DC[3], std::sqrt(1.0 / 4.0));
    EXPECT_TRUE(store.Modified());
}

TEST_F(CalibrationMerge, DateFieldsThatDoNotParseKeepTheirDefaultsAndCommentsAreDecoded)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "a.ini", "[LUR 1]\nDate=28\n" + Frequencies() + "[LUR 2]\nDate=\n" + Frequencies() +
                                          "[LUR 3]\nDate=5.6.2011\n" + Frequencies() +
                                          "[LUR 4]\nComment=\xCF\xF0\xE8\xE1\xEE\xF0 \xB9" "1\n" + Frequencies()));
    EXPECT_NE(store.FindSet({1, 2000, 1, 28}), nullptr);
    EXPECT_NE(store.FindSet({2, 2000, 1, 1}), nullptr);
    EXPECT_NE(store.FindSet({3, 2011, 6, 5}), nullptr);
    EXPECT_EQ(store.Sets().size(), 4u);
    EXPECT_EQ(store.FindSet({4, 2000, 1, 1})->comment, "Прибор №1"); // comments are in Windows-1251
}

TEST_F(CalibrationMerge, FileNameSerialHeaderlessFilesAndDiscardedKeys)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "DEruziv_LUR#17.ini", "Date=01/03/2010\nComment=from name\n" + Frequencies()));
    ASSERT_NE(store.FindSet({17, 2010, 3, 1}), nullptr);
    EXPECT_EQ(store.FindSet({17, 2010, 3, 1})->comment, "from name");

    // Keys before the first header are discarded; so is a section of serial 0.
    ASSERT_TRUE(Merge(store, "DEruziv_LUR#18.ini",
                      "Comment=lost\n" + Frequencies() + "[LUR 0]\nComment=zero\n" + Frequencies() +
                          "[LUR 19]\nComment=kept\n" + Frequencies()));
    EXPECT_EQ(store.Sets().size(), 2u);
    EXPECT_EQ(store.FindSet({19, 2000, 1, 1})->comment, "kept");

    // No header and no serial in the name: nothing is stored.
    ASSERT_TRUE(Merge(store, "plain.ini", "Comment=x\n" + Frequencies()));
    EXPECT_EQ(store.Sets().size(), 2u);
    EXPECT_FALSE(store.MergeFile(dir.File("absent.ini")));
}

TEST_F(CalibrationMerge, ZeroOrMissingFrequencyRejectsTheSetAndStopsReading)
{
    CalibrationStore store = MakeStore();
    MergeOutcome outcome;
    std::string noF7 = Frequencies();
    noF7.erase(noF7.find("F7=7\n"), 5);
    ASSERT_TRUE(Merge(store, "a.ini",
                      "[LUR 1]\n" + Frequencies() + "[LUR 2]\n" + Frequencies() + "F3=0\n[LUR 3]\n" + Frequencies(),
                      &outcome));
    EXPECT_NE(store.FindSet({1, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({2, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({3, 2000, 1, 1}), nullptr);
    ASSERT_TRUE(outcome.rejected);
    EXPECT_EQ(outcome.rejected->serial, 2);

    // A frequency missing from a later section is not inherited from the one before.
    MergeOutcome second;
    ASSERT_TRUE(Merge(store, "b.ini", "[LUR 4]\n" + Frequencies() + "[LUR 5]\n" + noF7, &second));
    EXPECT_NE(store.FindSet({4, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({5, 2000, 1, 1}), nullptr);
    EXPECT_TRUE(second.rejected);
}

TEST_F(CalibrationMerge, DuplicateSetsAskYesNoCancel)
{
    CalibrationStore store = MakeStore("[LUR 7]\nDate=01/02/2003\nComment=old\n" + Frequencies() +
                                       "[LUR 8]\nComment=old\n" + Frequencies());
    EXPECT_FALSE(store.Modified()); // the initial load is no change

    // The same sets again: nothing asked, nothing changed.
    ASSERT_TRUE(store.MergeFile(dir.File("store.ini")));
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(store.Modified());

    const std::string changed = "[LUR 7]\nDate=01/02/2003\nComment=new\n" + Frequencies() +
                                "[LUR 8]\nComment=new\n" + Frequencies() + "[LUR 9]\n" + Frequencies();
    answers = {OverwriteAnswer::No, OverwriteAnswer::Yes};
    ASSERT_TRUE(Merge(store, "b.ini", changed));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0], "Калибровочные данные для TORVAL 7 (01/02/2003) уже существуют. Перезаписать? | "
                            "Перезаписать TORVAL 7, 01/02/2003?");
    EXPECT_EQ(store.FindSet({7, 2003, 2, 1})->comment, "old");
    EXPECT_EQ(store.FindSet({8, 2000, 1, 1})->comment, "new");
    EXPECT_NE(store.FindSet({9, 2000, 1, 1}), nullptr);

    questions.clear();
    answers = {OverwriteAnswer::Cancel};
    MergeOutcome outcome;
    ASSERT_TRUE(Merge(store, "c.ini",
                      "[LUR 7]\nDate=01/02/2003\nComment=newer\n" + Frequencies() + "[LUR 10]\n" + Frequencies(),
                      &outcome));
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(store.FindSet({7, 2003, 2, 1})->comment, "old");
    EXPECT_EQ(store.FindSet({10, 2000, 1, 1}), nullptr);
}

TEST_F(CalibrationMerge, ScalarsAloneDoNotMakeASetDifferent)
{
    CalibrationStore store = MakeStore("[LUR 7]\nrt=1\n" + Frequencies());
    ASSERT_TRUE(Merge(store, "b.ini", "[LUR 7]\nrt=2\n" + Frequencies()));
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(store.FindSet({7, 2000, 1, 1})->rt, 1.0);
}

TEST_F(CalibrationMerge, HostileFilesNeverCrash)
{
    CalibrationStore store = MakeStore();
    std::string binary;
    for (int i = 0; i < 20000; ++i)
        binary += static_cast<char>((i * 131 + 7) & 0xFF);
    EXPECT_TRUE(Merge(store, "bin.ini", binary));
    // A line far longer than the reader takes: its tail must not become a key of its own.
    std::string longComment = "[LUR 3]\nComment=" + std::string(3000, 'x') + "F1=999\n" + Frequencies();
    ASSERT_TRUE(Merge(store, "long.ini", longComment));
    const CalibrationSet* set = store.FindSet({3, 2000, 1, 1});
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->F[0], 1.0);
    EXPECT_LT(set->comment.size(), 1024u);
    EXPECT_TRUE(Merge(store, "empty.ini", ""));
    EXPECT_TRUE(Merge(store, "headers.ini", "[LUR\n[LUR 99999999999]\n[ LUR -5 ]\n=\n==\n\"\n\\\n"));
}

using CalibrationSave = StoreFixture;

TEST_F(CalibrationSave, LayoutOfOneSet)
{
    CalibrationSet set = BuiltInCalibrationSet();
    set.comment = "Прибор";
    std::string text = CalibrationSectionText({9, 2007, 2, 8}, set);
    std::string expected = "[LUR 9]\n\tDate=08/02/2007 ;in format dd/mm/yyyy\n\tComment=\xCF\xF0\xE8\xE1\xEE\xF0\n"
                           "\t;Frequencies\n\tF1=2.501\n\tF2=3.081\n";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_NE(text.find("\tF14=250.004\n\t;XPrimary\n\tXP1=0.9293\n"), std::string::npos);
    EXPECT_NE(text.find("\t;GainFactor\n\tGF1=1.45E-08\n"), std::string::npos);
    EXPECT_NE(text.find("\t;CurrentCoef\n\tCC1=0.000108\n\tCC2=8.51E-05\n"), std::string::npos);
    EXPECT_NE(text.find("\t;IAir\n\tIA1=33428.4\n"), std::string::npos);
    EXPECT_NE(text.find("\t;M1\n\tM1_1=0.0429\n"), std::string::npos);
    const std::string tail = "\t;R\n\trt=0.1525\n\tnt=38\n\tr1=1.496\n\tr2=2.508\n\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    // Groups in their fixed order.
    const char* groups[] = {"Frequencies", "XPrimary", "YPrimary", "CurrentCoef", "XAir", "YAir",
                            "IAir", "M1", "M2", "GainFactor", "R"};
    size_t at = 0;
    for (const char* g : groups) {
        size_t found = text.find(std::string("\t;") + g + "\n", at);
        ASSERT_NE(found, std::string::npos) << g;
        at = found;
    }
}

TEST_F(CalibrationSave, SavedFileReadsBackToTheSameSets)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "a.ini",
                      "[LUR 5]\nDate=01/01/2007\nComment=\"semi;colon\"\n" + Frequencies() +
                          "XP1=0.123456789012\nYA2=-1e-300\nIA3=1234567.5\nrt=3.3333333333\n"
                          "[LUR 5]\nDate=01/01/2008\nComment=  edge blanks \"x\" \n" + Frequencies() +
                          "[LUR 65535]\nDate=31/12/2099\nComment=Прибор 1\n" + Frequencies()));
    // Edge blanks of a quoted value are trimmed on reading, so give the stored one some.
    CalibrationSet edited = *store.FindSet({5, 2008, 1, 1});
    EXPECT_EQ(edited.comment, "edge blanks \"x\"");
    ASSERT_TRUE(store.SaveFile(dir.File("saved.ini")));
    EXPECT_FALSE(store.Modified());

    CalibrationStore reread(dir.File("saved.ini"));
    ASSERT_EQ(reread.Sets().size(), store.Sets().size());
    for (const auto& [key, set] : store.Sets()) {
        const CalibrationSet* back = reread.FindSet(key);
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->SameAs(set)) << FormatCalibrationKey(key);
        EXPECT_EQ(back->rt, set.rt);
    }
    EXPECT_EQ(reread.FindSet({5, 2007, 1, 1})->XP[0], 0.123456789012);
    EXPECT_EQ(reread.FindSet({5, 2007, 1, 1})->comment, "semi;colon");
    // Six significant digits stay as they were written before.
    EXPECT_NE(ReadFile(dir.File("saved.ini")).find("\tF10=10\n"), std::string::npos);
}

TEST_F(CalibrationSave, DestructorWritesOnlyWhenModifiedAndRemoveSetMarks)
{
    {
        CalibrationStore store = MakeStore("[LUR 1]\n" + Frequencies() + "[LUR 2]\n" + Frequencies());
        EXPECT_FALSE(store.RemoveSet({3, 2000, 1, 1}));
        EXPECT_FALSE(store.Modified());
        EXPECT_TRUE(store.RemoveSet({1, 2000, 1, 1}));
        EXPECT_TRUE(store.Modified());
    }
    CalibrationStore reread(dir.File("store.ini"));
    EXPECT_EQ(reread.Sets().size(), 1u);
    EXPECT_NE(reread.FindSet({2, 2000, 1, 1}), nullptr);
}

TEST(CalibrationSelect, FallbacksByDateAndSerial)
{
    TempDir dir;
    std::string sets;
    for (const char* date : {"01/01/2007", "01/01/2008", "01/01/2009"})
        sets += std::string("[LUR 5]\nDate=") + date + "\n" + Frequencies();
    sets += "[LUR 3]\nDate=01/01/2020\n" + Frequencies();
    WriteFile(dir.File("c.ini"), sets);
    CalibrationStore store(dir.File("c.ini"));

    const std::pair<CalibrationKey, CalibrationKey> cases[] = {
        {{5, 2008, 6, 10}, {5, 2008, 1, 1}}, // the latest set on or before the date
        {{5, 2009, 1, 1}, {5, 2009, 1, 1}},
        {{5, 2030, 1, 1}, {5, 2009, 1, 1}},
        {{5, 1999, 1, 1}, {5, 2007, 1, 1}},  // none before: the earliest after
        {{4, 2008, 1, 1}, {3, 2020, 1, 1}},  // unknown serial: the first set in key order
    };
    for (auto [key, expected] : cases) {
        store.SelectSet(key);
        EXPECT_EQ(key, expected);
    }

    WriteFile(dir.File("d.ini"), "[LUR 5]\nDate=01/01/2009\n" + Frequencies());
    CalibrationStore single(dir.File("d.ini"));
    CalibrationKey key{5, 2008, 6, 10};
    single.SelectSet(key);
    EXPECT_EQ(key, (CalibrationKey{5, 2009, 1, 1}));

    CalibrationStore empty(dir.File("none.ini"));
    key = {5, 2008, 6, 10};
    const CalibrationSet& builtIn = empty.SelectSet(key);
    EXPECT_EQ(key, (CalibrationKey{9, 2007, 2, 28}));
    EXPECT_EQ(builtIn.comment, "CСтандартные калибровочные данные для TORVAL 9, 28/02/2007");
    EXPECT_EQ(builtIn.IA[13], 101059.3);
    EXPECT_DOUBLE_EQ(builtIn.DC[13], std::sqrt(2.501 / 250.004));
}

} // namespace
