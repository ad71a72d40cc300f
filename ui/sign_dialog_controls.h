#pragma once

// The controls of the signing window's template IDD_SIGN_DIALOG, created on the window in
// template order (which is also the tab order) at their template positions. Each control's
// object name is its identifier's name ("IDC_DONE", ...).

#include "ui/rules/dialog_units.h"

class QLabel;
class QPushButton;
class QWidget;

namespace ondrel {

class SignatureArea;
class TermsView;

struct SignDialogControls {
    TermsView* termsView = nullptr;
    QPushButton* readTerms = nullptr;
    QPushButton* agreeSign = nullptr;
    QPushButton* resign = nullptr;
    QPushButton* done = nullptr;
    QLabel* status = nullptr;
    SignatureArea* signArea = nullptr;
};

SignDialogControls CreateSignDialogControls(QWidget& dialog, const DialogBaseUnits& units);

}  // namespace ondrel
