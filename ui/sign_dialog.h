#pragma once

// The signing window: the visitor reads the terms, agrees and signs on the tablet, may sign
// again, and finishes with Done, which writes the final signature and runs the site's finishing
// script. The window initialises in a fixed order when it is first shown and tears down in a
// fixed order when it ends. It wires its parts together: the controls of its template, the
// workflow's decisions, the signature files, the remembered placement and the tablet.

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "tablet/tablet_window.h"
#include "ui/autosave_timer.h"
#include "ui/rules/signing_workflow.h"
#include "ui/sign_dialog_controls.h"
#include "ui/signature_files.h"

namespace ondrel {

class TabletConnection;
class WindowDeviceNotifications;
class WindowPlacementKeeper;

// What tests and benchmarks replace: the preview timer, the modal message box, a look at each
// initialisation step as it starts, the writing of the signature files, and the tablet.
struct SignDialogSeams {
    AutosaveTimerFactory makeTimer;
    std::function<void(QWidget* parent, const QString& text)> messageBox;
    std::function<void(std::string_view step)> initStep;
    SignatureFileSeams files;
    // The tablet connection for a window; by default the one the environment chooses.
    std::function<std::unique_ptr<TabletConnection>(TabletWindow& window)> makeConnection;
};

class COndrel_signDlg : public QDialog, public TabletWindow, private SigningWindowOps {
    Q_OBJECT
  public:
    explicit COndrel_signDlg(QWidget* parent = nullptr);
    explicit COndrel_signDlg(SignDialogSeams seams, QWidget* parent = nullptr);
    ~COndrel_signDlg() override;

    // The frame.
    void LayoutViews();
    void OnSysCommand(unsigned command);

    // The tablet.
    void SetStatusText(std::string_view utf8) override;
    int OnTabletReport(const std::uint8_t* report) override;

    void setVisible(bool visible) override;
    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // What the workflow acts through.
    void ShowTermsView(bool shown) override;
    void ShowSignatureArea(bool shown) override;
    void StartAutosave(int periodMs) override;
    void StopAutosave() override;
    void RepaintWindow() override;
    void ClearSignatureArea() override;
    void AskToSign() override;
    void WritePreview() override;
    void WriteFinalSignature() override;
    void RunFinishingScript() override;
    void EndWithIdok() override;

    void OnInitDialog();
    void AddAboutEntry();
    int DisplayDepth() const;
    void Teardown();
    void Step(std::string_view step) const;

    SignDialogSeams seams_;
    SignDialogControls controls_;
    SigningWorkflow workflow_{*this};
    SignatureFiles files_;
    WindowPlacementKeeper* placement_ = nullptr;  // a child of the window
    std::unique_ptr<AutosaveTimer> autosave_;
    std::unique_ptr<TabletConnection> connection_;
    std::unique_ptr<WindowDeviceNotifications> deviceNotifications_;  // where windows get them
    bool initialised_ = false;
    bool tornDown_ = false;
};

}  // namespace ondrel
