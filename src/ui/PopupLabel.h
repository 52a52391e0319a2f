#pragma once
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

// The small value label shown at the tapped point: a frameless top-level label that never
// takes the focus and hides itself after the display time.
class PopupLabel {
public:
    static constexpr int kDisplayMs = 1500;

    PopupLabel();
    ~PopupLabel();
    PopupLabel(const PopupLabel&) = delete;
    PopupLabel& operator=(const PopupLabel&) = delete;

    void SetText(const QString& text) { text_ = text; }
    // Places the label so that it ends at column rightX and hangs below row topY (screen
    // coordinates), never left of 0, and shows it for the display time. A new owner gets a
    // new window.
    bool Show(int rightX, int topY, QWidget* owner);
    bool Hide();
    void Destroy();

    bool IsVisible() const { return window_ != nullptr && window_->isVisible(); }
    QRect Geometry() const { return window_ != nullptr ? window_->geometry() : QRect(); }
    QString Text() const { return text_; }
    void SetDisplayTime(int ms) { timer_.setInterval(ms); }

private:
    QString text_;
    QTimer timer_;
    std::unique_ptr<QLabel> window_;
    QPointer<QWidget> owner_;
};
