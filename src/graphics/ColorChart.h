#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Colours are 0x00BBGGRR (red in the low byte) throughout the program.
using Colour = uint32_t;
constexpr Colour kNoColour = 0xFFFFFFFF;

// Value → colour by linear interpolation over stops spread evenly across [minimum, maximum].
class ColorChart {
public:
    ColorChart() = default;

    Colour ColorAt(float value) const;
    // ColorAt of values[0 .. count − 1] into colours, for painting whole rows of cells.
    void ColorsAt(const float* values, size_t count, Colour* colours) const;
    bool SetRange(float minimum, float maximum);
    std::pair<float, float> GetRange() const { return {minimum_, maximum_}; }

    void SetStop(size_t index, Colour colour);
    size_t AddStop(Colour colour);
    void RemoveStops(size_t index, size_t count);
    void Mirror();
    void LoadPreset(int kind);

    // Registry form: little-endian 32-bit words; a short last word is padded with zeros.
    void LoadBytes(const uint8_t* bytes, size_t length);
    std::string StopBytes() const;

    const std::vector<Colour>& Stops() const { return stops_; }

private:
    // One interval between neighbouring stops: each channel's start and rise, as floats.
    struct Segment {
        float start[3];
        float rise[3];
    };

    void Recompute();
    Colour Interpolate(float x) const;

    std::vector<Colour> stops_;
    std::vector<Segment> segments_; // stops_.size() - 1 entries
    float minimum_ = -10.0f;
    float maximum_ = 10.0f;
    float inverseStep_ = 0.0f;
};
