// The floor for the start-up figure: the smallest Qt dialog program, shown as the signing
// window is (maximized), with one label. bench/ui/startup_time.sh times both. With --window it
// also takes the signing window's frame (a top-level window with a title, the system menu,
// maximize and close): under Wine that frame alone costs Qt a Direct3D probe at creation.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QStringList>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    if (app.arguments().contains(QStringLiteral("--window"))) {
        dialog.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    }
    dialog.setWindowTitle(QStringLiteral("minimal-dialog"));
    QLabel label(QStringLiteral("设备未连接"), &dialog);
    dialog.setWindowState(Qt::WindowMaximized);
    return dialog.exec();
}
