// The BMP writer where even root may not create a file: a save must fail and leave the file
// alone, not fall back to writing it in place.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "imaging/area_capture.h"
#include "imaging/bmp_file_steps.h"
#include "tests/support/temp_folder.h"
#include "tests/support/whole_file.h"

namespace ondrel {
namespace {

TEST(BmpWriterPosix, AFolderNoOneMayCreateFilesInLeavesItsFileAlone) {
    const auto bitmap = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    // Root writes to this file without complaint, but no file can be created beside it.
    const std::filesystem::path unwritable = "/proc/self/comm";
    const auto name = test::ReadWholeFile(unwritable);
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, unwritable, 24), 0);
    EXPECT_EQ(test::ReadWholeFile(unwritable), name);
}

// The host reads the files through the folder's group; other accounts get nothing, whatever the
// umask says, and a umask that takes the group's read away does not lock the host out.
TEST(BmpWriterPosix, FilesAreReadableByOwnerAndGroupOnlyWhateverTheUmask) {
    test::TempFolder folder;
    const auto bitmap = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}}) {
        const mode_t previous = ::umask(mask);
        const std::filesystem::path target = folder.path() / "sign.bmp";
        const int saved = SaveBitmapToFile(&*bitmap, target, 24);
        ::umask(previous);
        ASSERT_EQ(saved, 1);
        struct stat status {};
        ASSERT_EQ(::stat(target.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u) << "umask " << std::oct << mask;
    }
}

TEST(BmpWriterPosix, ANewFileIsNeverCreatedThroughALink) {
    test::TempFolder folder;
    const std::filesystem::path elsewhere = folder.path() / "elsewhere.bmp";
    std::filesystem::create_symlink(elsewhere, folder.path() / "new.tmp");
    EXPECT_FALSE(WriteNewFile(folder.path() / "new.tmp", {1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

}  // namespace
}  // namespace ondrel
