// GoogleTest main for tests that need a QApplication (widgets on the offscreen platform).
#include <gtest/gtest.h>

#include <QApplication>

#if defined(__SANITIZE_THREAD__)
// Qt is not built with ThreadSanitizer: its thread pool (which modal loops start) synchronises
// through futexes TSan cannot see, so its own bookkeeping shows up as races. Only Qt's internal
// allocations and its pool are silenced; the program's threads are still checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "race:QThreadPool\n"
           "race:QThreadPoolThread\n"
           "race:QWaitCondition::~QWaitCondition\n";
}
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs this binary without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ondrel-sign-test"));
    return RUN_ALL_TESTS();
}
