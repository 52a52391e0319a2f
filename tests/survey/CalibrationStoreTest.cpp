#include <gtest/gtest.h>

#include <cmath>

#include "support/TempDir.h"
#include "survey/CalibrationStore.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// F1=1 .. F14=14, so that a section passes validation.
std::string Frequencies()
{
    std::string text;
    for (int n = 1; n <= 14; ++n)
        text += "F" + std::to_string(n) + "=" + std::to_string(n) + "\n";
    return text;
}
const std::string F = Frequencies();

struct CalibrationStoreTest : ::testing::Test {
    TempDir dir;
    std::vector<std::string> questions;
    std::vector<OverwriteAnswer> answers;

    CalibrationStore MakeStore(const std::string& initial = "")
    {
        if (!initial.empty())
            WriteFile(dir.File("store.ini"), initial);
        return CalibrationStore(dir.File("store.ini"), [this](const std::string& text, const std::string& caption) {
            questions.push_back(text + " | " + caption);
            const OverwriteAnswer a = answers.empty() ? OverwriteAnswer::No : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return a;
        });
    }
    bool Merge(CalibrationStore& store, const std::string& name, const std::string& text, MergeOutcome* outcome = nullptr)
    {
        WriteFile(dir.File(name), text);
        return store.MergeFile(dir.File(name), outcome);
    }
};

TEST_F(CalibrationStoreTest, ParsesCommentsQuotesDatesAndKeys)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "a.ini",
                      "; heading comment\n[LUR 5] trailing words\n  Date = 28/02/2007 ;in format dd/mm/yyyy\n"
                      "Comment=\"a;b\"\n" + F +
                          "XP3=0.5 ; a note\nM1_2 = -1.25e-3\nM2_14=7\nGF1=1.45E-08\nIA15=9\nXP0=9\n"
                          "rt=0.1525\nnt=38\nr1=1.496\nr2=2.508\nUnknown=1\nno equals sign here\n"
                          "YP2=abc\nYA1=nan\nCC1=inf\nXA1=1e999\nrt=nan\nnt=inf\n" // numbers that are not are ignored
                          "[LUR 1]\nDate=28\n" + F + "[LUR 2]\nDate=\n" + F + "[LUR 3]\nDate=5.6.2011\n" + F +
                          "[LUR 4]\nComment=\xCF\xF0\xE8\xE1\xEE\xF0 \xB9" "1\n" + F));
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
    EXPECT_EQ((std::array{set->YP[1], set->YA[0], set->CC[0], set->XA[0]}), (std::array<double, 4>{}));
    EXPECT_DOUBLE_EQ(set->DC[3], std::sqrt(1.0 / 4.0));
    EXPECT_TRUE(store.Modified());
    // Date fields that do not parse keep their defaults.
    EXPECT_NE(store.FindSet({1, 2000, 1, 28}), nullptr);
    EXPECT_NE(store.FindSet({2, 2000, 1, 1}), nullptr);
    EXPECT_NE(store.FindSet({3, 2011, 6, 5}), nullptr);
    EXPECT_EQ(store.Sets().size(), 5u);
    EXPECT_EQ(store.FindSet({4, 2000, 1, 1})->comment, "Прибор №1"); // comments are in Windows-1251
    // A line far longer than the reader takes: its tail must not become a key of its own.
    ASSERT_TRUE(Merge(store, "long.ini", "[LUR 6]\nComment=" + std::string(3000, 'x') + "F1=999\n" + F));
    ASSERT_NE(store.FindSet({6, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({6, 2000, 1, 1})->F[0], 1.0);
    EXPECT_LT(store.FindSet({6, 2000, 1, 1})->comment.size(), 1024u);
}

TEST_F(CalibrationStoreTest, FileNameSerialHeaderlessFilesAndDiscardedKeys)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "DEruziv_LUR#17.ini", "Date=01/03/2010\nComment=from name\n" + F));
    ASSERT_NE(store.FindSet({17, 2010, 3, 1}), nullptr);
    EXPECT_EQ(store.FindSet({17, 2010, 3, 1})->comment, "from name");
    // Keys before the first header are discarded; so is a section of serial 0.
    ASSERT_TRUE(Merge(store, "DEruziv_LUR#18.ini",
                      "Comment=lost\n" + F + "[LUR 0]\nComment=zero\n" + F + "[LUR 19]\nComment=kept\n" + F));
    EXPECT_EQ(store.Sets().size(), 2u);
    EXPECT_EQ(store.FindSet({19, 2000, 1, 1})->comment, "kept");
    // No header and no serial in the name: nothing is stored.
    ASSERT_TRUE(Merge(store, "plain.ini", "Comment=x\n" + F));
    EXPECT_EQ(store.Sets().size(), 2u);
    EXPECT_FALSE(store.MergeFile(dir.File("absent.ini")));
}

TEST_F(CalibrationStoreTest, ZeroOrMissingFrequencyRejectsTheSetAndStopsReading)
{
    CalibrationStore store = MakeStore();
    MergeOutcome outcome;
    ASSERT_TRUE(Merge(store, "a.ini", "[LUR 1]\n" + F + "[LUR 2]\n" + F + "F3=0\n[LUR 3]\n" + F, &outcome));
    EXPECT_NE(store.FindSet({1, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({2, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({3, 2000, 1, 1}), nullptr);
    ASSERT_TRUE(outcome.rejected);
    EXPECT_EQ(outcome.rejected->serial, 2);
    // A frequency missing from a later section is not inherited from the one before.
    std::string noF7 = F;
    noF7.erase(noF7.find("F7=7\n"), 5);
    MergeOutcome second;
    ASSERT_TRUE(Merge(store, "b.ini", "[LUR 4]\n" + F + "[LUR 5]\n" + noF7, &second));
    EXPECT_NE(store.FindSet({4, 2000, 1, 1}), nullptr);
    EXPECT_EQ(store.FindSet({5, 2000, 1, 1}), nullptr);
    EXPECT_TRUE(second.rejected);
}

TEST_F(CalibrationStoreTest, DifferentDuplicateSetsAskYesNoCancel)
{
    CalibrationStore store =
        MakeStore("[LUR 7]\nDate=01/02/2003\nComment=old\nrt=1\n" + F + "[LUR 8]\nComment=old\n" + F);
    EXPECT_FALSE(store.Modified()); // the initial load is no change
    ASSERT_TRUE(store.MergeFile(dir.File("store.ini")));
    ASSERT_TRUE(Merge(store, "rt.ini", "[LUR 7]\nDate=01/02/2003\nComment=old\nrt=2\n" + F));
    EXPECT_TRUE(questions.empty()) << "the same sets, or scalars alone, are no difference";
    EXPECT_FALSE(store.Modified());
    EXPECT_EQ(store.FindSet({7, 2003, 2, 1})->rt, 1.0);

    answers = {OverwriteAnswer::No, OverwriteAnswer::Yes};
    ASSERT_TRUE(Merge(store, "b.ini", "[LUR 7]\nDate=01/02/2003\nComment=new\n" + F + "[LUR 8]\nComment=new\n" + F +
                                          "[LUR 9]\n" + F));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0], "Калибровочные данные для TORVAL 7 (01/02/2003) уже существуют. Перезаписать? | "
                            "Перезаписать TORVAL 7, 01/02/2003?");
    EXPECT_EQ(store.FindSet({7, 2003, 2, 1})->comment, "old");
    EXPECT_EQ(store.FindSet({8, 2000, 1, 1})->comment, "new");
    EXPECT_NE(store.FindSet({9, 2000, 1, 1}), nullptr);

    questions.clear();
    answers = {OverwriteAnswer::Cancel};
    MergeOutcome outcome;
    ASSERT_TRUE(Merge(store, "c.ini", "[LUR 7]\nDate=01/02/2003\nComment=newer\n" + F + "[LUR 10]\n" + F, &outcome));
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(store.FindSet({7, 2003, 2, 1})->comment, "old");
    EXPECT_EQ(store.FindSet({10, 2000, 1, 1}), nullptr);
}

TEST_F(CalibrationStoreTest, LayoutOfOneSet)
{
    CalibrationSet set = BuiltInCalibrationSet();
    set.comment = "Прибор";
    const std::string text = CalibrationSectionText({9, 2007, 2, 8}, set);
    const std::string head = "[LUR 9]\n\tDate=08/02/2007 ;in format dd/mm/yyyy\n\tComment=\xCF\xF0\xE8\xE1\xEE\xF0\n"
                             "\t;Frequencies\n\tF1=2.501\n\tF2=3.081\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    const std::string tail = "\t;R\n\trt=0.1525\n\tnt=38\n\tr1=1.496\n\tr2=2.508\n\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    // Groups in their fixed order.
    size_t at = 0;
    for (const char* g : {"\tF14=250.004\n\t;XPrimary\n\tXP1=0.9293\n", "\t;YPrimary\n",
                          "\t;CurrentCoef\n\tCC1=0.000108\n\tCC2=8.51E-05\n", "\t;XAir\n", "\t;YAir\n",
                          "\t;IAir\n\tIA1=33428.4\n", "\t;M1\n\tM1_1=0.0429\n", "\t;M2\n",
                          "\t;GainFactor\n\tGF1=1.45E-08\n", "\t;R\n"}) {
        at = text.find(g, at);
        ASSERT_NE(at, std::string::npos) << g;
    }
}

TEST_F(CalibrationStoreTest, SavedFileReadsBackToTheSameSets)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "a.ini",
                      "[LUR 5]\nDate=01/01/2007\nComment=\"semi;colon\"\n" + F +
                          "XP1=0.123456789012\nYA2=-1e-300\nIA3=1234567.5\nrt=3.3333333333\n"
                          "[LUR 5]\nDate=01/01/2008\nComment=  edge blanks \"x\" \n" + F +
                          "[LUR 65535]\nDate=31/12/2099\nComment=Прибор 1\n" + F));
    EXPECT_EQ(store.FindSet({5, 2008, 1, 1})->comment, "edge blanks \"x\"");
    ASSERT_TRUE(store.SaveFile(dir.File("saved.ini")));
    EXPECT_FALSE(store.Modified());
    // That every set reads back the same for any input is fuzz/CalibrationFileFuzz's check.
    CalibrationStore reread(dir.File("saved.ini"));
    ASSERT_EQ(reread.Sets().size(), 3u);
    const CalibrationSet* back = reread.FindSet({5, 2007, 1, 1});
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->XP[0], 0.123456789012);
    EXPECT_EQ(back->YA[1], -1e-300);
    EXPECT_EQ(back->IA[2], 1234567.5);
    EXPECT_EQ(back->rt, 3.3333333333);
    EXPECT_EQ(back->comment, "semi;colon");
    EXPECT_EQ(reread.FindSet({5, 2008, 1, 1})->comment, "edge blanks \"x\"");
    EXPECT_EQ(reread.FindSet({65535, 2099, 12, 31})->comment, store.FindSet({65535, 2099, 12, 31})->comment);
    EXPECT_NE(ReadFile(dir.File("saved.ini")).find("\tF10=10\n"), std::string::npos) << "six significant digits";
}

TEST_F(CalibrationStoreTest, DestructorWritesOnlyWhenModified)
{
    {
        CalibrationStore store = MakeStore("[LUR 1]\n" + F + "[LUR 2]\n" + F);
        EXPECT_FALSE(store.RemoveSet({3, 2000, 1, 1}));
        EXPECT_FALSE(store.Modified());
        EXPECT_TRUE(store.RemoveSet({1, 2000, 1, 1}));
        EXPECT_TRUE(store.Modified());
    }
    CalibrationStore reread(dir.File("store.ini"));
    EXPECT_EQ(reread.Sets().size(), 1u);
    EXPECT_NE(reread.FindSet({2, 2000, 1, 1}), nullptr);
}

TEST_F(CalibrationStoreTest, SelectionFallsBackByDateThenSerialThenToTheBuiltInSet)
{
    std::string sets;
    for (const char* date : {"01/01/2007", "01/01/2008", "01/01/2009"})
        sets += std::string("[LUR 5]\nDate=") + date + "\n" + F;
    WriteFile(dir.File("c.ini"), sets + "[LUR 3]\nDate=01/01/2020\n" + F);
    WriteFile(dir.File("d.ini"), "[LUR 5]\nDate=01/01/2009\n" + F);
    CalibrationStore store(dir.File("c.ini")), single(dir.File("d.ini")), empty(dir.File("none.ini"));
    const struct {
        CalibrationStore* store;
        CalibrationKey key, expected;
    } cases[] = {
        {&store, {5, 2008, 6, 10}, {5, 2008, 1, 1}}, // the latest set on or before the date
        {&store, {5, 2009, 1, 1}, {5, 2009, 1, 1}},
        {&store, {5, 2030, 1, 1}, {5, 2009, 1, 1}},
        {&store, {5, 1999, 1, 1}, {5, 2007, 1, 1}}, // none before: the earliest after
        {&store, {4, 2008, 1, 1}, {3, 2020, 1, 1}}, // unknown serial: the first set in key order
        {&single, {5, 2008, 6, 10}, {5, 2009, 1, 1}},
        {&empty, {5, 2008, 6, 10}, {9, 2007, 2, 28}},
    };
    for (auto c : cases) {
        c.store->SelectSet(c.key);
        EXPECT_EQ(c.key, c.expected);
    }
    CalibrationKey key{5, 2008, 6, 10};
    const CalibrationSet& builtIn = empty.SelectSet(key);
    EXPECT_EQ(builtIn.comment, "CСтандартные калибровочные данные для TORVAL 9, 28/02/2007");
    EXPECT_EQ(builtIn.IA[13], 101059.3);
    EXPECT_DOUBLE_EQ(builtIn.DC[13], std::sqrt(2.501 / 250.004));
}

} // namespace
