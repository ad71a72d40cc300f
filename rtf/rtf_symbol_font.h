#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace ondrel {

// Fonts that number their glyphs in their own way instead of by a code page: Symbol (Greek
// letters, mathematical signs, the bullet at 0xB7) and Wingdings (bullets, boxes, check marks).
// The view draws their characters with an ordinary font, as their Unicode look-alikes.
enum class SymbolFont { None, Symbol, Wingdings };

// Which symbol font a font-table entry is: by its name (Word and WordPad name "Symbol" without
// \fcharset2 as often as with it), else by the symbol charset.
SymbolFont SymbolFontOf(QStringView name, int charset);

// The character a byte (or a private-use U+F0xx unit) stands for in the font. Bytes the table
// does not know keep their Latin-1 meaning; private-use units without a known meaning stay as
// they are.
char16_t SymbolFontCharacter(SymbolFont font, char16_t unit);
QString DecodeSymbolFont(SymbolFont font, QByteArrayView bytes);

}  // namespace ondrel
