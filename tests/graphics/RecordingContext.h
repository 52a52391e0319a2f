#pragma once
#include <string>
#include <vector>

#include "graphics/DrawContext.h"

// A DrawContext that remembers what is drawn through it and gives every character a fixed
// 6 × 10 cell.
class RecordingContext : public DrawContext {
public:
    struct Text {
        int x, y;
        std::string text;
    };
    struct Fill {
        PixelRect rect;
        Colour colour;
    };
    struct Shape {
        PixelRect box;
        Colour brush;
    };
    struct Line {
        int x0, y0, x1, y1;
        PenStyle style;
    };
    static constexpr int kCharWidth = 6;
    static constexpr int kHeight = 10;

    void SetPen(PenStyle style, int, Colour) override { penStyle = style; }
    void SetBrush(Colour colour) override { brush = colour; }
    void SetFont(const std::string& family, int tenths) override
    {
        font = family;
        fontTenths = tenths;
    }
    void SetTextColour(Colour colour) override { textColour = colour; }
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
    void Ellipse(const PixelRect& box) override { ellipses.push_back({box, brush}); }
    void TextOut(int x, int y, const std::string& text) override { texts.push_back({x, y, text}); }
    TextSize TextExtent(const std::string& text) override
    {
        return {static_cast<int>(text.size()) * kCharWidth, kHeight};
    }

    bool HasText(const std::string& text) const
    {
        for (const Text& t : texts)
            if (t.text == text)
                return true;
        return false;
    }

    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<Shape> ellipses;
    std::string font;
    int fontTenths = 0;
    Colour textColour = kNoColour;
    PenStyle penStyle = PenStyle::Solid;
    Colour brush = 0x00FFFFFF;
    int cx = 0, cy = 0;
};
