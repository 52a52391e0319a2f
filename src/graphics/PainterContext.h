#pragma once
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include "graphics/DrawContext.h"

// DrawContext over a QPainter that has begun on a device (a surface image or a widget).
// The painter must outlive the context. Antialiasing is switched off; text needs a
// QGuiApplication (see EnsureFontRuntime).
class PainterContext : public DrawContext {
public:
    explicit PainterContext(QPainter& painter);

    void SetPen(PenStyle style, int width, Colour colour) override;
    void SetBrush(Colour colour) override;
    void SetFont(const std::string& family, int tenthsOfPoint) override;
    void SetTextColour(Colour colour) override;

    void FillRect(const PixelRect& rect, Colour colour) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(const PixelRect& box) override;
    void TextOut(int x, int y, const std::string& utf8) override;
    TextSize TextExtent(const std::string& utf8) override;

    static QColor ToQColor(Colour colour);

private:
    static constexpr int kStampSide = 16;
    static constexpr int kStampMargin = 2; // room for a pen wider than one pixel
    struct StampKey {
        int width = 0, height = 0;
        QRgb pen = 0;
        int penWidth = 0;
        QRgb brush = 0;
        bool filled = false;
        bool operator==(const StampKey&) const = default;
    };

    QPainter& painter_;
    QImage stamp_;
    StampKey stampKey_;
    QPen pen_;
    QColor textColour_;
    QPoint current_;
};
