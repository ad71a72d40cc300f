#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <map>

#include "rtf/rtf_code_page_converter.h"

namespace ondrel {

// Windows code page that a font's \fcharset stands for; 0 when the charset names none of its
// own (the document's \ansicpg applies then).
int CodePageForCharset(int charset);

// The Windows code page that stands in for one the system may lack: the Mac CJK code pages
// share their characters' bytes with Shift_JIS, Big5, UHC and GBK. 0 when there is none.
int CodePageStandIn(int codePage);

// Which bytes start a two-byte character in a double-byte code page; null for the others.
using LeadByteTable = std::array<bool, 256>;
const LeadByteTable* LeadBytesOf(int codePage);

// Decodes bytes written in a Windows code page; a code page the system cannot decode is read as
// cp1252, which keeps ASCII right and shows every other byte as something. A lead byte cut off
// at the end becomes U+FFFD.
QString DecodeCodePage(int codePage, QByteArrayView bytes);

// Whether the system decodes the code page itself (rather than falling back to cp1252).
bool CanDecodeCodePage(int codePage);

// The same, keeping one converter per code page alive: opening a converter costs more than most
// of the short runs an RTF file holds.
class CodePageDecoder {
  public:
    QString Decode(int codePage, QByteArrayView bytes);

  private:
    std::map<int, CodePageConverter> converters_;
};

}  // namespace ondrel
