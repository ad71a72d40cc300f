// The site script runner where no script runs at all, the same on every platform.
#include "site/site_script.h"

#include "tests/site/site_script_fixture.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using test::SiteScriptTest;

TEST_F(SiteScriptTest, MissingTemplateRunsNothingAndTheCallerGoesOn) {
    RunSiteScript("config/createUpdateSignDoc.txt", "createUpdateSignDoc.bat");
    EXPECT_FALSE(fs::exists("createUpdateSignDoc.bat"));
    EXPECT_TRUE(fs::is_empty(site_.path()));
}

}  // namespace
}  // namespace ondrel
