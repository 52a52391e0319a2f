// The GPS track over the track page's map in a large window, with the operator walked far off:
// drawn on the map where the readings' values are painted, and nowhere else.
#include <QApplication>
#include <QImage>
#include <cmath>
#include <vector>

#include "graphics/NoDataValue.h"
#include "session/WorkSession.h"
#include "support/SyntheticGround.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageView2.h"
#include "ui/Eventually.h"
#include "ui/HardwareKeys.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"

using testing_support::SheetTest;

namespace {

GpsFix FixAt(double east, double north)
{
    constexpr double kLatitude = 55.75, kLongitude = 37.6, kMetre = 1.0 / 111195.0;
    return GpsFix{kLatitude + north * kMetre, kLongitude + east * kMetre / std::cos(kLatitude * M_PI / 180), 0};
}

// The bounding boxes of the map's diamonds: pixels holding values, joined side to side.
std::vector<QRect> Diamonds(const ValueSurface& canvas, const QRect& map)
{
    std::vector<char> seen(size_t(canvas.Width()) * size_t(canvas.Height()), 0);
    std::vector<QRect> boxes;
    for (int y = map.top(); y <= map.bottom(); ++y) {
        for (int x = map.left(); x <= map.right(); ++x) {
            if (seen[size_t(y) * canvas.Width() + x] || canvas.GetValue(x, y) == kNoDataValue)
                continue;
            QRect box(x, y, 1, 1);
            std::vector<QPoint> open{{x, y}};
            seen[size_t(y) * canvas.Width() + x] = 1;
            while (!open.empty()) {
                const QPoint p = open.back();
                open.pop_back();
                box |= QRect(p, QSize(1, 1));
                for (const QPoint& q : {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)}) {
                    if (!map.contains(q) || seen[size_t(q.y()) * canvas.Width() + q.x()] ||
                        canvas.GetValue(q.x(), q.y()) == kNoDataValue)
                        continue;
                    seen[size_t(q.y()) * canvas.Width() + q.x()] = 1;
                    open.push_back(q);
                }
            }
            boxes.push_back(box);
        }
    }
    return boxes;
}

} // namespace

TEST_F(SheetTest, InALargeWindowTheTrackLiesOnTheMapWhereItsReadingsArePainted)
{
    Settings().workType = kWorkGpsTrack;
    Settings().gpsTrackRadius = 3;
    Settings().showGpsTrack = 1;
    Sheet().resize(1280, 800);
    BeginWork();
    CPropertyPageView2& view = Sheet().PageView2();
    ASSERT_TRUE(testing_support::Eventually([this] { return !Engine().ExchangeRunning(); }));

    // 5 × 4 readings some 12 m by 9 m apart; the operator 3.6 km south-west, so that what
    // leads there would cross the controls below the map.
    TrackDataSet& track = *Sheet().Work()->Track();
    uint32_t k = 0;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 5; ++i, ++k) {
            const double east = 12.0 * i + 0.37 * ((i * 7 + j * 3) % 5);
            const double north = 9.0 * j + 0.53 * ((i * 3 + j * 5) % 4);
            ASSERT_TRUE(track.RestoreReading(k, testing_support::GroundRecord(east, north, k), FixAt(east, north)));
        }
    }
    ASSERT_TRUE(track.SetCursor(k));
    ASSERT_TRUE(track.SetCurrentFix(FixAt(-2000, -3000)));
    QApplication::processEvents();
    view.OnKeyDown(hardware_key::kEnter, false);
    view.repaint();
    ASSERT_EQ(MeasurementPage::kMapGraph, view.ShownGraph());

    const QImage on = view.grab().toImage();
    Settings().showGpsTrack = 0;
    const QImage off = view.grab().toImage();
    ASSERT_EQ(on.size(), off.size());
    const QWidget* frame = view.findChild<QWidget*>("1001");
    ASSERT_NE(nullptr, frame);
    const QRect map = frame->geometry();
    ASSERT_GE(map.width(), 1200);

    int drawn = 0;
    for (int y = 0; y < on.height(); ++y) {
        for (int x = 0; x < on.width(); ++x) {
            if (on.pixel(x, y) == off.pixel(x, y))
                continue;
            ASSERT_TRUE(map.contains(x, y)) << "the track drawn off the map at " << x << ", " << y;
            ++drawn;
        }
    }
    EXPECT_GT(drawn, 0);

    // Each diamond the edge of the map leaves whole has the track through its centre.
    const std::vector<QRect> diamonds = Diamonds(view.Canvas(), map);
    ASSERT_EQ(diamonds.size(), size_t(k));
    QRect painted;
    for (const QRect& d : diamonds)
        painted |= d;
    int whole = 0;
    for (const QRect& d : diamonds) {
        if (d.left() == painted.left() || d.right() == painted.right() || d.top() == painted.top() ||
            d.bottom() == painted.bottom())
            continue;
        ++whole;
        const QPoint centre = d.center();
        bool through = false;
        for (int y = centre.y() - 2; y <= centre.y() + 2; ++y)
            for (int x = centre.x() - 2; x <= centre.x() + 2; ++x)
                through = through || on.pixel(x, y) != off.pixel(x, y);
        EXPECT_TRUE(through) << "nothing drawn at the reading painted around " << centre.x() << ", " << centre.y();
    }
    EXPECT_GE(whole, 6);
}
