#pragma once
#include <QColor>
#include <QDialog>

// The colour chooser of a hand-held's screen: the standard colours and the custom ones as a
// grid of swatches that fits 240 pixels across; a tap chooses.
class CompactColourDialog final : public QDialog {
public:
    CompactColourDialog(const QColor& initial, QWidget* parent);

    QColor Chosen() const { return chosen_; }

private:
    QColor chosen_;
};
