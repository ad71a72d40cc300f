#include "site/agreement_refresh.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "site/file_stamp.h"
#include "tests/support/temp_folder.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using ondrel::test::TempFolder;

void SetModified(const fs::path& file, fs::file_time_type when) {
    fs::last_write_time(file, when);
}

// A time on a whole second, so that "the same second" in a test really is.
fs::file_time_type WholeSecondsAgo(std::chrono::seconds ago) {
    return std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() - ago);
}

TEST(GetFileStamp, IsFixedWidthLocalTimeOrEmpty) {
    TempFolder folder;
    const auto file = folder.Write("a.txt", "x");
    const std::string stamp = GetFileStamp(file);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << stamp;
    EXPECT_EQ(GetFileStamp(folder.path() / "missing.txt"), "");
}

TEST(GetFileStamp, OrdersByTimeWhenComparedAsText) {
    TempFolder folder;
    const auto older = folder.Write("older", "x");
    const auto newer = folder.Write("newer", "x");
    const auto base = WholeSecondsAgo(std::chrono::hours(24 * 40));
    SetModified(older, base);
    SetModified(newer, base + std::chrono::seconds(1));
    EXPECT_LT(GetFileStamp(older), GetFileStamp(newer));
    SetModified(newer, base + std::chrono::milliseconds(300));  // same second
    EXPECT_EQ(GetFileStamp(older), GetFileStamp(newer));
}

class AgreementRefreshTest : public ::testing::Test {
  protected:
    TempFolder site_;
    TempFolder exchange_;
    fs::path document_ = site_.Write("userAgreement.rtf", "{\\rtf1 terms}");
    fs::path image_ = exchange_.path() / "userAgreement-1.jpg";
    fs::file_time_type base_ = WholeSecondsAgo(std::chrono::hours(2));

    void WriteImage(fs::file_time_type when) {
        exchange_.Write("userAgreement-1.jpg", "jpeg");
        SetModified(image_, when);
    }
};

TEST_F(AgreementRefreshTest, MissingImageAlwaysRefreshes) {
    SetModified(document_, base_);
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 1));
    fs::remove(document_);
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 1));
}

TEST_F(AgreementRefreshTest, EqualStampsRefreshOnlyWithAnArgument) {
    SetModified(document_, base_);
    WriteImage(base_ + std::chrono::milliseconds(500));  // written in the same second
    EXPECT_FALSE(AgreementNeedsRefresh(document_, image_, 1));
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 2));
}

TEST_F(AgreementRefreshTest, DocumentNewerByOneSecondRefreshes) {
    WriteImage(base_);
    SetModified(document_, base_ + std::chrono::seconds(1));
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 1));
}

TEST_F(AgreementRefreshTest, NewerImageRefreshesWithAnyArgument) {
    SetModified(document_, base_);
    WriteImage(base_ + std::chrono::hours(1));
    EXPECT_FALSE(AgreementNeedsRefresh(document_, image_, 1));
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 2));
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 5));
}

TEST_F(AgreementRefreshTest, MissingDocumentDoesNotRefreshWithoutAnArgument) {
    WriteImage(base_);
    fs::remove(document_);
    EXPECT_FALSE(AgreementNeedsRefresh(document_, image_, 1));
    EXPECT_TRUE(AgreementNeedsRefresh(document_, image_, 2));
}

TEST_F(AgreementRefreshTest, DocumentIsLookedForInTheWorkingDirectory) {
    // The relative name finds the document of whichever site the program was started in.
    WriteImage(base_);
    SetModified(document_, base_ + std::chrono::seconds(10));
    TempFolder otherSite;
    otherSite.EnterAsWorkingDirectory();
    EXPECT_FALSE(AgreementNeedsRefresh("userAgreement.rtf", image_, 1));
    SetModified(otherSite.Write("userAgreement.rtf", "{\\rtf1}"), base_ + std::chrono::seconds(5));
    EXPECT_TRUE(AgreementNeedsRefresh("userAgreement.rtf", image_, 1));
}

}  // namespace
}  // namespace ondrel
