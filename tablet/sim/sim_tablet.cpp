#include "tablet/sim/sim_tablet.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "tablet/sim/sim_script.h"

namespace ondrel {

namespace {

constexpr std::uint16_t SIM_PRODUCT_ID = 0x0001;
constexpr std::uint8_t SIM_PIPE_ID = 0x81;
constexpr std::uint8_t USB_TRANSFER_INTERRUPT = 3;
constexpr std::uint8_t USB_REQUEST_GET_DESCRIPTOR = 0x06;
constexpr std::uint8_t USB_DESCRIPTOR_STRING = 0x03;
constexpr const char* SIM_PATH_PREFIX = "sim:";

std::string PathOf(unsigned generation) {
    return SIM_PATH_PREFIX + std::to_string(generation);
}

std::optional<unsigned> GenerationOf(const std::string& path) {
    const std::string_view prefix = SIM_PATH_PREFIX;
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    unsigned generation = 0;
    const char* begin = path.data() + prefix.size();
    const char* end = path.data() + path.size();
    const auto [ptr, ec] = std::from_chars(begin, end, generation);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return generation;
}

// A string descriptor holding `text` in UTF-16LE, as the initialisation requests get.
std::vector<std::uint8_t> StringDescriptor(const std::string& text) {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(2 + 2 * text.size()),
                                    USB_DESCRIPTOR_STRING};
    for (char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

}  // namespace

struct SimTablet::State {
    mutable std::mutex mutex;
    std::condition_variable changed;

    bool present = false;
    std::uint16_t vendorId = TABLET_VENDOR_ID;
    unsigned generation = 0;
    std::vector<std::uint8_t> paramReply{0x0C, 0x03, 0x40, 0x9C, 0x50, 0xC3};
    std::uint8_t pipeAddress = SIM_PIPE_ID;
    struct QueuedReport {
        PenReportBytes bytes;
        std::size_t length;  // a short transfer delivers only the first `length` bytes
    };
    std::deque<QueuedReport> reports;
    std::uint64_t reportsQueued = 0;
    std::uint64_t reportsSettled = 0;  // taken by a read or dropped at unplug
    bool halted = false;
    bool signing = false;

    std::vector<UsbSetupPacket> setupLog;
    int openDevices = 0;
    int readsStarted = 0;
    int readsPending = 0;
    int reportsRead = 0;
    std::function<void(const PenReportBytes&)> readObserver;
    std::uint64_t changes = 0;  // bumped at every change that WaitFor may be waiting for

    void Changed() {
        ++changes;
        changed.notify_all();
    }
};

namespace {

class SimDevice final : public UsbDevice {
  public:
    SimDevice(std::shared_ptr<SimTablet::State> state, unsigned generation)
        : state_(std::move(state)), generation_(generation) {}
    ~SimDevice() override { Close(); }

    int GetDeviceDescriptor(std::span<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> out) override {
        std::lock_guard lock(state_->mutex);
        if (!Usable()) {
            return -1;
        }
        const std::uint16_t vid = state_->vendorId;
        const std::array<std::uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> descriptor = {
            0x12,
            0x01,
            0x00,
            0x02,
            0x00,
            0x00,
            0x00,
            0x40,
            static_cast<std::uint8_t>(vid & 0xFF),
            static_cast<std::uint8_t>(vid >> 8),
            static_cast<std::uint8_t>(SIM_PRODUCT_ID & 0xFF),
            static_cast<std::uint8_t>(SIM_PRODUCT_ID >> 8),
            0x00,
            0x01,
            0x01,
            0x02,
            0x00,
            0x01};
        std::copy(descriptor.begin(), descriptor.end(), out.begin());
        return static_cast<int>(descriptor.size());
    }

    bool QueryFirstPipe(UsbPipe& pipe) override {
        std::lock_guard lock(state_->mutex);
        if (!Usable()) {
            return false;
        }
        pipe = UsbPipe{state_->pipeAddress, USB_TRANSFER_INTERRUPT, PEN_REPORT_SIZE};
        return true;
    }

    int ControlTransfer(const UsbSetupPacket& setup, std::span<std::uint8_t> data) override {
        std::lock_guard lock(state_->mutex);
        if (!Usable()) {
            return -1;
        }
        state_->setupLog.push_back(setup);
        if (setup[1] != USB_REQUEST_GET_DESCRIPTOR || setup[3] != USB_DESCRIPTOR_STRING) {
            return -1;  // stalled
        }
        const std::uint8_t index = setup[2];
        std::vector<std::uint8_t> reply;
        if (index == TABLET_PARAM_INDEX) {
            reply = state_->paramReply;
        } else if (std::find(TABLET_INIT_INDEXES.begin(), TABLET_INIT_INDEXES.end(), index) !=
                   TABLET_INIT_INDEXES.end()) {
            reply = StringDescriptor(std::to_string(index));
        } else {
            return -1;
        }
        const std::size_t wLength = setup[6] | static_cast<std::size_t>(setup[7]) << 8;
        const std::size_t n = std::min({reply.size(), data.size(), wLength});
        std::copy_n(reply.begin(), n, data.begin());
        return static_cast<int>(n);
    }

    ReadResult Read(std::uint8_t pipeId, std::span<std::uint8_t, PEN_REPORT_SIZE> buffer,
                    std::chrono::milliseconds limit) override {
        std::unique_lock lock(state_->mutex);
        // Only the IN endpoint 0x81 carries reports; reading any other is refused.
        if (closed_ || pipeId != SIM_PIPE_ID || state_->pipeAddress != SIM_PIPE_ID) {
            return {ReadOutcome::NotStarted, 0};
        }
        ++state_->readsStarted;
        if (Gone()) {
            return {ReadOutcome::Failed, 0};
        }
        reading_ = true;
        cancelRequested_ = false;
        ++state_->readsPending;
        state_->Changed();
        const auto deadline = std::chrono::steady_clock::now() + limit;
        state_->changed.wait_until(lock, deadline, [&] {
            return !state_->reports.empty() || cancelRequested_ || closed_ || Gone();
        });
        ReadResult result{ReadOutcome::TimedOut, 0};
        if (cancelRequested_ || closed_) {
            result = {ReadOutcome::Cancelled, 0};
        } else if (Gone()) {
            result = {ReadOutcome::Failed, 0};
        } else if (!state_->reports.empty()) {
            const SimTablet::State::QueuedReport report = state_->reports.front();
            state_->reports.pop_front();
            ++state_->reportsSettled;
            ++state_->reportsRead;
            std::copy_n(report.bytes.begin(), report.length, buffer.begin());
            if (state_->readObserver) {
                state_->readObserver(report.bytes);
            }
            result = {ReadOutcome::Completed, report.length};
        }
        reading_ = false;
        --state_->readsPending;
        state_->Changed();
        return result;
    }

    void CancelRead() override {
        std::lock_guard lock(state_->mutex);
        if (reading_) {
            cancelRequested_ = true;
            state_->Changed();
        }
    }

    void Close() override {
        std::unique_lock lock(state_->mutex);
        if (closed_) {
            return;
        }
        closed_ = true;
        --state_->openDevices;
        state_->Changed();
        state_->changed.wait(lock, [&] { return !reading_; });
    }

  private:
    bool Gone() const { return !state_->present || state_->generation != generation_; }
    bool Usable() const { return !closed_ && !Gone(); }

    std::shared_ptr<SimTablet::State> state_;
    const unsigned generation_;
    // Guarded by state_->mutex.
    bool closed_ = false;
    bool reading_ = false;
    bool cancelRequested_ = false;
};

}  // namespace

SimTablet::SimTablet() : state_(std::make_shared<State>()) {}

SimTablet::~SimTablet() {
    Halt();
    script_.reset();  // its thread may be inside Report or a sleep; Halt ended those
    Unsubscribe();
}

void SimTablet::RunScript(const std::string& path) {
    script_ = std::make_unique<SimScriptRunner>(*this, path);
}

void SimTablet::Plug(std::uint16_t vendorId) {
    bool wasPresent = false;
    {
        std::lock_guard lock(state_->mutex);
        wasPresent = state_->present;
    }
    if (wasPresent) {
        Unplug();
    }
    {
        std::lock_guard lock(state_->mutex);
        state_->present = true;
        state_->vendorId = vendorId;
        ++state_->generation;
        state_->Changed();
    }
    Notify(UsbDeviceEvent::Arrived);
}

void SimTablet::Unplug() {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->present) {
            return;
        }
        state_->present = false;
        state_->reportsSettled += state_->reports.size();
        state_->reports.clear();
        state_->Changed();
    }
    Notify(UsbDeviceEvent::Removed);
}

void SimTablet::SetParamReply(std::vector<std::uint8_t> reply) {
    std::lock_guard lock(state_->mutex);
    state_->paramReply = std::move(reply);
}

void SimTablet::SetPipeAddress(std::uint8_t endpointAddress) {
    std::lock_guard lock(state_->mutex);
    state_->pipeAddress = endpointAddress;
}

void SimTablet::QueueReport(const PenReportBytes& report, std::size_t length) {
    std::lock_guard lock(state_->mutex);
    state_->reports.push_back({report, std::min(length, report.size())});
    ++state_->reportsQueued;
    state_->Changed();
}

bool SimTablet::Report(const PenReportBytes& report) {
    std::unique_lock lock(state_->mutex);
    state_->reports.push_back({report, report.size()});
    const std::uint64_t mine = ++state_->reportsQueued;
    state_->Changed();
    state_->changed.wait(lock, [&] { return state_->reportsSettled >= mine || state_->halted; });
    return !state_->halted;
}

void SimTablet::Halt() {
    std::lock_guard lock(state_->mutex);
    state_->halted = true;
    state_->Changed();
}

void SimTablet::SetSigningMode(bool signing) {
    std::lock_guard lock(state_->mutex);
    state_->signing = signing;
    state_->Changed();
}

bool SimTablet::WaitUntilSigning() {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return state_->signing || state_->halted; });
    return !state_->halted;
}

std::vector<UsbSetupPacket> SimTablet::setupLog() const {
    std::lock_guard lock(state_->mutex);
    return state_->setupLog;
}

int SimTablet::openDevices() const {
    std::lock_guard lock(state_->mutex);
    return state_->openDevices;
}

int SimTablet::readsStarted() const {
    std::lock_guard lock(state_->mutex);
    return state_->readsStarted;
}

int SimTablet::readsPending() const {
    std::lock_guard lock(state_->mutex);
    return state_->readsPending;
}

int SimTablet::reportsRead() const {
    std::lock_guard lock(state_->mutex);
    return state_->reportsRead;
}

bool SimTablet::WaitFor(const std::function<bool(const SimTablet&)>& predicate,
                        std::chrono::milliseconds limit) {
    // The counters lock the same mutex, so the predicate runs with it released; a change made
    // meanwhile is not missed because every change bumps `changes`.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(state_->mutex);
    for (;;) {
        const std::uint64_t seen = state_->changes;
        lock.unlock();
        if (predicate(*this)) {
            return true;
        }
        lock.lock();
        if (!state_->changed.wait_until(lock, deadline, [&] { return state_->changes != seen; })) {
            lock.unlock();
            return predicate(*this);
        }
    }
}

void SimTablet::SetReadObserver(std::function<void(const PenReportBytes&)> observer) {
    std::lock_guard lock(state_->mutex);
    state_->readObserver = std::move(observer);
}

std::vector<UsbDeviceInfo> SimTablet::ListDevices() {
    std::lock_guard lock(state_->mutex);
    if (!state_->present) {
        return {};
    }
    return {UsbDeviceInfo{PathOf(state_->generation), state_->vendorId, SIM_PRODUCT_ID,
                          "simulated tablet"}};
}

std::optional<std::string> SimTablet::FindFirstDevice() {
    std::lock_guard lock(state_->mutex);
    if (!state_->present) {
        return std::nullopt;
    }
    return PathOf(state_->generation);
}

OpenResult SimTablet::Open(const std::string& path) {
    const std::optional<unsigned> generation = GenerationOf(path);
    std::lock_guard lock(state_->mutex);
    if (!generation || !state_->present || *generation != state_->generation) {
        return {OpenStatus::NoDevice, nullptr};
    }
    ++state_->openDevices;
    return {OpenStatus::Opened, std::make_shared<SimDevice>(state_, *generation)};
}

void SimTablet::Subscribe(UsbDeviceEventHandler handler) {
    std::lock_guard lock(handlerMutex_);
    handler_ = std::move(handler);
}

void SimTablet::Unsubscribe() {
    std::lock_guard lock(handlerMutex_);
    handler_ = nullptr;
}

void SimTablet::Notify(UsbDeviceEvent event) {
    std::lock_guard lock(handlerMutex_);
    if (handler_) {
        handler_(event);
    }
}

}  // namespace ondrel
