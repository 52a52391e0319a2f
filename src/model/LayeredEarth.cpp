#include "model/LayeredEarth.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

double LayeredEarth::Top(size_t j) const
{
    double z = 0;
    for (size_t k = 0; k < j && k < thickness.size(); ++k)
        z += thickness[k];
    return z;
}

double LayeredEarth::ConductivityAt(double z) const
{
    double bottom = 0;
    for (size_t j = 0; j < thickness.size(); ++j) {
        bottom += thickness[j];
        if (z < bottom)
            return conductivity[j];
    }
    return conductivity.empty() ? 0.0 : conductivity.back();
}

std::string LayeredEarth::Problem() const
{
    if (conductivity.empty())
        return "no layers";
    if (conductivity.size() > kMaxLayers)
        return "more than " + std::to_string(kMaxLayers) + " layers";
    if (thickness.size() + 1 != conductivity.size())
        return "every layer but the last needs a thickness";
    for (double s : conductivity)
        if (!(s >= 0 && s <= kMaxConductivity))
            return "a conductivity is not between 0 and 1e6 S/m";
    for (double h : thickness)
        if (!(h >= 0 && h <= kMaxThickness))
            return "a thickness is not between 0 and 1e5 m";
    return {};
}

LayeredEarth HalfSpace(double conductivity)
{
    return LayeredEarth{{conductivity}, {}};
}

namespace {

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

} // namespace

bool ParseLayeredEarth(const std::string& text, LayeredEarth& earth, std::string& error)
{
    LayeredEarth parsed;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const bool last = comma == std::string::npos;
        const size_t colon = item.find(':');
        double sigma = 0, h = 0;
        if (!ParseNumber(item.substr(0, colon), sigma)) {
            error = "\"" + item + "\" does not start with a conductivity";
            return false;
        }
        if (last != (colon == std::string::npos)) {
            error = last ? "the last layer has no thickness: it reaches down without end"
                         : "layer \"" + item + "\" needs a thickness (sigma:h)";
            return false;
        }
        if (!last && !ParseNumber(item.substr(colon + 1), h)) {
            error = "\"" + item + "\" has no thickness in metres after the colon";
            return false;
        }
        parsed.conductivity.push_back(sigma);
        if (!last)
            parsed.thickness.push_back(h);
        if (parsed.conductivity.size() > LayeredEarth::kMaxLayers)
            break;
        if (last)
            break;
        start = comma + 1;
    }
    error = parsed.Problem();
    if (!error.empty())
        return false;
    earth = std::move(parsed);
    return true;
}
