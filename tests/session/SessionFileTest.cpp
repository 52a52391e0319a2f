#include <gtest/gtest.h>

#include <filesystem>

#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "support/ScriptedSource.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"

using testing_support::PutChannel;
using testing_support::ReadFile;
using testing_support::SampleRecord;
using testing_support::WriteFile;

namespace {

class SessionFileTest : public testing_support::SettingsTest {
protected:
    std::unique_ptr<SurveyDataSet> Measured(int32_t workType, int32_t xSize, int32_t ySize, int readings)
    {
        Settings().workType = workType;
        Settings().xSize = xSize;
        Settings().ySize = ySize;
        auto d = std::make_unique<SurveyDataSet>(Settings());
        ScriptedSource source;
        for (int i = 0; i < readings; ++i)
            EXPECT_EQ(d->Measure(source), MeasureOutcome::Stored);
        return d;
    }
    std::string Serialized(DataSet& d, bool clear = false)
    {
        ByteWriter w;
        EXPECT_TRUE(d.Serialize(w, clear));
        return w.Data();
    }
    std::unique_ptr<DataSet> Reopen(DataSet& d)
    {
        const std::string path = dir.File("reopen.lur");
        EXPECT_TRUE(SaveSession(d, path).ok);
        OpenSessionResult opened = OpenSession(path, Settings());
        EXPECT_EQ(opened.error, "");
        return std::move(opened.dataSet);
    }
};

// 14 calibration lines of one kind: "Fn=value".
std::string Indexed(const std::string& key, double value)
{
    std::string lines;
    for (int n = 1; n <= 14; ++n)
        lines += key + std::to_string(n) + "=" + std::to_string(value * n) + "\n";
    return lines;
}

} // namespace

TEST_F(SessionFileTest, MapFileIsByteExact)
{
    Settings().xStep = 1.5f;
    Settings().yStep = 2.0f;
    Settings().sessionExtra1 = 0x01020304;
    Settings().sessionExtra2 = -1;
    Settings().headerText1 = "Профиль №1";
    Settings().headerText3 = "x";
    Settings().reportedSerial = 0x12345; // only the low 16 bits are written
    auto d = Measured(kWorkMap, 3, 2, 6);
    const CalibrationKey key = Settings().calibrationKey;

    SessionBytes expected(1908);
    expected.Header("\xCF\xF0\xEE\xF4\xE8\xEB\xFC \xB9"
                    "1",
                    "", "x", key.day, key.month, key.year, 0x2345);
    expected.Put16(782, 0);
    expected.Put32(784, 788);
    expected.Put32(788, 0x01020304);
    expected.Put32(792, 0xFFFFFFFF);
    expected.Put32(796, 3);
    expected.Put32(800, 2);
    expected.PutF64(804, 1.5);
    expected.PutF64(812, 2.0);
    expected.Put32(820, 0);
    expected.Put32(824, 828);
    for (uint32_t k = 0; k < 6; ++k)
        expected.PutRecord(828 + 180 * k, SampleRecord(k + 1));

    EXPECT_TRUE(d->Modified());
    EXPECT_EQ(Serialized(*d, true), expected.bytes);
    EXPECT_FALSE(d->Modified());
}

TEST_F(SessionFileTest, SerialFallsBackToTheCalibrationKey)
{
    auto d = Measured(kWorkMap, 1, 2, 0);
    const std::string bytes = Serialized(*d);
    EXPECT_EQ(uint8_t(bytes[780]) | uint8_t(bytes[781]) << 8, Settings().calibrationKey.serial);
    EXPECT_EQ(bytes.size(), 828u + 2 * 180);
}

TEST_F(SessionFileTest, LimitedProfileReopensAsLimitedProfile)
{
    auto d = Measured(kWorkLimitedProfile, 10, 5, 4);
    const std::string bytes = Serialized(*d);
    ASSERT_EQ(bytes.size(), 828u + 10 * 180);
    EXPECT_EQ(bytes.substr(796, 8), std::string("\x0A\0\0\0\x01\0\0\0", 8));
    EXPECT_EQ(bytes.substr(820, 4), std::string(4, '\0'));

    Settings().workType = kWorkMap;
    Settings().xSize = 3;
    auto reopened = Reopen(*d);
    ASSERT_TRUE(reopened);
    auto* survey = dynamic_cast<SurveyDataSet*>(reopened.get());
    ASSERT_TRUE(survey);
    EXPECT_EQ(Settings().workType, kWorkLimitedProfile);
    EXPECT_EQ(Settings().xSize, 10);
    EXPECT_EQ(survey->XSize(), 10u);
    EXPECT_EQ(survey->RecordCount(), 10u);
    EXPECT_TRUE(testing_support::SameRecords(survey->Records(), d->Records()));
}

TEST_F(SessionFileTest, ProfileReopensAsOpenEndedProfile)
{
    // Settings "xSize" keeps its default of 20 in the profile work type.
    auto d = Measured(kWorkProfile, 20, 10, 22);
    ASSERT_EQ(d->RecordCount(), 22u);
    const std::string bytes = Serialized(*d);
    EXPECT_EQ(bytes.substr(796, 8), std::string("\x16\0\0\0\x01\0\0\0", 8));
    EXPECT_EQ(bytes.substr(820, 4), std::string("\x01\0\0\0", 4));

    auto reopened = Reopen(*d);
    auto* survey = dynamic_cast<SurveyDataSet*>(reopened.get());
    ASSERT_TRUE(survey);
    EXPECT_EQ(Settings().workType, kWorkProfile);
    EXPECT_EQ(survey->XSize(), 0u);
    EXPECT_TRUE(testing_support::SameRecords(survey->Records(), d->Records()));
    // It keeps growing.
    for (int i = 0; i < 22; ++i)
        survey->NextPosition();
    ScriptedSource source;
    EXPECT_EQ(survey->Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(survey->RecordCount(), 23u);
}

TEST_F(SessionFileTest, MapWithoutStationsIsAnOpenProfileThatReopens)
{
    auto d = Measured(kWorkMap, 0, 4, 3);
    EXPECT_EQ(d->XSize(), 0u);
    EXPECT_EQ(d->YSize(), 1u);
    EXPECT_EQ(Settings().gridProfiles, 1);
    auto back = Reopen(*d);
    ASSERT_TRUE(back);
    EXPECT_EQ(Settings().workType, kWorkProfile);
    ASSERT_EQ(back->RecordCount(), d->RecordCount());
    for (size_t k = 0; k < d->RecordCount(); ++k)
        EXPECT_EQ(back->Record(k).bytes, d->Record(k).bytes) << k;
}

TEST_F(SessionFileTest, MapRoundTripRestoresSettingsAndResetsState)
{
    Settings().xStep = 0.25f;
    Settings().yStep = 4.0f;
    Settings().sessionExtra1 = 11;
    Settings().sessionExtra2 = 22;
    Settings().headerText2 = "Участок Б";
    auto d = Measured(kWorkMap, 4, 3, 7);
    const std::string path = dir.File("map.lur");
    ASSERT_TRUE(SaveSession(*d, path).ok);

    Settings().workType = kWorkProfile;
    Settings().xSize = 9;
    Settings().ySize = 9;
    Settings().xStep = 7;
    Settings().yStep = 7;
    Settings().sessionExtra1 = 0;
    Settings().headerText2.clear();
    OpenSessionResult opened = OpenSession(path, Settings());
    auto* survey = dynamic_cast<SurveyDataSet*>(opened.dataSet.get());
    ASSERT_TRUE(survey);
    EXPECT_EQ(Settings().workType, kWorkMap);
    EXPECT_EQ(Settings().xSize, 4);
    EXPECT_EQ(Settings().ySize, 3);
    EXPECT_EQ(Settings().xStep, 0.25f);
    EXPECT_EQ(Settings().yStep, 4.0f);
    EXPECT_EQ(Settings().sessionExtra1, 11);
    EXPECT_EQ(Settings().sessionExtra2, 22);
    EXPECT_EQ(Settings().headerText2, "Участок Б");
    EXPECT_TRUE(testing_support::SameRecords(survey->Records(), d->Records()));
    EXPECT_FALSE(survey->Modified());
    EXPECT_EQ(survey->Name(), "");
    EXPECT_EQ(survey->CurrentIndex(), 0u);
}

TEST_F(SessionFileTest, UsedFrequenciesComeFromTheFirstMeasuredRecord)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 3;
    Settings().ySize = 2;
    SurveyDataSet d(Settings());
    MeasurementRecord first, second;
    PutChannel(first, 0, 1, 1, 1, 1);
    PutChannel(first, 3, 1, 1, 1, 1);
    PutChannel(first, 13, 1, 1, 1, 1);
    PutChannel(second, 5, 1, 1, 1, 1);
    d.StoreRecord(2, first);
    d.StoreRecord(4, second);
    auto reopened = Reopen(d);
    ASSERT_TRUE(reopened);
    const std::array<int32_t, 14> expected{1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(Settings().usedFrequencies, expected);

    // An all-empty file leaves them as they are.
    SurveyDataSet empty(Settings());
    Settings().usedFrequencies.fill(1);
    ASSERT_TRUE(Reopen(empty));
    EXPECT_EQ(Settings().usedFrequencies[1], 1);
}

TEST_F(SessionFileTest, OpeningInstallsTheCalibrationOfTheLastInstrument)
{
    WriteCalibration("[LUR 5]\nDate=01/01/2008\n" + Indexed("F", 1.0) + "[LUR 17]\nDate=01/03/2010\n" +
                     Indexed("F", 2.5));
    auto d = Measured(kWorkMap, 2, 2, 1);
    // Serial 5 chosen by hand, but instrument 17 answered last.
    Settings().InstallSet({5, 2008, 1, 1});
    Settings().reportedSerial = 17;
    const std::string path = dir.File("cal.lur");
    ASSERT_TRUE(SaveSession(*d, path).ok);
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.substr(776, 6), std::string("\x01\x01\xD8\x07\x11\x00", 6));

    Settings().reportedSerial = 0;
    OpenSessionResult opened = OpenSession(path, Settings());
    ASSERT_TRUE(opened.dataSet);
    // No set of 17 on or before 2008-01-01: the earliest later one is installed.
    EXPECT_EQ(Settings().calibrationKey, (CalibrationKey{17, 2010, 3, 1}));
    EXPECT_DOUBLE_EQ(Settings().currentCalibration.F[1], 5.0);
}

TEST_F(SessionFileTest, SaveReplacesTheFileOnlyWhenWritten)
{
    auto d = Measured(kWorkMap, 2, 2, 3);
    const std::string path = dir.File("s.lur");
    WriteFile(path, "previous contents");
    ASSERT_TRUE(SaveSession(*d, path).ok);
    EXPECT_EQ(ReadFile(path), Serialized(*d));
    EXPECT_EQ(d->Name(), path);
    EXPECT_FALSE(d->Modified());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u); // no temporary file left beside it

    ScriptedSource source;
    d->Measure(source);
    const platform::FileResult failed = SaveSession(*d, dir.File("missing/dir/s.lur"));
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.empty());
    EXPECT_TRUE(d->Modified());
    EXPECT_EQ(d->Name(), path);
}

TEST_F(SessionFileTest, LongHeaderTextIsCutAt255Bytes)
{
    Settings().headerText1 = std::string(300, 'a');
    Settings().headerText2 = "Ж"; // one byte in the code page, two in UTF-8
    auto d = Measured(kWorkMap, 1, 2, 0);
    const std::string bytes = Serialized(*d);
    EXPECT_EQ(uint8_t(bytes[8]), 255);
    EXPECT_EQ(bytes.substr(9, 255), std::string(255, 'a'));
    EXPECT_EQ(bytes.substr(264, 3), std::string("\x01\xC6\x00", 3));
    SessionImage image;
    ASSERT_EQ(ParseSession(bytes, image), "");
    EXPECT_EQ(image.texts[0], std::string(255, 'a'));
    EXPECT_EQ(image.texts[1], "Ж");
}
