#include "rtf/rtf_interpreter.h"

#include <algorithm>
#include <utility>

#include "rtf/rtf_properties.h"

namespace ondrel {

namespace {

using K = RtfKeyword;

constexpr int kMaxUnicodeSkip = 16;
constexpr int kMaxListStart = 32767;
constexpr qsizetype kMaxHeldSpace = 64;  // spaces of a list label held until its text
constexpr char16_t kReplacement = 0xFFFD;
constexpr std::size_t kMaxFields = 16;        // fields inside fields
constexpr qsizetype kMaxInstruction = 256;    // what a field's instruction is read of
constexpr std::size_t kMaxPropertyName = 32;  // a shape property's name
constexpr qsizetype kMaxLegacyText = 32;      // text before or after a legacy number

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Characters that would break the document's own structure (paragraph and frame marks,
// object placeholders) or that are not text at all.
QString Sanitized(const QString& text) {
    const auto needsWork = [](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != '\t') || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC;
    };
    if (std::none_of(text.begin(), text.end(), needsWork)) {
        return text;
    }
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != '\t') {
            continue;
        }
        if (u == 0x2029) {
            result.append(QChar(QChar::LineSeparator));
        } else if (needsWork(c)) {
            result.append(QChar(kReplacement));
        } else {
            result.append(c);
        }
    }
    return result;
}

bool IsDestinationWord(RtfKeyword keyword) {
    switch (keyword) {
        case K::FontTable:
        case K::ColorTable:
        case K::SkippedDestination:
        case K::Picture:
        case K::ShapePicture:
        case K::Upr:
        case K::Ud:
        case K::Transparent:
        case K::ListText:
        case K::ListTable:
        case K::List:
        case K::ListLevel:
        case K::LevelText:
        case K::LevelNumbers:
        case K::ListOverrideTable:
        case K::ListOverride:
        case K::ListOverrideLevel:
        case K::Footnote:
        case K::FieldInstruction:
        case K::FormField:
        case K::ShapeInstance:
        case K::ShapeText:
        case K::ShapeProperty:
        case K::ShapePropertyName:
        case K::ShapePropertyValue:
        case K::DrawingObject:
        case K::LegacyNumbering:
        case K::LegacyTextBefore:
        case K::LegacyTextAfter:
            return true;
        default:
            return false;
    }
}

bool IsListDefinition(RtfDestination destination) {
    switch (destination) {
        case RtfDestination::ListTable:
        case RtfDestination::List:
        case RtfDestination::ListLevel:
        case RtfDestination::LevelText:
        case RtfDestination::LevelNumbers:
        case RtfDestination::ListOverrides:
        case RtfDestination::ListOverride:
        case RtfDestination::ListOverrideLevel:
            return true;
        default:
            return false;
    }
}

}  // namespace

RtfInterpreter::RtfInterpreter(QTextDocument* target, const RtfLimits& limits)
    : limits_(limits), builder_(target), pictureBudget_(limits) {
    stack_.reserve(64);
    stack_.emplace_back();
    builder_.SetDefaultTabDistance(720);  // half an inch unless \deftab says otherwise
}

bool RtfInterpreter::InTable() {
    // A note or a text box opens no row of the table around it.
    const RtfGroupState& state = State();
    return state.para.inTable || (rowOpen_ && !state.note && state.boxDepth == 0);
}

RtfDocumentBuilder& RtfInterpreter::Out(bool note) {
    return note && notesBuilder_ ? *notesBuilder_ : builder_;
}

const std::array<bool, 256>* RtfInterpreter::LeadBytes() {
    const RtfGroupState& state = State();
    switch (state.destination) {
        case RtfDestination::Picture:
            return nullptr;
        case RtfDestination::Body:
            return LeadBytesOf(formats_.CodePageFor(state.chars));
        default:
            return LeadBytesOf(formats_.documentCodePage);
    }
}

bool RtfInterpreter::ConsumeFallback() {
    if (fallbackLeft_ > 0) {
        --fallbackLeft_;
        return true;
    }
    return false;
}

void RtfInterpreter::OnGroupStart() {
    FlushBytes();
    fallbackLeft_ = 0;
    ignorableNext_ = false;
    if (stack_.size() < kMaxDepth) {
        RtfGroupState copy = State();
        stack_.push_back(copy);
    } else {
        ++overflowDepth_;
    }
}

void RtfInterpreter::OnGroupEnd() {
    FlushBytes();
    fallbackLeft_ = 0;
    ignorableNext_ = false;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (stack_.size() <= 1) {
        return;  // a stray '}' after the document group: the rest is still read
    }
    ClosingGroup(stack_.back(), stack_[stack_.size() - 2]);
    const RtfDestination closed = State().destination;
    stack_.pop_back();
    while (!fields_.empty() && fields_.back().depth > stack_.size()) {
        FinishField();
    }
    const RtfDestination open = State().destination;
    if (closed == open) {
        return;
    }
    switch (closed) {
        case RtfDestination::LegacyNumbering:
            State().para.legacyNumber = legacyBeingRead_;
            break;
        case RtfDestination::Picture:
            FinishPicture();
            break;
        case RtfDestination::ListLevel:
            lists_.FinishLevel();
            break;
        case RtfDestination::List:
            lists_.FinishList();
            break;
        case RtfDestination::ListOverride:
            lists_.FinishOverride();
            break;
        case RtfDestination::ListOverrideLevel:
            lists_.FinishOverrideLevel();
            break;
        default:
            break;
    }
}

// A footnote or a text box ends with its group; its last paragraph goes where it belongs.
void RtfInterpreter::ClosingGroup(const RtfGroupState& closed, const RtfGroupState& parent) {
    if (closed.boxDepth > parent.boxDepth) {
        FlushPendingSurrogate();
        FlushText();
        Out(closed.note).EndBox();
    }
    if (closed.note && !parent.note) {
        EndFootnote();
    }
}

void RtfInterpreter::OnIgnorableMark() {
    ignorableNext_ = true;
}

void RtfInterpreter::OnHexByte(std::uint8_t value) {
    ignorableNext_ = false;
    if (ConsumeFallback()) {
        return;
    }
    const char byte = static_cast<char>(value);
    AddBytes(std::string_view(&byte, 1));
}

void RtfInterpreter::OnText(std::string_view bytes) {
    ignorableNext_ = false;
    while (!bytes.empty() && fallbackLeft_ > 0) {
        bytes.remove_prefix(1);
        --fallbackLeft_;
    }
    if (bytes.empty()) {
        return;
    }
    switch (State().destination) {
        case RtfDestination::ColorTable:
            AddColorTableText(bytes);
            break;
        case RtfDestination::Picture:
            if (picture_) {
                picture_->AddHexDigits(bytes);
            }
            break;
        default:
            AddBytes(bytes);
            break;
    }
}

void RtfInterpreter::OnBinary(std::string_view bytes) {
    if (bytes.empty()) {
        // The \bin word itself: it may be a skipped fallback; its data is never text.
        ignorableNext_ = false;
        FlushBytes();
        ConsumeFallback();
        return;
    }
    if (State().destination == RtfDestination::Picture && picture_) {
        picture_->AddBinary(bytes);
    }
}

void RtfInterpreter::OnControlSymbol(char symbol) {
    ignorableNext_ = false;
    if (ConsumeFallback()) {
        return;
    }
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        // Escaped syntax characters are text bytes; in double-byte code pages '\\' may also be
        // the trail byte of a character.
        AddBytes(std::string_view(&symbol, 1));
        return;
    }
    FlushBytes();
    switch (symbol) {
        case '~':
            EmitText(QString(QChar(0x00A0)));
            break;
        case '-':
            EmitText(QString(QChar(0x00AD)));
            break;
        case '_':
            EmitText(QString(QChar(0x2011)));
            break;
        default:
            break;  // \| \: and unknown symbols carry nothing we show
    }
}

void RtfInterpreter::OnControlWord(std::string_view word, bool hasParam, std::int32_t param) {
    const bool ignorable = std::exchange(ignorableNext_, false);
    if (ConsumeFallback()) {
        return;
    }
    FlushBytes();
    const RtfKeyword keyword = LookupRtfKeyword(word);
    RtfGroupState& state = State();
    switch (state.destination) {
        case RtfDestination::Skip:
            return;
        case RtfDestination::UprAnsi:
            if (keyword == K::Ud) {
                state.destination = state.uprOuter;
            }
            return;
        default:
            break;
    }
    if (ignorable && !IsDestinationWord(keyword)) {
        state.destination = RtfDestination::Skip;  // an unknown {\*\...} group
        return;
    }
    if (keyword == K::SkippedDestination) {
        state.destination = RtfDestination::Skip;
        return;
    }
    switch (state.destination) {
        case RtfDestination::FontTable:
            ApplyFontTableWord(keyword, word, param);
            return;
        case RtfDestination::ColorTable:
            if (keyword == K::Red || keyword == K::Green || keyword == K::Blue) {
                QColor color = colorEntry_.value_or(QColor(0, 0, 0));
                const int value = std::clamp(param, 0, 255);
                if (keyword == K::Red) {
                    color.setRed(value);
                } else if (keyword == K::Green) {
                    color.setGreen(value);
                } else {
                    color.setBlue(value);
                }
                colorEntry_ = color;
            }
            return;
        case RtfDestination::Picture:
            ApplyPictureWord(keyword, param);
            return;
        case RtfDestination::Shape:
        case RtfDestination::ShapeProperty:
        case RtfDestination::ShapePropertyName:
        case RtfDestination::ShapePropertyValue:
            ApplyShapeWord(keyword);
            return;
        case RtfDestination::FieldInstruction:
        case RtfDestination::FormField:
            ApplyFieldWord(keyword, param);
            return;
        case RtfDestination::LegacyNumbering:
        case RtfDestination::LegacyNumberText:
            ApplyLegacyWord(keyword, word, param);
            return;
        default:
            if (IsListDefinition(state.destination)) {
                ApplyListWord(keyword, hasParam, param);
                return;
            }
            HandleWord(keyword, hasParam, param);
            return;
    }
}

void RtfInterpreter::HandleWord(RtfKeyword keyword, bool hasParam, int param) {
    RtfGroupState& state = State();
    switch (keyword) {
        case K::Ansi:
            formats_.documentCodePage = 1252;
            return;
        case K::Mac:
            formats_.documentCodePage = 10000;
            return;
        case K::Pc:
            formats_.documentCodePage = 437;
            return;
        case K::Pca:
            formats_.documentCodePage = 850;
            return;
        case K::AnsiCodePage:
            if (param > 0) {
                formats_.documentCodePage = param;
            }
            return;
        case K::DefaultFont:
            formats_.defaultFont = param;
            return;
        case K::DefaultTab:
            builder_.SetDefaultTabDistance(param);
            return;
        case K::UnicodeSkip:
            state.unicodeSkip = std::clamp(param, 0, kMaxUnicodeSkip);
            return;
        case K::Unicode:
            EmitUnicode(param);
            fallbackLeft_ = state.unicodeSkip;
            return;
        case K::FontTable:
            state.destination = RtfDestination::FontTable;
            currentFont_ = -1;
            return;
        case K::ColorTable:
            state.destination = RtfDestination::ColorTable;
            colorEntry_.reset();
            return;
        case K::Picture:
            state.destination = RtfDestination::Picture;
            picture_.emplace();
            return;
        case K::Footnote:
            StartFootnote();
            return;
        case K::FootnoteMark:
            ShowFootnoteMark();
            return;
        case K::Field:
            if (fields_.size() < kMaxFields) {
                fields_.emplace_back().depth = stack_.size();
            }
            return;
        case K::FieldInstruction:
            state.destination = !fields_.empty() && fields_.back().depth + 1 == stack_.size()
                                    ? RtfDestination::FieldInstruction
                                    : RtfDestination::Skip;
            return;
        case K::ShapeInstance:
        case K::DrawingObject:
        case K::ShapeProperty:
        case K::ShapeText:
            ApplyShapeWord(keyword);
            return;
        case K::LegacyNumbering:
            state.destination = RtfDestination::LegacyNumbering;
            legacy_.Start(legacyBeingRead_);
            return;
        case K::ListText:
            state.listLabel = true;
            listLabelHasText_ = false;
            listLabelSpace_.clear();
            return;
        case K::ListTable:
            state.destination = RtfDestination::ListTable;
            return;
        case K::ListOverrideTable:
            state.destination = RtfDestination::ListOverrides;
            return;
        case K::Upr:
            state.uprOuter = state.destination;
            state.destination = RtfDestination::UprAnsi;
            return;
        case K::Par:
        case K::Sect:
        case K::Page:
            EndParagraph();
            return;
        case K::Line:
            EmitText(QString(QChar(QChar::LineSeparator)));
            return;
        case K::Tab:
            // A label that is nothing but a tab (numbering whose number is in the text
            // itself) would only push the paragraph to the next tab stop.
            if (!state.listLabel || listLabelHasText_) {
                EmitText(QStringLiteral("\t"));
            }
            return;
        case K::NestCell:
            EmitText(QStringLiteral("\t"));
            return;
        case K::NestRow:
            EmitText(QString(QChar(QChar::LineSeparator)));
            return;
        case K::EmDash:
            EmitText(QString(QChar(0x2014)));
            return;
        case K::EnDash:
            EmitText(QString(QChar(0x2013)));
            return;
        case K::Bullet:
            EmitText(QString(QChar(0x2022)));
            return;
        case K::LeftQuote:
            EmitText(QString(QChar(0x2018)));
            return;
        case K::RightQuote:
            EmitText(QString(QChar(0x2019)));
            return;
        case K::LeftDoubleQuote:
            EmitText(QString(QChar(0x201C)));
            return;
        case K::RightDoubleQuote:
            EmitText(QString(QChar(0x201D)));
            return;
        case K::EmSpace:
            EmitText(QString(QChar(0x2003)));
            return;
        case K::EnSpace:
            EmitText(QString(QChar(0x2002)));
            return;
        case K::QuarterEmSpace:
            EmitText(QString(QChar(0x2005)));
            return;
        case K::ZeroWidthJoiner:
            EmitText(QString(QChar(0x200D)));
            return;
        case K::ZeroWidthNonJoiner:
            EmitText(QString(QChar(0x200C)));
            return;
        case K::Cell:
            if (!InTable()) {
                EmitText(QStringLiteral("\t"));  // a cell mark outside any row: a separator
                return;
            }
            CountListParagraph();
            FlushPendingSurrogate();
            FlushText();
            Out().EndCell(ParagraphFormat());
            ParagraphEnded();
            return;
        case K::Row:
            FlushPendingSurrogate();
            FlushText();
            Out().EndRow();
            rowOpen_ = false;
            return;
        default:
            break;
    }
    if (!ApplyCharacterWord(state.chars, keyword, hasParam, param) &&
        !ApplyParagraphWord(state.para, keyword, hasParam, param)) {
        ApplyTableWord(keyword, param);
    }
}

bool RtfInterpreter::ApplyTableWord(RtfKeyword keyword, int param) {
    if (!row_.Apply(keyword, param, formats_.colors)) {
        return false;
    }
    if (keyword == K::RowDefaults) {
        rowOpen_ = true;
    }
    builder_.SetRowLayout(row_.Layout());
    return true;
}

void RtfInterpreter::ApplyFontTableWord(RtfKeyword keyword, std::string_view word, int param) {
    if (keyword == K::Font) {
        const bool known = formats_.fonts.count(param) > 0;
        if (known || formats_.fonts.size() < RtfFormatResolver::kMaxFonts) {
            formats_.fonts[param] = RtfFont{};
            currentFont_ = param;
        } else {
            currentFont_ = -1;
        }
        return;
    }
    const auto entry = formats_.fonts.find(currentFont_);
    if (entry == formats_.fonts.end()) {
        return;
    }
    RtfFont& font = entry->second;
    switch (keyword) {
        case K::FontCharset:
            font.charset = param;
            break;
        case K::FontCodePage:
            font.codePage = param;
            break;
        case K::FontFamily:
            if (word == "froman") {
                font.hint = QFont::Serif;
            } else if (word == "fswiss") {
                font.hint = QFont::SansSerif;
            } else if (word == "fmodern") {
                font.hint = QFont::TypeWriter;
            } else if (word == "fscript") {
                font.hint = QFont::Cursive;
            } else if (word == "fdecor") {
                font.hint = QFont::Decorative;
            }
            break;
        case K::Unicode:
            if (!font.nameComplete) {
                font.name.append(QChar(static_cast<char16_t>(param & 0xFFFF)));
            }
            fallbackLeft_ = State().unicodeSkip;
            break;
        default:
            break;
    }
}

void RtfInterpreter::ApplyPictureWord(RtfKeyword keyword, int param) {
    if (picture_) {
        picture_->ApplyWord(keyword, param);
    }
}

void RtfInterpreter::ApplyListWord(RtfKeyword keyword, bool hasParam, int param) {
    RtfGroupState& state = State();
    if (keyword == K::UnicodeSkip) {
        state.unicodeSkip = std::clamp(param, 0, kMaxUnicodeSkip);
        return;
    }
    switch (state.destination) {
        case RtfDestination::ListTable:
            if (keyword == K::List) {
                state.destination = RtfDestination::List;
                lists_.StartList();
            }
            return;
        case RtfDestination::List:
            if (keyword == K::ListId) {
                lists_.SetListId(param);
            } else if (keyword == K::ListLevel) {
                state.destination = RtfDestination::ListLevel;
                lists_.StartLevel();
            }
            return;
        case RtfDestination::ListLevel:
            ApplyListLevelWord(keyword, hasParam, param);
            return;
        case RtfDestination::LevelText:
            if (keyword == K::Unicode) {
                const QChar unit(static_cast<char16_t>(param & 0xFFFF));
                lists_.AddLevelText(QStringView(&unit, 1));
                fallbackLeft_ = state.unicodeSkip;
            }
            return;
        case RtfDestination::ListOverrides:
            if (keyword == K::ListOverride) {
                state.destination = RtfDestination::ListOverride;
                lists_.StartOverride();
            }
            return;
        case RtfDestination::ListOverride:
            if (keyword == K::ListId) {
                lists_.SetOverrideListId(param);
            } else if (keyword == K::ListOverrideNumber) {
                lists_.SetOverrideNumber(param);
            } else if (keyword == K::ListOverrideLevel) {
                state.destination = RtfDestination::ListOverrideLevel;
                lists_.StartOverrideLevel();
            }
            return;
        case RtfDestination::ListOverrideLevel:
            if (keyword == K::ListOverrideStartAt) {
                lists_.SetOverrideStartsAnew();
            } else if (keyword == K::LevelStartAt) {
                lists_.SetOverrideStartAt(std::clamp(param, 0, kMaxListStart));
            }
            return;
        default:
            return;
    }
}

void RtfInterpreter::ApplyListLevelWord(RtfKeyword keyword, bool hasParam, int param) {
    RtfListLevel* level = lists_.CurrentLevel();
    if (keyword == K::LevelText || keyword == K::LevelNumbers) {
        State().destination =
            keyword == K::LevelText ? RtfDestination::LevelText : RtfDestination::LevelNumbers;
        return;
    }
    if (level == nullptr) {
        return;
    }
    switch (keyword) {
        case K::LevelFormat:
            level->format = NumberFormatFromRtf(param);
            break;
        case K::LevelStartAt:
            level->startAt = std::clamp(param, 0, kMaxListStart);
            break;
        case K::LevelFollow:
            level->follow = static_cast<std::uint8_t>(param >= 0 && param <= 2 ? param : 0);
            break;
        case K::LevelNoRestart:
            level->noRestart = !hasParam || param != 0;
            break;
        case K::LevelLegal:
            level->legal = !hasParam || param != 0;
            break;
        case K::LeftIndent:
            level->leftIndent = param;
            break;
        case K::FirstIndent:
            level->firstIndent = param;
            break;
        default:
            break;
    }
}

void RtfInterpreter::CountListParagraph() {
    if (paragraph_.counted) {
        return;
    }
    paragraph_.counted = true;
    const RtfGroupState& state = State();
    QString text;
    if (state.para.listOverride >= 0) {
        const auto label = numbering_.Next(lists_, state.para.listOverride, state.para.listLevel);
        if (!label) {
            return;
        }
        paragraph_.leftIndent = label->leftIndent;
        paragraph_.firstIndent = label->firstIndent;
        text = label->text;
    } else if (state.para.legacyNumber >= 0) {
        text = legacy_.Next(state.para.legacyNumber);
    } else {
        legacy_.Interrupt();
        return;
    }
    if (paragraph_.hasListText || text.isEmpty() || state.chars.hidden) {
        return;  // the paragraph's own \listtext is its label
    }
    // The number in the look of the paragraph's text, without lines or shading.
    RtfCharState chars = state.chars;
    chars.underline = false;
    chars.strike = false;
    chars.script = 0;
    chars.background = 0;
    FlushPendingSurrogate();
    FlushText();
    Out().AddText(Sanitized(text), formats_.CharFormat(chars), InTable());
}

void RtfInterpreter::ParagraphEnded() {
    paragraph_ = ParagraphProgress{};
    listLabelSpace_.clear();
}

QTextBlockFormat RtfInterpreter::ParagraphFormat() {
    const RtfParaState& own = State().para;
    if (own.ownIndent || (!paragraph_.leftIndent && !paragraph_.firstIndent)) {
        return formats_.BlockFormat(own);
    }
    RtfParaState para = own;
    para.leftIndent = paragraph_.leftIndent.value_or(para.leftIndent);
    para.firstIndent = paragraph_.firstIndent.value_or(para.firstIndent);
    return formats_.BlockFormat(para);
}

void RtfInterpreter::AddColorTableText(std::string_view bytes) {
    for (const char c : bytes) {
        if (c == ';' && formats_.colors.size() < RtfFormatResolver::kMaxColors) {
            formats_.colors.push_back(colorEntry_.value_or(QColor()));  // none: "auto"
            colorEntry_.reset();
        }
    }
}

// Text is kept where a destination reads it (FlushBytes says what for) and dropped elsewhere.
void RtfInterpreter::AddBytes(std::string_view bytes) {
    switch (State().destination) {
        case RtfDestination::Body:
        case RtfDestination::FontTable:
        case RtfDestination::LevelText:
        case RtfDestination::LevelNumbers:
        case RtfDestination::ShapePropertyName:
        case RtfDestination::FieldInstruction:
        case RtfDestination::LegacyNumberText:
            pendingBytes_.append(bytes);
            break;
        default:
            break;
    }
}

void RtfInterpreter::FlushBytes() {
    if (pendingBytes_.empty()) {
        return;
    }
    const QByteArrayView bytes(pendingBytes_.data(), static_cast<qsizetype>(pendingBytes_.size()));
    if (State().destination == RtfDestination::FontTable) {
        const auto entry = formats_.fonts.find(currentFont_);
        if (entry != formats_.fonts.end() && !entry->second.nameComplete) {
            RtfFont& font = entry->second;
            int codePage = font.codePage > 0 ? font.codePage : CodePageForCharset(font.charset);
            if (codePage <= 0) {
                codePage = formats_.documentCodePage;
            }
            const QString text = decoder_.Decode(codePage, bytes);
            const qsizetype end = text.indexOf(u';');
            font.name.append(end < 0 ? text : text.left(end));
            if (end >= 0) {
                font.name = font.name.trimmed();
                font.nameComplete = true;
            }
        }
    } else if (State().destination == RtfDestination::LevelText) {
        lists_.AddLevelText(decoder_.Decode(formats_.documentCodePage, bytes));
    } else if (State().destination == RtfDestination::LevelNumbers) {
        lists_.AddLevelNumbers(pendingBytes_);
    } else if (State().destination == RtfDestination::Body) {
        const RtfCharState& chars = State().chars;
        const SymbolFont symbol = formats_.SymbolFontFor(chars);
        EmitText(symbol != SymbolFont::None ? DecodeSymbolFont(symbol, bytes)
                                            : decoder_.Decode(formats_.CodePageFor(chars), bytes));
    } else if (State().destination == RtfDestination::ShapePropertyName) {
        shapePropertyName_.append(
            pendingBytes_, 0,
            kMaxPropertyName - std::min(kMaxPropertyName, shapePropertyName_.size()));
    } else if (State().destination == RtfDestination::FieldInstruction) {
        if (!fields_.empty() && fields_.back().instruction.size() < kMaxInstruction) {
            fields_.back().instruction += decoder_.Decode(formats_.documentCodePage, bytes);
        }
    } else if (State().destination == RtfDestination::LegacyNumberText) {
        RtfCharState chars;
        if (const RtfLegacyNumber* number = legacy_.Definition(legacyBeingRead_)) {
            chars.font = number->font;
        }
        const SymbolFont symbol = formats_.SymbolFontFor(chars);
        const QString text = symbol != SymbolFont::None
                                 ? DecodeSymbolFont(symbol, bytes)
                                 : decoder_.Decode(formats_.CodePageFor(chars), bytes);
        if (RtfLegacyNumber* number = legacy_.Mutable(legacyBeingRead_)) {
            QString& target = legacyTextAfter_ ? number->after : number->before;
            target += text.left(kMaxLegacyText - target.size());
        }
    }
    pendingBytes_.clear();
}

void RtfInterpreter::EmitUnicode(std::int32_t value) {
    if (value < 0) {
        value += 0x10000;  // signed 16-bit form used by most writers
    }
    if (value < 0 || value > 0xFFFF) {
        EmitText(QString(QChar(kReplacement)));
        return;
    }
    char16_t unit = static_cast<char16_t>(value);
    if (IsHighSurrogate(unit)) {
        FlushPendingSurrogate();
        pendingHighSurrogate_ = unit;
        return;
    }
    if (IsLowSurrogate(unit)) {
        if (pendingHighSurrogate_ == 0) {
            EmitText(QString(QChar(kReplacement)));
            return;
        }
        const QChar pair[2] = {QChar(pendingHighSurrogate_), QChar(unit)};
        pendingHighSurrogate_ = 0;
        EmitText(QString(pair, 2));
        return;
    }
    unit = SymbolFontCharacter(formats_.SymbolFontFor(State().chars), unit);
    EmitText(QString(QChar(unit)));
}

void RtfInterpreter::FlushPendingSurrogate() {
    if (pendingHighSurrogate_ != 0) {
        pendingHighSurrogate_ = 0;
        AppendOutput(QString(QChar(kReplacement)));  // a high surrogate with no low one
    }
}

void RtfInterpreter::EmitText(const QString& text) {
    FlushPendingSurrogate();
    AppendOutput(text);
}

void RtfInterpreter::AppendOutput(const QString& text) {
    const RtfGroupState& state = State();
    if (state.destination != RtfDestination::Body || state.chars.hidden || text.isEmpty()) {
        return;
    }
    if (!fields_.empty()) {
        fields_.back().shown = true;
    }
    if (!pendingText_.isEmpty() &&
        (pendingTextState_ != state.chars || pendingTextInTable_ != InTable() ||
         pendingTextInNote_ != state.note)) {
        FlushText();
    }
    QString shown = Sanitized(text);
    if (state.listLabel && !listLabelHasText_) {
        // AbiWord writes a \listtext of only spaces and a tab and leaves the number to the list
        // table: such a label is no label, and its spaces are kept only if text follows.
        if (text.trimmed().isEmpty()) {
            if (listLabelSpace_.size() < kMaxHeldSpace) {
                listLabelSpace_.append(shown);
            }
            return;
        }
        listLabelHasText_ = true;
        paragraph_.hasListText = true;
        shown.prepend(std::exchange(listLabelSpace_, QString()));
    }
    if (!state.listLabel && !paragraph_.counted) {
        CountListParagraph();
    }
    if (pendingText_.isEmpty()) {
        pendingTextState_ = state.chars;
        pendingTextInTable_ = InTable();
        pendingTextInNote_ = state.note;
    }
    pendingText_.append(shown);
}

void RtfInterpreter::FlushText() {
    if (pendingText_.isEmpty()) {
        return;
    }
    Out(pendingTextInNote_)
        .AddText(pendingText_, formats_.CharFormat(pendingTextState_), pendingTextInTable_);
    pendingText_.clear();
}

void RtfInterpreter::EndParagraph() {
    CountListParagraph();
    FlushPendingSurrogate();
    FlushText();
    Out().EndParagraph(ParagraphFormat(), InTable());
    ParagraphEnded();
}

void RtfInterpreter::Finish() {
    FlushBytes();
    FlushPendingSurrogate();
    FlushText();
    // A document cut off inside a note: what was read of it is kept (a text box the builder
    // closes itself).
    if (State().note) {
        EndFootnote();
    }
    if (notesBuilder_) {
        notesBuilder_->Finish(QTextBlockFormat());
    }
    builder_.Finish(ParagraphFormat(), notes_.get());
}

void RtfInterpreter::ApplyLegacyWord(RtfKeyword keyword, std::string_view word, int param) {
    RtfLegacyNumber* number = legacy_.Mutable(legacyBeingRead_);
    if (number == nullptr) {
        return;
    }
    switch (keyword) {
        case K::LegacyTextBefore:
        case K::LegacyTextAfter:
            State().destination = RtfDestination::LegacyNumberText;
            legacyTextAfter_ = keyword == K::LegacyTextAfter;
            break;
        case K::Unicode:
            if (State().destination == RtfDestination::LegacyNumberText) {
                QString& target = legacyTextAfter_ ? number->after : number->before;
                if (target.size() < kMaxLegacyText) {
                    target.append(QChar(SymbolFontCharacter(
                        formats_.SymbolFontFor(RtfCharState{.font = number->font}),
                        static_cast<char16_t>(param & 0xFFFF))));
                }
            }
            fallbackLeft_ = State().unicodeSkip;
            break;
        default:
            number->ApplyWord(keyword, word, param);
            break;
    }
}

}  // namespace ondrel
