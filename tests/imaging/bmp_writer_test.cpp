#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include "imaging/area_capture.h"
#include "imaging/bmp_file_steps.h"
#include "imaging/bmp_layout.h"
#include "imaging/bmp_temporary_files.h"
#include "imaging/stroke_renderer.h"
#include "tests/imaging/file_test_support.h"
#include "tests/support/whole_file.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    return test::ReadWholeFile<std::vector<std::uint8_t>>(path);
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
    // Files in the folder other than the given ones (names compared as paths, so that names
    // outside ASCII compare right on every platform).
    std::vector<fs::path> Leftovers(std::initializer_list<fs::path> expected) const {
        std::vector<fs::path> others;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const fs::path name = entry.path().filename();
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

TEST(EncodeBmp, EveryPixelKeepsItsBlueGreenAndRedAtEveryWidth) {
    // Colours whose three channels all differ, at widths that end the row at every place in a
    // group of eight pixels.
    for (int width = 1; width <= 19; ++width) {
        Bitmap bitmap;
        bitmap.width = width;
        bitmap.height = 2;
        for (int i = 0; i < width * 2; ++i) {
            bitmap.pixels.push_back(0xFF000000u |
                                    static_cast<std::uint32_t>(i * 0x0F1E2D + 0x10203));
        }
        const auto bytes = EncodeBmp(bitmap, 24);
        const std::uint32_t stride = BmpStride(24, width);
        ASSERT_EQ(bytes.size(), 54u + 2 * stride) << width;
        for (int y = 0; y < 2; ++y) {
            const std::uint8_t* row = bytes.data() + 54 + (1 - y) * stride;  // bottom row first
            for (int x = 0; x < width; ++x) {
                const std::uint32_t pixel = bitmap.pixels[static_cast<std::size_t>(y) * width + x];
                EXPECT_EQ(row[3 * x], pixel & 0xFF) << width << ": blue at " << x << "," << y;
                EXPECT_EQ(row[3 * x + 1], (pixel >> 8) & 0xFF) << width << ": green";
                EXPECT_EQ(row[3 * x + 2], (pixel >> 16) & 0xFF) << width << ": red";
            }
            for (std::uint32_t pad = 3 * width; pad < stride; ++pad) {
                EXPECT_EQ(row[pad], 0) << width << ": padding";
            }
        }
    }
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
    // A small area and one of the window's size, at every depth.
    for (const QSize size : {QSize(37, 23), QSize(1785, 700)}) {
        const SignatureSurface surface = SampleSignature(size.width(), size.height());
        const auto bitmap = CopyAreaToBitmap({0, 0, size.width(), size.height()}, surface);
        for (const int displayDepth : {32, 8, 4, 1}) {
            const fs::path target = folder_ / ("depth" + std::to_string(displayDepth) + ".bmp");
            ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, displayDepth), 1);
            const auto bytes = ReadAll(target);
            EXPECT_EQ(bytes[28], ChooseBmpDepth(displayDepth));
            const QImage image = QImage(QString::fromStdString(target.string()))
                                     .convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(image.size(), size) << displayDepth;
            for (int y = 0; y < size.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < size.width(); ++x) {
                    ASSERT_EQ(line[x], surface.PixelAt(x, y))
                        << "depth " << displayDepth << " at " << x << "," << y;
                }
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

    // The target name is taken by a folder: the rename fails, the temporary file goes.
    fs::create_directories(folder_ / "busy.bmp");
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, folder_ / "busy.bmp", 24), 0);
    EXPECT_TRUE(Leftovers({"busy.bmp"}).empty());
}

TEST_F(BmpWriterTest, ReadOnlyFolderKeepsTheEarlierFile) {
    const auto bitmap = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
    const fs::path target = folder_ / "sign.bmp";
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);
    const auto before = ReadAll(target);
    const auto larger = CopyAreaToBitmap({0, 0, 9, 9}, SignatureSurface(9, 9));
    const std::optional<int> result = test::SaveIntoReadOnlyFolder(
        folder_, [&] { return SaveBitmapToFile(&*larger, target, 24); });
    if (!result) {
        GTEST_SKIP() << "no read-only folder can be made here (on Windows a folder's read-only "
                        "flag is only an attribute; root without a private mount namespace)";
    }
    EXPECT_EQ(*result, 0);
    EXPECT_EQ(ReadAll(target), before);
    EXPECT_TRUE(Leftovers({"sign.bmp"}).empty());
}

TEST_F(BmpWriterTest, WriteErrorMidFileLeavesTheEarlierFileWhole) {
    // A file-size limit makes the write fail part-way, as a full disk does.
    const fs::path target = folder_ / "sign.bmp";
    const auto small = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
    ASSERT_EQ(SaveBitmapToFile(&*small, target, 24), 1);
    const auto before = ReadAll(target);

    const auto large = CopyAreaToBitmap({0, 0, 200, 200}, SignatureSurface(200, 200));
    int result = -1;
    if (!test::WithFileSizeLimit(4096, [&] { result = SaveBitmapToFile(&*large, target, 24); })) {
        GTEST_SKIP() << "this platform has no per-process file-size limit";
    }

    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(target), before);
    EXPECT_TRUE(Leftovers({"sign.bmp"}).empty());
}

TEST_F(BmpWriterTest, AReplaceNothingHoldsUpIsNotWaitedFor) {
    const fs::path target = folder_ / "sign.bmp";
    const auto bitmap = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);
    int waits = 0;
    const ReplaceRetry retry{5, std::chrono::milliseconds(50), [&](int) { ++waits; }};
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, target, 24, retry), 1);
    EXPECT_EQ(waits, 0);
}

TEST_F(BmpWriterTest, ATargetThatCanNeverBeReplacedIsNotWaitedFor) {
    // A folder with something in it where the file should go: no waiting makes room.
    const fs::path target = folder_ / "sign.bmp";
    fs::create_directories(target);
    { std::ofstream(target / "kept", std::ios::binary) << "x"; }
    const auto bitmap = CopyAreaToBitmap({0, 0, 4, 4}, SignatureSurface(4, 4));
    int waits = 0;
    const ReplaceRetry retry{5, std::chrono::milliseconds(50), [&](int) { ++waits; }};
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, target, 24, retry), 0);
    EXPECT_EQ(waits, 0);
    EXPECT_TRUE(Leftovers({"sign.bmp"}).empty());
}

TEST_F(BmpWriterTest, NewFileNeverReusesAnExistingOne) {
    // The temporary file is created exclusively: a file already under its name stays untouched.
    const fs::path taken = folder_ / "taken.tmp";
    { std::ofstream(taken, std::ios::binary) << "someone else's"; }
    EXPECT_FALSE(WriteNewFile(taken, {1, 2, 3}));
    EXPECT_EQ(ReadAll(taken), (std::vector<std::uint8_t>{'s', 'o', 'm', 'e', 'o', 'n', 'e', ' ',
                                                         'e', 'l', 's', 'e', '\'', 's'}));
    EXPECT_TRUE(WriteNewFile(folder_ / "fresh.tmp", {1, 2, 3}));
    EXPECT_EQ(ReadAll(folder_ / "fresh.tmp"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(BmpWriterTest, TargetNameOutsideAsciiIsKept) {
    const fs::path target = folder_ / fs::path(u8"签名 visitor.bmp");
    const auto bitmap = CopyAreaToBitmap({0, 0, 3, 2}, SignatureSurface(3, 2));
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);
    EXPECT_EQ(fs::file_size(target), 78u);
    ASSERT_EQ(SaveBitmapToFile(&*bitmap, target, 24), 1);  // and replaced under that name
    EXPECT_TRUE(Leftovers({target.filename()}).empty());
}

TEST_F(BmpWriterTest, ConcurrentReaderNeverSeesATornFile) {
    // The host polls the file while the program rewrites it: every read must be a whole BMP,
    // one of the images written, never a mixture or a truncated file. Where a reader's open
    // file cannot be replaced (Windows), a save that meets a read fails and leaves the earlier
    // file; once the host has stopped reading, saving goes through.
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
    int failedSaves = 0;
    for (int i = 0; i < 300; ++i) {
        failedSaves += SaveBitmapToFile(i % 2 ? &*bitmapA : &*bitmapB, target, 24) == 1 ? 0 : 1;
    }
    writing = false;
    host.join();
    EXPECT_EQ(torn.load(), 0) << "of " << reads.load() << " reads";
    if (!test::kReplaceFailsWhileReaderHasFileOpen) {
        EXPECT_EQ(failedSaves, 0);
    }
    ASSERT_EQ(SaveBitmapToFile(&*bitmapB, target, 24), 1);
    EXPECT_EQ(ReadAll(target), bytesB);
    EXPECT_TRUE(Leftovers({"sign-temp.bmp"}).empty());
}

TEST(SignatureTemporaryName, NamesTheWritersTemporaryFilesOnly) {
    for (const char* target : {"sign.bmp", "sign-temp.bmp"}) {
        EXPECT_TRUE(IsSignatureTemporaryName(TemporaryPathBeside(fs::path("x") / target)))
            << target;
    }
    EXPECT_TRUE(IsSignatureTemporaryName(".sign.bmp.1234567.tmp"));
    for (const char* other : {"sign.bmp", ".sign.bmp", ".sign.bmp.tmp", "sign.bmp.12.tmp",
                              ".userAgreement-1.jpg.12.tmp", ".sign.bmp.12.tmp.keep", ".tmp"}) {
        EXPECT_FALSE(IsSignatureTemporaryName(other)) << other;
    }
}

TEST_F(BmpWriterTest, StaleTemporaryFilesAreRemovedAndEverythingElseKept) {
    const auto now = fs::file_time_type::clock::now();
    const auto write = [&](const fs::path& name, fs::file_time_type when) {
        { std::ofstream(folder_ / name, std::ios::binary) << "x"; }
        fs::last_write_time(folder_ / name, when);
    };
    write(".sign.bmp.111.tmp", now - std::chrono::minutes(5));
    write(".sign-temp.bmp.222.tmp", now - std::chrono::seconds(61));
    write(".sign.bmp.333.tmp", now - std::chrono::seconds(30));  // perhaps a writer at work
    write("sign.bmp", now - std::chrono::hours(5));
    write(".host.bmp.444.tmp", now - std::chrono::hours(5));
    fs::create_directories(folder_ / ".sign.bmp.555.tmp");  // not a file of ours
    std::error_code noFolderTimes;                          // mingw's runtime sets no folder's time
    fs::last_write_time(folder_ / ".sign.bmp.555.tmp", now - std::chrono::hours(5), noFolderTimes);

    EXPECT_EQ(RemoveStaleSignatureTemporaries(folder_, now), 2);
    std::vector<fs::path> kept = Leftovers({});
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<fs::path>{".host.bmp.444.tmp", ".sign.bmp.333.tmp",
                                           ".sign.bmp.555.tmp", "sign.bmp"}));
    EXPECT_EQ(RemoveStaleSignatureTemporaries(folder_ / "missing", now), 0);
}

}  // namespace
}  // namespace ondrel
