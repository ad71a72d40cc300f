#include "tablet/report_reader.h"

#include <array>
#include <system_error>

#include "tablet/reader_flag.h"

namespace ondrel {

ReaderThread::ReaderThread(std::shared_ptr<UsbDevice> device, std::uint8_t pipeId, ReportSink& sink,
                           std::chrono::milliseconds turn)
    : device_(std::move(device)), pipeId_(pipeId), sink_(sink), turn_(turn) {
    thread_ = std::thread([this] { ReaderThreadProc(*this); });
}

ReaderThread::~ReaderThread() {
    Join();
}

void ReaderThread::RequestQuit() {
    std::lock_guard lock(mutex_);
    quitRequested_ = true;
    wake_.notify_all();
}

void ReaderThread::Stop() {
    RequestQuit();
    if (device_) {
        device_->CancelRead();
    }
}

void ReaderThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

bool ReaderThread::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

std::thread::id ReaderThread::id() const {
    return thread_.get_id();
}

bool ReaderThread::QuitRequested() {
    std::lock_guard lock(mutex_);
    return quitRequested_;
}

void ReaderThread::IdleUntil(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, until, [this] { return quitRequested_; });
}

std::shared_ptr<ReaderThread> StartReader(std::shared_ptr<UsbDevice> device, std::uint8_t pipeId,
                                          ReportSink& sink, std::chrono::milliseconds turn) {
    try {
        return std::make_shared<ReaderThread>(std::move(device), pipeId, sink, turn);
    } catch (const std::system_error&) {
        return nullptr;
    }
}

void ReaderThreadProc(ReaderThread& reader) {
    // Zeroed, so that a short first read hands on zeros rather than stack garbage.
    std::array<std::uint8_t, PEN_REPORT_SIZE> report{};

    if (g_readerRunning) {
        while (!reader.QuitRequested()) {
            const auto turnStart = std::chrono::steady_clock::now();
            // Read returns only when its transfer is over, so a cancelled or timed-out read can
            // never complete later into this buffer while the window reads it.
            const ReadResult result = reader.device_->Read(reader.pipeId_, report, reader.turn_);
            switch (result.outcome) {
                case ReadOutcome::Completed:
                    reader.sink_.HandOver(report.data());
                    break;
                case ReadOutcome::TimedOut:
                case ReadOutcome::Cancelled:
                    break;
                case ReadOutcome::Failed:
                case ReadOutcome::NotStarted:
                    // Gone or closed: nothing to hand on, and no busy loop until the quit
                    // request arrives; the turn lasts its usual length.
                    reader.IdleUntil(turnStart + reader.turn_);
                    break;
            }
            if (!g_readerRunning) {
                break;
            }
        }
    }

    std::lock_guard lock(reader.mutex_);
    reader.finished_ = true;
}

}  // namespace ondrel
