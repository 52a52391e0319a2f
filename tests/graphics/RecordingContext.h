#pragma once
#include <string>
#include <vector>

#include "graphics/DrawContext.h"

// A DrawContext that remembers texts, fills and ellipses, giving every character a fixed
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
    static constexpr int kCharWidth = 6;
    static constexpr int kHeight = 10;

    void SetPen(PenStyle, int, Colour) override {}
    void SetBrush(Colour) override {}
    void SetFont(const std::string&, int) override {}
    void SetTextColour(Colour) override {}
    void FillRect(const PixelRect& rect, Colour colour) override { fills.push_back({rect, colour}); }
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Ellipse(const PixelRect& rect) override { ellipses.push_back(rect); }
    void TextOut(int x, int y, const std::string& text) override { texts.push_back({x, y, text}); }
    TextSize TextExtent(const std::string& text) override
    {
        return {static_cast<int>(text.size()) * kCharWidth, kHeight};
    }

    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<PixelRect> ellipses;
};
