#pragma once
#include <string>

#include "graphics/ColorChart.h"
#include "graphics/PixelRect.h"

enum class PenStyle { Solid, Dash, None };

struct TextSize {
    int width = 0;
    int height = 0;
};

// The few device-context operations the painters need besides the surface's own pixel
// work: pens, brushes, fills, ellipses and text. Colours are 0x00BBGGRR. A context starts
// with a black solid pen of width 1, a white brush, black text and "Arial" at 8 points.
class DrawContext {
public:
    virtual ~DrawContext() = default;

    virtual void SetPen(PenStyle style, int width, Colour colour) = 0;
    // kNoColour: hollow (ellipses are not filled).
    virtual void SetBrush(Colour colour) = 0;
    virtual void SetFont(const std::string& family, int tenthsOfPoint) = 0;
    virtual void SetTextColour(Colour colour) = 0;

    virtual void FillRect(const PixelRect& rect, Colour colour) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // A pen line from the current point to (x, y), which becomes the current point.
    virtual void LineTo(int x, int y) = 0;
    // Outlined with the pen and filled with the brush, inside the box.
    virtual void Ellipse(const PixelRect& box) = 0;
    // (x, y) is the top left of the text; the background stays as it is.
    virtual void TextOut(int x, int y, const std::string& utf8) = 0;
    virtual TextSize TextExtent(const std::string& utf8) = 0;
};
