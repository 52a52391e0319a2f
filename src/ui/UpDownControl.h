#pragma once
#include <QWidget>

class QToolButton;

// The up-down arrows beside an edit. Like the hand-held's control with its default range,
// the up arrow reports a position delta of −1 and the down arrow +1.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    void Click(int delta) { Q_EMIT DeltaPos(delta); }

Q_SIGNALS:
    void DeltaPos(int delta);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};
