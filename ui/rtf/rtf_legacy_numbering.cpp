#include "ui/rtf/rtf_legacy_numbering.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "ui/rtf/rtf_list_numbering.h"

namespace ondrel {

namespace {

constexpr int kLevels = 10;
constexpr qsizetype kMaxLabel = 128;

}  // namespace

RtfLegacyNumber* RtfLegacyNumbering::Start(int& index) {
    if (definitions_.size() >= kMaxDefinitions) {
        index = -1;
        return nullptr;
    }
    index = static_cast<int>(definitions_.size());
    return &definitions_.emplace_back();
}

const RtfLegacyNumber* RtfLegacyNumbering::Definition(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= definitions_.size()) {
        return nullptr;
    }
    return &definitions_[static_cast<std::size_t>(index)];
}

RtfLegacyNumber* RtfLegacyNumbering::Mutable(int index) {
    return const_cast<RtfLegacyNumber*>(std::as_const(*this).Definition(index));
}

QString RtfLegacyNumbering::Next(int index) {
    const RtfLegacyNumber* number = Definition(index);
    if (number == nullptr) {
        return {};
    }
    if (runs_.empty()) {
        runs_.resize(kLevels);
        counts_.assign(kLevels, 0);
    }
    const auto level = static_cast<std::size_t>(std::clamp(number->level, 0, kLevels - 1));
    int& count = counts_[level];
    if (count > 0 && runs_[level] == *number) {
        count = count < std::numeric_limits<int>::max() ? count + 1 : count;
    } else {
        runs_[level] = *number;
        count = std::max(number->start, 0);
        // A new run on a level restarts the deeper ones.
        for (std::size_t deeper = level + 1; deeper < counts_.size(); ++deeper) {
            counts_[deeper] = 0;
        }
    }
    QString label = number->before;
    if (number->bullet) {
        if (label.isEmpty()) {
            label = QString(QChar(0x2022));
        }
    } else {
        label += FormatListNumber(count, number->format);
    }
    label += number->after;
    label.truncate(kMaxLabel);
    label += u'\t';
    return label;
}

void RtfLegacyNumbering::Interrupt() {
    std::fill(counts_.begin(), counts_.end(), 0);
}

}  // namespace ondrel
