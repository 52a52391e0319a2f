#pragma once
#include <cstdint>
#include <memory>

#include "graphics/ColorChart.h"

// Off-screen 32-bit drawing surface. Memory is laid out as QImage::Format_RGB32: rows top
// down, pixel (x, y) is word x + y × width, holding 0x00RRGGBB (the program's colours are
// 0x00BBGGRR and are converted on the way in), so a QPainter can draw into the same memory.
// Owns its memory; UI thread only.
class DibSurface {
public:
    static constexpr int kMaxSide = 8192;

    DibSurface() = default;
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    virtual ~DibSurface();

    // Releases any previous memory and allocates width × height black pixels. Only 32 bits
    // per pixel are supported; sides must be 1 .. kMaxSide.
    virtual bool Create(int width, int height, int bitsPerPixel);
    // Fills the surface white, like a fresh device context's default brush.
    virtual bool Clear();
    bool Release();

    // Returns the colour, or kNoColour when (x, y) is outside or there is no memory.
    Colour SetPixel(int x, int y, Colour colour);
    // The program's colour form 0x00BBGGRR of a pixel, or kNoColour outside.
    Colour GetPixel(int x, int y) const;
    // Bresenham line, both ends included; points outside the surface are skipped.
    bool DrawLine(int x0, int y0, int x1, int y1, Colour colour);

    uint32_t* Bits() { return bits_.get(); }
    const uint32_t* Bits() const { return bits_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    int BytesPerLine() const { return width_ * 4; }
    // Counts pixel, value, line and clear operations, so a page can tell whether anything was painted.
    uint32_t ChangeCounter() const { return changeCounter_; }

    // Exchanges red and blue; the top byte (QPainter writes 0xFF there) is dropped.
    static constexpr uint32_t ToPixel(Colour colour)
    {
        return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
    }
    static constexpr Colour FromPixel(uint32_t pixel) { return ToPixel(pixel); }
    // For painters that write Bits() directly.
    void NoteChange() { ++changeCounter_; }

protected:
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    size_t IndexOf(int x, int y) const
    {
        return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    }

private:
    std::unique_ptr<uint32_t[]> bits_;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    uint32_t changeCounter_ = 0;
};
