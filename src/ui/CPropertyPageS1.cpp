#include "ui/CPropertyPageS1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "settings/CSettings.h"
#include "survey/Calibration.h"
#include "ui/CalibrationTexts.h"
#include "ui/CalibrationKeyText.h"
#include "ui/WorkTypeNames.h"

namespace {

constexpr int kFirstFrequencyBox = 1011;
static_assert(kFrequencyCount == 14);
constexpr int kAllBox = 1027;
constexpr int kTracerBox = 1028;

constexpr ControlSpec kControls[] = {
    {0, ControlKind::Label, "Режим:", 4, 6, 30, 10},
    {1000, ControlKind::ComboBox, "", 36, 4, 120, 12},
    {1008, ControlKind::Label, "X размер:", 4, 22, 38, 10},
    {1001, ControlKind::NumberEdit, "", 42, 20, 34, 12},
    {1009, ControlKind::Label, "Y размер:", 82, 22, 38, 10},
    {1002, ControlKind::NumberEdit, "", 120, 20, 36, 12},
    {1006, ControlKind::Label, "X шаг:", 4, 38, 38, 10},
    {1003, ControlKind::Edit, "", 42, 36, 34, 12},
    {1007, ControlKind::Label, "Y шаг:", 82, 38, 38, 10},
    {1004, ControlKind::Edit, "", 120, 36, 36, 12},
    {0, ControlKind::GroupBox, "Используемые частоты", 2, 52, 156, 50},
    {1011, ControlKind::CheckBox, "1", 6, 62, 21, 10},
    {1012, ControlKind::CheckBox, "2", 27, 62, 21, 10},
    {1013, ControlKind::CheckBox, "3", 48, 62, 21, 10},
    {1014, ControlKind::CheckBox, "4", 69, 62, 21, 10},
    {1015, ControlKind::CheckBox, "5", 90, 62, 21, 10},
    {1016, ControlKind::CheckBox, "6", 111, 62, 21, 10},
    {1017, ControlKind::CheckBox, "7", 132, 62, 21, 10},
    {1018, ControlKind::CheckBox, "8", 6, 74, 21, 10},
    {1019, ControlKind::CheckBox, "9", 27, 74, 21, 10},
    {1020, ControlKind::CheckBox, "10", 48, 74, 21, 10},
    {1021, ControlKind::CheckBox, "11", 69, 74, 21, 10},
    {1022, ControlKind::CheckBox, "12", 90, 74, 21, 10},
    {1023, ControlKind::CheckBox, "13", 111, 74, 21, 10},
    {1024, ControlKind::CheckBox, "14", 132, 74, 21, 10},
    {kAllBox, ControlKind::CheckBox, "Все", 6, 87, 36, 10},
    {kTracerBox, ControlKind::CheckBox, "Трассоискатель", 48, 87, 80, 10},
    {0, ControlKind::Label, "Прибор:", 4, 108, 30, 10},
    {1005, ControlKind::ComboBox, "", 36, 106, 120, 12},
    {1025, ControlKind::Button, "Добавить", 4, 122, 52, 14},
    {1026, ControlKind::Button, "Удалить", 60, 122, 52, 14},
    {1010, ControlKind::DefaultButton, "Далее >>", 100, 150, 56, 16},
};


// How the device list names a set.
QString KeyText(const CalibrationKey& key)
{
    return QString::fromStdString(FormatCalibrationKey(key));
}

} // namespace

CPropertyPageS1::CPropertyPageS1(PageServices& services)
    : CPropertyPageBase(services, "Основные настройки", kControls)
{
    QComboBox* modes = ModeList();
    for (size_t i = 0; i < std::size(kWorkTypeIds); ++i)
        modes->addItem(QString::fromUtf8(kWorkTypeNames[i]), kWorkTypeIds[i]);
    modes->setCurrentIndex(0);
    DeviceList()->setInsertPolicy(QComboBox::InsertAlphabetically);
    layout_.Control(kTracerBox)->hide();
    FillDeviceList();

    connect(modes, &QComboBox::activated, this, &CPropertyPageS1::OnModeChanged);
    for (int i = 0; i < kFrequencyCount; ++i)
        connect(layout_.Get<QCheckBox>(kFirstFrequencyBox + i), &QCheckBox::clicked, this,
                [this, i] { OnFrequencyClicked(i); });
    connect(layout_.Get<QCheckBox>(kAllBox), &QCheckBox::clicked, this, &CPropertyPageS1::OnAllClicked);
    connect(DeviceList(), &QComboBox::activated, this, &CPropertyPageS1::FocusSheet);
    connect(layout_.Get<QPushButton>(1025), &QPushButton::clicked, this, &CPropertyPageS1::OnAdd);
    connect(layout_.Get<QPushButton>(1026), &QPushButton::clicked, this, &CPropertyPageS1::OnRemove);
    connect(layout_.Get<QPushButton>(1010), &QPushButton::clicked, this, &CPropertyPageS1::BeginWorkCommand);
}

QComboBox* CPropertyPageS1::ModeList() const
{
    return layout_.Get<QComboBox>(1000);
}

QComboBox* CPropertyPageS1::DeviceList() const
{
    return layout_.Get<QComboBox>(1005);
}

int CPropertyPageS1::SelectedMode() const
{
    const QComboBox* modes = ModeList();
    return modes->currentIndex() < 0 ? -1 : modes->currentData().toInt();
}

void CPropertyPageS1::DoDataExchange(DataExchange& dx)
{
    dx.PositiveInt(layout_.Get<QLineEdit>(1001), xSize_, 1, 65535);
    dx.PositiveInt(layout_.Get<QLineEdit>(1002), ySize_, 1, 65535);
    dx.Number(layout_.Get<QLineEdit>(1003), xStep_, 0.1f, 65535.0f);
    dx.Number(layout_.Get<QLineEdit>(1004), yStep_, 0.1f, 65535.0f);
    dx.Check(layout_.Get<QCheckBox>(kTracerBox), tracer_);
    for (int i = 0; i < kFrequencyCount; ++i)
        dx.Check(layout_.Get<QCheckBox>(kFirstFrequencyBox + i), frequencies_[static_cast<size_t>(i)]);
    if (dx.Saving() && dx.Ok() && std::all_of(frequencies_.begin(), frequencies_.end(), [](int32_t f) { return f == 0; }))
        dx.Fail("Хотя бы одна частота должна быть включена");
}

void CPropertyPageS1::LoadFromSettings()
{
    const CSettings& s = services_.settings;
    xSize_ = s.xSize;
    ySize_ = s.ySize;
    xStep_ = s.xStep;
    yStep_ = s.yStep;
    frequencies_ = s.usedFrequencies;
    tracer_ = s.tracerModeOn;
    const int mode = ModeList()->findData(s.workType);
    if (mode >= 0)
        ModeList()->setCurrentIndex(mode);
    SelectCurrentDevice(DeviceList());
}

void CPropertyPageS1::SelectCurrentDevice(QComboBox* list)
{
    CalibrationKey key = services_.settings.calibrationKey;
    services_.settings.calibrations.SelectSet(key);
    const QString wanted = KeyText(key);
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i).startsWith(wanted)) {
            list->setCurrentIndex(i);
            return;
        }
    }
}

void CPropertyPageS1::StoreToSettings()
{
    CSettings& s = services_.settings;
    s.xSize = xSize_;
    s.ySize = ySize_;
    s.xStep = xStep_;
    s.yStep = yStep_;
    s.usedFrequencies = frequencies_;
    const int mode = SelectedMode();
    s.workType = mode < 0 ? kWorkMap : mode;
    if (const auto key = ParseDeviceText(DeviceList()->currentText()))
        s.InstallSet(*key);
    s.tracerModeOn = tracer_;
}

void CPropertyPageS1::UpdateControls()
{
    struct GridControl {
        int label;
        int edit;
    };
    constexpr GridControl kXSize{1008, 1001}, kYSize{1009, 1002}, kXStep{1006, 1003}, kYStep{1007, 1004};
    const auto show = [this](GridControl c, bool visible) {
        layout_.Control(c.label)->setVisible(visible);
        layout_.Control(c.edit)->setVisible(visible);
    };
    switch (SelectedMode()) {
    case kWorkMap:
        for (GridControl c : {kXSize, kYSize, kXStep, kYStep})
            show(c, true);
        break;
    case kWorkLimitedProfile:
        show(kXSize, true);
        show(kXStep, true);
        show(kYSize, false);
        show(kYStep, false);
        break;
    case kWorkProfile:
        show(kXStep, true);
        for (GridControl c : {kXSize, kYSize, kYStep})
            show(c, false);
        break;
    case kWorkGpsTrack:
        for (GridControl c : {kXSize, kYSize, kXStep, kYStep})
            show(c, false);
        break;
    default:
        break;
    }
    const int used = static_cast<int>(std::count_if(frequencies_.begin(), frequencies_.end(), [](int32_t f) { return f != 0; }));
    layout_.Get<QCheckBox>(kAllBox)->setChecked(used == kFrequencyCount);
    auto* tracer = layout_.Get<QCheckBox>(kTracerBox);
    if (used == 1 && frequencies_[0] != 0) {
        tracer->setEnabled(true);
    } else {
        tracer_ = 0;
        tracer->setEnabled(false);
        tracer->setChecked(false);
    }
}

void CPropertyPageS1::OnModeChanged()
{
    UpdateData(true);
    UpdateControls();
}

void CPropertyPageS1::OnFrequencyClicked(int index)
{
    lastClicked_ = index;
    frequencies_[static_cast<size_t>(index)] = layout_.Get<QCheckBox>(kFirstFrequencyBox + index)->isChecked() ? 1 : 0;
    UpdateControls();
}

void CPropertyPageS1::OnAllClicked()
{
    UpdateData(true);
    if (layout_.Get<QCheckBox>(kAllBox)->isChecked()) {
        frequencies_.fill(1);
    } else {
        frequencies_.fill(0);
        const int keep = lastClicked_ >= 0 && lastClicked_ < kFrequencyCount ? lastClicked_ : 0;
        frequencies_[static_cast<size_t>(keep)] = 1;
    }
    UpdateData(false);
    UpdateControls();
}

void CPropertyPageS1::FillDeviceList()
{
    QComboBox* list = DeviceList();
    CalibrationKey current = services_.settings.calibrationKey;
    services_.settings.calibrations.SelectSet(current);
    list->clear();
    const auto& sets = services_.settings.calibrations.Sets();
    layout_.Control(1026)->setEnabled(!sets.empty());
    if (sets.empty()) {
        list->addItem("<отсутствует>");
        list->setCurrentIndex(0);
        return;
    }
    QStringList texts;
    for (const auto& entry : sets)
        texts << KeyText(entry.first);
    texts.sort();
    list->addItems(texts);
    list->setCurrentIndex(list->findText(KeyText(current)));
}

void CPropertyPageS1::OnAdd()
{
    platform::FileChoice choice;
    choice.filter = calibration_texts::kFileFilter;
    choice.defaultExtension = "ini";
    choice.initialName = "*.ini";
    const std::optional<std::string> path = services_.prompter.ChooseFile(choice);
    if (!path)
        return;
    MergeOutcome outcome;
    const bool opened = services_.settings.calibrations.MergeFile(*path, &outcome);
    if (const std::string problem = calibration_texts::AddProblem(*path, opened, outcome); !problem.empty())
        services_.prompter.Ask(problem, "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
    FillDeviceList();
}

void CPropertyPageS1::OnRemove()
{
    QComboBox* list = DeviceList();
    if (list->currentIndex() < 0)
        return;
    const std::optional<CalibrationKey> key = ParseDeviceText(list->currentText());
    if (!key)
        return;
    if (services_.prompter.Ask(calibration_texts::RemoveQuestion(*key), calibration_texts::RemoveCaption(*key),
                               platform::PromptButtons::YesNo,
                               platform::PromptIcon::Question) != platform::PromptAnswer::Yes)
        return;
    services_.settings.calibrations.RemoveSet(*key);
    if (services_.settings.calibrations.Modified())
        FillDeviceList();
}
