#include <QLabel>
#include <string>

#include "gps/NmeaTestSentences.h"
#include "ui/CPropertyPageGPSView.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"

using testing_support::SheetTest;

namespace {

class GpsPageTest : public SheetTest {
protected:
    void ExpectTexts(std::initializer_list<std::pair<int, const char*>> expected)
    {
        CPropertyPageGPSView& page = Sheet().PageGps();
        page.UpdateControls();
        for (auto [id, text] : expected)
            EXPECT_EQ(text, page.ValueText(id).toStdString()) << id;
    }
    void Feed(const std::string& sentences)
    {
        parser.Feed(reinterpret_cast<const uint8_t*>(sentences.data()), sentences.size());
    }
};

TEST_F(GpsPageTest, ShowsTheResetStateThenWhatTheParserDecoded)
{
    ExpectTexts({{1064, "0.000000"}, {1066, "0.00 км/ч"}, {1067, "Недоступно"}, {1068, "Недоступно"},
                 {1073, ""}, {1074, "00:00:00"}, {1075, "01/01/2000"}, {1076, "0"}});
    Feed(Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,010.0,084.4,230394,003.1,W") +
         Sentence("GPGSA,A,3,05,12,29,,,,,,,,,,2.5,1.3,2.1") +
         Sentence("GPGSV,1,1,03,05,40,083,46,12,17,308,41,29,07,344,39"));
    ExpectTexts({{1064, "48.117300"}, {1065, "11.516667"}, {1066, "18.52 км/ч"}, {1067, "Данные верны"},
                 {1068, "3D Fix"}, {1069, "2.10"}, {1070, "1.30"}, {1071, "2.50"}, {1072, "3"},
                 {1073, "05 12 29 "}, {1074, "12:35:19"}, {1075, "23/03/1994"}, {1076, "3"}});
    Feed(Sentence("GPGSA,A,0,,,,,,,,,,,,,,,"));
    ExpectTexts({{1068, "Неизвестно"}});

    GpsData crowded;
    crowded.satellitesInView = 40;
    for (SatelliteInfo& satellite : crowded.satellites)
        satellite.prn = 7;
    EXPECT_EQ(36u * 3, PrnListText(crowded).size()); // no more than the table holds
}

// A receiver of several systems: its satellites per system, the rows of its sky table, and
// how the machine's clock stands against GPS time.
TEST_F(GpsPageTest, ShowsEverySystemAndTheClock)
{
    const std::string fix = Sentence("GNRMC,101500.00,A,5545.20000,N,03737.60000,E,0.210,,150624,,,A") +
                            Sentence("GNGGA,101500.00,5545.20000,N,03737.60000,E,1,05,1.04,151.2,M,14.6,M,,");
    Feed(fix + Sentence("GNGSA,A,3,02,05,,,,,,,,,,,1.92,1.04,1.61") +
         Sentence("GNGSA,A,3,66,67,76,,,,,,,,,,1.92,1.04,1.61") +
         Sentence("GPGSV,1,1,03,02,61,140,38,05,22,301,31,12,47,077,40") +
         Sentence("GLGSV,1,1,03,66,30,060,29,67,55,119,33,76,24,337,26") + fix);
    ExpectTexts({{1077, "GP 2/3 ГЛ 3/3"}, {1073, "02 05 12 66 67 76 "}, {1078, "нет данных"}});
    EXPECT_EQ("GPS 2/3, ГЛОНАСС 3/3", Sheet().PageGps().Layout().Get<QLabel>(1077)->toolTip().toStdString());

    using std::chrono::milliseconds;
    EXPECT_EQ("верны", ClockText(milliseconds(-400)).toStdString());
    EXPECT_EQ("отстают на 2.5 с", ClockText(milliseconds(2500)).toStdString());
    EXPECT_EQ("спешат на 40.0 с", ClockText(milliseconds(-40000)).toStdString());
    clockOffset.Measure(std::chrono::system_clock::now() + std::chrono::hours(1));
    Sheet().PageGps().UpdateControls();
    EXPECT_EQ(0, Sheet().PageGps().ValueText(1078).indexOf("отстают на 3600"));
}

TEST_F(GpsPageTest, RefreshesOnlyWhileShown)
{
    Settings().workType = kWorkGpsTrack;
    BeginWork();
    ASSERT_EQ(4, Sheet().PageCount());
    EXPECT_FALSE(Sheet().PageGps().Refreshing());
    ASSERT_TRUE(Sheet().SetActivePage(3));
    EXPECT_TRUE(Sheet().PageGps().Refreshing());
    ASSERT_TRUE(Sheet().SetActivePage(0));
    EXPECT_FALSE(Sheet().PageGps().Refreshing());
}

} // namespace
