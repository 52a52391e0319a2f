#include <gtest/gtest.h>

#include <cmath>

#include "support/TempDir.h"
#include "survey/CalibrationStore.h"

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
    static CalibrationKey Key(uint16_t serial) { return {serial, 2000, 1, 1}; } // of a section without a date
};

TEST_F(CalibrationStoreTest, ParsesCommentsQuotesDatesAndKeys)
{
    CalibrationStore store = MakeStore();
    ASSERT_TRUE(Merge(store, "a.ini",
                      "; heading comment\n[LUR 5] trailing words\n  Date = 28/02/2007 ;in format dd/mm/yyyy\n"
                      "Comment=\"a;b\"\n" + F +
                          "XP3=0.5 ; a note\nM1_2 = -1.25e-3\nGF1=1.45E-08\nIA15=9\nXP0=9\n"
                          "rt=0.1525\nUnknown=1\nno equals sign here\n"
                          "YP2=abc\nYA1=nan\nCC1=inf\nXA1=1e999\nrt=nan\n" // numbers that are not are ignored
                          "[LUR 1]\nDate=28\n" + F + "[LUR 3]\nDate=5.6.2011\n" + F +
                          "[LUR 4]\nComment=\xCF\xF0\xE8\xE1\xEE\xF0 \xB9" "1\n" + F +
                          "[LUR 7]\nComment=  edge blanks \"x\" \n" + F));
    const CalibrationSet* set = store.FindSet({5, 2007, 2, 28});
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->comment, "a;b");
    EXPECT_EQ(set->XP[2], 0.5);
    EXPECT_EQ(set->M1[1], -1.25e-3);
    EXPECT_EQ(set->GF[0], 1.45e-08);
    EXPECT_EQ(set->IA, (std::array<double, 14>{}));
    EXPECT_EQ(set->XP[0], 0.0);
    EXPECT_EQ(set->rt, 0.1525); // not replaced by the later nan
    EXPECT_EQ((std::array{set->YP[1], set->YA[0], set->CC[0], set->XA[0]}), (std::array<double, 4>{}));
    EXPECT_DOUBLE_EQ(set->DC[3], std::sqrt(1.0 / 4.0));
    EXPECT_TRUE(store.Modified());
    EXPECT_NE(store.FindSet({1, 2000, 1, 28}), nullptr) << "date fields that do not parse keep their defaults";
    EXPECT_NE(store.FindSet({3, 2011, 6, 5}), nullptr);
    EXPECT_EQ(store.FindSet(Key(4))->comment, "Прибор №1"); // comments are in Windows-1251
    EXPECT_EQ(store.FindSet(Key(7))->comment, "edge blanks \"x\"");
    // A line far longer than the reader takes: its tail must not become a key of its own.
    ASSERT_TRUE(Merge(store, "long.ini", "[LUR 6]\nComment=" + std::string(3000, 'x') + "F1=999\n" + F));
    EXPECT_EQ(store.FindSet(Key(6))->F[0], 1.0);
    // Serial from the file name; keys before the first header and a section of serial 0 are discarded.
    ASSERT_TRUE(Merge(store, "DEruziv_LUR#17.ini", "Comment=from name\n" + F));
    EXPECT_EQ(store.FindSet(Key(17))->comment, "from name");
    ASSERT_TRUE(Merge(store, "DEruziv_LUR#18.ini", "Comment=lost\n" + F + "[LUR 0]\n" + F + "[LUR 19]\n" + F));
    ASSERT_TRUE(Merge(store, "plain.ini", "Comment=x\n" + F)); // no header, no serial: nothing
    EXPECT_EQ(store.Sets().size(), 8u);
    EXPECT_EQ(store.FindSet(Key(18)), nullptr);
    EXPECT_FALSE(store.MergeFile(dir.File("absent.ini")));
}

TEST_F(CalibrationStoreTest, ZeroOrMissingFrequencyRejectsTheSetAndStopsReading)
{
    CalibrationStore store = MakeStore();
    std::string noF7 = F;
    noF7.erase(noF7.find("F7=7\n"), 5);
    MergeOutcome outcome;
    ASSERT_TRUE(Merge(store, "a.ini", "[LUR 1]\n" + F + "[LUR 2]\n" + F + "F3=0\n[LUR 3]\n" + F, &outcome));
    EXPECT_EQ(store.FindSet(Key(2)), nullptr);
    EXPECT_EQ(store.FindSet(Key(3)), nullptr);
    ASSERT_TRUE(outcome.rejected);
    EXPECT_EQ(outcome.rejected->serial, 2);
    // A frequency missing from a later section is not inherited from the one before.
    ASSERT_TRUE(Merge(store, "b.ini", "[LUR 4]\n" + F + "[LUR 5]\n" + noF7));
    EXPECT_EQ(store.Sets().size(), 2u);
    EXPECT_EQ(store.FindSet(Key(5)), nullptr);
}

TEST_F(CalibrationStoreTest, DifferentDuplicateSetsAskYesNoCancel)
{
    CalibrationStore store = MakeStore("[LUR 7]\nDate=01/02/2003\nComment=old\nrt=1\n" + F);
    EXPECT_FALSE(store.Modified()); // the initial load is no change
    ASSERT_TRUE(Merge(store, "rt.ini", "[LUR 7]\nDate=01/02/2003\nComment=old\nrt=2\n" + F));
    EXPECT_TRUE(questions.empty()) << "the same sets, or scalars alone, are no difference";
    EXPECT_FALSE(store.Modified());
    answers = {OverwriteAnswer::Cancel};
    MergeOutcome outcome;
    ASSERT_TRUE(Merge(store, "c.ini", "[LUR 7]\nDate=01/02/2003\nComment=newer\n" + F + "[LUR 10]\n" + F, &outcome));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Калибровочные данные для TORVAL 7 (01/02/2003) уже существуют. Перезаписать? | "
                            "Перезаписать TORVAL 7, 01/02/2003?");
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(store.FindSet({7, 2003, 2, 1})->comment, "old");
    EXPECT_EQ(store.FindSet(Key(10)), nullptr);
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

TEST_F(CalibrationStoreTest, SelectionFallsBackByDateThenSerialThenToTheBuiltInSet)
{
    WriteFile(dir.File("c.ini"), "[LUR 5]\nDate=01/01/2007\n" + F + "[LUR 5]\nDate=01/01/2009\n" + F +
                                     "[LUR 3]\nDate=01/01/2020\n" + F);
    CalibrationStore store(dir.File("c.ini")), empty(dir.File("none.ini"));
    const struct {
        CalibrationStore* store;
        CalibrationKey key, expected;
    } cases[] = {
        {&store, {5, 2009, 1, 1}, {5, 2009, 1, 1}}, // the latest set on or before the date
        {&store, {5, 2008, 12, 31}, {5, 2007, 1, 1}},
        {&store, {5, 2006, 12, 31}, {5, 2007, 1, 1}}, // none before: the earliest after
        {&store, {4, 2008, 1, 1}, {3, 2020, 1, 1}},   // unknown serial: the first set in key order
        {&empty, {5, 2008, 6, 10}, {9, 2007, 2, 28}},
    };
    for (auto c : cases) {
        c.store->SelectSet(c.key);
        EXPECT_EQ(c.key, c.expected);
    }
    CalibrationKey key{5, 2008, 6, 10};
    const CalibrationSet& builtIn = empty.SelectSet(key);
    EXPECT_EQ(builtIn.comment, "CСтандартные калибровочные данные для TORVAL 9, 28/02/2007");
    EXPECT_EQ(builtIn.IA[13], 101059.3); // the last value; LayoutOfOneSet pins the first ones
}

} // namespace
