#pragma once

#include <QByteArray>
#include <QSizeF>
#include <string_view>

#include "rtf/rtf_keywords.h"

namespace ondrel {

// Collects one \pict group: the kind its keyword announces, its sizes and its data (hex digits
// or \bin bytes). What the data really is, is judged from the bytes (rtf_picture_content.h).
class RtfPicture {
  public:
    enum class Kind { Unknown, Png, Jpeg, Emf, Wmf, Dib, Other };
    static constexpr qsizetype kMaxBytes = 32 * 1024 * 1024;

    Kind kind = Kind::Unknown;
    int width = 0;       // \picw: pixels, or for metafiles hundredths of a millimetre
    int height = 0;      // \pich
    int goalWidth = 0;   // twips
    int goalHeight = 0;  // twips
    int scaleX = 100;    // percent
    int scaleY = 100;

    // The picture's own words: its kind and sizes.
    void ApplyWord(RtfKeyword keyword, int param);
    void AddHexDigits(std::string_view text);
    void AddBinary(std::string_view bytes);

    // The data, unless it was larger than kMaxBytes (then empty, and TooLarge()).
    const QByteArray& Data() const { return data_; }
    bool TooLarge() const { return tooLarge_; }
    bool IsMetafileKind() const { return kind == Kind::Emf || kind == Kind::Wmf; }
    // Display size in pixels from the goal size and scale, else from \picw and \pich; empty
    // when the picture gives none.
    QSizeF DisplaySize() const;

  private:
    QByteArray data_;
    int highNibble_ = -1;
    bool tooLarge_ = false;
};

}  // namespace ondrel
