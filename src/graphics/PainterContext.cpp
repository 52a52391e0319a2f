#include "graphics/PainterContext.h"

#include <QBrush>
#include <QFontMetrics>
#include <QPen>
#include <QString>
#include <cmath>

namespace {

// The hand-held's screen, whose point sizes the graphs were laid out for.
constexpr int kScreenDpi = 96;

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

PainterContext::PainterContext(QPainter& painter) : painter_(painter), textColour_(Qt::black)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    SetPen(PenStyle::Solid, 1, 0);
    SetBrush(0x00FFFFFF);
    SetFont("Arial", 80);
}

QColor PainterContext::ToQColor(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void PainterContext::SetPen(PenStyle style, int width, Colour colour)
{
    if (style == PenStyle::None) {
        pen_ = QPen(Qt::NoPen);
    } else {
        pen_ = QPen(ToQColor(colour));
        pen_.setWidth(width < 1 ? 1 : width);
        if (style == PenStyle::Dash)
            pen_.setDashPattern({18.0 / pen_.width(), 6.0 / pen_.width()}); // 18 on, 6 off, in pixels
    }
    painter_.setPen(pen_);
}

void PainterContext::SetBrush(Colour colour)
{
    painter_.setBrush(colour == kNoColour ? QBrush(Qt::NoBrush) : QBrush(ToQColor(colour)));
}

void PainterContext::SetFont(const std::string& family, int tenthsOfPoint)
{
    QFont font(FromUtf8(family));
    // Pixel size as the hand-held would render it, independent of the image's resolution.
    const int pixels = static_cast<int>(std::lround(tenthsOfPoint * kScreenDpi / 720.0));
    font.setPixelSize(pixels < 1 ? 1 : pixels);
    font.setStyleStrategy(QFont::NoAntialias);
    painter_.setFont(font);
}

void PainterContext::SetTextColour(Colour colour)
{
    textColour_ = ToQColor(colour);
}

void PainterContext::FillRect(const PixelRect& rect, Colour colour)
{
    if (rect.right > rect.left && rect.bottom > rect.top)
        painter_.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()), ToQColor(colour));
}

void PainterContext::MoveTo(int x, int y)
{
    current_ = QPoint(x, y);
}

void PainterContext::LineTo(int x, int y)
{
    const QPoint to(x, y);
    painter_.drawLine(current_, to);
    current_ = to;
}

void PainterContext::Ellipse(const PixelRect& box)
{
    if (box.right <= box.left || box.bottom <= box.top)
        return;
    // An aliased outline of a w × h rectangle covers w + 1 × h + 1 pixels; keep it inside the box.
    const QRect outline(0, 0, box.Width() - 1, box.Height() - 1);
    if (box.Width() > kStampSide || box.Height() > kStampSide || painter_.pen().style() != Qt::SolidLine) {
        painter_.drawEllipse(outline.translated(box.left, box.top));
        return;
    }
    // Tracks mark thousands of readings with the same small circle: draw it once, then copy
    // it. Aliased drawing at whole pixels looks the same wherever it is put.
    const StampKey key{box.Width(), box.Height(), painter_.pen().color().rgba(), painter_.pen().width(),
                       painter_.brush().style() == Qt::NoBrush ? 0u : painter_.brush().color().rgba(),
                       painter_.brush().style() != Qt::NoBrush};
    if (!(key == stampKey_) || stamp_.isNull()) {
        stamp_ = QImage(box.Width() + 2 * kStampMargin, box.Height() + 2 * kStampMargin,
                        QImage::Format_ARGB32_Premultiplied);
        stamp_.fill(Qt::transparent);
        QPainter stampPainter(&stamp_);
        stampPainter.setPen(painter_.pen());
        stampPainter.setBrush(painter_.brush());
        stampPainter.drawEllipse(outline.translated(kStampMargin, kStampMargin));
        stampKey_ = key;
    }
    painter_.drawImage(box.left - kStampMargin, box.top - kStampMargin, stamp_);
}

void PainterContext::TextOut(int x, int y, const std::string& utf8)
{
    const QPen pen = painter_.pen();
    painter_.setPen(textColour_);
    painter_.drawText(QPoint(x, y + QFontMetrics(painter_.font()).ascent()), FromUtf8(utf8));
    painter_.setPen(pen);
}

TextSize PainterContext::TextExtent(const std::string& utf8)
{
    const QFontMetrics metrics(painter_.font());
    return {metrics.horizontalAdvance(FromUtf8(utf8)), metrics.height()};
}
