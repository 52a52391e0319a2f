#include "ui/CPropertyPageW1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "settings/CSettings.h"

namespace {

enum : int {
    kAdcUnits = 2001,
    kApparentUnits = 2002,
    kResistivity = 2003,
    kConductivity = 2004,
    kModule = 2011,
    kQuadrature = 2012,
    kInphase = 2013,
    kPhaseCorrection = 1021,
    kNormalizeCurrent = 1022,
    kNormalizeFrequency = 1023,
    kSubtractZero = 1024,
    kFilter = 1025,
    kModulePower = 1055,
    kQuadraturePower = 1036,
    kInphasePower = 1037,
    kCurrentChannel = 1070,
};

constexpr ControlSpec kControls[] = {
    {1031, ControlKind::GroupBox, "Единицы измерения", 2, 2, 156, 70},
    {kAdcUnits, ControlKind::Radio, "Кванты АЦП", 8, 12, 60, 10},
    {kApparentUnits, ControlKind::Radio, "Кажущиеся величины", 68, 12, 90, 10},
    {kSubtractZero, ControlKind::CheckBox, "Вычитание нуля", 8, 24, 146, 10},
    {kPhaseCorrection, ControlKind::CheckBox, "Фазовая коррекция", 8, 35, 146, 10},
    {kNormalizeCurrent, ControlKind::CheckBox, "Нормировка на ток", 8, 46, 146, 10},
    {kNormalizeFrequency, ControlKind::CheckBox, "Нормировка на частоту в степени:", 8, 57, 146, 10},
    {kResistivity, ControlKind::Radio, "Удельное сопротивление, Ом * м", 8, 26, 146, 10},
    {kConductivity, ControlKind::Radio, "Удельная проводимость, мСм / м", 8, 38, 146, 10},
    {kFilter, ControlKind::CheckBox, "Применять фильтрацию", 8, 50, 146, 10},
    {1032, ControlKind::GroupBox, "Сигнал", 2, 76, 156, 50},
    {kModule, ControlKind::Radio, "Модуль сигнала", 8, 87, 110, 10},
    {kModulePower, ControlKind::Edit, "", 120, 86, 34, 11},
    {kQuadrature, ControlKind::Radio, "Квадратурная составляющая", 8, 99, 110, 10},
    {kQuadraturePower, ControlKind::Edit, "", 120, 98, 34, 11},
    {kInphase, ControlKind::Radio, "Синфазная составляющая", 8, 111, 110, 10},
    {kInphasePower, ControlKind::Edit, "", 120, 110, 34, 11},
    {kCurrentChannel, ControlKind::CheckBox, "Канал тока (только для разработчиков)", 4, 132, 154, 10},
};

} // namespace

CPropertyPageW1::CPropertyPageW1(PageServices& services) : CPropertyPageBase(services, "Настройки", kControls)
{
    for (int id : {kResistivity, kConductivity, kFilter})
        layout_.Control(id)->hide();
    const auto radio = [this](int id, int32_t& field, int32_t value) {
        connect(layout_.Get<QRadioButton>(id), &QRadioButton::clicked, this,
                [this, &field, value] { SetRadioField(field, value); });
    };
    radio(kAdcUnits, unitMeasure_, 0);
    radio(kApparentUnits, unitMeasure_, 1);
    radio(kModule, signalComponent_, 0);
    radio(kQuadrature, signalComponent_, 1);
    radio(kInphase, signalComponent_, 2);
    radio(kResistivity, apparentValueKind_, 0);
    radio(kConductivity, apparentValueKind_, 1);
    const auto toggle = [this](int id, int32_t& field) {
        connect(layout_.Get<QCheckBox>(id), &QCheckBox::clicked, this, [this, &field] { ToggleField(field); });
    };
    toggle(kPhaseCorrection, phaseEqualization_);
    toggle(kNormalizeFrequency, normalizeToFrequency_);
    toggle(kFilter, applySignalFilter_);
}

void CPropertyPageW1::SetRadioField(int32_t& field, int32_t value)
{
    field = value;
    UpdateControls();
}

void CPropertyPageW1::ToggleField(int32_t& field)
{
    field = field != 0 ? 0 : 1;
    UpdateControls();
}

void CPropertyPageW1::DoDataExchange(DataExchange& dx)
{
    dx.Check(layout_.Get<QCheckBox>(kSubtractZero), subtractUndercompensation_);
    dx.Check(layout_.Get<QCheckBox>(kPhaseCorrection), phaseEqualization_);
    dx.Check(layout_.Get<QCheckBox>(kNormalizeCurrent), normalizeToCurrent_);
    dx.Check(layout_.Get<QCheckBox>(kNormalizeFrequency), normalizeToFrequency_);
    dx.Check(layout_.Get<QCheckBox>(kFilter), applySignalFilter_);
    dx.Number(layout_.Get<QLineEdit>(kModulePower), modulePower_);
    dx.Number(layout_.Get<QLineEdit>(kQuadraturePower), quadraturePower_);
    dx.Number(layout_.Get<QLineEdit>(kInphasePower), inphasePower_);
    dx.Check(layout_.Get<QCheckBox>(kCurrentChannel), signalChannelIsCurrent_);
}

void CPropertyPageW1::LoadFromSettings()
{
    const CSettings& s = services_.settings;
    normalizeToCurrent_ = s.normalizeToCurrent;
    normalizeToFrequency_ = s.normalizeToFrequency;
    phaseEqualization_ = s.phaseEqualization;
    subtractUndercompensation_ = s.subtractUndercompensation;
    inphasePower_ = s.inphasePower;
    modulePower_ = s.modulePower;
    quadraturePower_ = s.quadraturePower;
    applySignalFilter_ = s.applySignalFilter;
    signalChannelIsCurrent_ = s.signalChannelIsCurrent;
    unitMeasure_ = s.unitMeasure;
    signalComponent_ = s.signalComponent;
    apparentValueKind_ = s.apparentValueKind;
}

void CPropertyPageW1::StoreToSettings()
{
    CSettings& s = services_.settings;
    s.normalizeToCurrent = normalizeToCurrent_;
    s.normalizeToFrequency = normalizeToFrequency_;
    s.phaseEqualization = phaseEqualization_;
    s.subtractUndercompensation = subtractUndercompensation_;
    s.inphasePower = inphasePower_;
    s.modulePower = modulePower_;
    s.quadraturePower = quadraturePower_;
    s.applySignalFilter = applySignalFilter_;
    s.signalChannelIsCurrent = signalChannelIsCurrent_;
    s.unitMeasure = unitMeasure_;
    s.signalComponent = signalComponent_;
    s.apparentValueKind = apparentValueKind_;
}

void CPropertyPageW1::UpdateControls()
{
    const auto check = [this](int id, bool on) { layout_.Get<QAbstractButton>(id)->setChecked(on); };
    const auto enable = [this](int id, bool on) { layout_.Control(id)->setEnabled(on); };
    check(kAdcUnits, unitMeasure_ == 0);
    check(kApparentUnits, unitMeasure_ == 1);
    check(kModule, signalComponent_ == 0);
    check(kQuadrature, signalComponent_ == 1);
    check(kInphase, signalComponent_ == 2);
    check(kResistivity, apparentValueKind_ == 0);
    check(kConductivity, apparentValueKind_ == 1);

    if (unitMeasure_ == 0 || unitMeasure_ == 1) {
        const bool adc = unitMeasure_ == 0;
        for (int id : {kModulePower, kQuadraturePower, kInphasePower, kPhaseCorrection, kNormalizeCurrent,
                       kNormalizeFrequency, kSubtractZero})
            layout_.Control(id)->setVisible(adc);
        for (int id : {kResistivity, kConductivity, kFilter})
            layout_.Control(id)->setVisible(!adc);
    }
    if (signalComponent_ == 0) {
        check(kPhaseCorrection, false);
        phaseEqualization_ = 0;
        enable(kPhaseCorrection, false);
    } else if (signalComponent_ == 1 || signalComponent_ == 2) {
        enable(kPhaseCorrection, true);
    }
    if (phaseEqualization_ != 0) {
        check(kNormalizeCurrent, true);
        check(kSubtractZero, true);
        normalizeToCurrent_ = 1;
        subtractUndercompensation_ = 1;
        enable(kNormalizeCurrent, false);
        enable(kSubtractZero, false);
    } else {
        enable(kNormalizeCurrent, true);
        enable(kSubtractZero, true);
    }
    for (int id : {kModulePower, kQuadraturePower, kInphasePower})
        enable(id, normalizeToFrequency_ != 0);
    UpdateData(true);
}
