#include "ui/HardwareKeys.h"

int HardwareKeyCode(const QKeyEvent& event)
{
    using namespace hardware_key;
    // Shortcuts with Ctrl or Alt belong to the menus.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return 0;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kEnter;
    case Qt::Key_Left:
        return kLeft;
    case Qt::Key_Up:
        return kUp;
    case Qt::Key_Right:
        return kRight;
    case Qt::Key_Down:
        return kDown;
    case Qt::Key_PageUp:
        return kPreviousPage;
    case Qt::Key_PageDown:
        return kNextPage;
    case Qt::Key_Minus:
        return kFrequencyDown;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return kFrequencyUp;
    case Qt::Key_F5:
        return kStartA;
    case Qt::Key_F6:
        return kStartB;
    case Qt::Key_F10:
        return kStartF10;
    default:
        return 0;
    }
}
