#pragma once
#include <string>
#include <vector>

// A horizontally layered earth, top to bottom: conductivities in S/m, and the thickness in
// metres of every layer but the last, which reaches down without end.
struct LayeredEarth {
    std::vector<double> conductivity;
    std::vector<double> thickness;

    size_t Layers() const { return conductivity.size(); }
    // Depth of the top of layer j (0 for the first).
    double Top(size_t j) const;
    // Conductivity at depth z (metres, 0 at the surface).
    double ConductivityAt(double z) const;
    // Empty when the model can be computed: at least one layer, one thickness fewer, finite
    // conductivities in [0, kMaxConductivity] and thicknesses in [0, kMaxThickness].
    std::string Problem() const;

    static constexpr double kMaxConductivity = 1e6;
    static constexpr double kMaxThickness = 1e5;
    static constexpr size_t kMaxLayers = 1000;
};

LayeredEarth HalfSpace(double conductivity);

// "σ1:h1,σ2:h2,…,σN": conductivities in S/m, each but the last with its thickness in metres.
// False, with `error` set, for anything else.
bool ParseLayeredEarth(const std::string& text, LayeredEarth& earth, std::string& error);
