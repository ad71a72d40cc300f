// The placement where the platform keeps per-user settings: written through QSettings, read
// back both ways, and found where the host's tools would look (the registry on Windows).
#include "ui/placement_store.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>

#include "tests/ui/stored_setting.h"

namespace ondrel {
namespace {

class PlacementStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
        // A name of its own, so that a registry shared between runs never holds an earlier value.
        previousName_ = QCoreApplication::applicationName();
        application_ = QStringLiteral("ondrel-placement-test-") +
                       QUuid::createUuid().toString(QUuid::WithoutBraces);
        QCoreApplication::setApplicationName(application_);
    }
    void TearDown() override {
        QSettings(QStringLiteral("Varnock software"), application_).clear();
        QSettings(QStringLiteral("Varnock software"), application_).sync();
        QCoreApplication::setApplicationName(previousName_);
    }

    QTemporaryDir folder_;
    QString application_;
    QString previousName_;
};

TEST_F(PlacementStoreTest, NothingStoredReadsAsUnset) {
    const WindowPlacement placement = ReadPlacement();
    EXPECT_EQ(placement.left, PLACEMENT_UNSET);
    EXPECT_EQ(placement.bottom, PLACEMENT_UNSET);
}

TEST_F(PlacementStoreTest, WrittenValuesAreWhereThePlatformKeepsSettings) {
    WritePlacement(WindowPlacement{-10, 1270, 5, 1019});
    const WindowPlacement back = ReadPlacement();
    EXPECT_EQ(back.left, -10);
    EXPECT_EQ(back.right, 1270);
    EXPECT_EQ(back.top, 5);
    EXPECT_EQ(back.bottom, 1019);
    EXPECT_EQ(test::ReadStoredSetting(folder_.path(), application_, QStringLiteral("left")),
              QStringLiteral("-10"));
    EXPECT_EQ(test::ReadStoredSetting(folder_.path(), application_, QStringLiteral("bottom")),
              QStringLiteral("1019"));
}

}  // namespace
}  // namespace ondrel
