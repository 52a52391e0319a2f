#include "ui/CPropertyPageW1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "model/InversionSettings.h"
#include "ui/SettingsFields.h"

namespace {

// Beyond this a noise floor means nothing the instrument measures would count.
constexpr float kMaxNoiseFloorShown = 1000.0f;

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
    kGpsLagLabel = 2021,
    kGpsLag = 2022,
    kAntennaLabel = 2023,
    kAntenna = 2024,
    kInversion = 2031,
    kHeightLabel = 2032,
    kHeight = 2033,
    kNoiseLabel = 2034,
    kNoise = 2035,
    kNoiseFloorLabel = 2036,
    kNoiseFloor = 2037,
};

constexpr ControlSpec kControls[] = {
    {1031, ControlKind::GroupBox, "Единицы измерения", 2, 2, 156, 66},
    {kAdcUnits, ControlKind::Radio, "Кванты АЦП", 8, 11, 60, 10},
    {kApparentUnits, ControlKind::Radio, "Кажущиеся величины", 68, 11, 90, 10},
    {kSubtractZero, ControlKind::CheckBox, "Вычитание нуля", 8, 22, 146, 10},
    {kPhaseCorrection, ControlKind::CheckBox, "Фазовая коррекция", 8, 33, 146, 10},
    {kNormalizeCurrent, ControlKind::CheckBox, "Нормировка на ток", 8, 44, 146, 10},
    {kNormalizeFrequency, ControlKind::CheckBox, "Нормировка на частоту в степени:", 8, 55, 146, 10},
    {kResistivity, ControlKind::Radio, "Удельное сопротивление, Ом * м", 8, 23, 146, 10},
    {kConductivity, ControlKind::Radio, "Удельная проводимость, мСм / м", 8, 35, 146, 10},
    {kFilter, ControlKind::CheckBox, "Применять фильтрацию", 8, 47, 146, 10},
    {1032, ControlKind::GroupBox, "Сигнал", 2, 70, 156, 46},
    {kModule, ControlKind::Radio, "Модуль сигнала", 8, 80, 110, 10},
    {kModulePower, ControlKind::Edit, "", 120, 79, 34, 11},
    {kQuadrature, ControlKind::Radio, "Квадратурная составляющая", 8, 91, 110, 10},
    {kQuadraturePower, ControlKind::Edit, "", 120, 90, 34, 11},
    {kInphase, ControlKind::Radio, "Синфазная составляющая", 8, 102, 110, 10},
    {kInphasePower, ControlKind::Edit, "", 120, 101, 34, 11},
    {kCurrentChannel, ControlKind::CheckBox, "Канал тока (только для разработчиков)", 4, 118, 154, 10},
    // The layered ground inverted under each station: its switch, the data's noise and
    // the instrument's height.
    {kInversion, ControlKind::CheckBox, "Инверсия", 4, 130, 60, 10},
    {kHeightLabel, ControlKind::Label, "Высота, м", 66, 130, 46, 10},
    {kHeight, ControlKind::Edit, "", 114, 129, 40, 11},
    {kNoiseLabel, ControlKind::Label, "Шум, %", 4, 142, 36, 10},
    {kNoise, ControlKind::Edit, "", 40, 141, 28, 11},
    {kNoiseFloorLabel, ControlKind::Label, "Порог, ед.", 72, 142, 40, 10},
    {kNoiseFloor, ControlKind::Edit, "", 114, 141, 40, 11},
    // A track's positions: the receiver's latency and where its antenna rides. One row is all
    // a screen on its side leaves, so the antenna's name is short and whole in its tool tip.
    {kGpsLagLabel, ControlKind::Label, "Задержка GPS, с", 4, 156, 64, 10},
    {kGpsLag, ControlKind::Edit, "", 68, 155, 20, 11},
    {kAntennaLabel, ControlKind::Label, "Антенна, м", 90, 156, 42, 10},
    {kAntenna, ControlKind::Edit, "", 132, 155, 22, 11},
};

} // namespace

CPropertyPageW1::CPropertyPageW1(PageServices& services) : CPropertyPageBase(services, "Настройки", kControls)
{
    for (int id : {kResistivity, kConductivity, kFilter})
        layout_.Control(id)->hide();
    for (int id : {kAntennaLabel, kAntenna})
        layout_.Control(id)->setToolTip("Смещение антенны, м: вперёд по ходу от центра прибора, назад со знаком минус");
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
    toggle(kInversion, inversionOn_);
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
    dx.Number(layout_.Get<QLineEdit>(kGpsLag), gpsLagSeconds_, 0.0f, 5.0f);
    dx.Number(layout_.Get<QLineEdit>(kAntenna), antennaAheadMetres_, -10.0f, 10.0f);
    dx.Check(layout_.Get<QCheckBox>(kInversion), inversionOn_);
    dx.Number(layout_.Get<QLineEdit>(kNoise), noisePercent_, 0.0f, float(InversionSettingsLimits::kMaxNoisePercent));
    dx.Number(layout_.Get<QLineEdit>(kNoiseFloor), noiseFloorUnits_, 0.0f, kMaxNoiseFloorShown);
    dx.Number(layout_.Get<QLineEdit>(kHeight), instrumentHeight_, 0.0f, float(InversionSettingsLimits::kMaxHeight));
    if (dx.Saving() && dx.Ok() && noisePercent_ == 0 && noiseFloorUnits_ == 0)
        dx.Fail("Шум не может быть нулевым: задайте проценты или порог.");
}

void CPropertyPageW1::CopyFields(bool store)
{
    using Field = SettingsField<CPropertyPageW1, int32_t>;
    using FloatField = SettingsField<CPropertyPageW1, float>;
    const Field flags[] = {
        {&CSettings::normalizeToCurrent, &CPropertyPageW1::normalizeToCurrent_},
        {&CSettings::normalizeToFrequency, &CPropertyPageW1::normalizeToFrequency_},
        {&CSettings::phaseEqualization, &CPropertyPageW1::phaseEqualization_},
        {&CSettings::subtractUndercompensation, &CPropertyPageW1::subtractUndercompensation_},
        {&CSettings::applySignalFilter, &CPropertyPageW1::applySignalFilter_},
        {&CSettings::signalChannelIsCurrent, &CPropertyPageW1::signalChannelIsCurrent_},
        {&CSettings::unitMeasure, &CPropertyPageW1::unitMeasure_},
        {&CSettings::signalComponent, &CPropertyPageW1::signalComponent_},
        {&CSettings::apparentValueKind, &CPropertyPageW1::apparentValueKind_},
        {&CSettings::inversionOn, &CPropertyPageW1::inversionOn_},
    };
    const FloatField powers[] = {
        {&CSettings::inphasePower, &CPropertyPageW1::inphasePower_},
        {&CSettings::modulePower, &CPropertyPageW1::modulePower_},
        {&CSettings::quadraturePower, &CPropertyPageW1::quadraturePower_},
        {&CSettings::gpsLagSeconds, &CPropertyPageW1::gpsLagSeconds_},
        {&CSettings::antennaAheadMetres, &CPropertyPageW1::antennaAheadMetres_},
        {&CSettings::inversionNoisePercent, &CPropertyPageW1::noisePercent_},
        {&CSettings::inversionNoiseFloorUnits, &CPropertyPageW1::noiseFloorUnits_},
        {&CSettings::instrumentHeight, &CPropertyPageW1::instrumentHeight_},
    };
    CopySettingsFields(services_.settings, *this, flags, store);
    CopySettingsFields(services_.settings, *this, powers, store);
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
    // Only a track has positions to correct.
    for (int id : {kGpsLagLabel, kGpsLag, kAntennaLabel, kAntenna})
        layout_.Control(id)->setVisible(services_.settings.workType == kWorkGpsTrack);
    for (int id : {kHeightLabel, kHeight, kNoiseLabel, kNoise, kNoiseFloorLabel, kNoiseFloor})
        enable(id, inversionOn_ != 0);
    UpdateData(true);
}
