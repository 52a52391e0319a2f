#include <string>

#include "ui/CPropertyPageGPSView.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"

using testing_support::SheetTest;

namespace {

class GpsPageTest : public SheetTest {
protected:
    void Feed(const std::string& sentences)
    {
        parser.Feed(reinterpret_cast<const uint8_t*>(sentences.data()), sentences.size());
    }
    // A sentence with its checksum appended.
    static std::string Sentence(const std::string& body)
    {
        uint8_t sum = 0;
        for (char c : body)
            sum ^= static_cast<uint8_t>(c);
        char tail[8];
        std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        return "$" + body + tail;
    }
    CPropertyPageGPSView& Page() { return Sheet().PageGps(); }
};

TEST_F(GpsPageTest, BeforeAnySentenceShowsTheResetState)
{
    Page().UpdateControls();
    const std::pair<int, const char*> expected[] = {
        {1064, "0.000000"}, {1065, "0.000000"}, {1066, "0.00 км/ч"}, {1067, "Недоступно"},
        {1068, "Недоступно"}, {1072, "0"},       {1073, ""},          {1074, "00:00:00"},
        {1075, "01/01/2000"}, {1076, "0"},
    };
    for (auto [id, text] : expected)
        EXPECT_EQ(text, Page().ValueText(id).toStdString()) << id;
}

TEST_F(GpsPageTest, ShowsWhatTheParserDecoded)
{
    Feed(Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,010.0,084.4,230394,003.1,W") +
         Sentence("GPGSA,A,3,05,12,29,,,,,,,,,,2.5,1.3,2.1") +
         Sentence("GPGSV,1,1,03,05,40,083,46,12,17,308,41,29,07,344,39"));
    Page().UpdateControls();
    const std::pair<int, const char*> expected[] = {
        {1064, "48.117300"}, {1065, "11.516667"}, {1066, "18.52 км/ч"}, {1067, "Данные верны"},
        {1068, "3D Fix"},    {1069, "2.10"},      {1070, "1.30"},       {1071, "2.50"},
        {1072, "3"},         {1073, "05 12 29 "}, {1074, "12:35:19"},   {1075, "23/03/1994"},
        {1076, "3"},
    };
    for (auto [id, text] : expected)
        EXPECT_EQ(text, Page().ValueText(id).toStdString()) << id;
}

TEST_F(GpsPageTest, FixModeAndPrnListEdges)
{
    GpsData data;
    data.satellitesInView = 40;
    for (int i = 0; i < kMaxSatellites; ++i)
        data.satellites[static_cast<size_t>(i)].prn = static_cast<uint16_t>(i + 1);
    EXPECT_EQ(36 * 3, PrnListText(data).size()); // no more than the table holds
    Feed(Sentence("GPGSA,A,0,,,,,,,,,,,,,,,"));
    Page().UpdateControls();
    EXPECT_EQ("Неизвестно", Page().ValueText(1068).toStdString());
}

TEST_F(GpsPageTest, RefreshesOnlyWhileShown)
{
    Settings().workType = kWorkGpsTrack;
    Sheet().show();
    SheetEvent begin(UM_BEGIN_WORK);
    QCoreApplication::sendEvent(&Sheet(), &begin);
    ASSERT_EQ(4, Sheet().PageCount());
    EXPECT_FALSE(Page().Refreshing());
    ASSERT_TRUE(Sheet().SetActivePage(3));
    EXPECT_TRUE(Page().Refreshing());
    ASSERT_TRUE(Sheet().SetActivePage(0));
    EXPECT_FALSE(Page().Refreshing());
}

} // namespace
