#include "tablet/usb/winusb_device_win.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace ondrel {

namespace {

constexpr std::uint8_t ENDPOINT_IN = 0x80;
constexpr UCHAR DEVICE_DESCRIPTOR_TYPE = 1;

bool IsDeviceGone(DWORD error) {
    return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_DEV_NOT_EXIST ||
           error == ERROR_BAD_COMMAND || error == ERROR_GEN_FAILURE ||
           error == ERROR_INVALID_HANDLE;
}

class WinUsbDevice final : public UsbDevice {
  public:
    WinUsbDevice(const WinUsbApi& api, HANDLE file, WINUSB_INTERFACE_HANDLE usb, HANDLE readEvent,
                 HANDLE cancelEvent)
        : api_(api), file_(file), usb_(usb), readEvent_(readEvent), cancelEvent_(cancelEvent) {}

    ~WinUsbDevice() override {
        Close();
        api_.CloseHandle(readEvent_);
        api_.CloseHandle(cancelEvent_);
    }

    int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) override {
        const WINUSB_INTERFACE_HANDLE usb = OpenUsb();
        if (usb == nullptr) {
            return -1;
        }
        ULONG got = 0;
        if (!api_.WinUsb_GetDescriptor(usb, DEVICE_DESCRIPTOR_TYPE, 0, 0, out.data(),
                                       static_cast<ULONG>(out.size()), &got)) {
            return -1;
        }
        return static_cast<int>(std::min<ULONG>(got, static_cast<ULONG>(out.size())));
    }

    bool QueryFirstPipe(UsbPipe& pipe) override {
        const WINUSB_INTERFACE_HANDLE usb = OpenUsb();
        if (usb == nullptr) {
            return false;
        }
        USB_INTERFACE_DESCRIPTOR setting{};
        if (!api_.WinUsb_QueryInterfaceSettings(usb, 0, &setting)) {
            return false;
        }
        WINUSB_PIPE_INFORMATION info{};
        if (!api_.WinUsb_QueryPipe(usb, 0, 0, &info)) {
            return false;
        }
        // Reported as it is, OUT pipes too: the open refuses those.
        pipe.pipeId = info.PipeId;
        pipe.pipeType = static_cast<std::uint8_t>(info.PipeType);
        pipe.maximumPacketSize = info.MaximumPacketSize;
        std::lock_guard lock(mutex_);
        pipe_ = pipe;
        readBuffer_.assign(std::max<std::size_t>(PEN_REPORT_SIZE, pipe.maximumPacketSize), 0);
        return true;
    }

    int ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) override {
        const WINUSB_INTERFACE_HANDLE usb = OpenUsb();
        if (usb == nullptr) {
            return -1;
        }
        // WinUSB sends the packet as given: wLength stays what the caller put there, however
        // much of the reply the buffer keeps.
        WINUSB_SETUP_PACKET packet{};
        packet.RequestType = setup[0];
        packet.Request = setup[1];
        packet.Value = static_cast<USHORT>(setup[2] | setup[3] << 8);
        packet.Index = static_cast<USHORT>(setup[4] | setup[5] << 8);
        packet.Length = static_cast<USHORT>(setup[6] | setup[7] << 8);
        ULONG got = 0;
        if (!api_.WinUsb_ControlTransfer(usb, packet, data.data(), static_cast<ULONG>(data.size()),
                                         &got, nullptr)) {
            return -1;
        }
        return static_cast<int>(std::min<ULONG>(got, static_cast<ULONG>(data.size())));
    }

    ReadResult Read(std::uint8_t pipeId, std::span<std::uint8_t, PEN_REPORT_SIZE> buffer,
                    std::chrono::milliseconds limit) override {
        WINUSB_INTERFACE_HANDLE usb = nullptr;
        HANDLE file = nullptr;
        ULONG length = 0;
        {
            std::lock_guard lock(mutex_);
            // A read on an OUT pipe would send the buffer to the device instead.
            if (closed_ || readBuffer_.empty() || (pipeId & ENDPOINT_IN) == 0) {
                return {ReadOutcome::NotStarted, 0};
            }
            // Reset before the read counts as under way: a CancelRead or Close from now on
            // sets the cancel event and it stays set.
            api_.ResetEvent(cancelEvent_);
            api_.ResetEvent(readEvent_);
            reading_ = true;
            cancelRequested_ = false;
            usb = usb_;
            file = file_;
            // Where the pipe's packets are larger than a report, read a whole packet, so that
            // no rest of one is left over for the next read; the first 8 bytes are the report.
            length =
                static_cast<ULONG>(pipeId == pipe_.pipeId ? readBuffer_.size() : PEN_REPORT_SIZE);
        }
        const ReadResult result = ReadOnce(usb, file, pipeId, length, buffer, limit);
        std::lock_guard lock(mutex_);
        reading_ = false;
        idle_.notify_all();
        return result;
    }

    void CancelRead() override {
        std::lock_guard lock(mutex_);
        if (reading_) {
            cancelRequested_ = true;
            api_.SetEvent(cancelEvent_);
        }
    }

    void Close() override {
        WINUSB_INTERFACE_HANDLE usb = nullptr;
        HANDLE file = nullptr;
        {
            std::unique_lock lock(mutex_);
            if (closed_) {
                return;
            }
            closed_ = true;
            if (reading_) {
                api_.SetEvent(cancelEvent_);
            }
            // The reader's transfer is over before its handles go.
            idle_.wait(lock, [&] { return !reading_; });
            usb = std::exchange(usb_, nullptr);
            file = std::exchange(file_, nullptr);
        }
        api_.WinUsb_Free(usb);
        api_.CloseHandle(file);
    }

    std::uintptr_t notificationHandle() override {
        std::lock_guard lock(mutex_);
        return closed_ ? 0 : reinterpret_cast<std::uintptr_t>(file_);
    }

  private:
    WINUSB_INTERFACE_HANDLE OpenUsb() {
        std::lock_guard lock(mutex_);
        return closed_ ? nullptr : usb_;
    }

    // One overlapped read, over when this returns: a read that is not complete when its wait
    // ends is cancelled, and its end is waited for, so it never writes into the buffer later.
    ReadResult ReadOnce(WINUSB_INTERFACE_HANDLE usb, HANDLE file, std::uint8_t pipeId, ULONG length,
                        std::span<std::uint8_t, PEN_REPORT_SIZE> buffer,
                        std::chrono::milliseconds limit) {
        const auto started = std::chrono::steady_clock::now();
        OVERLAPPED overlapped{};
        overlapped.hEvent = readEvent_;
        ULONG transferred = 0;
        if (!api_.WinUsb_ReadPipe(usb, pipeId, readBuffer_.data(), length, &transferred,
                                  &overlapped)) {
            const DWORD error = api_.GetLastError();
            if (error != ERROR_IO_PENDING) {
                return {IsDeviceGone(error) ? ReadOutcome::Failed : ReadOutcome::NotStarted, 0};
            }
        }
        const HANDLE events[] = {readEvent_, cancelEvent_};
        const DWORD waited =
            api_.WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(limit.count()));
        const bool completed = waited == WAIT_OBJECT_0;
        if (!completed) {
            api_.CancelIo(file);  // the read was started on this thread
            api_.WinUsb_AbortPipe(usb, pipeId);
        }
        DWORD got = 0;
        if (api_.GetOverlappedResult(file, &overlapped, &got, TRUE)) {
            const std::size_t n = std::min<std::size_t>(got, PEN_REPORT_SIZE);
            std::copy_n(readBuffer_.begin(), n, buffer.begin());
            return {ReadOutcome::Completed, n};
        }
        if (api_.GetLastError() != ERROR_OPERATION_ABORTED) {
            return {ReadOutcome::Failed, 0};
        }
        bool cancelled = false;
        {
            std::lock_guard lock(mutex_);
            cancelled = cancelRequested_ || closed_;
        }
        if (cancelled) {
            return {ReadOutcome::Cancelled, 0};
        }
        if (!completed) {
            return {ReadOutcome::TimedOut, 0};  // cancelled here, at the end of the limit
        }
        // The stack ended the read on its own (a surprise removal, a reset of the pipe). To the
        // reader nothing came within the limit; waiting out the rest of it keeps a reader whose
        // reads all end at once from reading in a tight loop. CancelRead and Close still end
        // the wait at once.
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        const auto rest = std::max(limit - spent, std::chrono::milliseconds(0));
        if (api_.WaitForMultipleObjects(1, &cancelEvent_, FALSE,
                                        static_cast<DWORD>(rest.count())) == WAIT_OBJECT_0) {
            return {ReadOutcome::Cancelled, 0};
        }
        return {ReadOutcome::TimedOut, 0};
    }

    const WinUsbApi& api_;
    HANDLE file_;
    WINUSB_INTERFACE_HANDLE usb_;
    const HANDLE readEvent_;    // manual reset: the read's completion
    const HANDLE cancelEvent_;  // manual reset: CancelRead or Close

    std::mutex mutex_;
    std::condition_variable idle_;
    bool closed_ = false;
    bool reading_ = false;
    bool cancelRequested_ = false;
    UsbPipe pipe_;
    std::vector<std::uint8_t> readBuffer_;  // written by the transfer while it is under way
};

}  // namespace

std::shared_ptr<UsbDevice> MakeWinUsbDevice(const WinUsbApi& api, HANDLE file,
                                            WINUSB_INTERFACE_HANDLE usb) {
    const HANDLE readEvent = api.CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE cancelEvent = api.CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (readEvent == nullptr || cancelEvent == nullptr) {
        for (const HANDLE event : {readEvent, cancelEvent}) {
            if (event != nullptr) {
                api.CloseHandle(event);
            }
        }
        api.WinUsb_Free(usb);
        api.CloseHandle(file);
        return nullptr;
    }
    return std::make_shared<WinUsbDevice>(api, file, usb, readEvent, cancelEvent);
}

}  // namespace ondrel
