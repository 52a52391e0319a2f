#include "graphics/ColorChart.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<Colour, 15> kRgbPreset = {
    0x0000FF, 0x0025DB, 0x0049B7, 0x006E92, 0x00926E, 0x00B749, 0x00DB25, 0x00FF00,
    0x25DB00, 0x49B700, 0x6E9200, 0x926E00, 0xB74900, 0xDB2500, 0xFF0000,
};

constexpr std::array<Colour, 15> kRes2dinvPreset = {
    0x800000, 0xFF0000, 0xFF8000, 0xFFFF00, 0x80C000, 0x00FF00, 0x008000, 0x00C080,
    0x00FFFF, 0x0080BF, 0x0080FF, 0x0000FF, 0x0000D3, 0x400080, 0x600060,
};

} // namespace

// Two stops or more.
inline Colour ColorChart::Interpolate(float x) const
{
    // A value that is not a number has no place on the chart; show it like the low end.
    if (!(x > minimum_))
        return stops_.front();
    if (x >= maximum_)
        return stops_.back();
    const float t = (x - minimum_) * inverseStep_;
    const auto last = static_cast<int32_t>(segments_.size()) - 1;
    const int32_t k = t < static_cast<float>(last) ? static_cast<int32_t>(t) : last;
    const float f = t - static_cast<float>(k);
    // Painting colours millions of cells: the channels of the stops are unpacked once, in
    // Recompute; the arithmetic per channel is that of interpolating the bytes directly.
    const Segment& s = segments_[static_cast<size_t>(k)];
    const auto r = static_cast<Colour>(static_cast<int32_t>(s.start[0] + s.rise[0] * f + 0.5f)) & 0xFF;
    const auto g = static_cast<Colour>(static_cast<int32_t>(s.start[1] + s.rise[1] * f + 0.5f)) & 0xFF;
    const auto b = static_cast<Colour>(static_cast<int32_t>(s.start[2] + s.rise[2] * f + 0.5f)) & 0xFF;
    return r | (g << 8) | (b << 16);
}

Colour ColorChart::ColorAt(float x) const
{
    if (stops_.empty())
        return kNoColour;
    return stops_.size() == 1 ? stops_.front() : Interpolate(x);
}

void ColorChart::ColorsAt(const float* values, size_t count, Colour* colours) const
{
    if (stops_.size() < 2) {
        std::fill(colours, colours + count, ColorAt(0.0f));
        return;
    }
    for (size_t k = 0; k < count; ++k)
        colours[k] = Interpolate(values[k]);
}

bool ColorChart::SetRange(float minimum, float maximum)
{
    if (!(minimum < maximum))
        return false;
    minimum_ = minimum;
    maximum_ = maximum;
    Recompute();
    return true;
}

void ColorChart::SetStop(size_t index, Colour colour)
{
    stops_.at(index) = colour;
    Recompute();
}

size_t ColorChart::AddStop(Colour colour)
{
    stops_.push_back(colour);
    Recompute();
    return stops_.size() - 1;
}

void ColorChart::RemoveStops(size_t index, size_t count)
{
    index = std::min(index, stops_.size());
    count = std::min(count, stops_.size() - index);
    stops_.erase(stops_.begin() + static_cast<ptrdiff_t>(index),
                 stops_.begin() + static_cast<ptrdiff_t>(index + count));
    Recompute();
}

void ColorChart::Mirror()
{
    std::reverse(stops_.begin(), stops_.end());
    Recompute();
}

void ColorChart::LoadPreset(int kind)
{
    const auto& preset = kind == 1 ? kRes2dinvPreset : kRgbPreset;
    stops_.assign(preset.begin(), preset.end());
    Recompute();
}

void ColorChart::LoadBytes(const uint8_t* bytes, size_t length)
{
    stops_.assign((length + 3) / 4, 0);
    for (size_t i = 0; i < length; ++i)
        stops_[i / 4] |= Colour(bytes[i]) << (8 * (i % 4));
    Recompute();
}

std::string ColorChart::StopBytes() const
{
    std::string bytes;
    bytes.reserve(stops_.size() * 4);
    for (Colour c : stops_)
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((c >> (8 * i)) & 0xFF);
    return bytes;
}

void ColorChart::Recompute()
{
    const size_t n = stops_.size();
    segments_.resize(n > 1 ? n - 1 : 0);
    for (size_t k = 0; k + 1 < n; ++k) {
        for (int channel = 0; channel < 3; ++channel) {
            const float a = static_cast<float>((stops_[k] >> (8 * channel)) & 0xFF);
            const float b = static_cast<float>((stops_[k + 1] >> (8 * channel)) & 0xFF);
            segments_[k].start[channel] = a;
            segments_[k].rise[channel] = b - a;
        }
    }
    if (n < 2)
        return;
    float step = (maximum_ - minimum_) / static_cast<float>(n - 1);
    if (step == 0.0f)
        return;
    inverseStep_ = 1.0f / step;
}
