// POSIX: the exchange folder another account owns, or may write to, or that is a link, gets no
// signature; the signature files carry no permission for other accounts whatever the umask.

#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <filesystem>

#include "imaging/area_capture.h"
#include "tests/support/other_account.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/files_log_capture.h"
#include "ui/signature_files.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

class ExchangeFolderPosix : public ::testing::Test {
  protected:
    void SetUp() override {
        exchange_ = folder_.path() / "exchange";
        fs::create_directories(exchange_);
    }
    // Whether the preview and the final signature were written.
    std::pair<bool, bool> WriteBoth(const fs::path& exchange) {
        SignatureFiles files;
        files.WritePreview(area_, exchange / "sign-temp.bmp", 24);
        files.WaitForPreview();
        const bool final = files.WriteFinal(area_, exchange / "sign.bmp", 24);
        return {fs::exists(exchange / "sign-temp.bmp"), final};
    }
    static mode_t Mode(const fs::path& path) {
        struct stat status {};
        EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    }

    test::TempFolder folder_;
    fs::path exchange_;
    SignatureSurface area_{30, 10};
};

TEST_F(ExchangeFolderPosix, AFolderAnotherAccountOwnsGetsNoFile) {
    std::string whyNot;
    const auto account = test::FindOrMakeOtherAccount(whyNot);
    if (!account) {
        GTEST_SKIP() << whyNot;
    }
    ASSERT_EQ(::chown(exchange_.c_str(), account->uid, account->gid), 0);
    ::chmod(exchange_.c_str(), 0755);
    test::FilesLogCapture log;
    EXPECT_EQ(WriteBoth(exchange_), std::make_pair(false, false));
    EXPECT_TRUE(fs::is_empty(exchange_));
    EXPECT_TRUE(log.warnings().contains(QStringLiteral("another account owns it")))
        << log.warnings().toStdString();
}

TEST_F(ExchangeFolderPosix, AFolderOtherAccountsMayWriteToGetsNoFile) {
    for (const mode_t mode : {mode_t{0777}, mode_t{01777}, mode_t{0772}}) {
        ::chmod(exchange_.c_str(), mode);
        EXPECT_EQ(WriteBoth(exchange_), std::make_pair(false, false)) << std::oct << mode;
        EXPECT_TRUE(fs::is_empty(exchange_));
    }
}

TEST_F(ExchangeFolderPosix, ALinkToAGoodFolderGetsNoFile) {
    const fs::path link = folder_.path() / "link";
    fs::create_directory_symlink(exchange_, link);
    EXPECT_EQ(WriteBoth(link), std::make_pair(false, false));
    EXPECT_TRUE(fs::is_empty(exchange_));
}

// The packaged folder: root's, shared with the host through its group, set-group-id.
TEST_F(ExchangeFolderPosix, AGroupSharedFolderOfRootGetsFilesForOwnerAndGroupOnly) {
    ::chmod(exchange_.c_str(), 02770);
    const mode_t previous = ::umask(0);
    const auto written = WriteBoth(exchange_);
    ::umask(previous);
    EXPECT_EQ(written, std::make_pair(true, true));
    EXPECT_EQ(Mode(exchange_ / "sign-temp.bmp"), 0640u);
    EXPECT_EQ(Mode(exchange_ / "sign.bmp"), 0640u);
}

}  // namespace
}  // namespace ondrel
