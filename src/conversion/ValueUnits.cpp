#include "conversion/ValueUnits.h"

std::string ValueUnit(const ConversionSettings& s)
{
    if (s.unitMeasure != 1)
        return "кванты";
    switch (s.apparentValueKind) {
    case 0: return "Ом·м";
    case 1: return "мСм/м";
    default: return "См/м";
    }
}

std::string ValueComponent(const ConversionSettings& s)
{
    if (s.signalChannelIsCurrent)
        return "ток";
    switch (s.signalComponent) {
    case 0: return "модуль";
    case 1: return "квадр.";
    default: return "синф.";
    }
}
