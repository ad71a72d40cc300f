// The signature files go only into an exchange folder that no other account can reach into; any
// other folder counts as missing. The folder's owner is told by the test here (Wine keeps no real
// owners); the POSIX tests use a real second account.

#include <QString>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>
#include <vector>

#include "imaging/area_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/files_log_capture.h"
#include "ui/signature_files.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

OwnerLookup Owned(PathOwner owner) {
    return [owner](const fs::path&) { return owner; };
}

class ExchangeFolderOwner : public ::testing::Test {
  protected:
    // Writes both files with the folder's owner told as `owner`; whether each was written.
    std::pair<bool, bool> WriteBoth(PathOwner owner) {
        SignatureFileSeams seams;
        seams.folderOwner = Owned(owner);
        SignatureFiles files(seams);
        const bool preview = files.WritePreview(area_, folder_.path() / "sign-temp.bmp", 24);
        files.WaitForPreview();
        return {preview && fs::exists(folder_.path() / "sign-temp.bmp"),
                files.WriteFinal(area_, folder_.path() / "sign.bmp", 24)};
    }

    test::TempFolder folder_;
    SignatureSurface area_{30, 10};
};

TEST_F(ExchangeFolderOwner, TheDeskUserOrAnAdministratorGetsTheFiles) {
    EXPECT_EQ(WriteBoth(PathOwner::DeskUser), std::make_pair(true, true));
    fs::remove_all(folder_.path());
    fs::create_directories(folder_.path());
    EXPECT_EQ(WriteBoth(PathOwner::Administrator), std::make_pair(true, true));
    EXPECT_EQ(FilesIn(folder_.path()), (std::vector<fs::path>{"sign-temp.bmp", "sign.bmp"}));
}

TEST_F(ExchangeFolderOwner, AnotherAccountsFolderGetsNothingAndIsLeftAlone) {
    // The last visitor's signature there stays as it is: the folder is not touched at all.
    const fs::path earlier = folder_.Write("sign.bmp", "someone's");
    test::FilesLogCapture log;
    EXPECT_EQ(WriteBoth(PathOwner::Other), std::make_pair(false, false));
    EXPECT_EQ(FilesIn(folder_.path()), (std::vector<fs::path>{"sign.bmp"}));
    EXPECT_EQ(fs::file_size(earlier), 9u);
    const QString warnings = log.warnings();
    EXPECT_TRUE(warnings.contains(QStringLiteral("another account owns it")))
        << warnings.toStdString();
    EXPECT_EQ(warnings.count(QStringLiteral("no signature is written")), 1)
        << "warned once per refusal: " << warnings.toStdString();
}

TEST_F(ExchangeFolderOwner, AFolderWhoseOwnerCannotBeToldGetsNothing) {
    EXPECT_EQ(WriteBoth(PathOwner::Unknown), std::make_pair(false, false));
    EXPECT_TRUE(FilesIn(folder_.path()).empty());
}

TEST_F(ExchangeFolderOwner, StaleTemporaryFilesAreClearedOnlyFromAnAcceptedFolder) {
    const fs::path stale = folder_.Write(".sign.bmp.7.tmp", "x");
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::minutes(2));
    ClearStaleSignatureTemporaries(folder_.path(), Owned(PathOwner::Other));
    EXPECT_TRUE(fs::exists(stale));
    ClearStaleSignatureTemporaries(folder_.path());
    EXPECT_FALSE(fs::exists(stale));
}

}  // namespace
}  // namespace ondrel
