#pragma once

#include <QString>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rtf/rtf_code_page.h"
#include "rtf/rtf_document_builder.h"
#include "rtf/rtf_formats.h"
#include "rtf/rtf_keywords.h"
#include "rtf/rtf_legacy_numbering.h"
#include "rtf/rtf_limits.h"
#include "rtf/rtf_list_numbering.h"
#include "rtf/rtf_list_table.h"
#include "rtf/rtf_picture.h"
#include "rtf/rtf_picture_budget.h"
#include "rtf/rtf_row_definition.h"
#include "rtf/rtf_state.h"
#include "rtf/rtf_tokenizer.h"

namespace ondrel {

// Gives the tokens their meaning: keeps the group-state stack, the tables and the text still
// to be written, and tells the document builder what to append.
class RtfInterpreter : public RtfTokenSink {
  public:
    // Deeper groups are still read, but share the state of the deepest kept one.
    static constexpr std::size_t kMaxDepth = 512;

    explicit RtfInterpreter(QTextDocument* target, const RtfLimits& limits = {});

    void OnGroupStart() override;
    void OnGroupEnd() override;
    void OnControlWord(std::string_view word, bool hasParam, std::int32_t param) override;
    void OnControlSymbol(char symbol) override;
    void OnIgnorableMark() override;
    void OnHexByte(std::uint8_t value) override;
    void OnText(std::string_view bytes) override;
    void OnBinary(std::string_view bytes) override;
    const std::array<bool, 256>* LeadBytes() override;

    // End of the stream: whatever is still pending is written.
    void Finish();

  private:
    // The paragraph being read: whether it has its own label (\listtext), whether it has been
    // counted in its list, and the indents its list level gives it.
    struct ParagraphProgress {
        bool hasListText = false;
        bool counted = false;
        std::optional<int> leftIndent;
        std::optional<int> firstIndent;
    };
    // A field being read: the depth of its group, its instruction, whether its result showed
    // anything, and a check box's state (\ffres, else \ffdefres).
    struct Field {
        std::size_t depth = 0;
        QString instruction;
        bool shown = false;
        int result = 25;  // 25: not set
        int defaultResult = 0;
    };

    RtfGroupState& State() { return stack_.back(); }
    // Where content goes: the notes while a footnote is read, else the document.
    RtfDocumentBuilder& Out(bool note);
    RtfDocumentBuilder& Out() { return Out(State().note); }
    // Inside a table: \intbl, or between \trowd and \row (WordPad writes no \intbl).
    bool InTable();
    bool ConsumeFallback();
    void AddBytes(std::string_view bytes);
    void FlushBytes();
    void EmitUnicode(std::int32_t value);
    void EmitText(const QString& text);
    void AppendOutput(const QString& text);
    void FlushPendingSurrogate();
    void FlushText();
    void EndParagraph();
    void HandleWord(RtfKeyword keyword, bool hasParam, int param);
    bool ApplyTableWord(RtfKeyword keyword, int param);
    void ApplyFontTableWord(RtfKeyword keyword, std::string_view word, int param);
    void ApplyPictureWord(RtfKeyword keyword, int param);
    void ApplyListWord(RtfKeyword keyword, bool hasParam, int param);
    void ApplyListLevelWord(RtfKeyword keyword, bool hasParam, int param);
    void CountListParagraph();
    void ParagraphEnded();
    QTextBlockFormat ParagraphFormat();
    void AddColorTableText(std::string_view bytes);
    void FinishPicture();
    void ShowPicture(const RtfPicture& picture);
    bool ApplyShapeWord(RtfKeyword keyword);
    void ApplyFieldWord(RtfKeyword keyword, int param);
    void ApplyLegacyWord(RtfKeyword keyword, std::string_view word, int param);
    void StartFootnote();
    void EndFootnote();
    void ShowFootnoteMark();
    void StartTextBox();
    void FinishField();
    void ShowEmptyField(const Field& field);
    void ClosingGroup(const RtfGroupState& closed, const RtfGroupState& parent);

    RtfLimits limits_;
    RtfDocumentBuilder builder_;
    RtfFormatResolver formats_;
    CodePageDecoder decoder_;

    std::vector<RtfGroupState> stack_;
    std::size_t overflowDepth_ = 0;
    bool ignorableNext_ = false;
    bool listLabelHasText_ = false;  // the list label being read has shown some text
    QString listLabelSpace_;         // its spaces before that text
    int fallbackLeft_ = 0;           // characters of a \u fallback still to skip

    std::string pendingBytes_;  // text bytes not yet decoded
    QString pendingText_;       // decoded text not yet written, all in one state
    RtfCharState pendingTextState_;
    bool pendingTextInTable_ = false;
    bool pendingTextInNote_ = false;
    char16_t pendingHighSurrogate_ = 0;

    int currentFont_ = -1;  // font-table entry being read
    std::optional<QColor> colorEntry_;
    std::optional<RtfPicture> picture_;
    RtfPictureBudget pictureBudget_;
    int pictureCount_ = 0;

    RtfListTable lists_;
    RtfListNumbering numbering_;
    ParagraphProgress paragraph_;
    RtfLegacyNumbering legacy_;
    int legacyBeingRead_ = -1;  // the \pn group being read
    bool legacyTextAfter_ = false;

    // Footnotes and endnotes are built apart and follow the body; numbered as \chftn counts.
    std::unique_ptr<QTextDocument> notes_;
    std::unique_ptr<RtfDocumentBuilder> notesBuilder_;
    ParagraphProgress bodyParagraph_;  // the body's paragraph while a note is read
    int footnoteCount_ = 0;
    int footnoteClaimed_ = 0;  // the last number a note has taken
    int noteNumber_ = 0;       // of the note being read; 0 while it has none

    std::vector<Field> fields_;
    std::string shapePropertyName_;  // the \sn of the shape property being read

    RtfRowDefinition row_;
    bool rowOpen_ = false;  // \trowd read, \row not yet
};

}  // namespace ondrel
