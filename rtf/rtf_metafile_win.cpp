// Metafiles drawn by the system's GDI: a WMF is turned into an enhanced metafile, which is
// played into a bitmap of the wanted size.

#include <windows.h>

#include <cstring>

#include "rtf/rtf_metafile.h"

namespace ondrel {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableHeaderSize = 22;

HENHMETAFILE LoadMetafile(const QByteArray& data, bool enhanced) {
    const auto* bytes = reinterpret_cast<const BYTE*>(data.constData());
    auto size = static_cast<UINT>(data.size());
    if (enhanced) {
        return SetEnhMetaFileBits(size, bytes);
    }
    quint32 key = 0;
    if (data.size() >= kPlaceableHeaderSize) {
        std::memcpy(&key, bytes, sizeof key);
    }
    if (key == kPlaceableKey) {
        bytes += kPlaceableHeaderSize;
        size -= kPlaceableHeaderSize;
    }
    return SetWinMetaFileBits(size, bytes, nullptr, nullptr);
}

}  // namespace

QImage RenderMetafile(const QByteArray& data, bool enhanced, QSize pixels) {
    if (pixels.isEmpty()) {
        return {};
    }
    const HENHMETAFILE metafile = LoadMetafile(data, enhanced);
    if (metafile == nullptr) {
        return {};
    }
    QImage image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pixels.width();
    info.bmiHeader.biHeight = -pixels.height();  // top-down rows, as QImage has them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap =
        dc != nullptr ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap != nullptr && bits != nullptr) {
        const HGDIOBJ previous = SelectObject(dc, bitmap);
        const RECT frame{0, 0, pixels.width(), pixels.height()};
        FillRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (PlayEnhMetaFile(dc, metafile, &frame)) {
            GdiFlush();
            image = QImage(static_cast<const uchar*>(bits), pixels.width(), pixels.height(),
                           QImage::Format_RGB32)
                        .copy();
        }
        SelectObject(dc, previous);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (dc != nullptr) {
        DeleteDC(dc);
    }
    DeleteEnhMetaFile(metafile);
    return image;
}

}  // namespace ondrel
