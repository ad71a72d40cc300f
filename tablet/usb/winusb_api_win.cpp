#include <cstring>

#include "tablet/protocol/tablet_protocol.h"
#include "tablet/usb/winusb_api.h"

namespace ondrel {

const WinUsbApi& RealWinUsbApi() {
    static const WinUsbApi api{
        .SetupDiGetClassDevsW = ::SetupDiGetClassDevsW,
        .SetupDiEnumDeviceInterfaces = ::SetupDiEnumDeviceInterfaces,
        .SetupDiGetDeviceInterfaceDetailW = ::SetupDiGetDeviceInterfaceDetailW,
        .SetupDiEnumDeviceInfo = ::SetupDiEnumDeviceInfo,
        .SetupDiGetDeviceRegistryPropertyW = ::SetupDiGetDeviceRegistryPropertyW,
        .SetupDiDestroyDeviceInfoList = ::SetupDiDestroyDeviceInfoList,
        .CreateFileW = ::CreateFileW,
        .CloseHandle = ::CloseHandle,
        .CreateEventW = ::CreateEventW,
        .SetEvent = ::SetEvent,
        .ResetEvent = ::ResetEvent,
        .WaitForMultipleObjects = ::WaitForMultipleObjects,
        .GetOverlappedResult = ::GetOverlappedResult,
        .CancelIo = ::CancelIo,
        .GetLastError = ::GetLastError,
        .WinUsb_Initialize = ::WinUsb_Initialize,
        .WinUsb_Free = ::WinUsb_Free,
        .WinUsb_GetDescriptor = ::WinUsb_GetDescriptor,
        .WinUsb_QueryInterfaceSettings = ::WinUsb_QueryInterfaceSettings,
        .WinUsb_QueryPipe = ::WinUsb_QueryPipe,
        .WinUsb_ControlTransfer = ::WinUsb_ControlTransfer,
        .WinUsb_ReadPipe = ::WinUsb_ReadPipe,
        .WinUsb_AbortPipe = ::WinUsb_AbortPipe,
    };
    return api;
}

GUID TabletInterfaceClass() {
    // The GUID's in-memory layout is the 16 bytes as the notification records carry them.
    static_assert(sizeof(GUID) == GUID_DEVINTERFACE_SIGNPAD.size());
    GUID guid;
    std::memcpy(&guid, GUID_DEVINTERFACE_SIGNPAD.data(), sizeof guid);
    return guid;
}

}  // namespace ondrel
