// GoogleTest main for tests that need a QApplication (widgets on the offscreen platform).
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/qt_tsan_suppressions.h"

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
