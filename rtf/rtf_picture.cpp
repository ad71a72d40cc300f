#include "rtf/rtf_picture.h"

#include <algorithm>

#include "rtf/rtf_tokenizer.h"

namespace ondrel {

namespace {

constexpr double kMaxPixels = 2000;  // the view is narrower; taller only adds height

}  // namespace

void RtfPicture::ApplyWord(RtfKeyword keyword, int param) {
    using K = RtfKeyword;
    switch (keyword) {
        case K::PngBlip:
            kind = Kind::Png;
            break;
        case K::JpegBlip:
            kind = Kind::Jpeg;
            break;
        case K::EmfBlip:
            kind = Kind::Emf;
            break;
        case K::WmfBlip:
            kind = Kind::Wmf;
            break;
        case K::DibBlip:
            kind = Kind::Dib;
            break;
        case K::OtherBlip:
            kind = Kind::Other;
            break;
        case K::PicWidth:
            width = param;
            break;
        case K::PicHeight:
            height = param;
            break;
        case K::PicGoalWidth:
            goalWidth = param;
            break;
        case K::PicGoalHeight:
            goalHeight = param;
            break;
        case K::PicScaleX:
            scaleX = param;
            break;
        case K::PicScaleY:
            scaleY = param;
            break;
        default:
            break;
    }
}

void RtfPicture::AddHexDigits(std::string_view text) {
    if (tooLarge_) {
        return;
    }
    for (const char c : text) {
        const int value = HexDigitValue(c);
        if (value < 0) {
            continue;  // spaces between the digits
        }
        if (highNibble_ < 0) {
            highNibble_ = value;
            continue;
        }
        if (data_.size() >= kMaxBytes) {
            tooLarge_ = true;
            data_ = QByteArray();
            return;
        }
        data_.append(static_cast<char>(highNibble_ * 16 + value));
        highNibble_ = -1;
    }
}

void RtfPicture::AddBinary(std::string_view bytes) {
    if (tooLarge_) {
        return;
    }
    if (data_.size() + static_cast<qsizetype>(bytes.size()) > kMaxBytes) {
        tooLarge_ = true;
        data_ = QByteArray();
        return;
    }
    data_.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QSizeF RtfPicture::DisplaySize() const {
    double w = 0;
    double h = 0;
    if (goalWidth > 0 && goalHeight > 0) {
        w = goalWidth / 15.0;
        h = goalHeight / 15.0;
    } else if (width > 0 && height > 0) {
        // Metafiles give their extent in hundredths of a millimetre, bitmaps in pixels.
        const double perUnit = IsMetafileKind() ? 96.0 / 2540.0 : 1.0;
        w = width * perUnit;
        h = height * perUnit;
    } else {
        return {};
    }
    w *= std::clamp(scaleX, 1, 1000) / 100.0;
    h *= std::clamp(scaleY, 1, 1000) / 100.0;
    return {std::clamp(w, 1.0, kMaxPixels), std::clamp(h, 1.0, kMaxPixels)};
}

}  // namespace ondrel
