#include "ui/CPropertyPageView1.h"

#include <QLineEdit>

#include "session/WorkSession.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"
#include "ui/HardwareKeys.h"

namespace {

constexpr ControlSpec kControls[] = {
    {1001, ControlKind::Frame, "", 0, 10, 160, 119},
    {1002, ControlKind::Frame, "", 0, 10, 160, 119},
    {1003, ControlKind::Frame, "", 0, 10, 160, 119},
    {1004, ControlKind::Frame, "", 0, 10, 80, 119},
    {1005, ControlKind::Frame, "", 0, 10, 160, 119},
    {1040, ControlKind::Frame, "", 82, 130, 77, 38},
    {1041, ControlKind::Button, "Старт", 1, 130, 32, 38},
    {0, ControlKind::Label, "Проф.", 34, 132, 27, 10},
    {0, ControlKind::Label, "Пикет", 34, 144, 27, 10},
    {1054, ControlKind::Label, "Част.", 34, 157, 27, 10},
    {1042, ControlKind::ReadOnlyEdit, "", 61, 130, 20, 12},
    {1047, ControlKind::ReadOnlyEdit, "", 61, 143, 20, 12},
    {1043, ControlKind::ReadOnlyEdit, "", 61, 156, 12, 12},
    {1048, ControlKind::UpDown, "", 73, 156, 7, 12},
    {1075, ControlKind::Label, "Заголовок", 0, 1, 108, 9},
    {1074, ControlKind::Label, "-", 115, 1, 22, 8},
    {1069, ControlKind::RightLabel, "", 143, 1, 17, 9},
};

// Values beyond int32 never occur in a grid; the fields exchange as plain integers.
void ExchangeUnsigned(DataExchange& dx, QLineEdit* edit, uint32_t& value)
{
    int32_t v = static_cast<int32_t>(value);
    dx.PositiveInt(edit, v, 0, INT32_MAX);
    value = static_cast<uint32_t>(v);
}

} // namespace

CPropertyPageView1::CPropertyPageView1(PageServices& services) : MeasurementPage(services, "Главная", kControls) {}

void CPropertyPageView1::SetWork(WorkSession* work)
{
    MeasurementPage::SetWork(work);
    survey_ = work != nullptr ? work->Survey() : nullptr;
}

void CPropertyPageView1::ResetDisplayState()
{
    shownProfile_ = shownStation_ = lastProfile_ = 0;
    shownGraph_ = 0;
    lastFrequency_ = 0;
    redrawProgress_ = rebuildGraphs_ = true;
    SetRepaintPending(true);
}

void CPropertyPageView1::TakePositionFromData()
{
    if (survey_ != nullptr) {
        currentProfile_ = survey_->Profile();
        currentStation_ = survey_->Station();
    }
}

void CPropertyPageView1::OnSetActive()
{
    TakePositionFromData();
    MeasurementPage::OnSetActive();
}

void CPropertyPageView1::DoDataExchange(DataExchange& dx)
{
    ExchangeUnsigned(dx, layout_.Get<QLineEdit>(1042), currentProfile_);
    ExchangeUnsigned(dx, layout_.Get<QLineEdit>(1047), currentStation_);
    ExchangeUnsigned(dx, layout_.Get<QLineEdit>(1043), frequency_);
}

bool CPropertyPageView1::GraphAllowed(uint32_t graph) const
{
    if (survey_ == nullptr)
        return false;
    const CSettings& s = services_.settings;
    const auto atLeast = [](uint32_t length, int32_t minimum) { return int64_t(length) >= int64_t(minimum); };
    switch (graph) {
    case kMapGraph:
        return s.showMap != 0 && atLeast(survey_->ProfileBlockLength(shownProfile_, shownStation_), s.minProfilesMap);
    case kSectionGraph:
        return s.showSection != 0 &&
               atLeast(survey_->StationRunLength(shownProfile_, shownStation_), s.minStationsSection);
    case kProfileCurveGraph:
        return s.showProfileCurve != 0 &&
               atLeast(survey_->StationRunLength(shownProfile_, shownStation_), s.minStationsProfileCurve);
    case kSoundingGraph:
        return s.showSoundingCurve != 0;
    case kInvertedSectionGraph:
        return s.inversionOn != 0;
    default:
        return false;
    }
}

GraphPosition CPropertyPageView1::ShownPosition() const
{
    return GraphPosition{shownProfile_, shownStation_, 0};
}

QString CPropertyPageView1::GraphTitle(uint32_t graph) const
{
    switch (graph) {
    case kMapGraph:
        return QString::asprintf("Карта: частота %u", frequency_);
    case kSectionGraph:
        return QString::asprintf("Разрез: профиль %u", shownProfile_);
    case kProfileCurveGraph:
        return QString::asprintf("Проф. кривая: профиль %u, частота %u", shownProfile_, frequency_);
    case kInvertedSectionGraph:
        return "Разрез (инверсия)";
    default:
        return QString::asprintf("Кривая зондир.: профиль %u, пикет %u", shownProfile_, shownStation_);
    }
}

void CPropertyPageView1::KeepOrDropShownGraph()
{
    if (shownGraph_ == kMapGraph && lastFrequency_ != frequency_)
        shownGraph_ = kNoGraph;
    else if ((shownGraph_ == kSectionGraph || shownGraph_ == kInvertedSectionGraph) && lastProfile_ != shownProfile_)
        shownGraph_ = kNoGraph;
    else if (shownGraph_ == kProfileCurveGraph && lastProfile_ != shownProfile_)
        shownGraph_ = kNoGraph;
    else if (shownGraph_ == kProfileCurveGraph && lastFrequency_ != frequency_)
        shownGraph_ = GraphBefore(kProfileCurveGraph);
    lastProfile_ = shownProfile_;
    lastFrequency_ = frequency_;
}

void CPropertyPageView1::MoveByKey(int code, bool)
{
    using namespace hardware_key;
    switch (code) {
    case kLeft:
        survey_->PreviousStation();
        break;
    case kUp:
        survey_->NextProfile();
        break;
    case kRight:
        survey_->NextStation();
        break;
    case kDown:
        survey_->PreviousProfile();
        break;
    default:
        return;
    }
    TakePositionFromData();
    UpdateData(false);
    RequestRepaint(false, true);
}

void CPropertyPageView1::ShowCurrentPosition()
{
    shownProfile_ = currentProfile_;
    shownStation_ = currentStation_;
    RequestRepaint(true, true);
}

void CPropertyPageView1::AfterReading()
{
    shownProfile_ = currentProfile_;
    shownStation_ = currentStation_;
    TakePositionFromData();
}
