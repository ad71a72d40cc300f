#pragma once

#include <QDialog>

namespace ondrel {

// The signing window.
class COndrel_signDlg : public QDialog {
    Q_OBJECT
  public:
    explicit COndrel_signDlg(QWidget* parent = nullptr);
};

}  // namespace ondrel
