#include <QApplication>

#include "ui/sign_dialog.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ondrel::COndrel_signDlg dialog;
    dialog.exec();
    return 0;
}
