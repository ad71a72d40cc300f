#pragma once

// The About box IDD_ABOUTBOX: the icon, two lines of text and OK.

#include <QDialog>

class QPushButton;

namespace ondrel {

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
// The string IDS_ABOUTBOX: the About entry's text.
inline constexpr const char* kAboutEntryText = "&About 签字手写板...";
// ONDREL_VERSION: the project's version, from the build.
inline constexpr const char* kAboutFirstLine = "签字手写板 " ONDREL_VERSION " 版";
inline constexpr const char* kAboutSecondLine = "Copyright (C) Varnock software";

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QPushButton* okButton() const { return ok_; }

  private:
    QPushButton* ok_ = nullptr;
};

}  // namespace ondrel
