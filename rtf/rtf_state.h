#pragma once

#include <array>
#include <cstdint>

namespace ondrel {

// What the text of a group is for.
enum class RtfDestination : std::uint8_t {
    Body,        // shown
    Skip,        // read and dropped: unknown {\*\...} groups, \info, \stylesheet, ...
    FontTable,   // \fonttbl entries
    ColorTable,  // \colortbl entries
    Picture,     // \pict: properties and hex data
    UprAnsi,     // the ANSI half of \upr, shown only through its \ud half
    // List definitions: \listtable, a \list in it, a \listlevel, its \leveltext and
    // \levelnumbers; \listoverridetable, a \listoverride in it and its \lfolevel.
    ListTable,
    List,
    ListLevel,
    LevelText,
    LevelNumbers,
    ListOverrides,
    ListOverride,
    ListOverrideLevel,
    // Shapes: the instance and its properties are not shown, only its text box and picture.
    Shape,
    ShapeProperty,
    ShapePropertyName,
    ShapePropertyValue,
    // A field's instruction (read for fields whose result is empty) and its form field.
    FieldInstruction,
    FormField,
    // Legacy numbering (\pn) and its text before and after the number.
    LegacyNumbering,
    LegacyNumberText,
};

// Character properties as the control words set them. Indexes refer to the font and colour
// tables; -1 is "not set". Compared as a whole to tell when a new text run starts.
struct RtfCharState {
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::int8_t script = 0;  // 1 superscript, -1 subscript
    bool hidden = false;
    bool caps = false;
    bool smallCaps = false;
    int foreground = 0;
    int background = 0;
    // Associated properties for double-byte text (\af \afs \ab \ai after \dbch); they apply
    // while text is marked as double-byte.
    bool doubleByte = false;
    int assocFont = -1;
    int assocHalfPoints = -1;
    std::int8_t assocBold = -1;
    std::int8_t assocItalic = -1;

    bool operator==(const RtfCharState&) const = default;
};

enum class RtfAlignment : std::uint8_t { Left, Center, Right, Justify };

struct RtfTabStop {
    int position = 0;       // twips
    std::uint8_t kind = 0;  // 0 left, 1 centre, 2 right, 3 decimal
};

// Paragraph properties; lengths in twips.
struct RtfParaState {
    static constexpr int kMaxTabs = 16;

    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;  // \sl: 0 single, > 0 at least (or a multiple), < 0 exactly
    bool lineMultiple = false;
    bool inTable = false;
    int tabCount = 0;
    std::array<RtfTabStop, kMaxTabs> tabs{};
    std::uint8_t nextTabKind = 0;
    bool ownIndent = false;  // \li or \fi given: a list level's indents do not apply
    int listOverride = -1;   // \lsN: the paragraph is numbered by that list override
    int listLevel = 0;       // \ilvlN
    int legacyNumber = -1;   // \pn: the paragraph's legacy numbering (an index of the reader's)
};

// Everything a group inherits from its parent and drops at its end.
struct RtfGroupState {
    RtfCharState chars;
    RtfParaState para;
    RtfDestination destination = RtfDestination::Body;
    RtfDestination uprOuter = RtfDestination::Body;  // where \ud sends the text inside \upr
    int unicodeSkip = 1;                             // \ucN
    bool listLabel = false;                          // inside {\listtext} or {\pntext}
    bool note = false;                               // inside a footnote or endnote
    std::uint8_t boxDepth = 0;                       // text boxes this group is inside
};

}  // namespace ondrel
