#pragma once

// The signing window's template IDD_SIGN_DIALOG: its controls in template order, which is also
// the keyboard tab order, with positions in dialog units.

#include <array>

#include "ui/rules/dialog_units.h"

namespace ondrel {

inline constexpr int IDC_STATUS = 1000;
inline constexpr int IDC_RESIGN = 1001;
inline constexpr int IDC_DONE = 1002;
inline constexpr int IDC_SIGN_AREA = 1004;
inline constexpr int IDC_AGREE_SIGN = 1005;
inline constexpr int IDC_READ_TERMS = 1006;
inline constexpr int IDC_TERMS_VIEW = 1007;

inline constexpr const char* kSignDialogCaption = "签字板";
inline constexpr const char* kPleaseSign = "请签字！";
inline constexpr DialogRect kSignDialogSize{0, 0, 643, 365};

enum class ControlKind { TermsView, PushButton, StaticText, SignatureArea };

struct ControlTemplate {
    int id;
    const char* name;  // the identifier's name, also the widget's object name
    ControlKind kind;
    const char* caption;  // UTF-8, nullptr for none
    DialogRect rect;
    bool visibleAtCreation;
    bool tabStop;
};

inline constexpr std::array<ControlTemplate, 7> kSignDialogControls = {{
    {IDC_TERMS_VIEW,
     "IDC_TERMS_VIEW",
     ControlKind::TermsView,
     nullptr,
     {73, 26, 471, 236},
     false,
     true},
    {IDC_READ_TERMS,
     "IDC_READ_TERMS",
     ControlKind::PushButton,
     "阅读条款",
     {7, 20, 60, 47},
     true,
     true},
    {IDC_AGREE_SIGN,
     "IDC_AGREE_SIGN",
     ControlKind::PushButton,
     "同意并签字",
     {7, 72, 60, 47},
     true,
     true},
    {IDC_RESIGN, "IDC_RESIGN", ControlKind::PushButton, "重新签字", {7, 124, 60, 47}, true, true},
    {IDC_DONE, "IDC_DONE", ControlKind::PushButton, "完成", {7, 177, 60, 47}, true, true},
    {IDC_STATUS, "IDC_STATUS", ControlKind::StaticText, "Unknown", {74, 7, 96, 8}, true, false},
    {IDC_SIGN_AREA,
     "IDC_SIGN_AREA",
     ControlKind::SignatureArea,
     nullptr,
     {71, 32, 467, 237},
     false,
     false},
}};

}  // namespace ondrel
