#pragma once

// The reader: a worker thread, one per successful open, that reads the tablet's 8-byte reports
// and hands each one to the window thread, synchronously, one at a time.
//
// Each turn: check the quit request; read with a 600 ms limit; hand a completed report over and
// wait until the window has handled it; end when g_readerRunning is found cleared. The reader
// never interprets a report.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "tablet/usb/usb_port.h"

namespace ondrel {

inline constexpr std::chrono::milliseconds READER_TURN{600};

// Where the reader hands each report. HandOver returns once the window thread has handled the
// report, or at once when the hand-over has been abandoned (teardown); `report` stays valid
// until it returns.
class ReportSink {
  public:
    virtual ~ReportSink() = default;
    virtual void HandOver(const std::uint8_t* report) = 0;
};

// One reader thread: the window's reference to it. The thread works on the device and sink it
// was given; the owner keeps the sink alive until Join has returned.
class ReaderThread {
  public:
    ReaderThread(std::shared_ptr<UsbDevice> device, std::uint8_t pipeId, ReportSink& sink,
                 std::chrono::milliseconds turn);
    ~ReaderThread();  // joins
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // The quit request: the reader ends at the start of its next turn. A turn under way finishes,
    // its delivery included.
    void RequestQuit();
    // Teardown: the quit request, and the pending read (or idle wait) ends at once.
    void Stop();
    // Waits for the thread to end. Call it only when the reader cannot be waiting for the
    // calling thread (its hand-over abandoned, or the caller not the window thread).
    void Join();
    bool finished() const;
    std::thread::id id() const;

  private:
    friend void ReaderThreadProc(ReaderThread& reader);
    bool QuitRequested();
    // Waits until `until` or a quit request, whichever comes first.
    void IdleUntil(std::chrono::steady_clock::time_point until);

    std::shared_ptr<UsbDevice> device_;
    const std::uint8_t pipeId_;
    ReportSink& sink_;
    const std::chrono::milliseconds turn_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quitRequested_ = false;
    bool finished_ = false;
    std::thread thread_;
};

// Starts a reader on a new thread; empty when the thread could not be started.
std::shared_ptr<ReaderThread> StartReader(std::shared_ptr<UsbDevice> device, std::uint8_t pipeId,
                                          ReportSink& sink,
                                          std::chrono::milliseconds turn = READER_TURN);

// The reader's loop; runs on the reader's own thread.
void ReaderThreadProc(ReaderThread& reader);

}  // namespace ondrel
