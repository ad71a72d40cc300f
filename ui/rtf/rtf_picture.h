#pragma once

#include <QByteArray>
#include <QSizeF>
#include <string_view>

namespace ondrel {

// Collects one \pict group: its kind, its sizes and its data (hex digits or \bin bytes).
class RtfPicture {
  public:
    enum class Kind { Unknown, Png, Jpeg, Other };

    Kind kind = Kind::Unknown;
    int goalWidth = 0;   // twips
    int goalHeight = 0;  // twips
    int scaleX = 100;    // percent
    int scaleY = 100;

    void AddHexDigits(std::string_view text);
    void AddBinary(std::string_view bytes);

    // PNG or JPEG data whose signature matches its kind; empty otherwise.
    QByteArray ImageData() const;
    // Display size in pixels; empty when the picture gives none (its own size is used).
    QSizeF DisplaySize() const;

  private:
    static constexpr qsizetype kMaxBytes = 32 * 1024 * 1024;

    QByteArray data_;
    int highNibble_ = -1;
    bool tooLarge_ = false;
};

}  // namespace ondrel
