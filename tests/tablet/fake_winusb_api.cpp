#include "tests/tablet/fake_winusb_api.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace ondrel::test {

namespace {

FakeWinUsb* g_fake = nullptr;  // the one fake alive; the table's plain functions find it here

// The fake's own marker of a read under way in OVERLAPPED::Internal; otherwise Internal holds
// the read's Windows error (0: done).
constexpr ULONG_PTR READ_PENDING = 0x103;

// The fake's calls report their errors here, on the calling thread, as Windows does.
thread_local DWORD t_lastError = 0;

void SetError(DWORD error) {
    t_lastError = error;
}

DWORD WINAPI LastError() {
    return t_lastError;
}

std::uintptr_t Key(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

}  // namespace

FakeWinUsb::FakeWinUsb() {
    if (g_fake != nullptr) {
        throw std::logic_error("one FakeWinUsb at a time");
    }
    g_fake = this;
    expireWait_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const WinUsbApi& real = RealWinUsbApi();
    api_ = real;  // events and waits stay real
    api_.GetLastError = &LastError;
    api_.SetupDiGetClassDevsW = &GetClassDevs;
    api_.SetupDiEnumDeviceInterfaces = &EnumInterfaces;
    api_.SetupDiGetDeviceInterfaceDetailW = &InterfaceDetail;
    api_.SetupDiEnumDeviceInfo = &EnumDeviceInfo;
    api_.SetupDiGetDeviceRegistryPropertyW = &RegistryProperty;
    api_.SetupDiDestroyDeviceInfoList = &DestroyList;
    api_.CreateFileW = &CreateDeviceFile;
    api_.CloseHandle = &Close;
    api_.GetOverlappedResult = &OverlappedResult;
    api_.WaitForMultipleObjects = &Wait;
    api_.CancelIo = &Cancel;
    api_.WinUsb_Initialize = &Initialize;
    api_.WinUsb_Free = &Free;
    api_.WinUsb_GetDescriptor = &GetDescriptor;
    api_.WinUsb_QueryInterfaceSettings = &QuerySettings;
    api_.WinUsb_QueryPipe = &QueryPipe;
    api_.WinUsb_ControlTransfer = &Control;
    api_.WinUsb_ReadPipe = &ReadPipe;
    api_.WinUsb_AbortPipe = &AbortPipe;
}

FakeWinUsb::~FakeWinUsb() {
    g_fake = nullptr;
    ::CloseHandle(expireWait_);
}

FakeWinUsb& FakeWinUsb::Current() {
    return *g_fake;
}

void FakeWinUsb::Plug(const FakeUsbDevice& model) {
    std::lock_guard lock(mutex_);
    Device* device = FindDevice(model.path);
    if (device == nullptr) {
        devices_.push_back({});
        device = &devices_.back();
    }
    device->model = model;
    device->present = true;
    ++device->generation;
    device->reports.clear();
    changed_.notify_all();
}

void FakeWinUsb::Unplug(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    Device* device = FindDevice(path);
    if (device == nullptr) {
        return;
    }
    device->present = false;
    for (auto& [key, file] : files_) {
        if (file.path == path && file.pending) {
            Complete(file, ERROR_DEVICE_NOT_CONNECTED, nullptr, 0);
        }
    }
    changed_.notify_all();
}

void FakeWinUsb::SendReport(const PenReportBytes& report, const std::wstring& path) {
    std::lock_guard lock(mutex_);
    Device* device = FindDevice(path);
    if (device == nullptr || !device->present) {
        return;
    }
    for (auto& [key, file] : files_) {
        if (file.path == path && Alive(file) && file.pending && !file.pending->cancelAsked) {
            Complete(file, 0, report.data(), static_cast<ULONG>(report.size()));
            return;
        }
    }
    device->reports.push_back(report);
}

void FakeWinUsb::HoldCancellations() {
    std::lock_guard lock(mutex_);
    holdCancellations_ = true;
}

void FakeWinUsb::ReleaseCancellations(std::optional<PenReportBytes> lateBytes) {
    std::lock_guard lock(mutex_);
    holdCancellations_ = false;
    for (auto& [key, file] : files_) {
        if (file.pending && file.pending->cancelAsked) {
            if (lateBytes) {
                Complete(file, 0, lateBytes->data(), static_cast<ULONG>(lateBytes->size()));
            } else {
                Complete(file, ERROR_OPERATION_ABORTED, nullptr, 0);
            }
        }
    }
}

bool FakeWinUsb::AbortPendingRead(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    for (auto& [key, file] : files_) {
        if (file.path == path && file.pending) {
            ++counts_.readsAbortedByStack;
            Complete(file, ERROR_OPERATION_ABORTED, nullptr, 0);
            return true;
        }
    }
    return false;
}

void FakeWinUsb::ExpireWait() {
    ::SetEvent(expireWait_);
}

bool FakeWinUsb::WaitForPendingRead(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
        return std::any_of(files_.begin(), files_.end(),
                           [](const auto& entry) { return entry.second.pending.has_value(); });
    });
}

bool FakeWinUsb::WaitForCancelRequest(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
        return std::any_of(files_.begin(), files_.end(), [](const auto& entry) {
            return entry.second.pending && entry.second.pending->cancelAsked;
        });
    });
}

bool FakeWinUsb::WaitForCounts(const std::function<bool(const Counts&)>& condition,
                               std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return condition(counts_); });
}

void FakeWinUsb::FailClassLookup(bool fail) {
    std::lock_guard lock(mutex_);
    failClassLookup_ = fail;
}

std::vector<FakeWinUsb::ControlCall> FakeWinUsb::controlCalls() const {
    std::lock_guard lock(mutex_);
    return controlCalls_;
}

FakeWinUsb::Counts FakeWinUsb::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

FakeWinUsb::Device* FakeWinUsb::FindDevice(const std::wstring& path) {
    for (Device& device : devices_) {
        if (device.model.path == path) {
            return &device;
        }
    }
    return nullptr;
}

FakeWinUsb::File* FakeWinUsb::FindFile(HANDLE handle) {
    const auto found = files_.find(Key(handle));
    if (found == files_.end() || found->second.closed) {
        if (found != files_.end()) {
            ++counts_.callsOnDeadHandles;
        }
        return nullptr;
    }
    return &found->second;
}

FakeWinUsb::File* FakeWinUsb::FindUsb(WINUSB_INTERFACE_HANDLE usb) {
    const auto found = usbHandles_.find(Key(usb));
    if (found == usbHandles_.end()) {
        ++counts_.callsOnDeadHandles;
        return nullptr;
    }
    return FindFile(reinterpret_cast<HANDLE>(found->second));
}

bool FakeWinUsb::Alive(const File& file) {
    for (const Device& device : devices_) {
        if (device.model.path == file.path) {
            return device.present && device.generation == file.generation;
        }
    }
    return false;
}

void FakeWinUsb::Complete(File& file, DWORD error, const std::uint8_t* bytes, ULONG length) {
    PendingRead read = *file.pending;
    file.pending.reset();
    const ULONG n = std::min(length, read.length);
    if (bytes != nullptr) {
        std::memcpy(read.buffer, bytes, n);
        ++counts_.readsCompleted;
    }
    read.overlapped->InternalHigh = bytes != nullptr ? n : 0;
    read.overlapped->Internal = error;
    ::SetEvent(read.overlapped->hEvent);
    changed_.notify_all();
}

void FakeWinUsb::AskCancel(File& file) {
    if (!file.pending) {
        return;
    }
    if (holdCancellations_) {
        file.pending->cancelAsked = true;
        changed_.notify_all();
        return;
    }
    Complete(file, ERROR_OPERATION_ABORTED, nullptr, 0);
}

// --- SetupAPI ---

HDEVINFO WINAPI FakeWinUsb::GetClassDevs(const GUID* classGuid, PCWSTR enumerator, HWND,
                                         DWORD flags) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    auto* list = new List;
    if (enumerator != nullptr && std::wstring(enumerator) == L"USB" &&
        (flags & DIGCF_ALLCLASSES) != 0) {
        list->hardwareIds = true;
        for (const Device& device : self.devices_) {
            if (device.present) {
                wchar_t id[64];
                swprintf(id, 64, L"USB\\VID_%04X&PID_006D&REV_0100", device.model.vendorId);
                list->entries.emplace_back(id);
            }
        }
    } else {
        ++self.counts_.classLookups;
        self.counts_.lastLookupFlags = flags;
        self.counts_.lastLookupHadEnumerator = enumerator != nullptr;
        const GUID tabletClass = TabletInterfaceClass();
        if (self.failClassLookup_ || classGuid == nullptr ||
            std::memcmp(classGuid, &tabletClass, sizeof tabletClass) != 0) {
            delete list;
            return INVALID_HANDLE_VALUE;
        }
        for (const Device& device : self.devices_) {
            if (device.present && device.model.winUsbBound) {
                list->entries.push_back(device.model.path);
            }
        }
    }
    ++self.counts_.listsOpen;
    return list;
}

BOOL WINAPI FakeWinUsb::EnumInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                       PSP_DEVICE_INTERFACE_DATA data) {
    const auto* list = static_cast<const List*>(handle);
    if (list->hardwareIds || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
        index >= list->entries.size()) {
        SetError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI FakeWinUsb::InterfaceDetail(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                        PDWORD required, PSP_DEVINFO_DATA) {
    const auto* list = static_cast<const List*>(handle);
    const std::wstring& path = list->entries.at(data->Reserved);
    const DWORD needed =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                           (path.size() + 1) * sizeof(wchar_t));
    if (required != nullptr) {
        *required = needed;
    }
    if (detail == nullptr || size < needed) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        SetError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return TRUE;
}

BOOL WINAPI FakeWinUsb::EnumDeviceInfo(HDEVINFO handle, DWORD index, PSP_DEVINFO_DATA device) {
    const auto* list = static_cast<const List*>(handle);
    if (!list->hardwareIds || index >= list->entries.size()) {
        SetError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    device->DevInst = index;
    return TRUE;
}

BOOL WINAPI FakeWinUsb::RegistryProperty(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD property,
                                         PDWORD type, PBYTE buffer, DWORD size, PDWORD required) {
    const auto* list = static_cast<const List*>(handle);
    if (property != SPDRP_HARDWAREID) {
        SetError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const std::wstring& id = list->entries.at(device->DevInst);
    // REG_MULTI_SZ: the id, its NUL, and the empty string that ends the list.
    const DWORD needed = static_cast<DWORD>((id.size() + 2) * sizeof(wchar_t));
    if (required != nullptr) {
        *required = needed;
    }
    if (size < needed) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (type != nullptr) {
        *type = REG_MULTI_SZ;
    }
    std::memset(buffer, 0, needed);
    std::memcpy(buffer, id.c_str(), id.size() * sizeof(wchar_t));
    return TRUE;
}

BOOL WINAPI FakeWinUsb::DestroyList(HDEVINFO handle) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    delete static_cast<List*>(handle);
    --self.counts_.listsOpen;
    return TRUE;
}

// --- The device handle ---

HANDLE WINAPI FakeWinUsb::CreateDeviceFile(LPCWSTR path, DWORD access, DWORD share,
                                           LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags,
                                           HANDLE) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    ++self.counts_.creates;
    self.counts_.lastAccess = access;
    self.counts_.lastShare = share;
    self.counts_.lastDisposition = disposition;
    self.counts_.lastFlags = flags;
    Device* device = self.FindDevice(path);
    if (device == nullptr || !device->present) {
        SetError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (device->model.createFileError != 0) {
        SetError(device->model.createFileError);
        return INVALID_HANDLE_VALUE;
    }
    const std::uintptr_t key = self.nextHandle_;
    self.nextHandle_ += 4;
    self.files_[key] = File{path, device->generation, false, std::nullopt};
    ++self.counts_.filesOpen;
    return reinterpret_cast<HANDLE>(key);
}

BOOL WINAPI FakeWinUsb::Close(HANDLE handle) {
    FakeWinUsb& self = Current();
    {
        std::lock_guard lock(self.mutex_);
        const auto found = self.files_.find(Key(handle));
        if (found != self.files_.end()) {
            if (found->second.closed) {
                ++self.counts_.callsOnDeadHandles;
                return FALSE;
            }
            found->second.closed = true;
            --self.counts_.filesOpen;
            self.changed_.notify_all();
            return TRUE;
        }
    }
    return ::CloseHandle(handle);  // an event
}

BOOL WINAPI FakeWinUsb::OverlappedResult(HANDLE handle, LPOVERLAPPED overlapped,
                                         LPDWORD transferred, BOOL wait) {
    FakeWinUsb& self = Current();
    if (wait) {
        ::WaitForSingleObject(overlapped->hEvent, INFINITE);
    }
    std::lock_guard lock(self.mutex_);
    self.FindFile(handle);  // counts a call on a released handle
    if (overlapped->Internal == READ_PENDING) {
        SetError(ERROR_IO_INCOMPLETE);
        return FALSE;
    }
    *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    if (overlapped->Internal != 0) {
        SetError(static_cast<DWORD>(overlapped->Internal));
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI FakeWinUsb::Wait(DWORD count, const HANDLE* handles, BOOL waitAll,
                              DWORD milliseconds) {
    FakeWinUsb& self = Current();
    {
        std::lock_guard lock(self.mutex_);
        ++self.counts_.waits;
        self.changed_.notify_all();
    }
    std::vector<HANDLE> withExpiry(handles, handles + count);
    withExpiry.push_back(self.expireWait_);
    const DWORD result =
        ::WaitForMultipleObjects(count + 1, withExpiry.data(), waitAll, milliseconds);
    return result == WAIT_OBJECT_0 + count ? WAIT_TIMEOUT : result;
}

BOOL WINAPI FakeWinUsb::Cancel(HANDLE handle) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    ++self.counts_.cancelIo;
    self.changed_.notify_all();
    File* file = self.FindFile(handle);
    if (file == nullptr) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // CancelIo ends the calling thread's I/O on the handle only; another thread's read goes on.
    if (file->pending && file->pending->thread == std::this_thread::get_id()) {
        self.AskCancel(*file);
    }
    return TRUE;
}

// --- WinUSB ---

BOOL WINAPI FakeWinUsb::Initialize(HANDLE handle, PWINUSB_INTERFACE_HANDLE usb) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    File* file = self.FindFile(handle);
    Device* device = file != nullptr ? self.FindDevice(file->path) : nullptr;
    if (device == nullptr || !self.Alive(*file) || device->model.initializeFails) {
        SetError(ERROR_BAD_DEVICE);
        return FALSE;
    }
    const std::uintptr_t key = self.nextHandle_;
    self.nextHandle_ += 4;
    self.usbHandles_[key] = Key(handle);
    ++self.counts_.usbHandlesOpen;
    *usb = reinterpret_cast<WINUSB_INTERFACE_HANDLE>(key);
    return TRUE;
}

BOOL WINAPI FakeWinUsb::Free(WINUSB_INTERFACE_HANDLE usb) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    if (self.usbHandles_.erase(Key(usb)) == 0) {
        ++self.counts_.callsOnDeadHandles;
        return FALSE;
    }
    --self.counts_.usbHandlesOpen;
    self.changed_.notify_all();
    return TRUE;
}

BOOL WINAPI FakeWinUsb::GetDescriptor(WINUSB_INTERFACE_HANDLE usb, UCHAR type, UCHAR index,
                                      USHORT language, PUCHAR buffer, ULONG length,
                                      PULONG transferred) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    File* file = self.FindUsb(usb);
    if (file == nullptr || !self.Alive(*file)) {
        SetError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const FakeUsbDevice& model = self.FindDevice(file->path)->model;
    if (type != 1 || index != 0 || language != 0 || model.descriptorFails) {
        SetError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    const std::uint8_t descriptor[USB_DEVICE_DESCRIPTOR_SIZE] = {
        18,
        1,
        0x00,
        0x02,
        0,
        0,
        0,
        8,
        static_cast<std::uint8_t>(model.vendorId & 0xFF),
        static_cast<std::uint8_t>(model.vendorId >> 8),
        0x6D,
        0x00,
        0x00,
        0x01,
        1,
        2,
        0,
        1};
    const ULONG n = static_cast<ULONG>(
        std::min<std::size_t>({length, model.descriptorLength, sizeof descriptor}));
    std::memcpy(buffer, descriptor, n);
    *transferred = n;
    return TRUE;
}

BOOL WINAPI FakeWinUsb::QuerySettings(WINUSB_INTERFACE_HANDLE usb, UCHAR alternate,
                                      PUSB_INTERFACE_DESCRIPTOR descriptor) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    File* file = self.FindUsb(usb);
    if (file == nullptr || !self.Alive(*file) || alternate != 0) {
        SetError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    descriptor->bLength = 9;
    descriptor->bDescriptorType = 4;
    descriptor->bNumEndpoints = 1;
    return TRUE;
}

BOOL WINAPI FakeWinUsb::QueryPipe(WINUSB_INTERFACE_HANDLE usb, UCHAR alternate, UCHAR pipeIndex,
                                  PWINUSB_PIPE_INFORMATION pipe) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    File* file = self.FindUsb(usb);
    if (file == nullptr || !self.Alive(*file) || alternate != 0 || pipeIndex != 0) {
        SetError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const FakeUsbDevice& model = self.FindDevice(file->path)->model;
    if (model.queryPipeFails) {
        SetError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    pipe->PipeType = static_cast<USBD_PIPE_TYPE>(model.pipeType);
    pipe->PipeId = model.pipeId;
    pipe->MaximumPacketSize = model.maximumPacketSize;
    pipe->Interval = 1;
    return TRUE;
}

BOOL WINAPI FakeWinUsb::Control(WINUSB_INTERFACE_HANDLE usb, WINUSB_SETUP_PACKET setup,
                                PUCHAR buffer, ULONG length, PULONG transferred,
                                LPOVERLAPPED overlapped) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    ControlCall call;
    call.setup = {setup.RequestType,
                  setup.Request,
                  static_cast<std::uint8_t>(setup.Value & 0xFF),
                  static_cast<std::uint8_t>(setup.Value >> 8),
                  static_cast<std::uint8_t>(setup.Index & 0xFF),
                  static_cast<std::uint8_t>(setup.Index >> 8),
                  static_cast<std::uint8_t>(setup.Length & 0xFF),
                  static_cast<std::uint8_t>(setup.Length >> 8)};
    call.bufferLength = length;
    call.overlapped = overlapped != nullptr;
    self.controlCalls_.push_back(call);
    File* file = self.FindUsb(usb);
    if (file == nullptr || !self.Alive(*file)) {
        SetError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const FakeUsbDevice& model = self.FindDevice(file->path)->model;
    // The parameter request gets the parameter reply; the others a two-byte string header.
    std::vector<std::uint8_t> reply = {0x02, 0x03};
    if ((setup.Value & 0xFF) == TABLET_PARAM_INDEX) {
        reply = model.paramReply;
    }
    const ULONG n = std::min(length, static_cast<ULONG>(reply.size()));
    std::memcpy(buffer, reply.data(), n);
    *transferred = n;
    return TRUE;
}

BOOL WINAPI FakeWinUsb::ReadPipe(WINUSB_INTERFACE_HANDLE usb, UCHAR pipeId, PUCHAR buffer,
                                 ULONG length, PULONG, LPOVERLAPPED overlapped) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    File* file = self.FindUsb(usb);
    if (file == nullptr) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!self.Alive(*file)) {
        ++self.counts_.readsRefused;
        self.changed_.notify_all();
        SetError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    if (file->pending) {
        ++self.counts_.readsAtOnce;
        SetError(ERROR_BUSY);
        return FALSE;
    }
    ++self.counts_.readsStarted;
    self.counts_.lastReadLength = length;
    self.counts_.lastReadPipe = pipeId;
    overlapped->Internal = READ_PENDING;
    overlapped->InternalHigh = 0;
    file->pending = PendingRead{buffer, length, overlapped, false, std::this_thread::get_id()};
    Device* device = self.FindDevice(file->path);
    if (!device->reports.empty()) {
        const PenReportBytes report = device->reports.front();
        device->reports.pop_front();
        self.Complete(*file, 0, report.data(), static_cast<ULONG>(report.size()));
    }
    self.changed_.notify_all();
    SetError(ERROR_IO_PENDING);
    return FALSE;
}

BOOL WINAPI FakeWinUsb::AbortPipe(WINUSB_INTERFACE_HANDLE usb, UCHAR) {
    FakeWinUsb& self = Current();
    std::lock_guard lock(self.mutex_);
    ++self.counts_.abortPipe;
    self.changed_.notify_all();
    File* file = self.FindUsb(usb);
    if (file == nullptr) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    self.AskCancel(*file);
    return TRUE;
}

}  // namespace ondrel::test
