// The hand-over of reports from the reader to the window thread: the time from a completed read
// to the return of the window's handler, with the simulated tablet sending 1,000 reports a
// second through the real connection and reader. Goal: p99 under 1 ms.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "tablet/reader_flag.h"
#include "tablet/sim/sim_tablet.h"
#include "tablet/tablet_connection.h"

namespace ondrel {
namespace {

using Clock = std::chrono::steady_clock;

// Each report carries its sequence number in bytes 0-1, which the tablet's protocol ignores.
class TimingWindow final : public TabletWindow {
  public:
    explicit TimingWindow(std::size_t count) : completed(count), latencies(count) {}
    void SetStatusText(std::string_view) override {}
    int OnTabletReport(const std::uint8_t* report) override {
        const std::size_t seq = report[0] | static_cast<std::size_t>(report[1]) << 8;
        benchmark::DoNotOptimize(DecodePenReport(
            std::span<const std::uint8_t, PEN_REPORT_SIZE>(report, PEN_REPORT_SIZE)));
        ++handled;
        latencies[seq] = Clock::now() - completed[seq];
        return 1;
    }
    std::vector<Clock::time_point> completed;  // written by the reader when its read completes
    std::vector<Clock::duration> latencies;
    std::size_t handled = 0;
};

double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void HandOverLatencyAt1000ReportsPerSecond(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Clock::duration> all;
    for (auto _ : state) {
        g_readerRunning = true;
        TimingWindow window(count);
        auto port = std::make_unique<SimTablet>();
        SimTablet& sim = *port;
        sim.SetReadObserver([&window](const PenReportBytes& report) {
            window.completed[report[0] | static_cast<std::size_t>(report[1]) << 8] = Clock::now();
        });
        sim.Plug();
        TabletConnection connection(window, std::move(port));
        connection.ConnectTablet();

        std::thread tablet([&sim, count] {
            const auto start = Clock::now();
            for (std::size_t i = 0; i < count; ++i) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(i));
                sim.QueueReport({static_cast<std::uint8_t>(i & 0xFF),
                                 static_cast<std::uint8_t>(i >> 8), 0x10, 0x27, 0x20, 0x4E, 0xE8,
                                 0x03});
            }
        });
        while (window.handled < count) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        tablet.join();
        g_readerRunning = false;
        connection.Shutdown();
        all.insert(all.end(), window.latencies.begin(), window.latencies.end());
    }
    std::sort(all.begin(), all.end());
    state.counters["median_us"] = Microseconds(all[all.size() / 2]);
    state.counters["p99_us"] = Microseconds(all[all.size() * 99 / 100]);
    state.counters["max_us"] = Microseconds(all.back());
    state.counters["reports"] = static_cast<double>(all.size());
    g_readerRunning = true;
}
BENCHMARK(HandOverLatencyAt1000ReportsPerSecond)
    ->Arg(5000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace ondrel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
