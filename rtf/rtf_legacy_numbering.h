#pragma once

#include <QString>
#include <string_view>
#include <vector>

#include "rtf/rtf_keywords.h"
#include "rtf/rtf_list_table.h"

namespace ondrel {

// Numbering as Word 95 and WordPad write it, inside the paragraph itself:
// {\pn\pnlvlbody\pndec\pnstart1{\pntxta .}} or {\pn\pnlvlblt\pnf1{\pntxtb \'b7}}.
struct RtfLegacyNumber {
    RtfNumberFormat format = RtfNumberFormat::Decimal;
    bool bullet = false;  // \pnlvlblt
    int level = 0;        // \pnlvlN; 0 for body text and bullets
    int start = 1;
    int font = -1;  // \pnf: the font of the texts before and after the number
    QString before;
    QString after;

    // \pnlvlbody, \pnlvlblt, \pnlvlN, \pndec and the other formats, \pnstart, \pnf.
    void ApplyWord(RtfKeyword keyword, std::string_view word, int param);

    bool operator==(const RtfLegacyNumber&) const = default;
};

// The legacy numberings a document defines, and the count of the paragraphs that follow one.
// Consecutive paragraphs with the same numbering count on; a paragraph with another numbering,
// or none, ends the run.
class RtfLegacyNumbering {
  public:
    static constexpr std::size_t kMaxDefinitions = 1024;

    // A definition being read: where its words go. Null once the document has too many.
    RtfLegacyNumber* Start(int& index);
    const RtfLegacyNumber* Definition(int index) const;
    RtfLegacyNumber* Mutable(int index);

    // The label of a paragraph numbered by the definition (number or bullet, then a tab).
    QString Next(int index);
    // A paragraph without legacy numbering ends the run.
    void Interrupt();

  private:
    std::vector<RtfLegacyNumber> definitions_;
    std::vector<RtfLegacyNumber> runs_;  // by level 0..9: the numbering counting and its count
    std::vector<int> counts_;
};

}  // namespace ondrel
