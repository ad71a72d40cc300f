// The site script runner with the shell as the batch files' interpreter.
#include <gtest/gtest.h>

#include <fstream>

#include "site/site_script.h"
#include "tests/site/site_script_fixture.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::SiteScriptTest;
using test::TempFolder;

TEST_F(SiteScriptTest, RunsTheTemplateWithTheSingleArgumentOpenThenDeletesIt) {
    site_.Write("config/createSign.txt",
                "echo \"$#:$1\" > args.txt\n"
                "test -t 0 && echo tty > stdin.txt || cat > stdin.txt\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadText("args.txt"), "1:open\n");
    EXPECT_EQ(ReadText("stdin.txt"), "");  // no input, and no terminal
    EXPECT_FALSE(fs::exists("createSign.bat"));
    EXPECT_TRUE(fs::exists("config/createSign.txt"));
}

TEST_F(SiteScriptTest, WaitsForTheScriptToEnd) {
    // The script's last act is written only after a pause; the runner returns after it.
    site_.Write("config/createSign.txt", "sleep 0.3\necho finished > done.txt\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadText("done.txt"), "finished\n");
}

TEST_F(SiteScriptTest, StaleBatchFileIsRunInsteadOfTheTemplateAndThenDeleted) {
    site_.Write("config/createSign.txt", "echo template >> ran.txt\n");
    site_.Write("createSign.bat", "echo stale >> ran.txt\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadText("ran.txt"), "stale\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadText("ran.txt"), "stale\ntemplate\n");
}

TEST_F(SiteScriptTest, FailingScriptStillEndsWithTheBatchFileDeleted) {
    site_.Write("config/createSign.txt", "echo before > out.txt\nexit 3\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadText("out.txt"), "before\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
}

}  // namespace
}  // namespace ondrel
