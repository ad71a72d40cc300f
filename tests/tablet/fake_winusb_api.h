#pragma once

// A fake of the Windows calls the WinUSB port makes (SetupAPI, the device handle, WinUSB), as a
// WinUsbApi table, so that the real port, its devices and the real connection run without a
// tablet. Events and waits stay the real ones: the port's overlapped reads wait on real events,
// which the fake signals as a driver would.
//
// The fake's devices are plugged, unplugged and fed from the test thread; the port's calls may
// come from any thread. As on Windows, CancelIo ends only the reads the calling thread started
// (WinUsb_AbortPipe ends any). One fake at a time: the table's plain functions find it through
// the one instance that is alive.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tablet/protocol/tablet_protocol.h"
#include "tablet/sim/sim_tablet.h"  // PenReportBytes
#include "tablet/usb/winusb_api.h"

namespace ondrel::test {

// What a plugged device is and how it answers.
struct FakeUsbDevice {
    std::wstring path = L"\\\\?\\usb#vid_256c&pid_006d#0001#{62f12d4c-3431-4efd-8dd7-8e9aab18d30c}";
    std::uint16_t vendorId = TABLET_VENDOR_ID;
    bool winUsbBound = true;  // publishes the tablet's interface class
    // The parameter reply (index 100): 12 bytes, maxX 40000, maxY 50000 unless given.
    std::vector<std::uint8_t> paramReply = {0x0C, 0x03, 0x40, 0x9C, 0x50, 0xC3,
                                            0xFF, 0x1F, 0xD8, 0x13, 0x00, 0x00};
    std::uint8_t pipeId = 0x81;
    std::uint8_t pipeType = 3;  // interrupt
    std::uint16_t maximumPacketSize = 8;
    // The device descriptor read: fails, or transfers only this many bytes.
    bool descriptorFails = false;
    std::size_t descriptorLength = USB_DEVICE_DESCRIPTOR_SIZE;
    bool queryPipeFails = false;
    DWORD createFileError = 0;  // CreateFileW fails with this error when not 0
    bool initializeFails = false;
};

class FakeWinUsb {
  public:
    FakeWinUsb();
    ~FakeWinUsb();
    FakeWinUsb(const FakeWinUsb&) = delete;
    FakeWinUsb& operator=(const FakeWinUsb&) = delete;

    const WinUsbApi& api() const { return api_; }

    // Test thread. A plugged device appears in the lists; plugging a path again is a new
    // connection of it (handles opened earlier stay dead).
    void Plug(const FakeUsbDevice& device = {});
    // The device leaves: a read pending on it ends with "device not connected", every later
    // call on its handles fails.
    void Unplug(const std::wstring& path = FakeUsbDevice{}.path);
    // A report for the device's next read (or the pending one).
    void SendReport(const PenReportBytes& report, const std::wstring& path = FakeUsbDevice{}.path);
    // While held, CancelIo and WinUsb_AbortPipe only ask for the end of a read; it ends when
    // ReleaseCancellations is called, with `lateBytes` written into the read's buffer first
    // (as a transfer that completed after all).
    void HoldCancellations();
    void ReleaseCancellations(std::optional<PenReportBytes> lateBytes = std::nullopt);
    // The stack ends the device's pending read as aborted on its own, as on a surprise removal
    // or a reset of the pipe, without CancelIo or WinUsb_AbortPipe. False when none is pending.
    bool AbortPendingRead(const std::wstring& path = FakeUsbDevice{}.path);
    // Time for the port's waits (WaitForMultipleObjects) passes only here: the wait under way,
    // or else the next one, ends as timed out. Waits with a limit still end at it as well.
    void ExpireWait();
    // Waits until a read is pending, or a cancellation asked for (while held).
    bool WaitForPendingRead(std::chrono::milliseconds limit = std::chrono::seconds(20));
    bool WaitForCancelRequest(std::chrono::milliseconds limit = std::chrono::seconds(20));
    // The SetupAPI lookup of the tablet's class fails at once (SetupDiGetClassDevsW).
    void FailClassLookup(bool fail);

    // What the port did. Each control transfer: its setup packet in wire order and the length
    // of the buffer given for the reply.
    struct ControlCall {
        UsbSetupPacket setup{};
        ULONG bufferLength = 0;
        bool overlapped = false;
    };
    std::vector<ControlCall> controlCalls() const;
    struct Counts {
        int classLookups = 0;       // SetupDiGetClassDevsW for the tablet's class
        DWORD lastLookupFlags = 0;  // and the flags it was given
        bool lastLookupHadEnumerator = false;
        int listsOpen = 0;       // device lists not destroyed yet
        int filesOpen = 0;       // device handles not closed yet
        int usbHandlesOpen = 0;  // WinUSB handles not freed yet
        int creates = 0;         // CreateFileW calls
        DWORD lastAccess = 0, lastShare = 0, lastDisposition = 0, lastFlags = 0;
        int readsStarted = 0;
        int readsCompleted = 0;  // with data
        int cancelIo = 0;
        int abortPipe = 0;
        int readsRefused = 0;         // a read asked for on a device that is gone
        int readsAtOnce = 0;          // a read started while another was pending on the handle
        int readsAbortedByStack = 0;  // AbortPendingRead
        int waits = 0;                // WaitForMultipleObjects calls begun
        int callsOnDeadHandles = 0;   // calls after a handle was released
        ULONG lastReadLength = 0;
        UCHAR lastReadPipe = 0;
    };
    Counts counts() const;
    // Waits until the counts satisfy `condition`.
    bool WaitForCounts(const std::function<bool(const Counts&)>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(20));

  private:
    struct Device {
        FakeUsbDevice model;
        bool present = false;
        int generation = 0;
        std::deque<PenReportBytes> reports;
    };
    struct PendingRead {
        PUCHAR buffer = nullptr;
        ULONG length = 0;
        LPOVERLAPPED overlapped = nullptr;
        bool cancelAsked = false;
        std::thread::id thread;  // the one that started it: the only one CancelIo ends it for
    };
    struct File {
        std::wstring path;
        int generation = 0;
        bool closed = false;
        std::optional<PendingRead> pending;
    };
    struct List {
        bool hardwareIds = false;           // the USB enumerator's list
        std::vector<std::wstring> entries;  // interface paths, or hardware ids
    };

    static FakeWinUsb& Current();
    Device* FindDevice(const std::wstring& path);
    File* FindFile(HANDLE file);
    File* FindUsb(WINUSB_INTERFACE_HANDLE usb);
    bool Alive(const File& file);
    void Complete(File& file, DWORD error, const std::uint8_t* bytes, ULONG length);
    void AskCancel(File& file);

    // The table's functions.
    static HDEVINFO WINAPI GetClassDevs(const GUID*, PCWSTR, HWND, DWORD);
    static BOOL WINAPI EnumInterfaces(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                      PSP_DEVICE_INTERFACE_DATA);
    static BOOL WINAPI InterfaceDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W, DWORD, PDWORD,
                                       PSP_DEVINFO_DATA);
    static BOOL WINAPI EnumDeviceInfo(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
    static BOOL WINAPI RegistryProperty(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD,
                                        PDWORD);
    static BOOL WINAPI DestroyList(HDEVINFO);
    static HANDLE WINAPI CreateDeviceFile(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                          DWORD, HANDLE);
    static BOOL WINAPI Close(HANDLE);
    static BOOL WINAPI OverlappedResult(HANDLE, LPOVERLAPPED, LPDWORD, BOOL);
    static DWORD WINAPI Wait(DWORD, const HANDLE*, BOOL, DWORD);
    static BOOL WINAPI Cancel(HANDLE);
    static BOOL WINAPI Initialize(HANDLE, PWINUSB_INTERFACE_HANDLE);
    static BOOL WINAPI Free(WINUSB_INTERFACE_HANDLE);
    static BOOL WINAPI GetDescriptor(WINUSB_INTERFACE_HANDLE, UCHAR, UCHAR, USHORT, PUCHAR, ULONG,
                                     PULONG);
    static BOOL WINAPI QuerySettings(WINUSB_INTERFACE_HANDLE, UCHAR, PUSB_INTERFACE_DESCRIPTOR);
    static BOOL WINAPI QueryPipe(WINUSB_INTERFACE_HANDLE, UCHAR, UCHAR, PWINUSB_PIPE_INFORMATION);
    static BOOL WINAPI Control(WINUSB_INTERFACE_HANDLE, WINUSB_SETUP_PACKET, PUCHAR, ULONG, PULONG,
                               LPOVERLAPPED);
    static BOOL WINAPI ReadPipe(WINUSB_INTERFACE_HANDLE, UCHAR, PUCHAR, ULONG, PULONG,
                                LPOVERLAPPED);
    static BOOL WINAPI AbortPipe(WINUSB_INTERFACE_HANDLE, UCHAR);

    WinUsbApi api_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Device> devices_;
    std::map<std::uintptr_t, File> files_;                 // by handle value
    std::map<std::uintptr_t, std::uintptr_t> usbHandles_;  // WinUSB handle -> device handle
    std::uintptr_t nextHandle_ = 0x4000;
    bool holdCancellations_ = false;
    HANDLE expireWait_ = nullptr;  // auto reset: ExpireWait
    bool failClassLookup_ = false;
    std::vector<ControlCall> controlCalls_;
    Counts counts_;
};

}  // namespace ondrel::test
