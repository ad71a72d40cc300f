// The floor for the start-up figure: the smallest Qt dialog program, shown as the signing
// window is (maximized), with one label. bench/ui/startup_time.sh times both.
#include <QApplication>
#include <QDialog>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("minimal-dialog"));
    QLabel label(QStringLiteral("设备未连接"), &dialog);
    dialog.setWindowState(Qt::WindowMaximized);
    return dialog.exec();
}
