#include "rtf/rtf_list_numbering.h"

#include <algorithm>
#include <limits>

namespace ondrel {

namespace {

constexpr int kMaxRoman = 3999;
constexpr int kMaxLetterRepeats = 8;  // "aaaaaaaa" is item 183; beyond it decimals
constexpr qsizetype kMaxLabel = 128;

QString Roman(int value) {
    static constexpr struct {
        int value;
        const char* digits;
    } kDigits[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"},
                   {90, "XC"},  {50, "L"},   {40, "XL"}, {10, "X"},   {9, "IX"},
                   {5, "V"},    {4, "IV"},   {1, "I"}};
    QString text;
    for (const auto& digit : kDigits) {
        for (; value >= digit.value; value -= digit.value) {
            text += QLatin1String(digit.digits);
        }
    }
    return text;
}

}  // namespace

QString FormatListNumber(int value, RtfNumberFormat format) {
    switch (format) {
        case RtfNumberFormat::UpperRoman:
        case RtfNumberFormat::LowerRoman:
            if (value >= 1 && value <= kMaxRoman) {
                const QString text = Roman(value);
                return format == RtfNumberFormat::UpperRoman ? text : text.toLower();
            }
            break;
        case RtfNumberFormat::UpperLetter:
        case RtfNumberFormat::LowerLetter:
            // Word's letters: a ... z, then aa ... zz, aaa ...
            if (value >= 1 && (value - 1) / 26 < kMaxLetterRepeats) {
                const char first = format == RtfNumberFormat::UpperLetter ? 'A' : 'a';
                return QString((value - 1) / 26 + 1, QChar(first + (value - 1) % 26));
            }
            break;
        case RtfNumberFormat::DecimalZero:
            if (value >= 0 && value < 10) {
                return QStringLiteral("0%1").arg(value);
            }
            break;
        case RtfNumberFormat::Bullet:
        case RtfNumberFormat::None:
            return {};
        case RtfNumberFormat::Decimal:
            break;
    }
    return QString::number(value);
}

std::optional<RtfListLabel> RtfListNumbering::Next(const RtfListTable& table, int override,
                                                   int level) {
    const RtfListOverride* named = table.Override(override);
    const RtfList* list = named != nullptr ? table.List(named->listId) : nullptr;
    if (list == nullptr || list->levelCount == 0) {
        return std::nullopt;
    }
    level = std::clamp(level, 0, list->levelCount - 1);
    Counters& counters = counters_[named->listId];
    if (overridesSeen_.insert(override).second) {
        for (int i = 0; i < RtfList::kMaxLevels; ++i) {
            if (named->startAt[i]) {
                counters.started[i] = false;  // this override starts the level anew
            }
        }
    }
    const RtfListLevel& own = list->levels[level];
    if (counters.started[level]) {
        counters.value[level] = counters.value[level] < std::numeric_limits<int>::max()
                                    ? counters.value[level] + 1
                                    : counters.value[level];
    } else {
        counters.value[level] = named->startAt[level].value_or(own.startAt);
        counters.started[level] = true;
    }
    for (int deeper = level + 1; deeper < list->levelCount; ++deeper) {
        if (!list->levels[deeper].noRestart) {
            counters.started[deeper] = false;
        }
    }

    RtfListLabel label;
    label.leftIndent = own.leftIndent;
    label.firstIndent = own.firstIndent;
    if (own.format == RtfNumberFormat::None) {
        return label;
    }
    for (const char16_t unit : own.label) {
        if (unit < RtfList::kMaxLevels) {
            // The number of another level: as far as it has counted, in its own format.
            if (unit >= list->levelCount) {
                continue;
            }
            const RtfListLevel& shown = list->levels[unit];
            const int value = counters.started[unit] ? counters.value[unit]
                                                     : named->startAt[unit].value_or(shown.startAt);
            const RtfNumberFormat format = own.legal && shown.format != RtfNumberFormat::None
                                               ? RtfNumberFormat::Decimal
                                               : shown.format;
            label.text += FormatListNumber(value, format);
        } else {
            label.text += QChar(unit);
        }
    }
    if (label.text.isEmpty() && own.format == RtfNumberFormat::Bullet) {
        label.text = QString(QChar(0x2022));
    }
    label.text.truncate(kMaxLabel);
    if (!label.text.isEmpty()) {
        if (own.follow == 0) {
            label.text += u'\t';
        } else if (own.follow == 1) {
            label.text += u' ';
        }
    }
    return label;
}

}  // namespace ondrel
