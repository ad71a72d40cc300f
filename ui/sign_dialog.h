#pragma once

// The signing window: the visitor reads the terms, agrees and signs on the tablet, may sign
// again, and finishes with Done, which writes the final signature and runs the site's finishing
// script. The window initialises in a fixed order when it is first shown and tears down in a
// fixed order when it ends.

#include <QDialog>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "imaging/stroke_renderer.h"
#include "tablet/tablet_window.h"
#include "ui/autosave_timer.h"
#include "ui/rules/dialog_units.h"

class QAction;
class QLabel;
class QPushButton;

namespace ondrel {

class SignatureArea;
class TabletConnection;
class TermsView;

// What tests replace: the preview timer, the modal message box, and a look at each
// initialisation step as it starts.
struct SignDialogSeams {
    AutosaveTimerFactory makeTimer;
    std::function<void(QWidget* parent, const QString& text)> messageBox;
    std::function<void(std::string_view step)> initStep;
};

class COndrel_signDlg : public QDialog, public TabletWindow {
    Q_OBJECT
  public:
    explicit COndrel_signDlg(QWidget* parent = nullptr);
    explicit COndrel_signDlg(SignDialogSeams seams, QWidget* parent = nullptr);
    ~COndrel_signDlg() override;

    // The workflow.
    void OnReadTerms();
    void OnAgreeAndSign();
    void OnAutosaveTimer(int timerId);
    void OnDone();

    // The frame.
    void LayoutViews();
    void OnSysCommand(unsigned command);

    // The tablet.
    void SetStatusText(std::string_view utf8) override;
    int OnTabletReport(const std::uint8_t* report) override;

    QWidget* GetDlgItem(int id) const;
    TermsView* termsView() const { return termsView_; }
    SignatureArea* signatureArea() const { return signArea_; }
    QAction* aboutAction() const { return about_; }
    const PenState& penState() const { return penState_; }
    bool isAutosaveRunning() const { return autosave_->IsRunning(); }
    const DialogBaseUnits& baseUnits() const { return units_; }

    void setVisible(bool visible) override;
    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CreateControls();
    void OnInitDialog();
    void ReadAndApplyPlacement();
    void MoveOuterRect(const QRect& outer);
    QMargins FrameMargins() const;
    QRect OuterRect() const;
    void CaptureSignatureTo(const std::filesystem::path& path) const;
    int DisplayDepth() const;
    void Teardown();
    void Step(std::string_view step) const;

    SignDialogSeams seams_;
    DialogBaseUnits units_;
    TermsView* termsView_ = nullptr;
    QPushButton* readTerms_ = nullptr;
    QPushButton* agreeSign_ = nullptr;
    QPushButton* resign_ = nullptr;
    QPushButton* done_ = nullptr;
    QLabel* status_ = nullptr;
    SignatureArea* signArea_ = nullptr;
    QAction* about_ = nullptr;

    PenState penState_;
    std::unique_ptr<AutosaveTimer> autosave_;
    std::unique_ptr<TabletConnection> connection_;
    // An outer rectangle still to be matched once the window manager's frame is known.
    std::optional<QRect> placementToFinish_;
    bool initialised_ = false;
    bool tornDown_ = false;
};

}  // namespace ondrel
