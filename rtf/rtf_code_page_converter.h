#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>

namespace ondrel {

// Turns bytes of one Windows code page into text: the one place where code pages meet the
// platform. Qt's decoders on Linux (ICU behind them on Debian: rtf_code_page_qt.cpp); the
// system's MultiByteToWideChar on Windows, whose Qt has no ICU (rtf_code_page_win.cpp).
//
// Every implementation decodes alike: each call starts afresh, a byte sequence the code page does
// not map and a lead byte cut off at the end each become U+FFFD, and a code page the system cannot
// decode is read as cp1252.
class CodePageConverter {
  public:
    explicit CodePageConverter(int codePage);
    CodePageConverter(CodePageConverter&&) noexcept;
    CodePageConverter& operator=(CodePageConverter&&) noexcept;
    ~CodePageConverter();

    // False when the code page was not available and cp1252 stands in for it.
    bool IsNative() const;
    QString Decode(QByteArrayView bytes);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ondrel
