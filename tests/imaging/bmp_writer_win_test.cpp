// Windows only: a host that keeps the target open decides whether the replace can happen.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "imaging/area_capture.h"
#include "imaging/bmp_file_steps.h"
#include "tests/support/whole_file.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class BmpWriterHostHoldsTarget : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("ondrel-bmp-win-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        target_ = folder_ / "sign-temp.bmp";
        const auto earlier = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
        ASSERT_EQ(SaveBitmapToFile(&*earlier, target_, 24), 1);
        before_ = test::ReadWholeFile<Bytes>(target_);
    }
    void TearDown() override {
        if (held_ != INVALID_HANDLE_VALUE) {
            CloseHandle(held_);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    void Hold(DWORD sharing) {
        held_ = CreateFileW(target_.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
    fs::path target_;
    std::vector<std::uint8_t> before_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(BmpWriterHostHoldsTarget, WithoutDeleteSharingTheReplaceFailsAndTheEarlierFileStays) {
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    const auto larger = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    EXPECT_EQ(SaveBitmapToFile(&*larger, target_, 24), 0);
    EXPECT_EQ(test::ReadWholeFile<Bytes>(target_), before_);
    EXPECT_EQ(FilesInFolder(), 1u) << "a temporary file was left behind";

    // Once the host lets go, the next save goes through.
    CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
    ASSERT_EQ(SaveBitmapToFile(&*larger, target_, 24), 1);
    EXPECT_EQ(test::ReadWholeFile<Bytes>(target_), EncodeBmp(*larger, 24));
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(BmpWriterHostHoldsTarget, WithDeleteSharingTheHostStillReadsTheEarlierFileWhole) {
    // Whether the replace may happen under a host that shares delete depends on the file
    // system's rename semantics (Wine refuses it); either way the host's open file is the
    // earlier one, whole, and the folder holds one whole file and no temporary one.
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    const auto larger = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    const int saved = SaveBitmapToFile(&*larger, target_, 24);
    EXPECT_EQ(test::ReadWholeFile<Bytes>(target_), saved == 1 ? EncodeBmp(*larger, 24) : before_);
    EXPECT_EQ(FilesInFolder(), 1u);

    std::vector<std::uint8_t> seen(before_.size() + 16);
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(held_, seen.data(), static_cast<DWORD>(seen.size()), &count, nullptr));
    seen.resize(count);
    EXPECT_EQ(seen, before_);
}

// The final signature's replace is tried again while the host holds the file; the test's wait
// stands in for the host's time and lets go when the test says.
TEST_F(BmpWriterHostHoldsTarget, AReplaceTriedAgainGoesThroughOnceTheHostLetsGo) {
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    const auto larger = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    std::vector<int> waits;
    const ReplaceRetry retry{5, std::chrono::milliseconds(50), [&](int attempt) {
                                 waits.push_back(attempt);
                                 if (attempt == 2) {
                                     CloseHandle(held_);
                                     held_ = INVALID_HANDLE_VALUE;
                                 }
                             }};
    EXPECT_EQ(SaveBitmapToFile(&*larger, target_, 24, retry), 1);
    EXPECT_EQ(waits, (std::vector<int>{1, 2}));
    EXPECT_EQ(test::ReadWholeFile<Bytes>(target_), EncodeBmp(*larger, 24));
    EXPECT_EQ(FilesInFolder(), 1u) << "a temporary file was left behind";
}

TEST_F(BmpWriterHostHoldsTarget, AHostThatNeverLetsGoEndsTheTriesAtTheirNumber) {
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    const auto larger = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    std::vector<int> waits;
    const ReplaceRetry retry{3, std::chrono::milliseconds(50),
                             [&](int attempt) { waits.push_back(attempt); }};
    EXPECT_EQ(SaveBitmapToFile(&*larger, target_, 24, retry), 0);
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(test::ReadWholeFile<Bytes>(target_), before_);
    EXPECT_EQ(FilesInFolder(), 1u) << "a temporary file was left behind";
}

// A scanner or the indexer opens the new file just after it was closed: the replace waits for
// it as for a host holding the target, whether or not an earlier target is there.
TEST_F(BmpWriterHostHoldsTarget, ANewFileHeldOpenIsInUseNotAFailure) {
    const fs::path fresh = folder_ / ".sign.bmp.1.tmp";
    ASSERT_TRUE(WriteNewFile(fresh, {1, 2, 3}));
    const HANDLE scanner = CreateFileW(fresh.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReplaceFileWith(fresh, target_), ReplaceOutcome::InUse);
    fs::remove(target_);
    EXPECT_EQ(ReplaceFileWith(fresh, target_), ReplaceOutcome::InUse);
    CloseHandle(scanner);
    EXPECT_EQ(ReplaceFileWith(fresh, target_), ReplaceOutcome::Replaced);
    EXPECT_EQ(test::ReadWholeFile<Bytes>(target_), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(BmpWriterHostHoldsTarget, NoNewFileOrAFolderInTheWayIsAFailure) {
    EXPECT_EQ(ReplaceFileWith(folder_ / "missing.tmp", target_), ReplaceOutcome::Failed);
    const fs::path fresh = folder_ / ".sign.bmp.2.tmp";
    ASSERT_TRUE(WriteNewFile(fresh, {1, 2, 3}));
    fs::remove(target_);
    fs::create_directories(target_ / "kept");
    EXPECT_EQ(ReplaceFileWith(fresh, target_), ReplaceOutcome::Failed);
}

}  // namespace
}  // namespace ondrel
