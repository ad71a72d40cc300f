#include "rtf/rtf_properties.h"

#include <algorithm>

#include "rtf/rtf_list_table.h"

namespace ondrel {

namespace {

using K = RtfKeyword;

// A toggle word without a number, or with one other than 0, switches the property on.
bool On(bool hasParam, int param) {
    return !hasParam || param != 0;
}

}  // namespace

bool ApplyCharacterWord(RtfCharState& chars, RtfKeyword keyword, bool hasParam, int param) {
    switch (keyword) {
        case K::Plain:
            chars = RtfCharState{};
            break;
        case K::Font:
            chars.font = hasParam ? param : 0;
            break;
        case K::FontSize:
            chars.halfPoints = hasParam ? param : 24;
            break;
        case K::Bold:
            chars.bold = On(hasParam, param);
            break;
        case K::Italic:
            chars.italic = On(hasParam, param);
            break;
        case K::Underline:
            chars.underline = On(hasParam, param);
            break;
        case K::UnderlineNone:
            chars.underline = false;
            break;
        case K::Strike:
            chars.strike = On(hasParam, param);
            break;
        case K::Superscript:
            chars.script = 1;
            break;
        case K::Subscript:
            chars.script = -1;
            break;
        case K::NoSuperSub:
            chars.script = 0;
            break;
        case K::Hidden:
            chars.hidden = On(hasParam, param);
            break;
        case K::Caps:
            chars.caps = On(hasParam, param);
            break;
        case K::SmallCaps:
            chars.smallCaps = On(hasParam, param);
            break;
        case K::Foreground:
            chars.foreground = param;
            break;
        case K::Background:
        case K::Highlight:
            chars.background = param;
            break;
        case K::Loch:
        case K::Hich:
        case K::Rtlch:
        case K::Ltrch:
            chars.doubleByte = false;
            break;
        case K::Dbch:
            chars.doubleByte = true;
            break;
        // Associated properties count only for double-byte text; after \rtlch they describe
        // right-to-left text, which these documents do not hold.
        case K::AssocFont:
            if (chars.doubleByte) {
                chars.assocFont = param;
            }
            break;
        case K::AssocFontSize:
            if (chars.doubleByte) {
                chars.assocHalfPoints = param;
            }
            break;
        case K::AssocBold:
            if (chars.doubleByte) {
                chars.assocBold = On(hasParam, param) ? 1 : 0;
            }
            break;
        case K::AssocItalic:
            if (chars.doubleByte) {
                chars.assocItalic = On(hasParam, param) ? 1 : 0;
            }
            break;
        default:
            return false;
    }
    return true;
}

bool ApplyParagraphWord(RtfParaState& para, RtfKeyword keyword, bool hasParam, int param) {
    switch (keyword) {
        case K::Pard:
            para = RtfParaState{};
            break;
        case K::AlignLeft:
            para.alignment = RtfAlignment::Left;
            break;
        case K::AlignCenter:
            para.alignment = RtfAlignment::Center;
            break;
        case K::AlignRight:
            para.alignment = RtfAlignment::Right;
            break;
        case K::AlignJustify:
            para.alignment = RtfAlignment::Justify;
            break;
        case K::LeftIndent:
            para.leftIndent = param;
            para.ownIndent = true;
            break;
        case K::RightIndent:
            para.rightIndent = param;
            break;
        case K::FirstIndent:
            para.firstIndent = param;
            para.ownIndent = true;
            break;
        case K::ListOverrideNumber:
            para.listOverride = std::max(param, 0);
            break;
        case K::ParagraphListLevel:
            para.listLevel = std::clamp(param, 0, RtfList::kMaxLevels - 1);
            break;
        case K::SpaceBefore:
            para.spaceBefore = param;
            break;
        case K::SpaceAfter:
            para.spaceAfter = param;
            break;
        case K::LineSpacing:
            para.lineSpacing = param;
            break;
        case K::LineMultiple:
            para.lineMultiple = On(hasParam, param);
            break;
        case K::InTable:
            para.inTable = On(hasParam, param);
            break;
        case K::TabRight:
            para.nextTabKind = 2;
            break;
        case K::TabCenter:
            para.nextTabKind = 1;
            break;
        case K::TabDecimal:
            para.nextTabKind = 3;
            break;
        case K::TabStop:
            if (para.tabCount < RtfParaState::kMaxTabs) {
                para.tabs[para.tabCount++] = RtfTabStop{param, para.nextTabKind};
            }
            para.nextTabKind = 0;
            break;
        default:
            return false;
    }
    return true;
}

}  // namespace ondrel
