#include "conversion/ConversionSettings.h"

#include "settings/CSettings.h"

ConversionSettings ConversionSettingsFrom(const CSettings& settings)
{
    ConversionSettings c;
    c.usedFrequencies = settings.usedFrequencies;
    c.signalChannelIsCurrent = settings.signalChannelIsCurrent;
    c.unitMeasure = settings.unitMeasure;
    c.signalComponent = settings.signalComponent;
    c.normalizeToCurrent = settings.normalizeToCurrent;
    c.subtractUndercompensation = settings.subtractUndercompensation;
    c.phaseEqualization = settings.phaseEqualization;
    c.normalizeToFrequency = settings.normalizeToFrequency;
    c.modulePower = settings.modulePower;
    c.quadraturePower = settings.quadraturePower;
    c.inphasePower = settings.inphasePower;
    c.apparentValueKind = settings.apparentValueKind;
    c.applySignalFilter = settings.applySignalFilter;
    c.filterThreshold = settings.filterThreshold;
    c.depthScaleFactor = settings.depthScaleFactor;
    return c;
}
