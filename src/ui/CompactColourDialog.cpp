#include "ui/CompactColourDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 6;
constexpr int kStandardColours = 48;
constexpr int kCustomColours = 16;

} // namespace

CompactColourDialog::CompactColourDialog(const QColor& initial, QWidget* parent) : QDialog(parent), chosen_(initial)
{
    setWindowTitle("Цвет");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* swatches = new QWidget(scroll);
    auto* grid = new QGridLayout(swatches);
    grid->setSpacing(2);
    const auto add = [&](int slot, const QColor& colour) {
        auto* swatch = new QToolButton(swatches);
        swatch->setAutoRaise(false);
        swatch->setMinimumSize(24, 24);
        swatch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        swatch->setStyleSheet(QString("background-color: %1;").arg(colour.name()));
        swatch->setToolTip(colour.name());
        connect(swatch, &QToolButton::clicked, this, [this, colour] {
            chosen_ = colour;
            accept();
        });
        grid->addWidget(swatch, slot / kColumns, slot % kColumns);
    };
    for (int i = 0; i < kStandardColours; ++i)
        add(i, QColorDialog::standardColor(i));
    for (int i = 0; i < kCustomColours; ++i)
        add(kStandardColours + i, QColorDialog::customColor(i));
    scroll->setWidget(swatches);
    column->addWidget(scroll, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText("Отмена");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}
