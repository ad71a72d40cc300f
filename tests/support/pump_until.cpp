#include "tests/support/pump_until.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace ondrel::test {

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QTimer wake;  // for conditions that change without an event of their own
    wake.start(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace ondrel::test
