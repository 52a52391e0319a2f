#include "ui/DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QRegularExpressionValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

#include "ui/UpDownControl.h"

namespace {

// Beyond this the page stops growing and is centred: a hand-held dialog blown up to a
// laptop screen reads badly.
constexpr double kMaxScale = 3.5;
constexpr double kMinScale = 1.0;

QWidget* MakeControl(const ControlSpec& spec, QWidget& page)
{
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
    case ControlKind::Label:
        return new QLabel(text, &page);
    case ControlKind::RightLabel: {
        auto* label = new QLabel(text, &page);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    }
    case ControlKind::Edit:
        return new QLineEdit(text, &page);
    case ControlKind::NumberEdit: {
        auto* edit = new QLineEdit(text, &page);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        return edit;
    }
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(text, &page);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setAlignment(Qt::AlignRight);
        return edit;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, &page);
    case ControlKind::Radio: {
        auto* radio = new QRadioButton(text, &page);
        radio->setAutoExclusive(false);
        return radio;
    }
    case ControlKind::ComboBox:
        return new QComboBox(&page);
    case ControlKind::Button:
        return new QPushButton(text, &page);
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, &page);
        button->setDefault(true);
        return button;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, &page);
    case ControlKind::Frame: {
        auto* frame = new QWidget(&page);
        frame->hide();
        return frame;
    }
    case ControlKind::UpDown:
        return new UpDownControl(&page);
    }
    return new QWidget(&page);
}

} // namespace

DialogLayout::DialogLayout(QWidget& page, std::span<const ControlSpec> specs, Scaling scaling)
    : page_(page), scaling_(scaling)
{
    for (const ControlSpec& spec : specs) {
        QWidget* widget = MakeControl(spec, page);
        if (spec.id != 0)
            widget->setObjectName(QString::number(spec.id));
        // Group boxes are drawn behind the controls they hold.
        if (spec.kind == ControlKind::GroupBox)
            widget->lower();
        controls_.push_back({spec, widget});
    }
}

QWidget* DialogLayout::Control(int id) const
{
    for (const Placed& placed : controls_)
        if (placed.spec.id == id)
            return placed.widget;
    return nullptr;
}

QRect DialogLayout::Scaled(const ControlSpec& spec) const
{
    const auto x = [this](int units) { return static_cast<int>(std::lround(units * scaleX_)); };
    const auto y = [this](int units) { return static_cast<int>(std::lround(units * scaleY_)); };
    return QRect(origin_.x() + x(spec.left), origin_.y() + y(spec.top), x(spec.width), y(spec.height));
}

QRect DialogLayout::RectOf(int id) const
{
    for (const Placed& placed : controls_)
        if (placed.spec.id == id)
            return Scaled(placed.spec);
    return {};
}

void DialogLayout::Arrange(QSize size)
{
    const double sx = size.width() / double(kDialogWidth);
    const double sy = size.height() / double(kDialogHeight);
    scale_ = std::clamp(std::min(sx, sy), kMinScale, kMaxScale);
    if (scaling_ == Scaling::Fill) {
        scaleX_ = std::max(sx, kMinScale);
        scaleY_ = std::max(sy, kMinScale);
        origin_ = QPoint(0, 0);
    } else {
        scaleX_ = scaleY_ = scale_;
        const int used = static_cast<int>(std::lround(kDialogWidth * scale_));
        origin_ = QPoint(std::max(0, (size.width() - used) / 2), 0);
    }
    QFont font = page_.font();
    font.setPixelSize(std::max(8, static_cast<int>(std::lround(scale_ * 6.2))));
    page_.setFont(font);
    for (const Placed& placed : controls_)
        placed.widget->setGeometry(Scaled(placed.spec));
}
