#include "tablet/usb/winusb_port_win.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "tablet/usb/winusb_device_win.h"

namespace ondrel {

namespace {

// What each found interface needs: its path, in enumeration order.
enum class Take { First, All };

// The paths of the present interfaces of the tablet's class; only the first one with Take::First.
std::vector<std::wstring> InterfacePaths(const WinUsbApi& api, Take take) {
    std::vector<std::wstring> paths;
    const GUID tabletClass = TabletInterfaceClass();
    const HDEVINFO list = api.SetupDiGetClassDevsW(&tabletClass, nullptr, nullptr,
                                                   DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE) {
        return paths;
    }
    for (DWORD index = 0; take == Take::All || index == 0; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!api.SetupDiEnumDeviceInterfaces(list, nullptr, &tabletClass, index, &data)) {
            break;
        }
        DWORD required = 0;
        if (!api.SetupDiGetDeviceInterfaceDetailW(list, &data, nullptr, 0, &required, nullptr) &&
            api.GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            continue;
        }
        // The detail's size field is the size of its fixed part on this platform (8 in a 64-bit
        // program); the path follows it, NUL-terminated. DWORD-aligned storage for the record.
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            continue;
        }
        std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!api.SetupDiGetDeviceInterfaceDetailW(list, &data, detail, required, nullptr,
                                                  nullptr)) {
            continue;
        }
        // Bounded by the buffer, whatever the record holds.
        const wchar_t* path = detail->DevicePath;
        const auto* end =
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(detail) + required);
        paths.emplace_back(path, std::find(path, end, L'\0'));
    }
    api.SetupDiDestroyDeviceInfoList(list);
    return paths;
}

// The 4 hex digits after `key` ("vid_", "pid_") in a device path or hardware id, any case.
std::uint16_t HexAfter(const std::string& text, const std::string& key) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t at = lower.find(key);
    if (at == std::string::npos || at + key.size() + 4 > lower.size()) {
        return 0;
    }
    return static_cast<std::uint16_t>(
        std::strtoul(lower.substr(at + key.size(), 4).c_str(), nullptr, 16));
}

OpenStatus FromOpenError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
            return OpenStatus::NoDevice;
        // WinUSB lets one handle at a time open the device: another program holds it.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return OpenStatus::Busy;
        default:
            return OpenStatus::Failed;
    }
}

}  // namespace

std::string Utf8FromWide(const std::wstring& wide) {
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(wide[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            const std::uint32_t low = static_cast<std::uint16_t>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring WideFromUtf8(const std::string& utf8) {
    std::wstring out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        std::uint32_t c = byte;
        std::size_t extra = 0;
        if (byte >= 0xF0) {
            c = byte & 0x07;
            extra = 3;
        } else if (byte >= 0xE0) {
            c = byte & 0x0F;
            extra = 2;
        } else if (byte >= 0xC0) {
            c = byte & 0x1F;
            extra = 1;
        }
        ++i;
        for (; extra > 0 && i < utf8.size(); --extra, ++i) {
            c = c << 6 | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

WinUsbPort::WinUsbPort(const WinUsbApi& api) : api_(api) {}

std::vector<UsbDeviceInfo> WinUsbPort::ListDevices() {
    std::vector<UsbDeviceInfo> infos;
    for (const std::wstring& wide : InterfacePaths(api_, Take::All)) {
        const std::string path = Utf8FromWide(wide);
        infos.push_back({path, HexAfter(path, "vid_"), HexAfter(path, "pid_"), path});
    }
    return infos;
}

std::optional<std::string> WinUsbPort::FindFirstDevice() {
    const std::vector<std::wstring> paths = InterfacePaths(api_, Take::First);
    if (paths.empty()) {
        return std::nullopt;
    }
    return Utf8FromWide(paths.front());
}

OpenResult WinUsbPort::Open(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const HANDLE file = api_.CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {FromOpenError(api_.GetLastError()), nullptr};
    }
    WINUSB_INTERFACE_HANDLE usb = nullptr;
    if (!api_.WinUsb_Initialize(file, &usb)) {
        api_.CloseHandle(file);
        return {OpenStatus::Failed, nullptr};
    }
    std::shared_ptr<UsbDevice> device = MakeWinUsbDevice(api_, file, usb);
    if (!device) {
        return {OpenStatus::Failed, nullptr};
    }
    return {OpenStatus::Opened, std::move(device)};
}

void WinUsbPort::Subscribe(UsbDeviceEventHandler) {}

void WinUsbPort::Unsubscribe() {}

std::vector<std::string> WinUsbPort::VendorHardwareIds() {
    std::vector<std::string> found;
    const HDEVINFO list =
        api_.SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (list == INVALID_HANDLE_VALUE) {
        return found;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!api_.SetupDiEnumDeviceInfo(list, index, &device)) {
            break;
        }
        // A list of NUL-terminated ids ending in an empty one; the first is the most specific.
        std::vector<wchar_t> ids(512, L'\0');
        DWORD type = 0;
        if (!api_.SetupDiGetDeviceRegistryPropertyW(
                list, &device, SPDRP_HARDWAREID, &type, reinterpret_cast<PBYTE>(ids.data()),
                static_cast<DWORD>((ids.size() - 2) * sizeof(wchar_t)), nullptr)) {
            continue;
        }
        const std::string id = Utf8FromWide(std::wstring(ids.data()));
        if (HexAfter(id, "vid_") == TABLET_VENDOR_ID) {
            found.push_back(id);
        }
    }
    api_.SetupDiDestroyDeviceInfoList(list);
    return found;
}

}  // namespace ondrel
