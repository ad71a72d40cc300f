#include "ui/sign_dialog.h"

namespace ondrel {

COndrel_signDlg::COndrel_signDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("签字板"));
}

}  // namespace ondrel
