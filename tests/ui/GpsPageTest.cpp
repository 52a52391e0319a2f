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
    EXPECT_EQ(36u * 3, PrnListText(crowded).size()); // no more than the table holds
}

TEST_F(GpsPageTest, RefreshesOnlyWhileShown)
{
    Settings().workType = kWorkGpsTrack;
    SheetEvent begin(UM_BEGIN_WORK);
    QCoreApplication::sendEvent(&Sheet(), &begin);
    ASSERT_EQ(4, Sheet().PageCount());
    EXPECT_FALSE(Sheet().PageGps().Refreshing());
    ASSERT_TRUE(Sheet().SetActivePage(3));
    EXPECT_TRUE(Sheet().PageGps().Refreshing());
    ASSERT_TRUE(Sheet().SetActivePage(0));
    EXPECT_FALSE(Sheet().PageGps().Refreshing());
}

} // namespace
