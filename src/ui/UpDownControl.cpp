#include "ui/UpDownControl.h"

#include <QToolButton>
#include <QWheelEvent>

UpDownControl::UpDownControl(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT DeltaPos(-1); });
    connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT DeltaPos(1); });
}

void UpDownControl::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

void UpDownControl::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        Q_EMIT DeltaPos(steps > 0 ? -1 : 1);
    event->accept();
}
