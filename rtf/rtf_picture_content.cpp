#include "rtf/rtf_picture_content.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <initializer_list>

namespace ondrel {

namespace {

using Format = RtfPictureContent::Format;

// Little-endian numbers of the data, 0 where the data is too short.
quint32 LittleEndian(const QByteArray& data, qsizetype at, int size) {
    if (data.size() < at + size) {
        return 0;
    }
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(data[at + i]);
    }
    return value;
}
quint32 Le32(const QByteArray& data, qsizetype at) {
    return LittleEndian(data, at, 4);
}
quint16 Le16(const QByteArray& data, qsizetype at) {
    return static_cast<quint16>(LittleEndian(data, at, 2));
}

bool IsEmf(const QByteArray& data) {
    // The header record: type 1, and " EMF" at byte 40.
    return Le32(data, 0) == 1 && data.size() >= 44 && data.mid(40, 4) == " EMF";
}

bool IsWmf(const QByteArray& data) {
    if (Le32(data, 0) == 0x9AC6CDD7) {
        return true;  // the placeable header
    }
    // The metafile header: in memory (1) or on disk (2), nine words long, version 1 or 3.
    const quint16 type = Le16(data, 0);
    const quint16 version = Le16(data, 4);
    return (type == 1 || type == 2) && Le16(data, 2) == 9 && (version == 0x100 || version == 0x300);
}

// A packed DIB with a BMP file header in front of it; empty when the header is not a DIB's.
QByteArray BmpFromDib(const QByteArray& dib) {
    const quint32 headerSize = Le32(dib, 0);
    bool known = false;
    for (const quint32 size : {12u, 40u, 52u, 56u, 108u, 124u}) {
        known = known || headerSize == size;
    }
    if (!known || dib.size() < static_cast<qsizetype>(headerSize)) {
        return {};
    }
    quint32 colours = 0;
    quint32 masks = 0;
    if (headerSize == 12) {
        const quint16 bits = Le16(dib, 10);
        colours = bits <= 8 ? (1u << bits) * 3 / 4 : 0;  // RGBTRIPLEs, counted in quads here
    } else {
        const quint16 bits = Le16(dib, 14);
        const quint32 used = Le32(dib, 32);
        colours = used != 0 ? std::min<quint32>(used, 256) : (bits <= 8 ? 1u << bits : 0);
        masks = headerSize == 40 && Le32(dib, 16) == 3 ? 12 : 0;  // BI_BITFIELDS
    }
    const quint32 offset = 14 + headerSize + masks + colours * 4;
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(14 + dib.size()), file.data() + 2);
    qToLittleEndian<quint32>(offset, file.data() + 10);
    return file + dib;
}

}  // namespace

RtfPictureContent IdentifyPicture(const QByteArray& data, RtfPicture::Kind kind) {
    RtfPictureContent content;
    if (data.isEmpty()) {
        return content;
    }
    if (IsEmf(data)) {
        content.format = Format::Emf;
        content.data = data;
        return content;
    }
    if (IsWmf(data)) {
        content.format = Format::Wmf;
        content.data = data;
        return content;
    }
    QByteArray file = kind == RtfPicture::Kind::Dib ? BmpFromDib(data) : data;
    if (file.isEmpty()) {
        return content;
    }
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead()) {
        return content;
    }
    const QSize size = reader.size();
    if (!size.isValid()) {
        return content;
    }
    content.format = Format::Image;
    content.pixels = size;
    content.data = std::move(file);
    return content;
}

}  // namespace ondrel
