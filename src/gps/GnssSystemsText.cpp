#include "gps/GnssSystemsText.h"

namespace {

struct Names {
    const char* full;
    const char* compact;
};
// Indexed by GnssSystem.
constexpr Names kNames[kGnssSystemCount] = {
    {"", ""}, {"GPS", "GP"}, {"ГЛОНАСС", "ГЛ"}, {"Galileo", "GA"}, {"BeiDou", "BD"}, {"QZSS", "QZ"}};

} // namespace

std::string GnssSystemsText(const GpsData& data, bool compact)
{
    std::string text;
    for (size_t s = 1; s < kGnssSystemCount; ++s) {
        const GnssSystemView& v = data.systems[s];
        if (v.used == 0 && v.inView == 0)
            continue;
        if (!text.empty())
            text += compact ? " " : ", ";
        text += compact ? kNames[s].compact : kNames[s].full;
        text += ' ';
        text += std::to_string(v.used) + '/' + std::to_string(v.inView);
    }
    return text;
}
