#include "tablet/usb/libusb_device.h"

#include <libusb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "tablet/usb/usbfs_control.h"

namespace ondrel {

namespace {

using Clock = std::chrono::steady_clock;

// No time limit of the system's own applies to the set-up requests; this only keeps a device
// that never answers from holding the window thread for ever (WinUSB's default is 5 s too).
constexpr std::chrono::milliseconds CONTROL_LIMIT{5000};

class LibusbDevice final : public UsbDevice {
  public:
    LibusbDevice(std::shared_ptr<void> keepAlive, libusb_device* device,
                 libusb_device_handle* handle, libusb_transfer* transfer, int wrappedFd)
        : keepAlive_(std::move(keepAlive)),
          device_(device),
          handle_(handle),
          transfer_(transfer),
          wrappedFd_(wrappedFd) {}

    ~LibusbDevice() override {
        Close();
        libusb_free_transfer(transfer_);
        libusb_unref_device(device_);
    }

    int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) override {
        libusb_device_handle* handle = OpenHandle();
        if (handle == nullptr) {
            return LIBUSB_ERROR_NO_DEVICE;
        }
        // A real request to the device, not libusb's cached copy.
        return libusb_get_descriptor(handle, LIBUSB_DT_DEVICE, 0, out.data(),
                                     static_cast<int>(out.size()));
    }

    bool QueryFirstPipe(UsbPipe& pipe) override {
        if (OpenHandle() == nullptr) {
            return false;
        }
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device_, &config) != 0) {
            return false;
        }
        bool found = false;
        if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
            const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
            if (setting.bNumEndpoints > 0) {
                const libusb_endpoint_descriptor& endpoint = setting.endpoint[0];
                // Reported as it is, OUT endpoints too: the open refuses those.
                pipe.pipeId = endpoint.bEndpointAddress;
                pipe.pipeType = endpoint.bmAttributes & 0x03;
                // Bits 11-12 count extra transactions of a high-speed endpoint, not bytes.
                pipe.maximumPacketSize = endpoint.wMaxPacketSize & 0x07FF;
                found = true;
            }
        }
        libusb_free_config_descriptor(config);
        if (found) {
            std::lock_guard lock(mutex_);
            pipe_ = pipe;
            readBuffer_.assign(std::max<std::size_t>(PEN_REPORT_SIZE, pipe.maximumPacketSize), 0);
        }
        return found;
    }

    int ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) override;

    ReadResult Read(std::uint8_t pipeId, std::span<std::uint8_t, PEN_REPORT_SIZE> buffer,
                    std::chrono::milliseconds limit) override {
        std::unique_lock lock(mutex_);
        // A transfer on an OUT endpoint would send the buffer to the device instead.
        if (closed_ || readBuffer_.empty() || (pipeId & LIBUSB_ENDPOINT_IN) == 0) {
            return {ReadOutcome::NotStarted, 0};
        }
        // Where the endpoint's packets are larger than a report, read a whole packet so that
        // libusb reports no overflow; the first 8 bytes are the report.
        const int length =
            static_cast<int>(pipeId == pipe_.pipeId ? readBuffer_.size() : PEN_REPORT_SIZE);
        if (pipe_.pipeType == LIBUSB_TRANSFER_TYPE_BULK) {
            libusb_fill_bulk_transfer(transfer_, handle_, pipeId, readBuffer_.data(), length,
                                      &LibusbDevice::OnTransferDone, this, 0);
        } else {
            libusb_fill_interrupt_transfer(transfer_, handle_, pipeId, readBuffer_.data(), length,
                                           &LibusbDevice::OnTransferDone, this, 0);
        }
        cancelRequested_ = false;
        const int submitted = libusb_submit_transfer(transfer_);
        if (submitted != 0) {
            return {
                submitted == LIBUSB_ERROR_NO_DEVICE ? ReadOutcome::Failed : ReadOutcome::NotStarted,
                0};
        }
        inFlight_ = true;
        reading_ = true;
        const bool ended = wakeUp_.wait_until(
            lock, Clock::now() + limit, [&] { return !inFlight_ || cancelRequested_ || closed_; });
        if (inFlight_) {
            // Cancel, and wait until libusb has given the transfer back: only then can no late
            // completion write into the transfer's buffer.
            lock.unlock();
            libusb_cancel_transfer(transfer_);
            lock.lock();
            wakeUp_.wait(lock, [&] { return !inFlight_; });
        }
        ReadResult result{ReadOutcome::Failed, 0};
        switch (transferStatus_) {
            case LIBUSB_TRANSFER_COMPLETED: {
                const std::size_t n = std::min<std::size_t>(
                    static_cast<std::size_t>(transferLength_), PEN_REPORT_SIZE);
                std::copy_n(readBuffer_.begin(), n, buffer.begin());
                result = {ReadOutcome::Completed, n};
                break;
            }
            case LIBUSB_TRANSFER_CANCELLED:
            case LIBUSB_TRANSFER_TIMED_OUT:
                result = {ended ? ReadOutcome::Cancelled : ReadOutcome::TimedOut, 0};
                break;
            default:
                break;
        }
        reading_ = false;
        wakeUp_.notify_all();
        return result;
    }

    void CancelRead() override {
        std::lock_guard lock(mutex_);
        if (inFlight_) {
            cancelRequested_ = true;
            wakeUp_.notify_all();
        }
    }

    void Close() override {
        libusb_device_handle* handle = nullptr;
        int usbfs = -1;
        int wrapped = -1;
        {
            std::unique_lock lock(mutex_);
            if (closed_) {
                return;
            }
            closed_ = true;
            wakeUp_.notify_all();
            wakeUp_.wait(lock, [&] { return !reading_; });
            handle = std::exchange(handle_, nullptr);
            usbfs = std::exchange(usbfsFd_, -1);
            wrapped = std::exchange(wrappedFd_, -1);
        }
        libusb_release_interface(handle, 0);  // lets a kernel driver that was detached return
        libusb_close(handle);
        for (const int fd : {usbfs, wrapped}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

  private:
    libusb_device_handle* OpenHandle() {
        std::lock_guard lock(mutex_);
        return closed_ ? nullptr : handle_;
    }

    static void LIBUSB_CALL OnTransferDone(libusb_transfer* transfer) {
        auto* self = static_cast<LibusbDevice*>(transfer->user_data);
        std::lock_guard lock(self->mutex_);
        self->transferStatus_ = transfer->status;
        self->transferLength_ = transfer->actual_length;
        self->inFlight_ = false;
        self->wakeUp_.notify_all();
    }

    std::shared_ptr<void> keepAlive_;
    libusb_device* const device_;
    libusb_device_handle* handle_;
    libusb_transfer* const transfer_;

    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool closed_ = false;
    bool reading_ = false;
    bool inFlight_ = false;
    bool cancelRequested_ = false;
    int transferStatus_ = LIBUSB_TRANSFER_ERROR;
    int transferLength_ = 0;
    UsbPipe pipe_;
    std::vector<std::uint8_t> readBuffer_;
    int usbfsFd_ = -1;  // a second descriptor of the device node, for the set-up requests
    int wrappedFd_;     // the device node libusb works on, where we opened it; or -1
};

int LibusbDevice::ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) {
    int fd = -1;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return -ENODEV;
        }
        if (usbfsFd_ < 0) {
            const int opened =
                OpenUsbfsNode(libusb_get_bus_number(device_), libusb_get_device_address(device_));
            if (opened < 0) {
                return opened;
            }
            usbfsFd_ = opened;
        }
        fd = usbfsFd_;
    }
    return SendRawControlRequest(fd, setup, data, CONTROL_LIMIT);
}

}  // namespace

std::shared_ptr<UsbDevice> MakeLibusbDevice(std::shared_ptr<void> keepAlive, libusb_device* device,
                                            libusb_device_handle* handle, int wrappedFd) {
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    if (transfer == nullptr) {
        return nullptr;
    }
    return std::make_shared<LibusbDevice>(std::move(keepAlive), device, handle, transfer,
                                          wrappedFd);
}

}  // namespace ondrel
