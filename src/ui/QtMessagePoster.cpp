#include "ui/QtMessagePoster.h"

#include <QCoreApplication>

#include "ui/SheetEvents.h"

void QtMessagePoster::Post(WindowId window, const PositionMessage& message)
{
    if (window == 0)
        return;
    // postEvent is safe from any thread and takes ownership of the event.
    QCoreApplication::postEvent(reinterpret_cast<QObject*>(window), new PositionEvent(message));
}
