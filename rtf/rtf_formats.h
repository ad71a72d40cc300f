#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <map>
#include <optional>
#include <vector>

#include "rtf/rtf_state.h"
#include "rtf/rtf_symbol_font.h"

namespace ondrel {

struct RtfFont {
    QString name;
    int charset = -1;  // \fcharset; -1 when the entry has none
    int codePage = 0;  // \cpg; 0 when the entry has none
    QFont::StyleHint hint = QFont::AnyStyle;
    bool nameComplete = false;  // the ';' that ends the name was read

    // Which symbol font the entry is; worked out once its name is complete.
    SymbolFont Symbol() const;

  private:
    mutable std::optional<SymbolFont> symbol_;
};

// The document's font and colour tables and the defaults that go with them; turns the
// control-word state into Qt's formats.
class RtfFormatResolver {
  public:
    static constexpr std::size_t kMaxColors = 4096;
    static constexpr std::size_t kMaxFonts = 4096;

    std::map<int, RtfFont> fonts;
    std::vector<QColor> colors;  // index 0 usually "auto" (invalid)
    int defaultFont = 0;
    int documentCodePage = 1252;

    // Code page in which the bytes of text in this state are written.
    int CodePageFor(const RtfCharState& state) const;
    // The symbol font (Symbol, Wingdings) text in this state is written in, if any.
    SymbolFont SymbolFontFor(const RtfCharState& state) const;
    // The font-table entry of that name; -1 when there is none.
    int FontNamed(const QString& name) const;

    // Cached for the last state asked: runs in a row mostly share their state.
    const QTextCharFormat& CharFormat(const RtfCharState& state);
    QTextBlockFormat BlockFormat(const RtfParaState& state) const;

  private:
    const RtfFont* FontFor(const RtfCharState& state) const;
    std::optional<QColor> Color(int index) const;

    std::optional<RtfCharState> cachedState_;
    QTextCharFormat cachedFormat_;
};

}  // namespace ondrel
