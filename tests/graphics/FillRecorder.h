#pragma once
#include <vector>

#include "RecordingContext.h"

// Remembers the rectangles, lines and ellipses drawn through it, with the colours in use.
class FillRecorder : public RecordingContext {
public:
    struct Fill {
        PixelRect rect;
        Colour colour;
    };
    struct Shape {
        PixelRect box;
        Colour pen;
        PenStyle style;
        Colour brush;
    };
    struct Line {
        int x0, y0, x1, y1;
        PenStyle style;
    };

    void SetPen(PenStyle style, int, Colour colour) override
    {
        penStyle = style;
        pen = colour;
    }
    void SetBrush(Colour colour) override { brush = colour; }
    void FillRect(const PixelRect& rect, Colour colour) override { fills.push_back({rect, colour}); }
    void MoveTo(int x, int y) override
    {
        cx = x;
        cy = y;
    }
    void LineTo(int x, int y) override
    {
        lines.push_back({cx, cy, x, y, penStyle});
        MoveTo(x, y);
    }
    void Ellipse(const PixelRect& box) override { ellipses.push_back({box, pen, penStyle, brush}); }

    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<Shape> ellipses;
    PenStyle penStyle = PenStyle::Solid;
    Colour pen = 0;
    Colour brush = 0x00FFFFFF;
    int cx = 0, cy = 0;
};
