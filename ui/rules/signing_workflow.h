#pragma once

// The visitor's path through the signing window: read the terms, agree and sign (a preview of
// the signature every second), sign again, and finish with Done. The decisions live here as
// plain C++; the window lends the operations they act through.
//
//   state          g_signingActive   preview timer   terms view   signature area
//   terms mode           0             stopped         shown        hidden
//   signing mode         1             running         hidden       shown

namespace ondrel {

// 1 once the visitor has entered signing mode, 0 at start and after going back to the terms.
// Only Done reads it. Window thread only.
extern int g_signingActive;

inline constexpr int TIMER_AUTOSAVE = 1;
inline constexpr int kAutosavePeriodMs = 1000;

// What the workflow needs of the window. Every call runs on the window thread.
class SigningWindowOps {
  public:
    virtual ~SigningWindowOps() = default;
    virtual void ShowTermsView(bool shown) = 0;
    virtual void ShowSignatureArea(bool shown) = 0;
    // Starts the preview timer afresh: the first tick comes one period from now.
    virtual void StartAutosave(int periodMs) = 0;
    // Stopping a timer that does not run is harmless.
    virtual void StopAutosave() = 0;
    // Asks for a repaint of the whole window, background included.
    virtual void RepaintWindow() = 0;
    // Clears the signature area to white at once.
    virtual void ClearSignatureArea() = 0;
    // The modal message box "请签字！"; returns when it is closed.
    virtual void AskToSign() = 0;
    virtual void WritePreview() = 0;
    // Returns when the final signature file is complete (or known not to be written).
    virtual void WriteFinalSignature() = 0;
    // Returns when the site's finishing script has ended, or at once when it could not start.
    virtual void RunFinishingScript() = 0;
    // Ends the window with IDOK.
    virtual void EndWithIdok() = 0;
};

class SigningWorkflow {
  public:
    explicit SigningWorkflow(SigningWindowOps& window) : window_(window) {}

    // Terms mode. Nothing is repainted, cleared or written.
    void OnReadTerms();
    // Signing mode, entered or restarted: the area is cleared and the preview's cadence starts
    // again from now. The pen state is kept.
    void OnAgreeAndSign();
    // A tick of the timer `timerId`. Every tick writes the preview, whatever the timer or the
    // mode (the window has no timer but TIMER_AUTOSAVE).
    void OnAutosaveTimer(int timerId);
    // Outside signing mode: asks to sign and changes nothing. In signing mode: stops the
    // preview, writes the final signature, runs the finishing script and ends the window.
    void OnDone();

  private:
    SigningWindowOps& window_;
};

}  // namespace ondrel
