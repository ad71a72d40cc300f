#pragma once

// Every Windows call the WinUSB port makes, as one table of functions: the real SetupAPI,
// WinUSB and kernel functions in the program (RealWinUsbApi), a fake device in the tests. The
// port and its devices call nothing of Windows but through this table.

// clang-format off
#include <windows.h>
#include <setupapi.h>
#include <winusb.h>
// clang-format on

namespace ondrel {

struct WinUsbApi {
    // Finding the tablet's interface, and (for the diagnostic program) any device of the vendor.
    HDEVINFO(WINAPI* SetupDiGetClassDevsW)
    (const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* SetupDiEnumDeviceInterfaces)
    (HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* interfaceClass, DWORD index,
     PSP_DEVICE_INTERFACE_DATA data);
    BOOL(WINAPI* SetupDiGetDeviceInterfaceDetailW)
    (HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
     DWORD detailSize, PDWORD requiredSize, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiEnumDeviceInfo)(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiGetDeviceRegistryPropertyW)
    (HDEVINFO list, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE buffer,
     DWORD bufferSize, PDWORD requiredSize);
    BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO list);

    // The device handle and the reader's waits.
    HANDLE(WINAPI* CreateFileW)
    (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* CloseHandle)(HANDLE handle);
    HANDLE(WINAPI* CreateEventW)
    (LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name);
    BOOL(WINAPI* SetEvent)(HANDLE event);
    BOOL(WINAPI* ResetEvent)(HANDLE event);
    DWORD(WINAPI* WaitForMultipleObjects)
    (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
    BOOL(WINAPI* GetOverlappedResult)
    (HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
    BOOL(WINAPI* CancelIo)(HANDLE file);
    DWORD(WINAPI* GetLastError)();

    // WinUSB on the device handle.
    BOOL(WINAPI* WinUsb_Initialize)(HANDLE device, PWINUSB_INTERFACE_HANDLE usb);
    BOOL(WINAPI* WinUsb_Free)(WINUSB_INTERFACE_HANDLE usb);
    BOOL(WINAPI* WinUsb_GetDescriptor)
    (WINUSB_INTERFACE_HANDLE usb, UCHAR type, UCHAR index, USHORT language, PUCHAR buffer,
     ULONG bufferLength, PULONG transferred);
    BOOL(WINAPI* WinUsb_QueryInterfaceSettings)
    (WINUSB_INTERFACE_HANDLE usb, UCHAR alternate, PUSB_INTERFACE_DESCRIPTOR descriptor);
    BOOL(WINAPI* WinUsb_QueryPipe)
    (WINUSB_INTERFACE_HANDLE usb, UCHAR alternate, UCHAR pipeIndex, PWINUSB_PIPE_INFORMATION pipe);
    BOOL(WINAPI* WinUsb_ControlTransfer)
    (WINUSB_INTERFACE_HANDLE usb, WINUSB_SETUP_PACKET setup, PUCHAR buffer, ULONG bufferLength,
     PULONG transferred, LPOVERLAPPED overlapped);
    BOOL(WINAPI* WinUsb_ReadPipe)
    (WINUSB_INTERFACE_HANDLE usb, UCHAR pipeId, PUCHAR buffer, ULONG bufferLength,
     PULONG transferred, LPOVERLAPPED overlapped);
    BOOL(WINAPI* WinUsb_AbortPipe)(WINUSB_INTERFACE_HANDLE usb, UCHAR pipeId);
};

// The table of the real functions (imported from winusb.dll, setupapi.dll and kernel32.dll).
const WinUsbApi& RealWinUsbApi();

// The tablet's device-interface class, as Windows spells a GUID.
GUID TabletInterfaceClass();

}  // namespace ondrel
