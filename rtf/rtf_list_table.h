#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

// Number formats of a list level (\levelnfc); the others are shown as decimal numbers.
enum class RtfNumberFormat : std::uint8_t {
    Decimal,
    UpperRoman,
    LowerRoman,
    UpperLetter,
    LowerLetter,
    DecimalZero,  // 01, 02, ... 10
    Bullet,
    None,
};

RtfNumberFormat NumberFormatFromRtf(int levelnfc);

// One level of a list definition (\listlevel).
struct RtfListLevel {
    static constexpr std::size_t kMaxTemplate = 64;

    RtfNumberFormat format = RtfNumberFormat::Decimal;
    int startAt = 1;
    std::uint8_t follow = 0;  // \levelfollow: 0 tab, 1 space, 2 nothing
    bool noRestart = false;   // \levelnorestart: shallower levels do not restart it
    bool legal = false;       // \levellegal: the numbers of all levels shown as decimals
    // The label with its number places: a unit 0..8 stands for the number of that level.
    std::u16string label;
    std::optional<int> leftIndent;   // \li inside the level, twips
    std::optional<int> firstIndent;  // \fi inside the level, twips
};

// A list definition (\list) and its levels.
struct RtfList {
    static constexpr int kMaxLevels = 9;

    std::array<RtfListLevel, kMaxLevels> levels{};
    int levelCount = 0;
};

// What \lsN names: a list definition and the start values it gives levels anew
// (\lfolevel\listoverridestartat\levelstartatN). Overrides of one list share its counting.
struct RtfListOverride {
    int listId = 0;
    std::array<std::optional<int>, RtfList::kMaxLevels> startAt{};
};

// The document's list definitions and the overrides (\lsN) that paragraphs name, read from
// \listtable and \listoverridetable. Sizes are bounded: extra lists, levels, overrides and
// label characters are read and dropped.
class RtfListTable {
  public:
    static constexpr std::size_t kMaxLists = 256;
    static constexpr std::size_t kMaxOverrides = 1024;

    // \listtable: {\list {\listlevel ... {\leveltext ...}{\levelnumbers ...}} ... \listidN}
    void StartList();
    void SetListId(int id);
    void FinishList();
    // A level of the list being read; null when there is none or the list has all its levels.
    RtfListLevel* StartLevel();
    RtfListLevel* CurrentLevel();
    void AddLevelText(QStringView text);
    void AddLevelNumbers(std::string_view bytes);
    void FinishLevel();

    // \listoverridetable: {\listoverride \listidN {\lfolevel ...} \lsM}
    void StartOverride();
    void SetOverrideListId(int id);
    void SetOverrideNumber(int number);
    void StartOverrideLevel();
    void SetOverrideStartsAnew();
    void SetOverrideStartAt(int value);
    void FinishOverrideLevel();
    void FinishOverride();

    // What \lsN names, and its list; null when either is missing.
    const RtfListOverride* Override(int number) const;
    const RtfList* List(int id) const;

  private:
    std::map<int, RtfList> lists_;              // by \listid
    std::map<int, RtfListOverride> overrides_;  // by \ls number

    std::optional<RtfList> list_;  // being read
    std::optional<int> listId_;
    bool levelOpen_ = false;
    std::u16string levelText_;  // \leveltext as written: length, characters, ';'
    std::string levelNumbers_;  // \levelnumbers: offsets of the number places
    bool levelNumbersSeen_ = false;

    bool overrideOpen_ = false;
    std::optional<int> overrideListId_;
    std::optional<int> overrideNumber_;
    RtfListOverride override_;  // being read
    int overrideLevels_ = 0;    // \lfolevel groups read in it
    bool overrideStartsAnew_ = false;
    std::optional<int> overrideStartAt_;
};

}  // namespace ondrel
