#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <map>

namespace ondrel {

// Windows code page that a font's \fcharset stands for; 0 when the charset names none of its
// own (the document's \ansicpg applies then).
int CodePageForCharset(int charset);

// Decodes bytes written in a Windows code page. The one place where code pages meet the
// platform: Qt's decoders here (with ICU behind them on Debian); a Windows build without ICU
// would put the system's conversion behind the same function.
QString DecodeCodePage(int codePage, QByteArrayView bytes);

// The same, keeping one decoder per code page alive: opening a converter costs more than most
// of the short runs an RTF file holds.
class CodePageDecoder {
  public:
    QString Decode(int codePage, QByteArrayView bytes);

  private:
    std::map<int, QStringDecoder> decoders_;
};

}  // namespace ondrel
