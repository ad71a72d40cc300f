#pragma once

#include <QString>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "rtf/rtf_list_table.h"

namespace ondrel {

// A number as a list level shows it: 3 as "3", "III", "iii", "C", "c" or "03". Numbers a format
// cannot show (roman beyond 3999, letters beyond zz...z) are shown as decimals.
QString FormatListNumber(int value, RtfNumberFormat format);

// The label of one numbered paragraph and the indents its level gives.
struct RtfListLabel {
    QString text;  // number or bullet with what follows it (tab, space); empty for none
    std::optional<int> leftIndent;
    std::optional<int> firstIndent;
};

// Counts the paragraphs of each list and level. The overrides (\lsN) of one list count on
// together (AbiWord gives a nested list an override of its own; Word starts a list anew with an
// override that says so). A paragraph on a level restarts the deeper levels of its list, unless
// they say \levelnorestart.
class RtfListNumbering {
  public:
    // Counts a paragraph of \lsN \ilvlM; nothing when the document defines no such list.
    std::optional<RtfListLabel> Next(const RtfListTable& table, int override, int level);

  private:
    struct Counters {
        std::array<int, RtfList::kMaxLevels> value{};
        std::array<bool, RtfList::kMaxLevels> started{};
    };
    std::map<int, Counters> counters_;  // by \listid; only for lists the table holds
    std::set<int> overridesSeen_;       // overrides whose start values have been applied
};

}  // namespace ondrel
