#pragma once

#include <QString>
#include <optional>

namespace ondrel {

// SYMBOL 183 \f "Symbol" \s 10: a character given by its code, in a font of its own.
struct RtfSymbolField {
    int code = 0;
    QString font;          // empty: the font around the field
    bool unicode = false;  // \u: the code is a Unicode character, not a byte of a code page
};

// The field instructions whose result the view makes itself when the file holds none (Word
// writes no result for these two).
std::optional<RtfSymbolField> ParseSymbolField(const QString& instruction);
bool IsCheckBoxField(const QString& instruction);

}  // namespace ondrel
