#include "tests/support/pump_until.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace ondrel::test {

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // For conditions that change without an event of their own. Not shorter: Qt's short Windows
    // timers are multimedia timers, which run a thread of their own while they last, and that
    // thread would count against the tests that count threads after a teardown.
    QTimer wake;
    wake.start(50);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace ondrel::test
