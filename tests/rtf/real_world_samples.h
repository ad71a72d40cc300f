#pragma once

// Small RTF files written as the writers of real agreements write them (Word, WordPad, Word 95,
// LibreOffice, pandoc, TextEdit), one for each construct the terms view must show.

#include <string_view>

namespace ondrel::test {

// Word: each reference mark is \chftn, followed by its note; the note repeats the mark.
inline constexpr std::string_view kWordFootnotes =
    R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\froman Times New Roman;}})"
    "\n"
    R"({\*\ftnsep \pard\plain \chftnsep\par})"
    "\n"
    R"(\pard\plain\f0\fs24 Visitors keep their badge in sight.{\cs15\super \chftn)"
    R"({\footnote \pard\plain\f0\fs20 {\cs15\super \chftn} Badges go back to the front desk.}})"
    R"( Photographs need a permit.{\cs15\super \chftn)"
    R"({\footnote \pard\plain\f0\fs20 {\cs15\super \chftn} The receptionist has the form.}}\par)"
    "\n"
    R"(\pard The end of the terms.\par})";

// pandoc: the mark and the note side by side, the note marked \*.
inline constexpr std::string_view kPandocFootnote =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 Helvetica;}})"
    R"({\pard \ql \f0 \sa180 Escorts are required{\super\chftn}{\*\footnote\chftn\~\plain\pard)"
    R"( \ql \f0 \sa180 Except in the lobby.\par} everywhere.\par}})";

// WordPad and Word 95: numbers and bullets only in {\pn}; one paragraph with its own {\pntext}.
inline constexpr std::string_view kWordPadLegacyList =
    R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman\fcharset2 Symbol;})"
    R"({\f2\fnil Symbol;}})"
    "\n"
    R"(\pard\f0\fs20 House rules:\par)"
    "\n"
    R"(\pard{\*\pn\pnlvlbody\pnf0\pnindent360\pnstart1\pndec{\pntxta.}}\fi-360\li360 )"
    R"(Register at the desk.\par Wear the badge.\par Leave by six.\par)"
    "\n"
    R"(\pard{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'b7}}\fi-360\li360 No photographs.\par)"
    R"( No food in the laboratories.\par)"
    "\n"
    R"(\pard{\pntext\f2\'b7\tab}{\*\pn\pnlvlblt\pnf2\pnindent0{\pntxtb\'b7}}\fi-360\li360 )"
    R"(A bullet of its own.\par)"
    "\n"
    R"(\pard{\*\pn\pnlvl1\pnucrm\pnstart4{\pntxtb(}{\pntxta)}}\fi-360\li360 Fourth.\par Fifth.\par)"
    "\n"
    R"(\pard Signed below.\par})";

// Word: a nested table with its stand-in for readers without nested tables.
inline constexpr std::string_view kNestedTable =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}})"
    R"(\trowd\cellx4000\pard\intbl Outer cell\par)"
    R"(\pard\intbl\itap2 Inner cell\nestcell{\*\nesttableprops\trowd\cellx2000\nestrow})"
    R"({\nonesttables\par Inner cell\par}\pard\intbl\cell\row\pard After the table.\par})";

// Word: headings in small letters shown as capitals.
inline constexpr std::string_view kCaps =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}{\b\caps terms of the visit}\par)"
    R"({\scaps Small capitals}\par Plain\par})";

// Word 97 and later: a text box as a shape, with its look for older readers in \shprslt;
// shape properties standing outside the shape instance; a Word 95 drawing object's text box.
inline constexpr std::string_view kTextBoxes =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}})"
    "\n"
    R"(\pard\f0\fs22 Before the box.\par)"
    "\n"
    R"(\pard{\shp{\*\shpinst\shpleft0\shptop0\shpright4000\shpbottom900\shpwr3\shpz0)"
    R"({\sp{\sn shapeType}{\sv 202}}{\sp{\sn fFilled}{\sv 0}}{\sp{\sn lTxid}{\sv 65536}})"
    R"({\shptxt \pard\plain\f0\fs22\b Visitors' Wi-Fi\b0\par Network XH-Guest\par}})"
    R"({\shprslt{\*\do\dobxcolumn\dobypara\dodhgt8192\dptxbx{\dptxbxtext\pard Visitors' Wi-Fi)"
    R"(\par Network XH-Guest\par}\dpx0\dpy0\dpxsize4000\dpysize900}}})"
    "\n"
    R"(\pard After the box.{\sp{\sn fFilled}{\sv 0}}{\sp{\sn fFilled}{\sv 0}}\par)"
    "\n"
    R"(\pard{\*\do\dobxcolumn\dobypara\dodhgt8193\dptxbx\dptxlrtb{\dptxbxtext\pard Old box.\par})"
    R"(\dpx0\dpy0\dpxsize2000\dpysize800\dpfillfgcr255}Last line.\par})";

// GBK, Big5 and Shift_JIS written raw: trail bytes 0x5C, 0x7B and 0x7D unescaped.
inline constexpr std::string_view kRawGbk =
    "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0 "
    "[\x81\x5c][{\\b \x81\x7d}]\x81\x7b"
    "after\\par}";
inline constexpr std::string_view kRawBig5 =
    "{\\rtf1\\ansi\\ansicpg950 \xb3\x5c\xa5\x7b"
    "}";
inline constexpr std::string_view kRawShiftJis =
    "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset128 MS Mincho;}}"
    "\\f0 a{\\f1 \x83\x5c\x95\x5c}b}";

// TextEdit and Word for the Mac: Mac Roman, Mac Japanese and the Mac charsets.
inline constexpr std::string_view kMacRoman =
    R"({\rtf1\mac\deff0 caf\'8e cr\'8fme \'a5 \'d2q\'d3})";
inline constexpr std::string_view kMacJapanese =
    R"({\rtf1\ansi\ansicpg10001\deff0 \'82\'a0\'83\'65})";
inline constexpr std::string_view kMacCharsets =
    R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset77 Geneva;}{\f1\fcharset80 STSong;})"
    R"({\f2\fcharset81 LiSong;}{\f3\fcharset78 Osaka;}{\f4\fcharset79 AppleGothic;}})"
    R"(\f0 \'8e {\f1 \'b7\'c3} {\f2 \'b3\'58} {\f3 \'83\'65} {\f4 \'c7\'d1}})";

// Word: SYMBOL fields and check boxes, whose cached result is empty.
inline constexpr std::string_view kEmptyFields =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1\fcharset2 Wingdings;}})"
    R"([{\field{\*\fldinst SYMBOL 183 \\f "Symbol" \\s 10}{\fldrslt }}])"
    R"([{\field{\*\fldinst {\insrsid SYMBOL 252 \\f "Wingdings" \\s 12}}{\fldrslt }}])"
    R"([{\field{\*\fldinst SYMBOL 0x263A \\u}{\fldrslt }}])"
    R"([{\field{\*\fldinst {FORMCHECKBOX {\*\formfield{\fftype1\ffres25\fftypetxt0\ffhps20)"
    R"({\*\ffname Agree}\ffdefres1}}}}{\fldrslt }}])"
    R"([{\field{\*\fldinst {FORMCHECKBOX {\*\formfield{\fftype1\ffres0\ffdefres1}}}}{\fldrslt }}])"
    R"([{\field{\*\fldinst SYMBOL 183 \\f "Symbol"}{\fldrslt x}}])"
    R"([{\field{\*\fldinst PAGE}{\fldrslt }}]})";

}  // namespace ondrel::test
