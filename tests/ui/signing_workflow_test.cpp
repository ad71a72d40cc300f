// The signing workflow's decisions without a window: what each handler does, in which order,
// from each mode.

#include "ui/rules/signing_workflow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondrel {
namespace {

// Records the operations and keeps the state a window would show.
class RecordingWindow final : public SigningWindowOps {
  public:
    void ShowTermsView(bool shown) override {
        termsShown = shown;
        calls.push_back(shown ? "show terms" : "hide terms");
    }
    void ShowSignatureArea(bool shown) override {
        areaShown = shown;
        calls.push_back(shown ? "show area" : "hide area");
    }
    void StartAutosave(int periodMs) override {
        timerRunning = true;
        calls.push_back("start timer " + std::to_string(periodMs));
    }
    void StopAutosave() override {
        timerRunning = false;
        calls.push_back("stop timer");
    }
    void RepaintWindow() override { calls.push_back("repaint"); }
    void ClearSignatureArea() override { calls.push_back("clear area"); }
    void AskToSign() override { calls.push_back("ask to sign"); }
    void WritePreview() override { calls.push_back("write preview"); }
    void WriteFinalSignature() override { calls.push_back("write final"); }
    void RunFinishingScript() override { calls.push_back("run script"); }
    void EndWithIdok() override { calls.push_back("end IDOK"); }

    std::vector<std::string> calls;
    bool termsShown = false;
    bool areaShown = false;
    bool timerRunning = false;
};

class SigningWorkflowTest : public ::testing::Test {
  protected:
    void SetUp() override { g_signingActive = 0; }

    // The window as initialisation leaves it, with the record cleared.
    void EnterTermsMode() {
        workflow_.OnReadTerms();
        window_.calls.clear();
    }
    void EnterSigningMode() {
        workflow_.OnAgreeAndSign();
        window_.calls.clear();
    }
    void ExpectTermsMode() const {
        EXPECT_EQ(g_signingActive, 0);
        EXPECT_FALSE(window_.timerRunning);
        EXPECT_TRUE(window_.termsShown);
        EXPECT_FALSE(window_.areaShown);
    }
    void ExpectSigningMode() const {
        EXPECT_EQ(g_signingActive, 1);
        EXPECT_TRUE(window_.timerRunning);
        EXPECT_FALSE(window_.termsShown);
        EXPECT_TRUE(window_.areaShown);
    }
    using Calls = std::vector<std::string>;

    RecordingWindow window_;
    SigningWorkflow workflow_{window_};
};

TEST_F(SigningWorkflowTest, ReadingTheTermsTouchesNeitherTheAreaNorTheFiles) {
    g_signingActive = 1;
    workflow_.OnReadTerms();
    ExpectTermsMode();
    EXPECT_EQ(window_.calls, (Calls{"stop timer", "show terms", "hide area"}));
    EnterTermsMode();
    workflow_.OnReadTerms();  // again, from terms mode: the same, nothing more
    ExpectTermsMode();
    EXPECT_EQ(window_.calls, (Calls{"stop timer", "show terms", "hide area"}));
}

TEST_F(SigningWorkflowTest, AgreeingRestartsTheCadenceAndClearsTheAreaFromEitherMode) {
    const Calls expected = {"stop timer", "start timer 1000", "hide terms",
                            "show area",  "repaint",          "clear area"};
    EnterTermsMode();
    workflow_.OnAgreeAndSign();
    ExpectSigningMode();
    EXPECT_EQ(window_.calls, expected);

    EnterSigningMode();
    workflow_.OnAgreeAndSign();  // "重新签字" while signing
    ExpectSigningMode();
    EXPECT_EQ(window_.calls, expected);
}

TEST_F(SigningWorkflowTest, EveryTickWritesThePreviewWhateverTheModeOrTimer) {
    EnterTermsMode();
    workflow_.OnAutosaveTimer(TIMER_AUTOSAVE);
    workflow_.OnAutosaveTimer(7);
    EXPECT_EQ(window_.calls, (Calls{"write preview", "write preview"}));
    ExpectTermsMode();
}

TEST_F(SigningWorkflowTest, DoneOutsideSigningModeOnlyAsksToSign) {
    EnterTermsMode();
    workflow_.OnDone();
    EXPECT_EQ(window_.calls, (Calls{"ask to sign"}));
    ExpectTermsMode();

    // Signed, then back to the terms: the signature no longer counts.
    EnterSigningMode();
    EnterTermsMode();
    workflow_.OnDone();
    EXPECT_EQ(window_.calls, (Calls{"ask to sign"}));
}

TEST_F(SigningWorkflowTest, DoneInSigningModeStopsThePreviewWritesRunsAndEndsInThatOrder) {
    EnterTermsMode();
    EnterSigningMode();
    workflow_.OnDone();
    EXPECT_EQ(window_.calls, (Calls{"stop timer", "write final", "run script", "end IDOK"}));
    EXPECT_EQ(g_signingActive, 1);  // Done leaves the flag as it was
}

}  // namespace
}  // namespace ondrel
