#include "ui/ScreenFit.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace {

QRect Available(const QWidget* near)
{
    const QScreen* screen = near != nullptr ? near->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(QPoint(0, 0), kNaturalWindowSize);
}

bool Small(const QRect& area)
{
    return area.width() < kCompactScreen.width() || area.height() < kCompactScreen.height();
}

} // namespace

void ShowFitted(QWidget& window)
{
    const QRect area = Available(&window);
    if (area.width() <= kNaturalWindowSize.width() || area.height() <= kNaturalWindowSize.height()) {
        window.setGeometry(area);
        window.showMaximized();
        return;
    }
    QRect placed(QPoint(0, 0), kNaturalWindowSize);
    placed.moveCenter(area.center());
    window.setGeometry(placed);
    window.show();
}

namespace {

// Once the dialog is shown and its frame is known: the whole window, frame and all, inside
// the screen, over all of it where the dialog would not fit otherwise.
class FitOnShow final : public QObject {
public:
    FitOnShow(QDialog& dialog, QRect area, bool whole) : QObject(&dialog), area_(area), whole_(whole) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A message box sizes itself as it is shown: its resize is fitted too.
        if (event->type() != QEvent::Show && event->type() != QEvent::Resize)
            return false;
        auto& dialog = static_cast<QDialog&>(*watched);
        if (!dialog.isVisible() || (event->type() == QEvent::Resize && area_.contains(dialog.frameGeometry())))
            return false;
        const QRect frame = dialog.frameGeometry();
        const QRect client = dialog.geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom());
        const QRect room = area_.marginsRemoved(margins);
        QRect placed = whole_ ? room : QRect(client.topLeft(), client.size().boundedTo(room.size()));
        if (!whole_) {
            placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() - placed.width() + 1));
            placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() - placed.height() + 1));
        }
        dialog.setGeometry(placed);
        return false;
    }

private:
    QRect area_;
    bool whole_;
};

} // namespace

void FitDialog(QDialog& dialog, const QWidget* owner)
{
    const QRect area = Available(owner);
    dialog.setMaximumSize(area.size());
    const QSize wanted = dialog.sizeHint().expandedTo(dialog.minimumSizeHint());
    const bool whole = Small(area) || wanted.width() > area.width() || wanted.height() > area.height();
    if (whole)
        dialog.setMinimumSize(0, 0);
    dialog.installEventFilter(new FitOnShow(dialog, area, whole));
}

void WrapToOwner(QMessageBox& box, const QWidget* owner)
{
    FitDialog(box, owner);
    const QRect area = Available(owner);
    const int width = std::min(area.width(), owner != nullptr ? owner->width() : area.width());
    // The icon and the margins take their share; the text wraps in what is left.
    if (auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
        label->setWordWrap(true);
        label->setMaximumWidth(std::max(120, width - 80));
    }
    box.setMaximumWidth(width);
    if (!Small(area))
        return;
    // A hand-held's screen has no room for buttons of the desktop's width.
    const QList<QAbstractButton*> buttons = box.buttons();
    for (QAbstractButton* button : buttons) {
        button->setMinimumWidth(0);
        button->setMaximumWidth(std::max(40, (width - 40) / std::max<int>(1, int(buttons.size()))));
    }
}
