#pragma once
#include <QTest>

namespace testing_support {

// Runs the event loop until `done` holds, for at most `ms`; whether it came. Qt's QTRY macros
// report to Qt Test, which a GoogleTest run never hears: their time-outs pass silently.
template <class Done> bool Eventually(Done done, int ms = 10000)
{
    return QTest::qWaitFor(done, ms);
}

} // namespace testing_support
