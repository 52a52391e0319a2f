#include "ui/CPropertyPageW2.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "graphics/PainterContext.h"
#include "ui/SettingsFields.h"
#include "ui/UpDownControl.h"

namespace {

enum : int {
    kDepth = 1035,
    kPixelSize = 1041,
    kPixelSizeSpin = 1049,
    kManualSection = 1053,
    kSectionMin = 1042,
    kSectionMax = 1043,
    kManualMap = 1054,
    kMapMin = 1044,
    kMapMax = 1045,
    kTimer = 1055,
    kTimerCount = 1050,
    kTimerDelay = 1048,
    kShowSounding = 1036,
    kShowProfileCurve = 1046,
    kMinProfileCurve = 1047,
    kMinProfileCurveSpin = 1056,
    kFilterProfileCurve = 1061,
    kPointsToShow = 1059,
    kPointsToShowSpin = 1060,
    kShowSection = 1037,
    kMinSection = 1039,
    kMinSectionSpin = 1057,
    kShowMap = 1038,
    kMinMap = 1040,
    kMinMapSpin = 1058,
};

constexpr ControlSpec kControls[] = {
    {0, ControlKind::Label, "Глубина:", 4, 4, 32, 10},
    {kDepth, ControlKind::Edit, "", 36, 2, 30, 12},
    {0, ControlKind::Label, "м", 68, 4, 8, 10},
    {0, ControlKind::Label, "Размер пикселя:", 78, 4, 54, 10},
    {kPixelSize, ControlKind::NumberEdit, "", 132, 2, 17, 12},
    {kPixelSizeSpin, ControlKind::UpDown, "", 149, 2, 9, 12},
    {kManualSection, ControlKind::CheckBox, "Гамма (разрез)", 4, 17, 66, 10},
    {0, ControlKind::Label, "от", 72, 17, 10, 10},
    {kSectionMin, ControlKind::Edit, "", 82, 16, 32, 11},
    {0, ControlKind::Label, "до", 116, 17, 10, 10},
    {kSectionMax, ControlKind::Edit, "", 126, 16, 32, 11},
    {CPropertyPageW2::kSectionStrip, ControlKind::Frame, "", 4, 29, 152, 8},
    {kManualMap, ControlKind::CheckBox, "Гамма (карта)", 4, 41, 66, 10},
    {0, ControlKind::Label, "от", 72, 41, 10, 10},
    {kMapMin, ControlKind::Edit, "", 82, 40, 32, 11},
    {0, ControlKind::Label, "до", 116, 41, 10, 10},
    {kMapMax, ControlKind::Edit, "", 126, 40, 32, 11},
    {CPropertyPageW2::kMapStrip, ControlKind::Frame, "", 4, 53, 152, 8},
    {kTimer, ControlKind::CheckBox, "Таймер:", 4, 65, 38, 10},
    {kTimerCount, ControlKind::NumberEdit, "", 42, 64, 24, 11},
    {0, ControlKind::Label, "раз через", 68, 65, 36, 10},
    {kTimerDelay, ControlKind::NumberEdit, "", 104, 64, 30, 11},
    {0, ControlKind::Label, "мс", 136, 65, 14, 10},
    {0, ControlKind::GroupBox, "Визуализация", 2, 78, 156, 89},
    {kShowSounding, ControlKind::CheckBox, "Кривая зондирования", 8, 89, 140, 10},
    {kShowProfileCurve, ControlKind::CheckBox, "Проф. кривая после", 8, 101, 82, 10},
    {kMinProfileCurve, ControlKind::NumberEdit, "", 92, 100, 26, 11},
    {kMinProfileCurveSpin, ControlKind::UpDown, "", 118, 100, 8, 11},
    {0, ControlKind::Label, "пикетов", 128, 101, 30, 10},
    {kFilterProfileCurve, ControlKind::CheckBox, "Фильтр", 18, 113, 60, 10},
    {0, ControlKind::Label, "Показывать", 18, 126, 44, 10},
    {kPointsToShow, ControlKind::NumberEdit, "", 62, 125, 26, 11},
    {kPointsToShowSpin, ControlKind::UpDown, "", 88, 125, 8, 11},
    {0, ControlKind::Label, "точек", 98, 126, 30, 10},
    {kShowSection, ControlKind::CheckBox, "Разрез после", 8, 139, 82, 10},
    {kMinSection, ControlKind::NumberEdit, "", 92, 138, 26, 11},
    {kMinSectionSpin, ControlKind::UpDown, "", 118, 138, 8, 11},
    {0, ControlKind::Label, "пикетов", 128, 139, 30, 10},
    {kShowMap, ControlKind::CheckBox, "Карта после", 8, 152, 82, 10},
    {kMinMap, ControlKind::NumberEdit, "", 92, 151, 26, 11},
    {kMinMapSpin, ControlKind::UpDown, "", 118, 151, 8, 11},
    {0, ControlKind::Label, "разрезов", 128, 152, 30, 10},
};

constexpr int32_t kCountLimit = 65535;

// v − d, wrapped into 2..limit.
int32_t WrapCount(int32_t value, int delta, int32_t limit)
{
    int64_t v = int64_t(value) - delta;
    if (v < 2)
        v = limit;
    if (v > limit)
        v = 2;
    return static_cast<int32_t>(v);
}

} // namespace

CPropertyPageW2::CPropertyPageW2(PageServices& services) : CPropertyPageBase(services, "Визуализация", kControls)
{
    for (size_t i = 0; i < customColours_.size(); ++i) {
        const uint32_t level = 255u * static_cast<uint32_t>(16 - i) / 16u;
        customColours_[i] = level | level << 8 | level << 16;
    }
    for (int strip : {kSectionStrip, kMapStrip})
        layout_.Control(strip)->setAttribute(Qt::WA_TransparentForMouseEvents);
    const auto spin = [this](int spinId, int edit) {
        connect(layout_.Get<UpDownControl>(spinId), &UpDownControl::DeltaPos, this,
                [this, edit](int delta) { Spin(edit, delta); });
    };
    spin(kPixelSizeSpin, kPixelSize);
    spin(kMinProfileCurveSpin, kMinProfileCurve);
    spin(kMinSectionSpin, kMinSection);
    spin(kMinMapSpin, kMinMap);
    spin(kPointsToShowSpin, kPointsToShow);
    const auto toggle = [this](int id, int32_t& field) {
        connect(layout_.Get<QCheckBox>(id), &QCheckBox::clicked, this, [this, &field] { ToggleField(field); });
    };
    toggle(kManualSection, manualSectionRange_);
    toggle(kManualMap, manualMapRange_);
    toggle(kShowProfileCurve, showProfileCurve_);
    connect(layout_.Get<QCheckBox>(kTimer), &QCheckBox::clicked, this, [this] {
        timerModeOn_ = timerModeOn_ != 0 ? 0 : 1;
        services_.settings.timerModeOn = timerModeOn_;
        UpdateControls();
    });
}

void CPropertyPageW2::DoDataExchange(DataExchange& dx)
{
    const auto edit = [this](int id) { return layout_.Get<QLineEdit>(id); };
    const auto box = [this](int id) { return layout_.Get<QCheckBox>(id); };
    dx.Number(edit(kDepth), depthScaleFactor_, 0.001f, 65535.0f);
    dx.Integer(edit(kPixelSize), pixelSize_, 1, 10);
    dx.Check(box(kManualSection), manualSectionRange_);
    dx.Number(edit(kSectionMin), sectionMinimum_);
    dx.Number(edit(kSectionMax), sectionMaximum_);
    dx.Check(box(kManualMap), manualMapRange_);
    dx.Number(edit(kMapMin), mapMinimum_);
    dx.Number(edit(kMapMax), mapMaximum_);
    dx.Check(box(kTimer), timerModeOn_);
    dx.Integer(edit(kTimerCount), timerCount_, INT32_MIN, INT32_MAX);
    dx.Integer(edit(kTimerDelay), timerDelayMs_, 0, 65535);
    dx.Check(box(kShowSounding), showSoundingCurve_);
    dx.Check(box(kShowProfileCurve), showProfileCurve_);
    dx.PositiveInt(edit(kMinProfileCurve), minStationsProfileCurve_, 2, kCountLimit);
    dx.Check(box(kFilterProfileCurve), filterProfileCurve_);
    dx.Integer(edit(kPointsToShow), pointsToShow_, INT32_MIN, INT32_MAX);
    dx.Check(box(kShowSection), showSection_);
    dx.PositiveInt(edit(kMinSection), minStationsSection_, 2, kCountLimit);
    dx.Check(box(kShowMap), showMap_);
    dx.PositiveInt(edit(kMinMap), minProfilesMap_, 2, kCountLimit);
}

void CPropertyPageW2::CopyFields(bool store)
{
    using Field = SettingsField<CPropertyPageW2, int32_t>;
    const Field fields[] = {
        {&CSettings::minStationsProfileCurve, &CPropertyPageW2::minStationsProfileCurve_},
        {&CSettings::minStationsSection, &CPropertyPageW2::minStationsSection_},
        {&CSettings::minProfilesMap, &CPropertyPageW2::minProfilesMap_},
        {&CSettings::showSoundingCurve, &CPropertyPageW2::showSoundingCurve_},
        {&CSettings::showProfileCurve, &CPropertyPageW2::showProfileCurve_},
        {&CSettings::filterProfileCurve, &CPropertyPageW2::filterProfileCurve_},
        {&CSettings::showSection, &CPropertyPageW2::showSection_},
        {&CSettings::showMap, &CPropertyPageW2::showMap_},
        {&CSettings::pixelSize, &CPropertyPageW2::pixelSize_},
        {&CSettings::manualMapRange, &CPropertyPageW2::manualMapRange_},
        {&CSettings::manualSectionRange, &CPropertyPageW2::manualSectionRange_},
        {&CSettings::timerModeOn, &CPropertyPageW2::timerModeOn_},
        {&CSettings::timerDelayMs, &CPropertyPageW2::timerDelayMs_},
        {&CSettings::timerCount, &CPropertyPageW2::timerCount_},
        {&CSettings::pointsToShow, &CPropertyPageW2::pointsToShow_},
    };
    const SettingsField<CPropertyPageW2, float> depth[] = {
        {&CSettings::depthScaleFactor, &CPropertyPageW2::depthScaleFactor_}};
    CSettings& s = services_.settings;
    CopySettingsFields(s, *this, fields, store);
    CopySettingsFields(s, *this, depth, store);
    // The ranges go through the charts, which take a pair only when minimum < maximum.
    if (store) {
        s.mapChart.SetRange(mapMinimum_, mapMaximum_);
        s.sectionChart.SetRange(sectionMinimum_, sectionMaximum_);
    } else {
        std::tie(mapMinimum_, mapMaximum_) = s.mapChart.GetRange();
        std::tie(sectionMinimum_, sectionMaximum_) = s.sectionChart.GetRange();
    }
}

void CPropertyPageW2::UpdateControls()
{
    const auto enable = [this](int id, bool on) { layout_.Control(id)->setEnabled(on); };
    enable(kSectionMin, manualSectionRange_ != 0);
    enable(kSectionMax, manualSectionRange_ != 0);
    enable(kMapMin, manualMapRange_ != 0);
    enable(kMapMax, manualMapRange_ != 0);
    enable(kTimerDelay, timerModeOn_ != 0);
    enable(kTimerCount, timerModeOn_ != 0);
    enable(kFilterProfileCurve, showProfileCurve_ != 0);
    UpdateData(true);
}

void CPropertyPageW2::ToggleField(int32_t& field)
{
    field = field != 0 ? 0 : 1;
    UpdateControls();
}

void CPropertyPageW2::Spin(int edit, int delta)
{
    UpdateData(true);
    const CSettings& s = services_.settings;
    switch (edit) {
    case kPixelSize:
        if (delta >= 1) {
            pixelSize_ = pixelSize_ - 1 == 0 ? 10 : pixelSize_ - 1;
        } else if (delta < 0) {
            pixelSize_ = pixelSize_ + 1 == 11 ? 1 : pixelSize_ + 1;
        }
        break;
    case kMinSection:
        minStationsSection_ = WrapCount(minStationsSection_, delta, s.gridStations != 0 ? s.gridStations : kCountLimit);
        break;
    case kMinProfileCurve:
        minStationsProfileCurve_ =
            WrapCount(minStationsProfileCurve_, delta, s.gridStations != 0 ? s.gridStations : kCountLimit);
        break;
    case kMinMap:
        minProfilesMap_ = WrapCount(minProfilesMap_, delta, std::max(s.gridProfiles, 2));
        break;
    case kPointsToShow: {
        int64_t v = int64_t(pointsToShow_) - delta;
        if (v < 0)
            v = 9999;
        if (v >= 10000)
            v = 0;
        pointsToShow_ = static_cast<int32_t>(v);
        break;
    }
    default:
        break;
    }
    UpdateData(false);
}

ColorChart& CPropertyPageW2::ChartOf(int strip)
{
    return strip == kSectionStrip ? services_.settings.sectionChart : services_.settings.mapChart;
}

int CPropertyPageW2::CellWidth(int strip, size_t n) const
{
    if (n == 0)
        return 0;
    const int width = layout_.RectOf(strip).width() / static_cast<int>(std::min<size_t>(n, 1u << 20));
    return std::clamp(width, 4, 16);
}

void CPropertyPageW2::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int strip : {kSectionStrip, kMapStrip}) {
        const std::vector<Colour>& stops = ChartOf(strip).Stops();
        if (stops.empty())
            continue;
        const QRect rect = layout_.RectOf(strip);
        const int w = CellWidth(strip, stops.size());
        for (size_t i = 0; i < stops.size(); ++i)
            painter.fillRect(rect.left() + static_cast<int>(i) * w, rect.top(), w, rect.height(),
                             PainterContext::ToQColor(stops[i]));
    }
}

void CPropertyPageW2::OnTapAndHold(QPoint point)
{
    int strip = 0;
    if (layout_.RectOf(kSectionStrip).contains(point))
        strip = kSectionStrip;
    if (layout_.RectOf(kMapStrip).contains(point))
        strip = kMapStrip;
    if (strip == 0)
        return;
    tappedStrip_ = strip;
    tappedPoint_ = point;
    QMenu menu(this);
    menu.setTitle("Цвет");
    const auto item = [&menu](const char* text, int command) { menu.addAction(QString::fromUtf8(text))->setData(command); };
    item("Изменить", kChangeColour);
    item("Добавить", kAddColour);
    menu.addSeparator();
    item("Отразить", kMirrorChart);
    item("Удалить", kRemoveColour);
    menu.addSeparator();
    item("RGB", kRgbPreset);
    item("RES2DINV", kRes2dinvPreset);
    QAction* chosen = ExecMenu(menu, point);
    if (chosen != nullptr)
        OnColourCommand(chosen->data().toInt());
    tappedStrip_ = 0;
}

std::optional<uint32_t> CPropertyPageW2::ChooseColour(uint32_t initial)
{
    return services_.prompter.ChooseColour(initial, customColours_);
}

void CPropertyPageW2::StoreCustomColour(Colour colour)
{
    customColours_[nextCustomColour_] = colour;
    nextCustomColour_ = (nextCustomColour_ + 1) % customColours_.size();
}

void CPropertyPageW2::OnColourCommand(int command)
{
    const int strip = tappedStrip_;
    tappedStrip_ = 0;
    if (strip == 0)
        return;
    ColorChart& chart = ChartOf(strip);
    const size_t n = chart.Stops().size();
    std::optional<size_t> index;
    if (n >= 1) {
        const int w = CellWidth(strip, n);
        const int cell = (tappedPoint_.x() - layout_.RectOf(strip).left()) / w;
        index = static_cast<size_t>(std::clamp<int64_t>(cell, 0, static_cast<int64_t>(n) - 1));
    }
    const Colour preset = index ? chart.Stops()[*index] : 0x00FFFFFF;
    bool changed = false;
    switch (command) {
    case kChangeColour:
        if (index) {
            if (const auto colour = ChooseColour(preset)) {
                StoreCustomColour(chart.Stops()[*index]);
                chart.SetStop(*index, *colour);
                changed = true;
            }
        }
        break;
    case kAddColour:
        if (const auto colour = ChooseColour(preset)) {
            chart.AddStop(*colour);
            changed = true;
        }
        break;
    case kMirrorChart:
        chart.Mirror();
        changed = true;
        break;
    case kRemoveColour:
        if (index) {
            StoreCustomColour(chart.Stops()[*index]);
            chart.RemoveStops(*index, 1);
            changed = true;
        }
        break;
    case kRgbPreset:
        chart.LoadPreset(0);
        changed = true;
        break;
    case kRes2dinvPreset:
        chart.LoadPreset(1);
        changed = true;
        break;
    default:
        break;
    }
    if (changed)
        update();
}
