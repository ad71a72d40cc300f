// The site script runner on Windows: batch files run by the file type's default action (cmd.exe),
// hidden, with "open" as their one argument, waited for, then deleted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "site/site_script.h"
#include "tests/site/site_script_fixture.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::SiteScriptTest;
using test::TempFolder;

TEST_F(SiteScriptTest, RunsTheTemplateWithTheSingleArgumentOpenThenDeletesIt) {
    site_.Write("config/createSign.txt", "@echo off\r\necho [%*]> args.txt\r\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("args.txt"), "[open]\r\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
    EXPECT_TRUE(fs::exists("config/createSign.txt"));
}

TEST_F(SiteScriptTest, WaitsForTheScriptToEnd) {
    // The script's last act comes only after a while of its own; the runner returns after it.
    site_.Write("config/createSign.txt",
                "@echo off\r\nfor /l %%i in (1,1,3000) do echo %%i> count.txt\r\n"
                "echo finished> done.txt\r\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("done.txt"), "finished\r\n");
}

TEST_F(SiteScriptTest, StaleBatchFileIsRunInsteadOfTheTemplateAndThenDeleted) {
    site_.Write("config/createSign.txt", "@echo template>> ran.txt\r\n");
    site_.Write("createSign.bat", "@echo stale>> ran.txt\r\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("ran.txt"), "stale\r\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("ran.txt"), "stale\r\ntemplate\r\n");
}

TEST_F(SiteScriptTest, FailingScriptStillEndsWithTheBatchFileDeleted) {
    site_.Write("config/createSign.txt", "@echo before> out.txt\r\n@exit /b 3\r\n");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    EXPECT_EQ(ReadWholeFile("out.txt"), "before\r\n");
    EXPECT_FALSE(fs::exists("createSign.bat"));
}

TEST_F(SiteScriptTest, TheScriptIsToldTheExchangeFolderInUse) {
    site_.Write("config/createSign.txt", "@echo [%ONDREL_EXCHANGE_DIR%]>> exchange.txt\r\n");
    const wchar_t* set = _wgetenv(L"ONDREL_EXCHANGE_DIR");
    const std::wstring previous = set != nullptr ? set : L"";
    _wputenv(L"ONDREL_EXCHANGE_DIR=");  // removes it
    RunSiteScript("config/createSign.txt", "createSign.bat");
    _wputenv(L"ONDREL_EXCHANGE_DIR=d:\\desk exchange");
    RunSiteScript("config/createSign.txt", "createSign.bat");
    _wputenv((L"ONDREL_EXCHANGE_DIR=" + previous).c_str());
    EXPECT_EQ(ReadWholeFile("exchange.txt"), "[c:\\ondrelTemp]\r\n[d:\\desk exchange]\r\n");
}

// A site folder whose name is Chinese: every path on the way is wide.
TEST(SiteScriptWide, RunsInAFolderWithChineseCharactersInItsName) {
    TempFolder root;
    const fs::path site = root.path() / fs::path(u8"签字板站点");
    fs::create_directories(site / "config");
    std::ofstream(site / "config" / "createSign.txt", std::ios::binary)
        << "@echo off\r\necho ran> ran.txt\r\n";
    const fs::path previous = fs::current_path();
    fs::current_path(site);
    RunSiteScript("config/createSign.txt", "createSign.bat");
    fs::current_path(previous);
    EXPECT_EQ(ReadWholeFile(site / "ran.txt"), "ran\r\n");
    EXPECT_FALSE(fs::exists(site / "createSign.bat"));
}

}  // namespace
}  // namespace ondrel
