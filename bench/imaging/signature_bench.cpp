// How fast reports become ink, and how fast a preview file is written, beside Qt's own BMP
// writer and a plain write of the same number of bytes (the floor).

#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "imaging/area_capture.h"
#include "imaging/preview_file.h"
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
    PreviewFixture() : surface(kAreaWidth, kAreaHeight), reports(SignatureReports(20000)) {
        Sign(4000);
        folder = std::filesystem::temp_directory_path() / "ondrel-bench";
        std::filesystem::create_directories(folder);
    }
    ~PreviewFixture() { std::filesystem::remove_all(folder); }
    // The next `count` reports of the trace onto the surface.
    void Sign(int count) {
        for (int i = 0; i < count; ++i) {
            RenderPenReport(pen, DecodePenReport(reports[next]), kExtent, surface);
            next = (next + 1) % reports.size();
        }
    }
    SignatureSurface surface;
    std::vector<std::array<std::uint8_t, 8>> reports;
    PenState pen;
    std::size_t next = 0;
    std::filesystem::path folder;
};

// What the pen adds between two preview ticks: a second of a tablet sending 200 reports a second.
constexpr int kReportsPerTick = 200;

// The window's preview tick: the area copied into the last preview's memory (the rows the pen
// changed), then the file. The ink drawn between ticks is not timed.
void BM_PreviewSave(benchmark::State& state) {
    PreviewFixture fixture;
    const auto target = fixture.folder / "sign-temp.bmp";
    PreviewFile preview;
    preview.Capture(fixture.surface);
    preview.Save(target, 24, {});
    for (auto _ : state) {
        state.PauseTiming();
        fixture.Sign(kReportsPerTick);
        state.ResumeTiming();
        preview.Capture(fixture.surface);
        benchmark::DoNotOptimize(preview.Save(target, 24, {}));
    }
}
BENCHMARK(BM_PreviewSave)->Unit(benchmark::kMillisecond);

// The same when every row changed since the last tick: the most a tick ever costs.
void BM_PreviewSaveEveryRowChanged(benchmark::State& state) {
    PreviewFixture fixture;
    const auto target = fixture.folder / "sign-temp.bmp";
    PreviewFile preview;
    int column = 0;
    for (auto _ : state) {
        state.PauseTiming();
        column = (column + 1) % kAreaWidth;
        for (int y = 0; y < kAreaHeight; ++y) {
            fixture.surface.SetBlack(column, y);
        }
        state.ResumeTiming();
        preview.Capture(fixture.surface);
        benchmark::DoNotOptimize(preview.Save(target, 24, {}));
    }
}
BENCHMARK(BM_PreviewSaveEveryRowChanged)->Unit(benchmark::kMillisecond);

// The parts of a tick without the file: the capture of a second's changes, and the conversion
// of the whole area to the file's bytes, as a window's first write needs.
void BM_PreviewCapture(benchmark::State& state) {
    PreviewFixture fixture;
    PreviewFile preview;
    preview.Capture(fixture.surface);
    for (auto _ : state) {
        state.PauseTiming();
        fixture.Sign(kReportsPerTick);
        state.ResumeTiming();
        benchmark::DoNotOptimize(preview.Capture(fixture.surface));
    }
}
BENCHMARK(BM_PreviewCapture)->Unit(benchmark::kMillisecond);

void BM_WholeAreaEncode(benchmark::State& state) {
    PreviewFixture fixture;
    const auto bitmap = CopyAreaToBitmap({0, 0, kAreaWidth, kAreaHeight}, fixture.surface);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeBmp(*bitmap, 24));
    }
}
BENCHMARK(BM_WholeAreaEncode)->Unit(benchmark::kMillisecond);

// A save with nothing kept: a fresh copy of the area, converted whole. Every write cost this
// before the copy was kept between writes; now only a window's first does.
void BM_FreshSave(benchmark::State& state) {
    PreviewFixture fixture;
    const auto target = fixture.folder / "sign.bmp";
    for (auto _ : state) {
        const auto bitmap = CopyAreaToBitmap({0, 0, kAreaWidth, kAreaHeight}, fixture.surface);
        benchmark::DoNotOptimize(SaveBitmapToFile(&*bitmap, target, 24));
    }
}
BENCHMARK(BM_FreshSave)->Unit(benchmark::kMillisecond);

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
