// Which batch files found in place may run and which folders may receive signatures: the rules
// over a path's facts, what this platform says about paths a test makes, and the runner refusing
// a batch file that another account owns (its owner told by the test, as Wine keeps none).
#include "site/trusted_path.h"

#include <gtest/gtest.h>

#include "site/site_script.h"
#include "tests/site/site_script_fixture.h"
#include "tests/support/category_log_capture.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using test::SiteScriptTest;
using test::TempFolder;

PathFacts Folder(PathOwner owner) {
    PathFacts facts;
    facts.exists = true;
    facts.directory = true;
    facts.owner = owner;
    return facts;
}

PathFacts File(PathOwner owner) {
    PathFacts facts;
    facts.exists = true;
    facts.regularFile = true;
    facts.owner = owner;
    return facts;
}

TEST(ExchangeFolderRefusal, OnlyAFolderOfTheDeskOrAnAdministratorThatNoOtherMayWriteTo) {
    EXPECT_FALSE(ExchangeFolderRefusal(Folder(PathOwner::DeskUser)));
    EXPECT_FALSE(ExchangeFolderRefusal(Folder(PathOwner::Administrator)));
    EXPECT_EQ(ExchangeFolderRefusal(Folder(PathOwner::Other)), "another account owns it");
    EXPECT_EQ(ExchangeFolderRefusal(Folder(PathOwner::Unknown)), "its owner cannot be told");
    EXPECT_EQ(ExchangeFolderRefusal(PathFacts{}), "it does not exist");

    PathFacts writable = Folder(PathOwner::Administrator);
    writable.othersMayWrite = true;
    EXPECT_EQ(ExchangeFolderRefusal(writable), "other accounts may write to it");
    PathFacts link = Folder(PathOwner::DeskUser);
    link.link = true;  // a junction on Windows is a directory and a reparse point at once
    EXPECT_EQ(ExchangeFolderRefusal(link), "it is a link, not a folder of its own");
    EXPECT_EQ(ExchangeFolderRefusal(File(PathOwner::DeskUser)), "it is not a folder");
}

TEST(LeftoverScriptRefusal, OnlyARegularFileOfTheDeskOrAnAdministrator) {
    EXPECT_FALSE(LeftoverScriptRefusal(File(PathOwner::DeskUser)));
    EXPECT_FALSE(LeftoverScriptRefusal(File(PathOwner::Administrator)));
    EXPECT_EQ(LeftoverScriptRefusal(File(PathOwner::Other)), "another account owns it");
    EXPECT_EQ(LeftoverScriptRefusal(File(PathOwner::Unknown)), "its owner cannot be told");
    PathFacts link = File(PathOwner::DeskUser);
    link.link = true;
    EXPECT_EQ(LeftoverScriptRefusal(link), "it is a link");
    EXPECT_EQ(LeftoverScriptRefusal(Folder(PathOwner::DeskUser)), "it is not a regular file");
}

TEST(LookAtPath, WhatTheDeskUserMadeIsItsOwnAndAccepted) {
    TempFolder folder;
    const PathFacts made = LookAtPath(folder.path());
    EXPECT_TRUE(made.exists);
    EXPECT_TRUE(made.directory);
    EXPECT_FALSE(made.link);
    EXPECT_EQ(made.owner, PathOwner::DeskUser);
    EXPECT_FALSE(ExchangeFolderRefusal(made));

    const PathFacts file = LookAtPath(folder.Write("createSign.bat", "x"));
    EXPECT_TRUE(file.regularFile);
    EXPECT_EQ(file.owner, PathOwner::DeskUser);
    EXPECT_FALSE(LeftoverScriptRefusal(file));

    EXPECT_FALSE(LookAtPath(folder.path() / "missing").exists);
    const PathFacts told =
        LookAtPath(folder.path(), [](const fs::path&) { return PathOwner::Other; });
    EXPECT_EQ(told.owner, PathOwner::Other);
}

// A line that writes a file under both the shell and cmd.exe.
constexpr const char* kLeftover = "echo planted> planted.txt\n";
constexpr const char* kTemplate = "echo template> template.txt\n";

OwnerLookup Owned(PathOwner owner) {
    return [owner](const fs::path&) { return owner; };
}

TEST_F(SiteScriptTest, ALeftoverOfAnotherAccountIsNotRunButRemoved) {
    site_.Write("config/createSign.txt", kTemplate);
    site_.Write("createSign.bat", kLeftover);
    test::CategoryLogCapture log("ondrel.scripts");
    RunSiteScript("config/createSign.txt", "createSign.bat", Owned(PathOwner::Other));
    EXPECT_FALSE(fs::exists("planted.txt"));
    EXPECT_FALSE(fs::exists("template.txt"));  // as after a failed launch: nothing runs
    EXPECT_FALSE(fs::exists("createSign.bat"));
    EXPECT_TRUE(log.warnings().contains(QStringLiteral("another account owns it")))
        << log.warnings().toStdString();

    RunSiteScript("config/createSign.txt", "createSign.bat", Owned(PathOwner::Other));
    EXPECT_TRUE(fs::exists("template.txt"));  // the copy just made is the program's own
    EXPECT_FALSE(fs::exists("planted.txt"));
}

TEST_F(SiteScriptTest, ALeftoverOfAnAdministratorRuns) {
    site_.Write("config/createSign.txt", kTemplate);
    site_.Write("createSign.bat", kLeftover);
    RunSiteScript("config/createSign.txt", "createSign.bat", Owned(PathOwner::Administrator));
    EXPECT_TRUE(fs::exists("planted.txt"));
    EXPECT_FALSE(fs::exists("template.txt"));
    EXPECT_FALSE(fs::exists("createSign.bat"));
}

TEST_F(SiteScriptTest, ALeftoverWhoseOwnerCannotBeToldIsNotRun) {
    site_.Write("config/createUpdateSignDoc.txt", kTemplate);
    site_.Write("createUpdateSignDoc.bat", kLeftover);
    RunSiteScript("config/createUpdateSignDoc.txt", "createUpdateSignDoc.bat",
                  Owned(PathOwner::Unknown));
    EXPECT_FALSE(fs::exists("planted.txt"));
    EXPECT_FALSE(fs::exists("createUpdateSignDoc.bat"));
}

}  // namespace
}  // namespace ondrel
