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
#include <QWindow>
#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "imaging/area_capture.h"
#include "site/exchange_paths.h"
#include "site/site_script.h"
#include "tablet/reader_flag.h"
#include "tablet/tablet_connection.h"
#include "ui/about_dialog.h"
#include "ui/app_icon.h"
#include "ui/dialog_font.h"
#include "ui/files_log.h"
#include "ui/placement_store.h"
#include "ui/rules/view_layout.h"
#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"
#include "ui/signing_flag.h"
#include "ui/terms_view.h"

namespace ondrel {
namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

SignDialogSeams WithDefaults(SignDialogSeams seams) {
    if (!seams.makeTimer) {
        seams.makeTimer = [](std::function<void()> onTick) {
            return std::make_unique<QtAutosaveTimer>(std::move(onTick));
        };
    }
    if (!seams.messageBox) {
        seams.messageBox = ShowMessageBox;
    }
    return seams;
}

std::vector<Rect> ScreenRects() {
    std::vector<Rect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        rects.push_back(Rect{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()});
    }
    return rects;
}

}  // namespace

COndrel_signDlg::COndrel_signDlg(QWidget* parent) : COndrel_signDlg(SignDialogSeams{}, parent) {}

COndrel_signDlg::COndrel_signDlg(SignDialogSeams seams, QWidget* parent)
    : QDialog(parent), seams_(WithDefaults(std::move(seams))) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(kSignDialogCaption));
    setFont(TemplateFont());
    units_ = MeasureDialogBaseUnits(font());
    const Rect size = DialogToPixels(kSignDialogSize, units_);
    resize(size.Width(), size.Height());
    CreateControls();
    autosave_ = seams_.makeTimer([this] { OnAutosaveTimer(TIMER_AUTOSAVE); });
    connection_ = std::make_unique<TabletConnection>(*this);
}

COndrel_signDlg::~COndrel_signDlg() {
    Teardown();
    // The connection refers to this window, so it goes first.
    connection_.reset();
}

void COndrel_signDlg::CreateControls() {
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& control : kSignDialogControls) {
        QWidget* widget = nullptr;
        const QString caption = control.caption ? QString::fromUtf8(control.caption) : QString();
        switch (control.kind) {
            case ControlKind::TermsView:
                widget = termsView_ = new TermsView(this);
                break;
            case ControlKind::PushButton: {
                auto* button = new QPushButton(caption, this);
                // Plain push buttons: none is the default, and Enter on a focused one clicks it
                // (see keyPressEvent).
                button->setAutoDefault(false);
                button->setDefault(false);
                widget = button;
                break;
            }
            case ControlKind::StaticText:
                widget = status_ = new QLabel(caption, this);
                status_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                break;
            case ControlKind::SignatureArea:
                widget = signArea_ = new SignatureArea(this);
                break;
        }
        widget->setProperty("controlId", control.id);
        const Rect pixels = DialogToPixels(control.rect, units_);
        if (control.kind == ControlKind::SignatureArea) {
            signArea_->Place(ToQRect(pixels));
        } else {
            widget->setGeometry(ToQRect(pixels));
        }
        widget->setVisible(control.visibleAtCreation);
        if (control.tabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) {
                setTabOrder(previousTabStop, widget);
            }
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        switch (control.id) {
            case IDC_READ_TERMS:
                readTerms_ = static_cast<QPushButton*>(widget);
                break;
            case IDC_AGREE_SIGN:
                agreeSign_ = static_cast<QPushButton*>(widget);
                break;
            case IDC_RESIGN:
                resign_ = static_cast<QPushButton*>(widget);
                break;
            case IDC_DONE:
                done_ = static_cast<QPushButton*>(widget);
                break;
            default:
                break;
        }
    }
    connect(resign_, &QPushButton::clicked, this, [this] { OnAgreeAndSign(); });
    connect(done_, &QPushButton::clicked, this, [this] { OnDone(); });
    connect(agreeSign_, &QPushButton::clicked, this, [this] { OnAgreeAndSign(); });
    connect(readTerms_, &QPushButton::clicked, this, [this] { OnReadTerms(); });
}

QWidget* COndrel_signDlg::GetDlgItem(int id) const {
    switch (id) {
        case IDC_TERMS_VIEW:
            return termsView_;
        case IDC_READ_TERMS:
            return readTerms_;
        case IDC_AGREE_SIGN:
            return agreeSign_;
        case IDC_RESIGN:
            return resign_;
        case IDC_DONE:
            return done_;
        case IDC_STATUS:
            return status_;
        case IDC_SIGN_AREA:
            return signArea_;
        default:
            return nullptr;
    }
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
    const QString aboutText = QString::fromUtf8(kAboutEntryText);
    if (!aboutText.isEmpty()) {
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        addAction(separator);
        about_ = new QAction(aboutText, this);
        about_->setShortcut(QKeySequence(Qt::Key_F1));
        about_->setShortcutContext(Qt::WindowShortcut);
        connect(about_, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
        addAction(about_);
        setContextMenuPolicy(Qt::ActionsContextMenu);
    }

    Step("icon");
    setWindowIcon(AppIcon());

    Step("connect tablet");
    if (!connection_->ConnectTablet()) {
        SetStatusText(STATUS_DISCONNECTED);
    }

    Step("register notifications");
    connection_->RegisterTabletNotifications();

    Step("load terms");
    termsView_->LoadTermsDocument(kAgreementDocument);

    Step("maximize");
    // Where no window manager maximizes windows (a kiosk session), covering the screen's
    // available area is what maximized means; a window manager replaces it with its own.
    if (const QScreen* target = screen()) {
        setGeometry(target->availableGeometry());
    }
    setWindowState(windowState() | Qt::WindowMaximized);

    Step("placement");
    ReadAndApplyPlacement();

    Step("terms mode");
    OnReadTerms();

    Step("layout");
    LayoutViews();

    Step("fill white");
    signArea_->FillWhite();

    Step("focus");
    termsView_->setFocus(Qt::OtherFocusReason);
}

void COndrel_signDlg::ReadAndApplyPlacement() {
    const WindowPlacement placement = ReadPlacement();
    const std::vector<Rect> screens = ScreenRects();
    if (!ShouldApplyPlacement(placement, screens)) {
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMaximized);
    const QRect outer(placement.left, placement.top, placement.right - placement.left,
                      placement.bottom - placement.top);
    MoveOuterRect(outer);
    if (FrameMargins().isNull()) {
        placementToFinish_ = outer;
    }
}

// Places the window's outer rectangle, frame included.
void COndrel_signDlg::MoveOuterRect(const QRect& outer) {
    const QMargins frame = FrameMargins();
    resize(std::max(0, outer.width() - frame.left() - frame.right()),
           std::max(0, outer.height() - frame.top() - frame.bottom()));
    move(outer.topLeft());  // a window's position is that of its frame, where the frame is known
}

QMargins COndrel_signDlg::FrameMargins() const {
    const QWindow* window = windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
}

// The outer rectangle in screen coordinates: the client area and the window manager's frame.
QRect COndrel_signDlg::OuterRect() const {
    return geometry().marginsAdded(FrameMargins());
}

void COndrel_signDlg::LayoutViews() {
    if (signArea_ == nullptr) {
        return;
    }
    const QRect views = ToQRect(ViewsRectForClient(width(), height()));
    termsView_->setGeometry(views);
    signArea_->Place(views);
}

// Until the window manager has framed the window its frame is unknown, so a restored placement
// is matched once more as soon as the frame is there (by the first paint at the latest).
bool COndrel_signDlg::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (placementToFinish_ && !FrameMargins().isNull()) {
        const QRect outer = *placementToFinish_;
        placementToFinish_.reset();
        if (OuterRect() != outer) {
            QMetaObject::invokeMethod(
                this, [this, outer] { MoveOuterRect(outer); }, Qt::QueuedConnection);
        }
    }
    return handled;
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

// --- Workflow ---

void COndrel_signDlg::OnReadTerms() {
    g_signingActive = 0;
    autosave_->Stop();
    termsView_->show();
    signArea_->hide();
}

void COndrel_signDlg::OnAgreeAndSign() {
    g_signingActive = 1;
    autosave_->Stop();
    autosave_->Start(kAutosavePeriodMs);
    termsView_->hide();
    signArea_->show();
    update();
    signArea_->FillWhite();
}

void COndrel_signDlg::OnAutosaveTimer(int /*timerId*/) {
    CaptureSignatureTo(PreviewSignaturePath());
}

void COndrel_signDlg::OnDone() {
    if (g_signingActive == 0) {
        seams_.messageBox(this, QString::fromUtf8(kPleaseSign));
        return;
    }
    autosave_->Stop();
    CaptureSignatureTo(FinalSignaturePath());
    RunSiteScript(kFinishTemplate, kFinishBatch);
    done(QDialog::Accepted);  // IDOK
}

void COndrel_signDlg::CaptureSignatureTo(const std::filesystem::path& path) const {
    const std::optional<Bitmap> bitmap =
        CopyAreaToBitmap(signArea_->ClientRect(), signArea_->surface());
    if (!bitmap) {
        qCInfo(lcFiles) << "the signature area is empty: nothing written to" << path.c_str();
        return;
    }
    const int displayDepth = DisplayDepth();
    if (SaveBitmapToFile(&*bitmap, path, displayDepth) == 1) {
        qCInfo(lcFiles) << "wrote" << path.c_str() << bitmap->width << "x" << bitmap->height
                        << "display depth" << displayDepth;
    } else {
        qCInfo(lcFiles) << "could not write" << path.c_str()
                        << "(does the exchange folder exist, and may this user write to it?)";
    }
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
    status_->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

int COndrel_signDlg::OnTabletReport(const std::uint8_t* report) {
    const PenReport pen =
        DecodePenReport(std::span<const std::uint8_t, PEN_REPORT_SIZE>(report, PEN_REPORT_SIZE));
    const std::optional<Rect> drawn =
        RenderPenReport(penState_, pen, connection_->extent(), signArea_->surface());
    if (drawn) {
        signArea_->ShowDrawn(*drawn);
    }
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
    const QRect outer = OuterRect();
    WritePlacement(WindowPlacement{outer.x(), outer.x() + outer.width(), outer.y(),
                                   outer.y() + outer.height()});
    connection_->Shutdown();
}

}  // namespace ondrel
