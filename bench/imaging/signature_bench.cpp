// How fast reports become ink, and how fast a preview file is written, beside Qt's own BMP
// writer and a plain write of the same number of bytes (the floor).

#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "imaging/area_capture.h"
#include "imaging/stroke_renderer.h"

namespace ondrel {
namespace {

constexpr int kAreaWidth = 1785;
constexpr int kAreaHeight = 1020;
constexpr TabletExtent kExtent{40000, 50000};

// A handwriting-like trace: loops drifting across the tablet, a report every ~0.25 mm, the pen
// lifted every 400 reports, pressure wandering around 1000.
std::vector<std::array<std::uint8_t, 8>> SignatureReports(int count) {
    std::vector<std::array<std::uint8_t, 8>> reports;
    reports.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.05;
        const auto x = static_cast<std::uint16_t>(4000 + (i % 4000) * 8 + 1500 * std::cos(t));
        const auto y = static_cast<std::uint16_t>(25000 + 9000 * std::sin(t * 0.7));
        const std::uint16_t pressure =
            (i % 400 == 399) ? 0 : static_cast<std::uint16_t>(1000 + 200 * std::sin(t * 0.3));
        reports.push_back(EncodePenReport({x, y, pressure}, 0x07, 0x80));
    }
    return reports;
}

void BM_ReportsToInk(benchmark::State& state) {
    const auto reports = SignatureReports(20000);
    SignatureSurface surface(kAreaWidth, kAreaHeight);
    PenState pen;
    std::size_t next = 0;
    for (auto _ : state) {
        const PenReport report = DecodePenReport(reports[next]);
        benchmark::DoNotOptimize(RenderPenReport(pen, report, kExtent, surface));
        next = (next + 1) % reports.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReportsToInk);

struct PreviewFixture {
    PreviewFixture() : surface(kAreaWidth, kAreaHeight) {
        PenState pen;
        for (const auto& bytes : SignatureReports(4000)) {
            RenderPenReport(pen, DecodePenReport(bytes), kExtent, surface);
        }
        folder = std::filesystem::temp_directory_path() / "ondrel-bench";
        std::filesystem::create_directories(folder);
    }
    ~PreviewFixture() { std::filesystem::remove_all(folder); }
    SignatureSurface surface;
    std::filesystem::path folder;
};

// The window's preview tick: the area into the last preview's bitmap, then the file.
void BM_PreviewSave(benchmark::State& state) {
    PreviewFixture fixture;
    const auto target = fixture.folder / "sign-temp.bmp";
    Bitmap bitmap;
    for (auto _ : state) {
        CopyAreaToBitmap({0, 0, kAreaWidth, kAreaHeight}, fixture.surface, bitmap);
        benchmark::DoNotOptimize(SaveBitmapToFile(&bitmap, target, 24));
    }
}
BENCHMARK(BM_PreviewSave)->Unit(benchmark::kMillisecond);

// The two halves of the preview's work, without the file: the capture into a reused bitmap, and
// the conversion to the file's bytes.
void BM_PreviewCapture(benchmark::State& state) {
    PreviewFixture fixture;
    Bitmap bitmap;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            CopyAreaToBitmap({0, 0, kAreaWidth, kAreaHeight}, fixture.surface, bitmap));
    }
}
BENCHMARK(BM_PreviewCapture)->Unit(benchmark::kMillisecond);

void BM_PreviewEncode(benchmark::State& state) {
    PreviewFixture fixture;
    const auto bitmap = CopyAreaToBitmap({0, 0, kAreaWidth, kAreaHeight}, fixture.surface);
    for (auto _ : state) {
        std::size_t bytes = 0;
        EncodeBmp(*bitmap, 24, [&](std::span<const std::uint8_t> piece) {
            bytes += piece.size();
            benchmark::DoNotOptimize(piece.data());
            return true;
        });
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_PreviewEncode)->Unit(benchmark::kMillisecond);

// The first save of a visit, or the final one: a fresh bitmap each time.
void BM_FinalSave(benchmark::State& state) {
    PreviewFixture fixture;
    const auto target = fixture.folder / "sign.bmp";
    for (auto _ : state) {
        const auto bitmap = CopyAreaToBitmap({0, 0, kAreaWidth, kAreaHeight}, fixture.surface);
        benchmark::DoNotOptimize(SaveBitmapToFile(&*bitmap, target, 24));
    }
}
BENCHMARK(BM_FinalSave)->Unit(benchmark::kMillisecond);

void BM_QtBmpWriter(benchmark::State& state) {
    PreviewFixture fixture;
    const auto target = QString::fromStdString((fixture.folder / "qt.bmp").string());
    for (auto _ : state) {
        // The same work: copy the area, then let Qt encode and write it.
        const QImage view(reinterpret_cast<const uchar*>(fixture.surface.pixels()), kAreaWidth,
                          kAreaHeight, kAreaWidth * 4, QImage::Format_RGB32);
        const QImage copy = view.copy();
        benchmark::DoNotOptimize(copy.save(target, "BMP"));
    }
}
BENCHMARK(BM_QtBmpWriter)->Unit(benchmark::kMillisecond);

void BM_PlainWriteFloor(benchmark::State& state) {
    PreviewFixture fixture;
    const std::vector<char> bytes(5463174, '\x7f');
    const auto target = (fixture.folder / "floor.bin").string();
    for (auto _ : state) {
        std::FILE* file = std::fopen(target.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}
BENCHMARK(BM_PlainWriteFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ondrel

BENCHMARK_MAIN();
