#include "rtf/rtf_formats.h"

#include <QList>
#include <QTextOption>
#include <algorithm>

#include "rtf/rtf_code_page.h"

namespace ondrel {

namespace {

// Lengths beyond these are broken input and are cut. The vertical ones matter most: Qt lays
// text out in 26.6 fixed point, and a document taller than about 33 million pixels overflows
// it and never finishes its layout (thousands of paragraphs with 22-inch spacing did).
constexpr int kMaxTwips = 14400;           // indents and tab stops: 10 inches
constexpr int kMaxVerticalTwips = 1440;    // space before/after, line spacing: 1 inch
constexpr double kMaxLinePercent = 200.0;  // \slmult line spacing

double TwipsToPixels(int twips) {
    return std::clamp(twips, -kMaxTwips, kMaxTwips) / 15.0;
}

// Sizes are half-points; absurd ones (0, negative, thousands of points) fall back or are cut.
double PointSize(int halfPoints) {
    constexpr int kDefaultHalfPoints = 24;
    constexpr int kMaxHalfPoints = 288;  // 144 points
    if (halfPoints <= 0) {
        halfPoints = kDefaultHalfPoints;
    }
    // Below two points Qt's own derived sizes (superscripts: 2/3, in whole points) are zero.
    constexpr int kMinHalfPoints = 4;
    return std::clamp(halfPoints, kMinHalfPoints, kMaxHalfPoints) / 2.0;
}

// RTF measures tab stops from the page margin; Qt from where the first line starts (left
// margin plus first-line indent). A hanging indent also stops a tab where the other lines
// start, which is where list labels put their text.
QList<QTextOption::Tab> TabStops(const RtfParaState& state) {
    static constexpr QTextOption::TabType kTypes[] = {QTextOption::LeftTab, QTextOption::CenterTab,
                                                      QTextOption::RightTab,
                                                      QTextOption::DelimiterTab};
    const double lineStart = TwipsToPixels(state.leftIndent) + TwipsToPixels(state.firstIndent);
    QList<QTextOption::Tab> tabs;
    if (state.firstIndent < 0) {
        tabs.append(QTextOption::Tab(-TwipsToPixels(state.firstIndent), QTextOption::LeftTab));
    }
    for (int i = 0; i < state.tabCount; ++i) {
        const RtfTabStop& stop = state.tabs[i];
        const double position = TwipsToPixels(stop.position) - lineStart;
        if (position > 0) {
            tabs.append(QTextOption::Tab(position, kTypes[stop.kind & 3],
                                         stop.kind == 3 ? QChar('.') : QChar()));
        }
    }
    std::sort(tabs.begin(), tabs.end(),
              [](const auto& a, const auto& b) { return a.position < b.position; });
    return tabs;
}

}  // namespace

SymbolFont RtfFont::Symbol() const {
    if (symbol_) {
        return *symbol_;
    }
    const SymbolFont symbol = SymbolFontOf(name, charset);
    if (nameComplete) {
        symbol_ = symbol;
    }
    return symbol;
}

const RtfFont* RtfFormatResolver::FontFor(const RtfCharState& state) const {
    int index = state.font;
    if (state.doubleByte && state.assocFont >= 0) {
        index = state.assocFont;
    }
    if (index < 0) {
        index = defaultFont;
    }
    const auto it = fonts.find(index);
    return it == fonts.end() ? nullptr : &it->second;
}

int RtfFormatResolver::CodePageFor(const RtfCharState& state) const {
    if (const RtfFont* font = FontFor(state)) {
        if (font->codePage > 0) {
            return font->codePage;
        }
        if (const int fromCharset = CodePageForCharset(font->charset); fromCharset > 0) {
            return fromCharset;
        }
    }
    return documentCodePage;
}

SymbolFont RtfFormatResolver::SymbolFontFor(const RtfCharState& state) const {
    const RtfFont* font = FontFor(state);
    return font == nullptr ? SymbolFont::None : font->Symbol();
}

int RtfFormatResolver::FontNamed(const QString& name) const {
    for (const auto& [index, font] : fonts) {
        if (font.name.compare(name, Qt::CaseInsensitive) == 0) {
            return index;
        }
    }
    return -1;
}

std::optional<QColor> RtfFormatResolver::Color(int index) const {
    if (index <= 0 || static_cast<std::size_t>(index) >= colors.size() ||
        !colors[index].isValid()) {
        return std::nullopt;
    }
    return colors[index];
}

const QTextCharFormat& RtfFormatResolver::CharFormat(const RtfCharState& state) {
    if (cachedState_ == state) {
        return cachedFormat_;
    }
    QTextCharFormat format;
    // Symbol-charset fonts (Symbol, Wingdings) number their glyphs in their own way; their
    // characters are mapped to Unicode and drawn with an ordinary font instead.
    if (const RtfFont* font = FontFor(state);
        font != nullptr && !font->name.isEmpty() && font->Symbol() == SymbolFont::None) {
        format.setFontFamilies(QStringList{font->name});
        format.setFontStyleHint(font->hint);
    }
    const bool assoc = state.doubleByte;
    const int halfPoints =
        assoc && state.assocHalfPoints > 0 ? state.assocHalfPoints : state.halfPoints;
    format.setFontPointSize(PointSize(halfPoints));
    const bool bold = assoc && state.assocBold >= 0 ? state.assocBold != 0 : state.bold;
    const bool italic = assoc && state.assocItalic >= 0 ? state.assocItalic != 0 : state.italic;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    format.setFontUnderline(state.underline);
    format.setFontStrikeOut(state.strike);
    if (state.caps) {
        format.setFontCapitalization(QFont::AllUppercase);
    } else if (state.smallCaps) {
        format.setFontCapitalization(QFont::SmallCaps);
    }
    if (state.script > 0) {
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    } else if (state.script < 0) {
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    }
    if (const auto color = Color(state.foreground)) {
        format.setForeground(*color);
    }
    if (const auto color = Color(state.background)) {
        format.setBackground(*color);
    }
    cachedState_ = state;
    cachedFormat_ = format;
    return cachedFormat_;
}

QTextBlockFormat RtfFormatResolver::BlockFormat(const RtfParaState& state) const {
    QTextBlockFormat format;
    switch (state.alignment) {
        case RtfAlignment::Left:
            format.setAlignment(Qt::AlignLeft);
            break;
        case RtfAlignment::Center:
            format.setAlignment(Qt::AlignHCenter);
            break;
        case RtfAlignment::Right:
            format.setAlignment(Qt::AlignRight);
            break;
        case RtfAlignment::Justify:
            format.setAlignment(Qt::AlignJustify);
            break;
    }
    format.setLeftMargin(std::max(TwipsToPixels(state.leftIndent), 0.0));
    format.setRightMargin(std::max(TwipsToPixels(state.rightIndent), 0.0));
    format.setTextIndent(TwipsToPixels(state.firstIndent));
    format.setTopMargin(std::clamp(state.spaceBefore, 0, kMaxVerticalTwips) / 15.0);
    format.setBottomMargin(std::clamp(state.spaceAfter, 0, kMaxVerticalTwips) / 15.0);
    if (state.lineSpacing != 0) {
        const int spacing = std::min(std::abs(state.lineSpacing), kMaxVerticalTwips);
        if (state.lineMultiple) {
            // \slN\slmult1: N/240 lines. Some writers put a negative N here for "single".
            format.setLineHeight(std::clamp(spacing * 100.0 / 240.0, 50.0, kMaxLinePercent),
                                 QTextBlockFormat::ProportionalHeight);
        } else if (state.lineSpacing > 0) {
            format.setLineHeight(TwipsToPixels(spacing), QTextBlockFormat::MinimumHeight);
        } else {
            format.setLineHeight(TwipsToPixels(spacing), QTextBlockFormat::FixedHeight);
        }
    }
    format.setTabPositions(TabStops(state));
    return format;
}

}  // namespace ondrel
