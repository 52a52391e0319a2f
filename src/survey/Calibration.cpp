#include "survey/Calibration.h"

#include <cmath>
#include <cstdio>

void CalibrationKey::SetPackedDate(uint32_t packed)
{
    year = static_cast<uint16_t>(packed >> 16);
    month = static_cast<uint8_t>(packed >> 8);
    day = static_cast<uint8_t>(packed);
}

bool CalibrationSet::SameAs(const CalibrationSet& o) const
{
    return comment == o.comment && XP == o.XP && YP == o.YP && XA == o.XA && YA == o.YA &&
           IA == o.IA && CC == o.CC && M1 == o.M1 && M2 == o.M2 && GF == o.GF && F == o.F &&
           DC == o.DC;
}

void CalibrationSet::ComputeDepthCoefficients()
{
    for (int i = 0; i < kFrequencyCount; ++i)
        DC[i] = F[i] != 0.0 ? std::sqrt(F[0] / F[i]) : 0.0;
}

std::string FormatCalibrationKey(const CalibrationKey& key)
{
    char text[48];
    std::snprintf(text, sizeof text, "LUR %hu, %.02d/%.02d/%hu", key.serial, key.day, key.month, key.year);
    return text;
}

namespace {

CalibrationSet MakeBuiltIn()
{
    CalibrationSet s;
    s.comment = "CСтандартные калибровочные данные для TORVAL 9, 28/02/2007";
    s.rt = 0.1525;
    s.nt = 38;
    s.r1 = 1.496;
    s.r2 = 2.508;
    s.F = {2.501, 3.081, 3.907, 5.103, 6.945, 10.001, 12.346, 15.62, 20.409, 27.779, 40.001, 62.502, 111.113, 250.004};
    s.XP = {0.9293, -0.5336, 0.9899, 0.9493, -0.303, 0.0601, 0.2121, 0.1162, 0.0535, 0.2715, 0.4187, 0.7766, 0.9998, -0.4758};
    s.YP = {0.3695, -0.8457, 0.1417, -0.3143, -0.953, -0.9982, -0.9773, -0.9932, -0.9985, -0.9625, -0.9081, -0.6301, 0.0233, 0.8795};
    s.XA = {-56.8, -68, -118, -148, -134, -132, -96, -76, -40, 0, 75, 96, -472, -1880};
    s.YA = {-9.4, -19, 4, -10, 14, 52, 84, 74, 58, 32, -52, -355, -896, 2520};
    s.IA = {33428.4, 43552, 58430.6, 67369.8, 78434.1, 81932.1, 84582.2, 83251.4, 82866.7, 83008.5, 82530.9, 83949.7, 84611.2, 101059.3};
    s.CC = {0.000108, 8.51e-05, 6.95e-05, 4.93e-05, 3.99e-05, 2.76e-05, 2.34e-05, 1.93e-05, 1.43e-05, 1.1e-05, 7.58e-06, 4.08e-06, 2.53e-06, 1.13e-06};
    s.M1 = {0.0429, 0.0445, 0.0436, 0.0472, 0.0431, 0.0443, 0.0419, 0.0404, 0.0419, 0.04, 0.0397, 0.045, 0.0363, 0.0237};
    s.M2 = {0.1829, 0.1916, 0.1911, 0.2096, 0.1942, 0.1999, 0.1902, 0.1833, 0.1908, 0.1829, 0.1822, 0.2075, 0.1711, 0.1356};
    s.GF = {1.45e-08, 1.4e-08, 1.37e-08, 1.34e-08, 1.32e-08, 1.32e-08, 1.31e-08, 1.31e-08, 1.31e-08, 1.32e-08, 1.32e-08, 1.35e-08, 1.44e-08, 1.94e-08};
    s.ComputeDepthCoefficients();
    return s;
}

} // namespace

const CalibrationSet& BuiltInCalibrationSet()
{
    static const CalibrationSet set = MakeBuiltIn();
    return set;
}
