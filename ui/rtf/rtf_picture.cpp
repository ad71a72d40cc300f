#include "ui/rtf/rtf_picture.h"

#include <algorithm>

#include "ui/rtf/rtf_tokenizer.h"

namespace ondrel {

void RtfPicture::AddHexDigits(std::string_view text) {
    if (kind != Kind::Png && kind != Kind::Jpeg) {
        return;  // data of kinds not shown is not kept
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
            return;
        }
        data_.append(static_cast<char>(highNibble_ * 16 + value));
        highNibble_ = -1;
    }
}

void RtfPicture::AddBinary(std::string_view bytes) {
    if (kind != Kind::Png && kind != Kind::Jpeg) {
        return;
    }
    if (data_.size() + static_cast<qsizetype>(bytes.size()) > kMaxBytes) {
        tooLarge_ = true;
        return;
    }
    data_.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray RtfPicture::ImageData() const {
    if (tooLarge_) {
        return {};
    }
    if (kind == Kind::Png && data_.startsWith("\x89PNG\r\n\x1a\n")) {
        return data_;
    }
    if (kind == Kind::Jpeg && data_.startsWith("\xff\xd8")) {
        return data_;
    }
    return {};
}

QSizeF RtfPicture::DisplaySize() const {
    if (goalWidth <= 0 || goalHeight <= 0) {
        return {};
    }
    constexpr double kMaxPixels = 2000;  // the view is narrower; taller only adds height
    const double width = goalWidth / 15.0 * std::clamp(scaleX, 1, 1000) / 100.0;
    const double height = goalHeight / 15.0 * std::clamp(scaleY, 1, 1000) / 100.0;
    return {std::min(width, kMaxPixels), std::min(height, kMaxPixels)};
}

}  // namespace ondrel
