#include "ui/sign_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <span>
#include <utility>

#include "site/exchange_paths.h"
#include "site/site_script.h"
#include "tablet/reader_flag.h"
#include "tablet/tablet_connection.h"
#include "ui/about_dialog.h"
#include "ui/about_entry.h"
#include "ui/app_icon.h"
#include "ui/dialog_font.h"
#include "ui/rules/view_layout.h"
#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"
#include "ui/terms_view.h"
#include "ui/window_device_notifications.h"
#include "ui/window_placement_keeper.h"

namespace ondrel {
namespace {

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

SignDialogSeams WithDefaults(SignDialogSeams seams) {
    if (!seams.makeTimer) {
        seams.makeTimer = [](int timerId, AutosaveTick onTick) {
            return std::make_unique<QtAutosaveTimer>(timerId, std::move(onTick));
        };
    }
    if (!seams.messageBox) {
        seams.messageBox = ShowMessageBox;
    }
    if (!seams.makeConnection) {
        seams.makeConnection = [](TabletWindow& window) {
            return std::make_unique<TabletConnection>(window);
        };
    }
    return seams;
}

}  // namespace

COndrel_signDlg::COndrel_signDlg(QWidget* parent) : COndrel_signDlg(SignDialogSeams{}, parent) {}

COndrel_signDlg::COndrel_signDlg(SignDialogSeams seams, QWidget* parent)
    : QDialog(parent), seams_(WithDefaults(std::move(seams))), files_(seams_.files) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(kSignDialogCaption));
    setFont(TemplateFont());
    const DialogBaseUnits units = MeasureDialogBaseUnits(font());
    const Rect size = DialogToPixels(kSignDialogSize, units);
    resize(size.Width(), size.Height());
    controls_ = CreateSignDialogControls(*this, units);
    connect(controls_.resign, &QPushButton::clicked, this, [this] { workflow_.OnAgreeAndSign(); });
    connect(controls_.done, &QPushButton::clicked, this, [this] { workflow_.OnDone(); });
    connect(controls_.agreeSign, &QPushButton::clicked, this,
            [this] { workflow_.OnAgreeAndSign(); });
    connect(controls_.readTerms, &QPushButton::clicked, this, [this] { workflow_.OnReadTerms(); });
    placement_ = new WindowPlacementKeeper(*this);
    autosave_ = seams_.makeTimer(TIMER_AUTOSAVE,
                                 [this](int timerId) { workflow_.OnAutosaveTimer(timerId); });
    connection_ = seams_.makeConnection(*this);
}

COndrel_signDlg::~COndrel_signDlg() {
    Teardown();
    // The connection refers to this window, so it goes first (after the notifications that
    // reach it).
    deviceNotifications_.reset();
    connection_.reset();
}

void COndrel_signDlg::Step(std::string_view step) const {
    if (seams_.initStep) {
        seams_.initStep(step);
    }
}

// The window is initialised when it is first shown, before it appears on screen, as a modal
// run does with its dialog.
void COndrel_signDlg::setVisible(bool visible) {
    if (visible && !initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void COndrel_signDlg::OnInitDialog() {
    Step("framework");  // the controls exist already; the native window is made now, hidden
    create();

    Step("about entry");
    AddAboutEntry();

    Step("icon");
    setWindowIcon(AppIcon());

    Step("connect tablet");
    if (!connection_->ConnectTablet()) {
        SetStatusText(STATUS_DISCONNECTED);
    }

    Step("register notifications");
    connection_->RegisterTabletNotifications();
    deviceNotifications_ = RegisterWindowDeviceNotifications(*this, *connection_);
    if (deviceNotifications_) {
        connection_->WatchDeviceHandles(
            [this](std::uintptr_t handle) -> std::unique_ptr<DeviceHandleWatch> {
                return deviceNotifications_ ? deviceNotifications_->WatchHandle(handle) : nullptr;
            });
    }

    Step("load terms");
    controls_.termsView->LoadTermsDocument(kAgreementDocument);

    Step("maximize");
    // Where no window manager maximizes windows (a kiosk session), covering the screen's
    // available area is what maximized means; a window manager replaces it with its own.
    if (const QScreen* target = screen()) {
        setGeometry(target->availableGeometry());
    }
    setWindowState(windowState() | Qt::WindowMaximized);

    Step("placement");
    placement_->Restore();

    Step("terms mode");
    workflow_.OnReadTerms();

    Step("layout");
    LayoutViews();

    Step("fill white");
    controls_.signArea->FillWhite();

    Step("focus");
    controls_.termsView->setFocus(Qt::OtherFocusReason);
}

// The system menu's About entry (a context-menu entry of the window where there is no system
// menu), and F1.
void COndrel_signDlg::AddAboutEntry() {
    const QString aboutText = QString::fromUtf8(kAboutEntryText);
    if (aboutText.isEmpty()) {
        return;
    }
    InstallAboutEntry(*this, aboutText, IDM_ABOUTBOX,
                      [this](unsigned command) { OnSysCommand(command); });
}

void COndrel_signDlg::LayoutViews() {
    if (controls_.signArea == nullptr) {
        return;
    }
    const Rect r = ViewsRectForClient(width(), height());
    const QRect views(r.left, r.top, r.Width(), r.Height());
    controls_.termsView->setGeometry(views);
    controls_.signArea->Place(views);
}

void COndrel_signDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayoutViews();
}

void COndrel_signDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

void COndrel_signDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (enter && plain) {
        // The terms view keeps Enter for itself and never lets it through to here.
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) {
            button->click();
        } else {
            done(QDialog::Accepted);  // IDOK: no capture, no script
        }
        return;
    }
    QDialog::keyPressEvent(event);  // Esc: IDCANCEL
}

void COndrel_signDlg::OnSysCommand(unsigned command) {
    if ((command & 0xFFF0u) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

// --- What the workflow acts through ---

void COndrel_signDlg::ShowTermsView(bool shown) {
    controls_.termsView->setVisible(shown);
}
void COndrel_signDlg::ShowSignatureArea(bool shown) {
    controls_.signArea->setVisible(shown);
    // The area is shown exactly in signing mode. Entering it clears the area before this thread
    // takes another report, so a simulated tablet told now draws on the cleared area.
    connection_->SetSigningMode(shown);
}
void COndrel_signDlg::StartAutosave(int periodMs) {
    autosave_->Start(periodMs);
}
void COndrel_signDlg::StopAutosave() {
    autosave_->Stop();
}
void COndrel_signDlg::RepaintWindow() {
    update();
}
void COndrel_signDlg::ClearSignatureArea() {
    controls_.signArea->FillWhite();
}
void COndrel_signDlg::AskToSign() {
    seams_.messageBox(this, QString::fromUtf8(kPleaseSign));
}
void COndrel_signDlg::RunFinishingScript() {
    RunSiteScript(kFinishTemplate, kFinishBatch);
}
void COndrel_signDlg::EndWithIdok() {
    done(QDialog::Accepted);
}

void COndrel_signDlg::WritePreview() {
    files_.WritePreview(controls_.signArea->surface(), PreviewSignaturePath(), DisplayDepth());
}

void COndrel_signDlg::WriteFinalSignature() {
    files_.WriteFinal(controls_.signArea->surface(), FinalSignaturePath(), DisplayDepth());
}

int COndrel_signDlg::DisplayDepth() const {
    const QScreen* shown = screen();
    if (shown == nullptr) {
        shown = QGuiApplication::primaryScreen();
    }
    return shown != nullptr ? shown->depth() : 24;
}

// --- Tablet ---

void COndrel_signDlg::SetStatusText(std::string_view utf8) {
    controls_.status->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

int COndrel_signDlg::OnTabletReport(const std::uint8_t* report) {
    controls_.signArea->DrawReport(
        DecodePenReport(std::span<const std::uint8_t, PEN_REPORT_SIZE>(report, PEN_REPORT_SIZE)),
        connection_->extent());
    return 1;
}

// --- Ending ---

void COndrel_signDlg::done(int result) {
    Teardown();
    QDialog::done(result);
}

void COndrel_signDlg::Teardown() {
    if (!initialised_ || tornDown_) {
        return;
    }
    tornDown_ = true;
    g_readerRunning = false;
    placement_->Save();
    deviceNotifications_.reset();
    connection_->Shutdown();
    files_.WaitForPreview();
}

}  // namespace ondrel
