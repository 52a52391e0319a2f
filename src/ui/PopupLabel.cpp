#include "ui/PopupLabel.h"

#include <QFontMetrics>
#include <algorithm>

PopupLabel::PopupLabel()
{
    timer_.setSingleShot(true);
    timer_.setInterval(kDisplayMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Hide(); });
}

PopupLabel::~PopupLabel()
{
    Destroy();
}

bool PopupLabel::Show(int rightX, int topY, QWidget* owner)
{
    if (owner != owner_.data()) {
        Destroy();
        owner_ = owner;
    }
    if (!window_) {
        window_ = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                      Qt::WindowDoesNotAcceptFocus);
        window_->setAttribute(Qt::WA_ShowWithoutActivating);
        window_->setFrameShape(QFrame::Box);
        window_->setLineWidth(1);
        window_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        window_->setAutoFillBackground(true);
        window_->setBackgroundRole(QPalette::ToolTipBase);
        window_->setForegroundRole(QPalette::ToolTipText);
        if (owner != nullptr)
            window_->setFont(owner->font());
    }
    const QSize extent = QFontMetrics(window_->font()).size(Qt::TextSingleLine, text_);
    const int width = extent.width() + 4;
    const int height = extent.height() + 2;
    const int x = std::max(0, rightX - width + 1);
    Hide();
    window_->setText(text_);
    window_->setGeometry(x, topY, width, height);
    window_->show();
    window_->raise();
    timer_.start();
    return true;
}

bool PopupLabel::Hide()
{
    if (!window_)
        return false;
    timer_.stop();
    window_->hide();
    return true;
}

void PopupLabel::Destroy()
{
    Hide();
    window_.reset();
}
