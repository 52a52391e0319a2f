#include "ui/CPropertyPageView2.h"

#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

#include "graphics/PainterContext.h"
#include "graphics/TrackOverlay.h"
#include "session/WorkSession.h"
#include "settings/CSettings.h"
#include "track/TrackDataSet.h"
#include "ui/HardwareKeys.h"
#include "ui/SheetEvents.h"
#include "ui/UpDownControl.h"

namespace {

constexpr uint32_t kPaintRunning = 0xFFFFFFFF;
constexpr uint32_t kOverlayPeriodMs = 1000;
constexpr int kRadiusEdit = 1044;
constexpr int kRadiusSpin = 1049;

constexpr ControlSpec kControls[] = {
    {1001, ControlKind::Frame, "", 0, 10, 160, 119},
    {1002, ControlKind::Frame, "", 0, 10, 160, 119},
    {1003, ControlKind::Frame, "", 0, 10, 160, 119},
    {1004, ControlKind::Frame, "", 0, 10, 80, 119},
    {1005, ControlKind::Frame, "", 0, 10, 160, 119},
    {1040, ControlKind::Frame, "", 82, 130, 77, 38},
    {1041, ControlKind::Button, "Старт", 1, 130, 32, 38},
    {0, ControlKind::Label, "Радиус", 34, 132, 27, 10},
    {kRadiusEdit, ControlKind::ReadOnlyEdit, "", 61, 130, 12, 12},
    {kRadiusSpin, ControlKind::UpDown, "", 73, 130, 7, 12},
    {0, ControlKind::Label, "Пикет", 34, 144, 27, 10},
    {1062, ControlKind::ReadOnlyEdit, "", 61, 143, 20, 12},
    {1054, ControlKind::Label, "Част.", 34, 157, 23, 10},
    {1043, ControlKind::ReadOnlyEdit, "", 61, 156, 12, 12},
    {1048, ControlKind::UpDown, "", 73, 156, 7, 12},
    {1075, ControlKind::Label, "Заголовок", 0, 1, 111, 9},
    {1074, ControlKind::Label, "-", 115, 1, 22, 8},
    {1069, ControlKind::RightLabel, "", 140, 1, 20, 9},
};

} // namespace

CPropertyPageView2::CPropertyPageView2(PageServices& services)
    : MeasurementPage(services, "Главная", kControls),
      clock_(services.ticks != nullptr ? *services.ticks : platform::SystemTicks())
{
    connect(layout_.Get<UpDownControl>(kRadiusSpin), &UpDownControl::DeltaPos, this,
            [this](int delta) { RadiusStep(delta); });
}

void CPropertyPageView2::SetWork(WorkSession* work)
{
    MeasurementPage::SetWork(work);
    track_ = work != nullptr ? work->Track() : nullptr;
    fixWatch_.reset();
    fixTimer_.stop();
    gpsUnreachable_ = false;
    if (track_ == nullptr)
        return;
    FixQualityMonitor::Limits limits;
    if (services_.settings.gpsHdopLimit > 0)
        limits.hdop = services_.settings.gpsHdopLimit;
    fixWatch_.emplace(clock_, limits);
    fixTimer_.start(kFixWatchMs, this);
}

FixQualityMonitor::State CPropertyPageView2::FixState() const
{
    return fixWatch_ ? fixWatch_->Current() : FixQualityMonitor::State::NoFixYet;
}

QString CPropertyPageView2::FixText() const
{
    const GpsFixQuality& q = track_ != nullptr ? track_->CurrentFix().quality : GpsFixQuality{};
    const QString hdop = q.hdop > 0 ? QString::asprintf(" HDOP %.1f", q.hdop) : QString();
    switch (FixState()) {
    case FixQualityMonitor::State::NoFixYet:
        return gpsUnreachable_ ? "GPS: не подключён" : "GPS: ждём решения";
    case FixQualityMonitor::State::Lost:
        return "GPS: нет решения";
    case FixQualityMonitor::State::Degraded:
        return "GPS: плохо," + hdop;
    case FixQualityMonitor::State::Good:
        break;
    }
    const QString mode = q.fixType == 2 ? " 2D" : q.fixType == 3 ? " 3D" : "";
    return "GPS" + mode + hdop;
}

void CPropertyPageView2::FixChanged(FixQualityMonitor::Change change)
{
    if (change == FixQualityMonitor::Change::None)
        return;
    // Once for each change: the operator hears the track degrade and recover.
    Beep();
    update();
}

void CPropertyPageView2::OnGpsConnectionFailed()
{
    gpsUnreachable_ = true;
    update();
}

void CPropertyPageView2::WatchFix()
{
    if (fixWatch_)
        FixChanged(fixWatch_->Poll());
}

void CPropertyPageView2::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == fixTimer_.timerId())
        WatchFix();
    else
        MeasurementPage::timerEvent(event);
}

void CPropertyPageView2::ResetDisplayState()
{
    shownReading_ = lastReading_ = 0;
    shownGraph_ = 0;
    lastFrequency_ = lastRadius_ = 0;
    redrawProgress_ = false;
    rebuildGraphs_ = true;
    SetRepaintPending(true);
    lastPaintTime_ = 0;
}

void CPropertyPageView2::OnSetActive()
{
    if (track_ != nullptr)
        currentIndex_ = track_->CurrentIndex();
    MeasurementPage::OnSetActive();
}

void CPropertyPageView2::ApplyRadiusToGridder()
{
    if (track_ != nullptr)
        track_->ScatteredGridder().radius = static_cast<int32_t>(radius_);
}

void CPropertyPageView2::LoadFromSettings()
{
    MeasurementPage::LoadFromSettings();
    radius_ = static_cast<uint32_t>(services_.settings.gpsTrackRadius);
    ApplyRadiusToGridder();
}

void CPropertyPageView2::StoreToSettings()
{
    MeasurementPage::StoreToSettings();
    services_.settings.gpsTrackRadius = static_cast<int32_t>(radius_);
}

void CPropertyPageView2::DoDataExchange(DataExchange& dx)
{
    int32_t radius = static_cast<int32_t>(radius_);
    int32_t index = static_cast<int32_t>(currentIndex_);
    int32_t frequency = static_cast<int32_t>(frequency_);
    dx.Integer(layout_.Get<QLineEdit>(kRadiusEdit), radius, 2, 99);
    dx.PositiveInt(layout_.Get<QLineEdit>(1062), index, 0, INT32_MAX);
    dx.PositiveInt(layout_.Get<QLineEdit>(1043), frequency, 0, INT32_MAX);
    if (dx.Saving() && dx.Ok()) {
        radius_ = static_cast<uint32_t>(radius);
        currentIndex_ = static_cast<uint32_t>(index);
        frequency_ = static_cast<uint32_t>(frequency);
    }
}

void CPropertyPageView2::RadiusStep(int delta)
{
    uint32_t radius = radius_ - static_cast<uint32_t>(delta);
    if (radius < 2)
        radius += ((99 - radius) / 98) * 98;
    if (radius > 99)
        radius -= ((radius - 2) / 98) * 98;
    radius_ = radius;
    ApplyRadiusToGridder();
    UpdateData(false);
}

bool CPropertyPageView2::GraphAllowed(uint32_t graph) const
{
    if (track_ == nullptr)
        return false;
    const CSettings& s = services_.settings;
    const int64_t n = static_cast<int64_t>(track_->RecordCount());
    switch (graph) {
    case kMapGraph:
        return s.showMap != 0 && n >= s.minPointsScatteredMap;
    case kSectionGraph:
        return s.showSection != 0 && n >= s.minStationsSection;
    case kProfileCurveGraph:
        return s.showProfileCurve != 0 && n >= s.minStationsProfileCurve;
    case kSoundingGraph:
        return s.showSoundingCurve != 0;
    case kInvertedSectionGraph:
        return s.inversionOn != 0;
    default:
        return false;
    }
}

GraphPosition CPropertyPageView2::ShownPosition() const
{
    return GraphPosition{0, 0, shownReading_};
}

QString CPropertyPageView2::GraphTitle(uint32_t graph) const
{
    switch (graph) {
    case kMapGraph:
        return QString::asprintf("Карта: частота %u", frequency_);
    case kSectionGraph:
        return QString::asprintf("Разрез: профиль %u", 0u);
    case kProfileCurveGraph:
        return QString::asprintf("Проф. кривая: профиль %u, частота %u", 0u, frequency_);
    case kInvertedSectionGraph:
        return "Разрез (инверсия)";
    default:
        return QString::asprintf("Кривая зондирования: пикет %u", shownReading_);
    }
}

void CPropertyPageView2::KeepOrDropShownGraph()
{
    if (shownGraph_ == kMapGraph && (lastFrequency_ != frequency_ || lastRadius_ != radius_))
        shownGraph_ = kNoGraph;
    else if (shownGraph_ == kProfileCurveGraph && lastFrequency_ != frequency_)
        shownGraph_ = GraphBefore(kProfileCurveGraph);
    else if (shownGraph_ == kSoundingGraph && lastReading_ != shownReading_)
        shownGraph_ = GraphBefore(kSoundingGraph);
    lastRadius_ = radius_;
    lastReading_ = shownReading_;
    lastFrequency_ = frequency_;
}

void CPropertyPageView2::MoveByKey(int code, bool autoRepeat)
{
    using namespace hardware_key;
    // Held down, the arrows speed up: 1 step for the press and nine repeats, then 2, 3, ...
    uint32_t steps = 1;
    if (!autoRepeat) {
        held_ = 0;
    } else {
        steps = (held_ + 1) / 10 + 1;
        held_ += steps;
    }
    for (uint32_t k = 0; k < steps; ++k) {
        if (code == kLeft)
            track_->PreviousStation();
        else if (code == kUp)
            track_->NextProfile();
        else if (code == kRight)
            track_->NextStation();
        else if (code == kDown)
            track_->PreviousProfile();
    }
    currentIndex_ = track_->CurrentIndex();
    UpdateData(false);
    RequestRepaint(false, true);
}

void CPropertyPageView2::ShowCurrentPosition()
{
    // After the last reading (where an opened track goes on) the last one is what there is to show.
    shownReading_ = track_ != nullptr && currentIndex_ >= track_->RecordCount() && track_->RecordCount() > 0
                        ? uint32_t(track_->RecordCount() - 1)
                        : currentIndex_;
    RequestRepaint(true, true);
}

void CPropertyPageView2::AfterReading()
{
    shownReading_ = currentIndex_;
    currentIndex_ = track_->CurrentIndex();
}

bool CPropertyPageView2::event(QEvent* event)
{
    SeeCrossThreadEvents();
    const auto type = static_cast<uint32_t>(event->type());
    if (type != UM_READING_POSITION && type != UM_CURRENT_POSITION)
        return MeasurementPage::event(event);
    if (work_ == nullptr)
        return true;
    const PositionMessage& message = static_cast<PositionEvent*>(event)->Message();
    work_->ApplyPosition(message);
    if (type == UM_CURRENT_POSITION && fixWatch_) {
        gpsUnreachable_ = false;
        FixChanged(fixWatch_->OnFix(message.fix));
    }
    if (type == UM_CURRENT_POSITION && lastPaintTime_ != kPaintRunning &&
        clock_.Now() - lastPaintTime_ > kOverlayPeriodMs)
        RequestRepaint(false, true);
    return true;
}

void CPropertyPageView2::paintEvent(QPaintEvent* event)
{
    lastPaintTime_ = kPaintRunning;
    MeasurementPage::paintEvent(event);
    lastPaintTime_ = clock_.Now();
}

void CPropertyPageView2::PaintOverlay(QPainter& window)
{
    if (track_ == nullptr)
        return;
    MeasurementPage::PaintOverlay(window);
    if (services_.settings.showGpsTrack != 0) {
        // The live position may be far off the map: what leads there stays on the map.
        const QRect area = GraphRect(kMapGraph);
        window.save();
        window.setClipRect(area);
        PainterContext dc(window);
        PaintTrackOverlay(*track_, dc, ToPixelRect(area));
        window.restore();
    }
    // The fix over the track view's top edge, coloured by how far it can be trusted.
    const FixQualityMonitor::State state = FixState();
    const QColor colour = state == FixQualityMonitor::State::Good       ? QColor(0, 128, 0)
                          : state == FixQualityMonitor::State::Degraded ? QColor(200, 120, 0)
                          : state == FixQualityMonitor::State::Lost     ? QColor(200, 0, 0)
                                                                        : QColor(110, 110, 110);
    const QRect view = layout_.RectOf(1040);
    QFont font = window.font();
    font.setPixelSize(std::max(8, view.height() / 5));
    window.setFont(font);
    window.setPen(colour);
    window.drawText(view.adjusted(2, 1, -2, 0), Qt::AlignRight | Qt::AlignTop, FixText());
}

void CPropertyPageView2::AddViewMenuItems(QMenu& menu)
{
    MeasurementPage::AddViewMenuItems(menu);
    menu.addSeparator();
    QAction* action = menu.addAction("Показывать GPS трек");
    action->setData(kShowTrackCommand);
    action->setCheckable(true);
    action->setChecked(services_.settings.showGpsTrack != 0);
}

void CPropertyPageView2::OnViewCommand(int command)
{
    if (command != kShowTrackCommand)
        return MeasurementPage::OnViewCommand(command);
    services_.settings.showGpsTrack = services_.settings.showGpsTrack != 0 ? 0 : 1;
    RequestRepaint(false, false);
}
