// Windows only: the final signature while the host holds the earlier sign.bmp open. Its replace
// is tried again for a while; the waits between the tries are the test's, and the host lets go
// (or not) from there.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <vector>

#include "imaging/area_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/whole_file.h"
#include "tests/ui/files_log_capture.h"
#include "ui/signature_files.h"

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

namespace ondrel {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;
using test::ReadWholeFile;

class FinalSignatureHeldOpen : public ::testing::Test {
  protected:
    void SetUp() override {
        target_ = folder_.path() / "sign.bmp";
        const auto earlier = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
        ASSERT_EQ(SaveBitmapToFile(&*earlier, target_, 24), 1);
        earlier_ = ReadWholeFile<Bytes>(target_);
        area_.FillSpanBlack(2, 3, 20);
    }
    void TearDown() override { LetGo(); }

    void Hold(DWORD sharing) {
        held_ = CreateFileW(target_.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    }
    void LetGo() {
        if (held_ != INVALID_HANDLE_VALUE) {
            CloseHandle(held_);
            held_ = INVALID_HANDLE_VALUE;
        }
    }
    // Signature files whose waits are recorded, and which let go at wait `letGoAt` (never: 0).
    SignatureFileSeams Seams(int letGoAt) {
        SignatureFileSeams seams;
        seams.finalReplaceWait = [this, letGoAt](int attempt) {
            waits_.push_back(attempt);
            if (attempt == letGoAt) {
                LetGo();
            }
        };
        return seams;
    }
    std::vector<std::uint8_t> Expected() const {
        return EncodeBmp(*CopyAreaToBitmap({0, 0, area_.width(), area_.height()}, area_), 24);
    }

    test::TempFolder folder_;
    fs::path target_;
    std::vector<std::uint8_t> earlier_;
    SignatureSurface area_{30, 10};
    HANDLE held_ = INVALID_HANDLE_VALUE;
    std::vector<int> waits_;
};

TEST_F(FinalSignatureHeldOpen, AHostThatLetsGoMeanwhileGetsTheNewSignatureWhole) {
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    SignatureFiles files(Seams(3));
    EXPECT_TRUE(files.WriteFinal(area_, target_, 24));
    EXPECT_EQ(waits_, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ReadWholeFile<Bytes>(target_), Expected());
}

TEST_F(FinalSignatureHeldOpen, AHostThatNeverLetsGoIsAFailedFinalWrite) {
    // Without delete sharing the earlier file can be removed no more than replaced: the warning
    // says so.
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    test::FilesLogCapture log;
    SignatureFiles files(Seams(0));
    EXPECT_FALSE(files.WriteFinal(area_, target_, 24));
    EXPECT_EQ(static_cast<int>(waits_.size()), kFinalReplaceTries);
    const QString warnings = log.warnings();
    EXPECT_TRUE(warnings.contains(QStringLiteral("could not remove"))) << warnings.toStdString();
    LetGo();
    EXPECT_EQ(ReadWholeFile<Bytes>(target_), earlier_);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
}

TEST_F(FinalSignatureHeldOpen, AHostSharingDeleteThatNeverLetsGoLosesTheEarlierSignature) {
    // The replace is refused all the same (Wine refuses it whatever the sharing), but the earlier
    // file can be removed: once the host closes it, it is gone.
    Hold(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    SignatureFiles files(Seams(0));
    if (files.WriteFinal(area_, target_, 24)) {
        GTEST_SKIP() << "this file system replaces a file its holder shares delete on";
    }
    EXPECT_EQ(static_cast<int>(waits_.size()), kFinalReplaceTries);
    LetGo();
    EXPECT_FALSE(fs::exists(target_));
}

// A folder that is a link (a reparse point) to a good folder gets no signature.
TEST(ExchangeFolderReparsePoint, ALinkedFolderGetsNoFile) {
    test::TempFolder folder;
    const fs::path real = folder.path() / "real";
    const fs::path link = folder.path() / "link";
    fs::create_directories(real);
    // Wine says it made the link and makes nothing.
    if (!CreateSymbolicLinkW(
            link.c_str(), real.c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no directory link can be made here";
    }
    EXPECT_TRUE(LookAtPath(link).link);
    SignatureFiles files;
    EXPECT_FALSE(files.WriteFinal(SignatureSurface(20, 10), link / "sign.bmp", 24));
    EXPECT_TRUE(fs::is_empty(real));
    EXPECT_TRUE(files.WriteFinal(SignatureSurface(20, 10), real / "sign.bmp", 24));
}

}  // namespace
}  // namespace ondrel
