#pragma once
#include <QSize>

class QDialog;
class QMessageBox;
class QWidget;

// The window's natural size, the hand-held's page doubled; a screen smaller than this in
// either direction is a hand-held's, and the window takes all of it.
inline constexpr QSize kNaturalWindowSize{480, 640};
// Below this width or height a dialog covers the whole screen rather than what it would like.
inline constexpr QSize kCompactScreen{640, 480};

// Shows the program's window at its natural size, or over the whole available screen when
// that is smaller.
void ShowFitted(QWidget& window);
// Before exec: a dialog that would not fit the screen of `owner` takes the whole of it.
void FitDialog(QDialog& dialog, const QWidget* owner);
// A message box's text wraps to the width of the window it belongs to.
void WrapToOwner(QMessageBox& box, const QWidget* owner);
