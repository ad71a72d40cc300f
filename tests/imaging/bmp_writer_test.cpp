#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "imaging/area_capture.h"
#include "imaging/bmp_layout.h"
#include "imaging/stroke_renderer.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `save` while `folder` is read-only to it, in a way that root cannot bypass: for another
// user the folder's permissions do; root gets a child process with a private mount namespace in
// which the folder is a read-only bind mount of itself. The result of `save`, or nothing where
// root can have no such namespace (a container without the privilege). Files written by a
// child that can write anyway make it exit with 78, which fails the test.
std::optional<int> SaveIntoReadOnlyFolder(const fs::path& folder,
                                          const std::function<int()>& save) {
    if (geteuid() != 0) {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        const int result = save();
        fs::permissions(folder, fs::perms::owner_all);
        return result;
    }
    constexpr int NO_NAMESPACE = 77;
    constexpr int STILL_WRITABLE = 78;
    const pid_t child = fork();
    if (child < 0) {
        return std::nullopt;
    }
    if (child == 0) {
        bool own = unshare(CLONE_NEWNS) == 0;
        if (!own && unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            // Root stays root inside, so that only the mount can refuse the writes.
            const auto write = [](const char* file, const char* text) {
                std::ofstream out(file);
                out << text;
                out.flush();
                return out.good();
            };
            own = write("/proc/self/setgroups", "deny") && write("/proc/self/uid_map", "0 0 1") &&
                  write("/proc/self/gid_map", "0 0 1");
        }
        const char* path = folder.c_str();
        if (!own || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(path, path, nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, path, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            _exit(NO_NAMESPACE);
        }
        const std::string probe = (folder / "probe").string();
        const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0 || errno != EROFS) {
            _exit(STILL_WRITABLE);
        }
        _exit(save());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        ADD_FAILURE() << "the read-only child did not end normally";
        return std::nullopt;
    }
    const int code = WEXITSTATUS(status);
    EXPECT_NE(code, STILL_WRITABLE) << "the read-only bind mount could be written";
    if (code == NO_NAMESPACE) {
        return std::nullopt;
    }
    return code;
}

class BmpWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("ondrel-bmp-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, ignored);
        fs::remove_all(folder_, ignored);
    }
    // Files in the folder other than the given ones.
    std::vector<std::string> Leftovers(std::initializer_list<std::string> expected) const {
        std::vector<std::string> others;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) {
                others.push_back(name);
            }
        }
        return others;
    }

    fs::path folder_;
};

// A small signature: a thick diagonal and a thin horizontal line on white.
SignatureSurface SampleSignature(int width, int height) {
    SignatureSurface surface(width, height);
    DrawSegment(surface, {2, 2}, {width - 3, height - 3}, 3);
    DrawSegment(surface, {0, height / 2}, {width - 1, height / 2}, 0);
    return surface;
}

TEST(CopyAreaToBitmap, EmptyRectangleGivesNoBitmap) {
    const SignatureSurface surface(10, 10);
    EXPECT_FALSE(CopyAreaToBitmap({0, 0, 0, 10}, surface));
    EXPECT_FALSE(CopyAreaToBitmap({5, 5, 5, 4}, surface));
    EXPECT_EQ(SaveBitmapToFile(nullptr, "unused.bmp", 24), 0);
}

TEST_F(BmpWriterTest, ThreeByTwoAtDepth24StoresTheBottomRowFirst) {
    SignatureSurface surface(3, 2);
    surface.SetBlack(0, 1);  // bottom-left pixel
    const auto bitmap = CopyAreaToBitmap({0, 0, 3, 2}, surface);
    ASSERT_TRUE(bitmap);
    const fs::path target = folder_ / "sign.bmp";
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 32), 1);
    const auto bytes = ReadAll(target);
    ASSERT_EQ(bytes.size(), 78u);
    // First stored row is the bottom row: black, white, white, then 3 padding bytes.
    const std::vector<std::uint8_t> bottom(bytes.begin() + 54, bytes.begin() + 66);
    EXPECT_EQ(bottom, (std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
    const std::vector<std::uint8_t> top(bytes.begin() + 66, bytes.end());
    EXPECT_EQ(top,
              (std::vector<std::uint8_t>{255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
}

TEST_F(BmpWriterTest, WhiteAreaIsAllFFButThePadding) {
    const SignatureSurface surface(7, 5);
    const auto bitmap = CopyAreaToBitmap({0, 0, 7, 5}, surface);
    const fs::path target = folder_ / "white.bmp";
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);
    const auto bytes = ReadAll(target);
    const std::uint32_t stride = BmpStride(24, 7);
    for (std::size_t i = 54; i < bytes.size(); ++i) {
        const bool padding = (i - 54) % stride >= 21;
        EXPECT_EQ(bytes[i], padding ? 0 : 0xFF) << "byte " << i;
    }
    const auto one = CopyAreaToBitmap({0, 0, 1, 1}, surface);
    ASSERT_EQ(SaveBitmapToFile(&*one, folder_ / "one.bmp", 24), 1);
    EXPECT_EQ(fs::file_size(folder_ / "one.bmp"), 58u);
}

TEST_F(BmpWriterTest, QtReadsBackTheSamePixelsAtEveryDepth) {
    const SignatureSurface surface = SampleSignature(37, 23);
    const auto bitmap = CopyAreaToBitmap({0, 0, 37, 23}, surface);
    for (const int displayDepth : {32, 8, 4, 1}) {
        const fs::path target = folder_ / ("depth" + std::to_string(displayDepth) + ".bmp");
        ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, displayDepth), 1);
        const auto bytes = ReadAll(target);
        EXPECT_EQ(bytes[28], ChooseBmpDepth(displayDepth));
        QImage image(QString::fromStdString(target.string()));
        ASSERT_FALSE(image.isNull()) << displayDepth;
        ASSERT_EQ(image.size(), QSize(37, 23));
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) {
                ASSERT_EQ(image.pixel(x, y), surface.PixelAt(x, y))
                    << "depth " << displayDepth << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(BmpWriterTest, ImageMagickReadsBackTheSamePixels) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    const SignatureSurface surface = SampleSignature(29, 17);
    const auto bitmap = CopyAreaToBitmap({0, 0, 29, 17}, surface);
    for (const int displayDepth : {24, 8, 1}) {
        const fs::path target = folder_ / "im.bmp";
        const fs::path raw = folder_ / "im.gray";
        ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, displayDepth), 1);
        const std::string command =
            "convert '" + target.string() + "' -depth 8 gray:'" + raw.string() + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto grey = ReadAll(raw);
        ASSERT_EQ(grey.size(), 29u * 17u);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 29; ++x) {
                const std::uint8_t expected = surface.PixelAt(x, y) == kBlack ? 0 : 255;
                ASSERT_EQ(grey[static_cast<std::size_t>(y) * 29 + x], expected)
                    << "depth " << displayDepth << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(BmpWriterTest, ExistingFileIsReplacedWhole) {
    const fs::path target = folder_ / "sign.bmp";
    {
        std::ofstream old(target, std::ios::binary);
        old << std::string(100000, 'x');
    }
    const auto bitmap = CopyAreaToBitmap({0, 0, 3, 2}, SignatureSurface(3, 2));
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);
    EXPECT_EQ(fs::file_size(target), 78u);
    EXPECT_TRUE(Leftovers({"sign.bmp"}).empty());
}

TEST_F(BmpWriterTest, FailuresLeaveTheEarlierFileWholeAndNoTemporaryFile) {
    const auto bitmap = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
    // The folder does not exist.
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, folder_ / "missing" / "sign.bmp", 24), 0);
    EXPECT_FALSE(fs::exists(folder_ / "missing"));

    // A read-only folder with an earlier file in it.
    const fs::path target = folder_ / "sign.bmp";
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);
    const auto before = ReadAll(target);
    const auto larger = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    const std::optional<int> result =
        SaveIntoReadOnlyFolder(folder_, [&] { return SaveBitmapToFile(&*larger, target, 24); });
    if (result) {
        EXPECT_EQ(*result, 0);
        EXPECT_EQ(ReadAll(target), before);
    } else {
        std::printf(
            "[   NOTE   ] root without a private mount namespace here: the read-only"
            " folder is the /proc one below only\n");
    }
    EXPECT_TRUE(Leftovers({"sign.bmp"}).empty());

    // A folder in which no one, root included, can create a file; the file in it is written
    // to by root without complaint, so a save that fell back to writing it in place would
    // change it.
    const fs::path unwritable = "/proc/self/comm";
    const auto name = ReadAll(unwritable);
    EXPECT_EQ(SaveBitmapToFile(&*larger, unwritable, 24), 0);
    EXPECT_EQ(ReadAll(unwritable), name);

    // The target name is taken by a folder: the rename fails, the temporary file goes.
    fs::create_directories(folder_ / "busy.bmp");
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, folder_ / "busy.bmp", 24), 0);
    EXPECT_TRUE(Leftovers({"sign.bmp", "busy.bmp"}).empty());
}

TEST_F(BmpWriterTest, WriteErrorMidFileLeavesTheEarlierFileWhole) {
    // A file-size limit makes the write fail part-way, as a full disk does.
    const fs::path target = folder_ / "sign.bmp";
    const auto small = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
    ASSERT_EQ(SaveBitmapToFile(&*small, target, 24), 1);
    const auto before = ReadAll(target);

    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto large = CopyAreaToBitmap({0, 0, 200, 200}, SignatureSurface(200, 200));
    const int result = SaveBitmapToFile(&*large, target, 24);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(target), before);
    EXPECT_TRUE(Leftovers({"sign.bmp"}).empty());
}

TEST_F(BmpWriterTest, ConcurrentReaderNeverSeesATornFile) {
    // The host polls the file while the program rewrites it: every read must be a whole BMP,
    // one of the images written, never a mixture or a truncated file.
    const fs::path target = folder_ / "sign-temp.bmp";
    const SignatureSurface a = SampleSignature(300, 120);
    SignatureSurface b(200, 80);
    DrawSegment(b, {0, 0}, {199, 79}, 9);
    const auto bitmapA = CopyAreaToBitmap({0, 0, 300, 120}, a);
    const auto bitmapB = CopyAreaToBitmap({0, 0, 200, 80}, b);
    const auto bytesA = EncodeBmp(*bitmapA, 24);
    const auto bytesB = EncodeBmp(*bitmapB, 24);
    ASSERT_EQ(SaveBitmapToFile(&*bitmapA, target, 24), 1);

    std::atomic<bool> writing{true};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    std::thread host([&] {
        while (writing.load() || reads.load() < 50) {
            const auto seen = ReadAll(target);
            if (seen != bytesA && seen != bytesB) {
                ++torn;
            }
            ++reads;
        }
    });
    // Counted, not asserted, while the host runs: a failed assertion here would leave the host
    // thread unjoined.
    int failedWrites = 0;
    for (int i = 0; i < 300; ++i) {
        if (SaveBitmapToFile(i % 2 ? &*bitmapA : &*bitmapB, target, 24) != 1) {
            ++failedWrites;
        }
    }
    writing = false;
    host.join();
    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(torn.load(), 0) << "of " << reads.load() << " reads";
    EXPECT_TRUE(Leftovers({"sign-temp.bmp"}).empty());
}

}  // namespace
}  // namespace ondrel
