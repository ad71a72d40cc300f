#include "rtf/rtf_list_table.h"

#include <algorithm>

namespace ondrel {

namespace {

// \leveltext as written is at most a length unit, 255 characters and ';'.
constexpr std::size_t kMaxLevelTextUnits = 260;

// Bullets of Symbol and Wingdings fonts are private-use characters (\u-3913 is U+F0B7); the
// level's font is not used for the label, so they are given as their Unicode look-alikes.
char16_t MapSymbolBullet(char16_t unit) {
    if (unit < 0xF000 || unit > 0xF0FF) {
        return unit;
    }
    switch (unit & 0xFF) {
        case 0xA7:
            return 0x25AA;  // small black square
        case 0xD8:
            return 0x27A2;  // arrowhead
        case 0xFC:
            return 0x2713;  // check mark
        case 0x76:
            return 0x2756;  // diamond of four
        case 0x6E:
            return 0x25A0;  // black square
        case 0x71:
            return 0x2751;  // shadowed white square
        default:
            return 0x2022;
    }
}

// The label of a level from its \leveltext and \levelnumbers. The text starts with its length;
// \levelnumbers gives the (1-based) places in it that hold level numbers.
std::u16string LevelLabel(const std::u16string& text, const std::string& numbers,
                          bool numbersSeen) {
    if (text.empty()) {
        return {};
    }
    std::u16string body;
    std::size_t first = 1;
    std::size_t length = text.size() - 1;
    if (text[0] >= 0x20) {
        // No length unit (not as written by Word or LibreOffice): the text up to ';'.
        first = 0;
        length = text.size();
    } else {
        length = std::min<std::size_t>(text[0], length);
    }
    body = text.substr(first, length);
    if (first == 0 || length == text.size() - 1) {
        const std::size_t end = body.find(u';');
        if (end != std::u16string::npos) {
            body.resize(end);
        }
    }
    std::array<bool, RtfListLevel::kMaxTemplate> isPlace{};
    for (const char offset : numbers) {
        const auto place = static_cast<unsigned char>(offset);
        if (place >= first && place - first < isPlace.size()) {
            isPlace[place - first] = true;
        }
    }
    std::u16string label;
    for (std::size_t i = 0; i < body.size() && label.size() < RtfListLevel::kMaxTemplate; ++i) {
        const char16_t unit = body[i];
        const bool place = numbersSeen ? i < isPlace.size() && isPlace[i] : true;
        if (unit < RtfList::kMaxLevels && place) {
            label.push_back(unit);
        } else if (unit >= 0x20) {
            label.push_back(MapSymbolBullet(unit));
        }
    }
    return label;
}

}  // namespace

RtfNumberFormat NumberFormatFromRtf(int levelnfc) {
    switch (levelnfc) {
        case 1:
            return RtfNumberFormat::UpperRoman;
        case 2:
            return RtfNumberFormat::LowerRoman;
        case 3:
            return RtfNumberFormat::UpperLetter;
        case 4:
            return RtfNumberFormat::LowerLetter;
        case 22:
            return RtfNumberFormat::DecimalZero;
        case 23:
            return RtfNumberFormat::Bullet;
        case 255:
            return RtfNumberFormat::None;
        default:
            return RtfNumberFormat::Decimal;
    }
}

void RtfListTable::StartList() {
    FinishList();
    list_.emplace();
    listId_.reset();
}

void RtfListTable::SetListId(int id) {
    if (list_) {
        listId_ = id;
    }
}

void RtfListTable::FinishList() {
    FinishLevel();
    if (list_ && listId_ && (lists_.count(*listId_) > 0 || lists_.size() < kMaxLists)) {
        lists_[*listId_] = *list_;
    }
    list_.reset();
    listId_.reset();
}

RtfListLevel* RtfListTable::StartLevel() {
    FinishLevel();
    if (!list_ || list_->levelCount >= RtfList::kMaxLevels) {
        return nullptr;
    }
    list_->levels[list_->levelCount++] = RtfListLevel{};
    levelOpen_ = true;
    levelText_.clear();
    levelNumbers_.clear();
    levelNumbersSeen_ = false;
    return CurrentLevel();
}

RtfListLevel* RtfListTable::CurrentLevel() {
    return list_ && levelOpen_ ? &list_->levels[list_->levelCount - 1] : nullptr;
}

void RtfListTable::AddLevelText(QStringView text) {
    if (!levelOpen_) {
        return;
    }
    const std::size_t room = kMaxLevelTextUnits - std::min(levelText_.size(), kMaxLevelTextUnits);
    const auto count = std::min<std::size_t>(room, static_cast<std::size_t>(text.size()));
    levelText_.append(reinterpret_cast<const char16_t*>(text.utf16()), count);
}

void RtfListTable::AddLevelNumbers(std::string_view bytes) {
    if (!levelOpen_) {
        return;
    }
    levelNumbersSeen_ = true;
    const std::size_t room =
        RtfListLevel::kMaxTemplate - std::min(levelNumbers_.size(), RtfListLevel::kMaxTemplate);
    levelNumbers_.append(bytes.substr(0, room));
}

void RtfListTable::FinishLevel() {
    if (RtfListLevel* level = CurrentLevel()) {
        level->label = LevelLabel(levelText_, levelNumbers_, levelNumbersSeen_);
    }
    levelOpen_ = false;
    levelText_.clear();
    levelNumbers_.clear();
    levelNumbersSeen_ = false;
}

void RtfListTable::StartOverride() {
    FinishOverride();
    overrideOpen_ = true;
    override_ = RtfListOverride{};
    overrideLevels_ = 0;
}

void RtfListTable::SetOverrideListId(int id) {
    if (overrideOpen_) {
        overrideListId_ = id;
    }
}

void RtfListTable::SetOverrideNumber(int number) {
    if (overrideOpen_) {
        overrideNumber_ = number;
    }
}

void RtfListTable::StartOverrideLevel() {
    FinishOverrideLevel();
    if (overrideOpen_) {
        ++overrideLevels_;
    }
}

void RtfListTable::SetOverrideStartsAnew() {
    overrideStartsAnew_ = true;
}

void RtfListTable::SetOverrideStartAt(int value) {
    overrideStartAt_ = value;
}

void RtfListTable::FinishOverrideLevel() {
    const int level = overrideLevels_ - 1;
    if (overrideOpen_ && level >= 0 && level < RtfList::kMaxLevels && overrideStartsAnew_) {
        override_.startAt[level] = overrideStartAt_.value_or(1);
    }
    overrideStartsAnew_ = false;
    overrideStartAt_.reset();
}

void RtfListTable::FinishOverride() {
    FinishOverrideLevel();
    if (overrideOpen_ && overrideListId_ && overrideNumber_ &&
        (overrides_.count(*overrideNumber_) > 0 || overrides_.size() < kMaxOverrides)) {
        override_.listId = *overrideListId_;
        overrides_[*overrideNumber_] = override_;
    }
    overrideOpen_ = false;
    overrideListId_.reset();
    overrideNumber_.reset();
}

const RtfListOverride* RtfListTable::Override(int number) const {
    const auto found = overrides_.find(number);
    return found == overrides_.end() ? nullptr : &found->second;
}

const RtfList* RtfListTable::List(int id) const {
    const auto found = lists_.find(id);
    return found == lists_.end() ? nullptr : &found->second;
}

}  // namespace ondrel
