#pragma once

#include <QByteArray>
#include <QSize>

#include "rtf/rtf_picture.h"

namespace ondrel {

// What a picture's bytes are, whatever keyword announced them: Word writes PNG data under
// \jpegblip, other writers GIF under \pngblip.
struct RtfPictureContent {
    enum class Format {
        None,   // nothing the view can draw or recognise
        Image,  // a format Qt decodes (PNG, JPEG, GIF, BMP, ...); `data` is the file
        Wmf,    // a Windows metafile (with or without its placeable header)
        Emf,    // an enhanced metafile
    };
    Format format = Format::None;
    QByteArray data;
    QSize pixels;  // as the data declares it, for images; read from the header only
};

// Judges the bytes. A device-independent bitmap (\dibitmap) gets the file header that makes it a
// BMP file.
RtfPictureContent IdentifyPicture(const QByteArray& data, RtfPicture::Kind kind);

}  // namespace ondrel
