#include "ui/rules/signing_workflow.h"

namespace ondrel {

int g_signingActive = 0;

void SigningWorkflow::OnReadTerms() {
    g_signingActive = 0;
    window_.StopAutosave();
    window_.ShowTermsView(true);
    window_.ShowSignatureArea(false);
}

void SigningWorkflow::OnAgreeAndSign() {
    g_signingActive = 1;
    window_.StopAutosave();
    window_.StartAutosave(kAutosavePeriodMs);
    window_.ShowTermsView(false);
    window_.ShowSignatureArea(true);
    window_.RepaintWindow();
    window_.ClearSignatureArea();
}

void SigningWorkflow::OnAutosaveTimer(int /*timerId*/) {
    window_.WritePreview();
}

void SigningWorkflow::OnDone() {
    if (g_signingActive == 0) {
        window_.AskToSign();
        return;
    }
    window_.StopAutosave();
    // The preview timer is stopped first, so no preview follows the final signature.
    window_.WriteFinalSignature();
    window_.RunFinishingScript();
    window_.EndWithIdok();
}

}  // namespace ondrel
