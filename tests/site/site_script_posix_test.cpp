// The site script runner with the shell as the batch files' interpreter.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <cstdlib>
#include <fstream>

#include "site/site_script.h"
#include "tests/site/site_script_fixture.h"
#include "tests/support/category_log_capture.h"
#include "tests/support/other_account.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::SiteScriptTest;
using test::TempFolder;

TEST_F(SiteScriptTest, RunsTheTemplateWithTheSingleArgumentOpenThenDeletesIt) {
    site_.Write("config/createSign.txt",
                "echo \"$#:$1\" > args.txt\n"
                "test -t 0 && echo tty > stdin.txt || cat > stdin.txt\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("args.txt"), "1:open\n");
    EXPECT_EQ(ReadWholeFile("stdin.txt"), "");  // no input, and no terminal
    EXPECT_FALSE(fs::exists("createSign.bat"));
    EXPECT_TRUE(fs::exists("config/createSign.txt"));
}

TEST_F(SiteScriptTest, WaitsForTheScriptToEnd) {
    // The script's last act is written only after a pause; the runner returns after it.
    site_.Write("config/createSign.txt", "sleep 0.3\necho finished > done.txt\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("done.txt"), "finished\n");
}

TEST_F(SiteScriptTest, StaleBatchFileIsRunInsteadOfTheTemplateAndThenDeleted) {
    site_.Write("config/createSign.txt", "echo template >> ran.txt\n");
    site_.Write("createSign.bat", "echo stale >> ran.txt\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("ran.txt"), "stale\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("ran.txt"), "stale\ntemplate\n");
}

TEST_F(SiteScriptTest, FailingScriptStillEndsWithTheBatchFileDeleted) {
    site_.Write("config/createSign.txt", "echo before > out.txt\nexit 3\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("out.txt"), "before\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
}

TEST_F(SiteScriptTest, TheScriptIsToldTheExchangeFolderInUse) {
    site_.Write("config/createSign.txt", "echo \"$ONDREL_EXCHANGE_DIR\" >> exchange.txt\n");
    const QByteArray previous = qgetenv("ONDREL_EXCHANGE_DIR");
    qunsetenv("ONDREL_EXCHANGE_DIR");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    qputenv("ONDREL_EXCHANGE_DIR", "/srv/desk exchange");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    if (previous.isNull()) {
        qunsetenv("ONDREL_EXCHANGE_DIR");
    } else {
        qputenv("ONDREL_EXCHANGE_DIR", previous);
    }
    EXPECT_EQ(ReadWholeFile("exchange.txt"), "/var/lib/ondrel-sign/exchange\n/srv/desk exchange\n");
}

TEST_F(SiteScriptTest, ALeftoverLinkIsNeitherFollowedNorRun) {
    // A link to a script elsewhere, and a link to where the copy would create a file.
    TempFolder elsewhere;
    const fs::path script = elsewhere.Write("script.sh", "echo linked > linked.txt\n");
    site_.Write("config/createSign.txt", "echo template > template.txt\n");
    fs::create_symlink(script, "createSign.bat");
    site_.Write("config/createUpdateSignDoc.txt", "echo template > template.txt\n");
    fs::create_symlink(elsewhere.path() / "made.sh", "createUpdateSignDoc.bat");

    RunSiteScript("config/createSign.txt", "createSign.bat");
    RunSiteScript("config/createUpdateSignDoc.txt", "createUpdateSignDoc.bat");
    EXPECT_FALSE(fs::exists("linked.txt"));
    EXPECT_FALSE(fs::exists("template.txt"));
    EXPECT_FALSE(fs::exists(fs::symlink_status("createSign.bat")));
    EXPECT_FALSE(fs::exists(fs::symlink_status("createUpdateSignDoc.bat")));
    EXPECT_EQ(ReadWholeFile(script), "echo linked > linked.txt\n");
    EXPECT_FALSE(fs::exists(elsewhere.path() / "made.sh"));
}

class SiteScriptOtherAccountTest : public SiteScriptTest {
  protected:
    void SetUp() override {
        SiteScriptTest::SetUp();
        std::string whyNot;
        account_ = test::FindOrMakeOtherAccount(whyNot);
        if (!account_) {
            GTEST_SKIP() << whyNot;
        }
    }
    std::optional<test::OtherAccount> account_;
};

TEST_F(SiteScriptOtherAccountTest, ALeftoverAnotherAccountPlantedIsNotRunButRemoved) {
    site_.Write("config/createSign.txt", "echo template >> ran.txt\n");
    const fs::path planted = site_.Write("createSign.bat", "echo planted >> ran.txt\n");
    ASSERT_EQ(::chown(planted.c_str(), account_->uid, account_->gid), 0);
    test::CategoryLogCapture log("ondrel.scripts");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_FALSE(fs::exists("ran.txt"));
    EXPECT_FALSE(fs::exists("createSign.bat"));
    EXPECT_TRUE(log.warnings().contains(QStringLiteral("another account owns it")))
        << log.warnings().toStdString();
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("ran.txt"), "template\n");
}

TEST_F(SiteScriptOtherAccountTest, ALeftoverOfRootRunsForAnyDeskUser) {
    // The desk user here is the other account; root's leftover is trusted, as an
    // administrator's. The child reports through its exit status.
    site_.Write("config/createSign.txt", "echo template >> ran.txt\n");
    site_.Write("createSign.bat", "echo root >> ran.txt\n");
    fs::permissions(site_.path(), fs::perms::all);  // the desk user's site
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(account_->gid) != 0 ||
            ::setuid(account_->uid) != 0) {
            ::_exit(2);
        }
        RunSiteScript("config/createSign.txt", "createSign.bat");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadWholeFile("ran.txt"), "root\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
}

}  // namespace
}  // namespace ondrel
