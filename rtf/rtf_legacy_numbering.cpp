#include "rtf/rtf_legacy_numbering.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "rtf/rtf_list_numbering.h"

namespace ondrel {

namespace {

constexpr int kLevels = 10;
constexpr qsizetype kMaxLabel = 128;
constexpr int kMaxStart = 32767;

RtfNumberFormat LegacyFormat(std::string_view word) {
    if (word == "pnucltr") {
        return RtfNumberFormat::UpperLetter;
    }
    if (word == "pnlcltr") {
        return RtfNumberFormat::LowerLetter;
    }
    if (word == "pnucrm") {
        return RtfNumberFormat::UpperRoman;
    }
    if (word == "pnlcrm") {
        return RtfNumberFormat::LowerRoman;
    }
    return RtfNumberFormat::Decimal;  // \pndec, and the spelt-out \pncard and \pnord
}

}  // namespace

void RtfLegacyNumber::ApplyWord(RtfKeyword keyword, std::string_view word, int param) {
    switch (keyword) {
        case RtfKeyword::LegacyLevelBody:
        case RtfKeyword::LegacyLevelBullet:
            level = 0;
            bullet = keyword == RtfKeyword::LegacyLevelBullet;
            break;
        case RtfKeyword::LegacyLevel:
            level = std::clamp(param, 1, 9);
            break;
        case RtfKeyword::LegacyFormat:
            format = LegacyFormat(word);
            break;
        case RtfKeyword::LegacyStart:
            start = std::clamp(param, 0, kMaxStart);
            break;
        case RtfKeyword::LegacyFont:
            font = param;
            break;
        default:
            break;
    }
}

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
