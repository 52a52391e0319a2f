#include "graphics/FontRuntime.h"

#include <QGuiApplication>

namespace {

// Qt's start-up chatter (runtime directory and the like) is no business of a library.
void Silent(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

bool EnsureFontRuntime()
{
    if (QCoreApplication::instance() != nullptr)
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    // QGuiApplication keeps references to argc and argv for its whole life.
    static int argc = 3;
    static char name[] = "lurcontrol";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    const QtMessageHandler previous = qInstallMessageHandler(Silent);
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    qInstallMessageHandler(previous);
    return application != nullptr;
}
