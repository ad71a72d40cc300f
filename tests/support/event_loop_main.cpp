// GoogleTest main for tests that need a Qt event loop but no widgets: the tablet tests run the
// connection on it as the signing window does (the test thread is the window thread).
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/qt_tsan_suppressions.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
