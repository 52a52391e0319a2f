#pragma once
#include <string>
#include <vector>

#include "graphics/DrawContext.h"

// A DrawContext that remembers its text and gives every character a fixed 6 × 10 cell.
class RecordingContext : public DrawContext {
public:
    struct Text {
        int x, y;
        std::string text;
    };
    static constexpr int kCharWidth = 6;
    static constexpr int kHeight = 10;

    void SetPen(PenStyle, int, Colour) override {}
    void SetBrush(Colour) override {}
    void SetFont(const std::string& family, int tenths) override
    {
        font = family;
        fontTenths = tenths;
    }
    void SetTextColour(Colour colour) override { textColour = colour; }
    void FillRect(const PixelRect&, Colour) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Ellipse(const PixelRect&) override {}
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
    std::string font;
    int fontTenths = 0;
    Colour textColour = kNoColour;
};
