// What the text of an agreement holds besides its runs and paragraphs: footnotes, text boxes
// and shapes, fields whose result the reader makes itself, and pictures.

#include <algorithm>
#include <utility>

#include "rtf/rtf_fields.h"
#include "rtf/rtf_interpreter.h"
#include "rtf/rtf_metafile.h"
#include "rtf/rtf_picture_content.h"

namespace ondrel {

namespace {

using K = RtfKeyword;

constexpr qsizetype kMaxInstruction = 256;    // what a field's instruction is read of
constexpr QSize kDefaultPictureSize(64, 64);  // a picture that declares no size

}  // namespace

void RtfInterpreter::StartFootnote() {
    RtfGroupState& state = State();
    if (state.note) {
        return;  // a note inside a note is part of it
    }
    FlushPendingSurrogate();
    FlushText();
    if (!notes_) {
        notes_ = std::make_unique<QTextDocument>();
        notes_->setUndoRedoEnabled(false);
        // Pictures of the notes are kept by the document that shows them.
        notesBuilder_ = std::make_unique<RtfDocumentBuilder>(notes_.get(), builder_.Document(),
                                                             QStringLiteral("rtf-note-image-"));
    }
    // The note takes the number of the \chftn before it; a note with a mark of the writer's own
    // ("*") takes none, unless it shows \chftn itself.
    noteNumber_ = footnoteClaimed_ < footnoteCount_ ? footnoteCount_ : 0;
    footnoteClaimed_ = footnoteCount_;
    state.note = true;
    bodyParagraph_ = std::exchange(paragraph_, ParagraphProgress{});
}

void RtfInterpreter::EndFootnote() {
    FlushPendingSurrogate();
    FlushText();
    if (notesBuilder_ && notesBuilder_->ParagraphOpen()) {
        notesBuilder_->EndParagraph(ParagraphFormat(), false);
    }
    paragraph_ = bodyParagraph_;
}

void RtfInterpreter::ShowFootnoteMark() {
    if (!State().note) {
        ++footnoteCount_;
        EmitText(QString::number(footnoteCount_));
    } else {
        if (noteNumber_ == 0) {
            noteNumber_ = ++footnoteCount_;
            footnoteClaimed_ = footnoteCount_;
        }
        EmitText(QString::number(noteNumber_));
    }
}

void RtfInterpreter::StartTextBox() {
    RtfGroupState& state = State();
    state.destination = RtfDestination::Body;
    FlushPendingSurrogate();
    FlushText();
    if (Out().StartBox(InTable())) {
        ++state.boxDepth;
    }
}

bool RtfInterpreter::ApplyShapeWord(RtfKeyword keyword) {
    RtfGroupState& state = State();
    switch (keyword) {
        case K::ShapeInstance:
        case K::DrawingObject:
            state.destination = RtfDestination::Shape;
            return true;
        case K::ShapeText:
            StartTextBox();
            return true;
        case K::ShapeProperty:
            state.destination = RtfDestination::ShapeProperty;
            return true;
        case K::ShapePropertyName:
            if (state.destination == RtfDestination::ShapeProperty) {
                state.destination = RtfDestination::ShapePropertyName;
                shapePropertyName_.clear();
            }
            return true;
        case K::ShapePropertyValue:
            if (state.destination == RtfDestination::ShapeProperty) {
                state.destination = RtfDestination::ShapePropertyValue;
            }
            return true;
        case K::Picture:
            if (state.destination == RtfDestination::ShapePropertyValue) {
                state.destination = RtfDestination::Picture;
                picture_.emplace();
            }
            return true;
        default:
            return false;
    }
}

void RtfInterpreter::ApplyFieldWord(RtfKeyword keyword, int param) {
    if (fields_.empty()) {
        return;
    }
    Field& field = fields_.back();
    switch (keyword) {
        case K::FormField:
            State().destination = RtfDestination::FormField;
            break;
        case K::FormFieldResult:
            field.result = param;
            break;
        case K::FormFieldDefault:
            field.defaultResult = param;
            break;
        case K::Unicode:
            if (State().destination == RtfDestination::FieldInstruction &&
                field.instruction.size() < kMaxInstruction) {
                field.instruction.append(QChar(static_cast<char16_t>(param & 0xFFFF)));
            }
            fallbackLeft_ = State().unicodeSkip;
            break;
        default:
            break;
    }
}

void RtfInterpreter::FinishField() {
    const Field field = std::move(fields_.back());
    fields_.pop_back();
    if (field.shown) {
        if (!fields_.empty()) {
            fields_.back().shown = true;
        }
        return;
    }
    ShowEmptyField(field);
}

// Word writes no result for a symbol or a check box; the view makes it from the instruction.
void RtfInterpreter::ShowEmptyField(const Field& field) {
    if (IsCheckBoxField(field.instruction)) {
        const int value = field.result != 25 ? field.result : field.defaultResult;
        EmitText(QString(QChar(value == 1 ? 0x2612 : 0x2610)));
        return;
    }
    const auto symbol = ParseSymbolField(field.instruction);
    if (!symbol) {
        return;
    }
    RtfCharState& chars = State().chars;
    const RtfCharState around = chars;
    const int font = symbol->font.isEmpty() ? -1 : formats_.FontNamed(symbol->font);
    if (font >= 0) {
        chars.font = font;
        chars.doubleByte = false;
    }
    SymbolFont symbolFont = SymbolFontOf(symbol->font, -1);
    if (symbolFont == SymbolFont::None && symbol->font.isEmpty()) {
        symbolFont = formats_.SymbolFontFor(chars);
    }
    QString text;
    if (symbolFont != SymbolFont::None) {
        text = QChar(SymbolFontCharacter(symbolFont, static_cast<char16_t>(symbol->code)));
    } else if (symbol->unicode || symbol->code > 0xFF) {
        text = QChar(static_cast<char16_t>(symbol->code));
    } else {
        const char byte = static_cast<char>(symbol->code);
        text = decoder_.Decode(formats_.CodePageFor(chars), QByteArrayView(&byte, 1));
    }
    EmitText(text);
    chars = around;
}

void RtfInterpreter::FinishPicture() {
    if (!picture_) {
        return;
    }
    const RtfPicture picture = std::move(*picture_);
    picture_.reset();
    const RtfDestination destination = State().destination;
    // A shape's picture is its "pib" property; the shape's other pictures are not its look.
    if (destination == RtfDestination::Body ||
        (destination == RtfDestination::ShapePropertyValue && shapePropertyName_ == "pib")) {
        ShowPicture(picture);
    }
}

void RtfInterpreter::ShowPicture(const RtfPicture& picture) {
    const int number = ++pictureCount_;
    const bool inTable = InTable();
    QSizeF size = picture.DisplaySize();
    const auto place = [&](auto&& add) {
        CountListParagraph();
        FlushPendingSurrogate();
        FlushText();
        add(Out());
    };
    const auto placeholder = [&] {
        place([&](RtfDocumentBuilder& out) {
            out.AddPlaceholder(size.isEmpty() ? QSizeF(kDefaultPictureSize) : size, inTable);
        });
    };
    if (picture.TooLarge()) {
        RtfPictureBudget::LeaveOutData(number, RtfPicture::kMaxBytes);
        placeholder();
        return;
    }
    const RtfPictureContent content = IdentifyPicture(picture.Data(), picture.kind);
    switch (content.format) {
        case RtfPictureContent::Format::Image:
            if (!pictureBudget_.Take(number, content.pixels)) {
                if (size.isEmpty()) {
                    size = QSizeF(content.pixels.boundedTo(QSize(2000, 2000)));
                }
                placeholder();
                return;
            }
            place([&](RtfDocumentBuilder& out) { out.AddImage(content.data, size, inTable); });
            return;
        case RtfPictureContent::Format::Wmf:
        case RtfPictureContent::Format::Emf: {
            const QSize pixels = size.isEmpty() ? kDefaultPictureSize : size.toSize();
            if (pictureBudget_.Take(number, pixels)) {
                const QImage image = RenderMetafile(
                    content.data, content.format == RtfPictureContent::Format::Emf, pixels);
                if (!image.isNull()) {
                    place([&](RtfDocumentBuilder& out) { out.AddImage(image, size, inTable); });
                    return;
                }
                pictureBudget_.GiveBack(pixels);
            }
            placeholder();
            return;
        }
        case RtfPictureContent::Format::None:
            // Data the view cannot draw keeps its place where its kind or size is known.
            if (picture.IsMetafileKind() || picture.kind == RtfPicture::Kind::Other ||
                !size.isEmpty()) {
                placeholder();
            }
            return;
    }
}

}  // namespace ondrel
