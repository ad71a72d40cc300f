#pragma once

// The terms view IDC_TERMS_VIEW: an editable rich-text view of the agreement document. The
// visitor may place the caret, select, type and delete; edits stay in the view, survive the
// switches between the modes and never reach the file.

#include <QTextEdit>
#include <filesystem>

class QFile;

namespace ondrel {

class TermsView : public QTextEdit {
    Q_OBJECT
  public:
    explicit TermsView(QWidget* parent = nullptr);

    // Replaces the content with the agreement document, read as RTF, then puts the caret at
    // its end. A document that cannot be opened leaves the view empty. Returns whether the
    // document was opened.
    bool LoadTermsDocument(const std::filesystem::path& path);

    // Caret to the start of the document, nothing selected, the start scrolled into view. Runs
    // each time the visitor brings the keyboard focus to the view (a click, Tab, Shift+Tab), and
    // at the window's first focus; not when the focus comes back from a popup (the view's own
    // menu) or with the window's activation, since the visitor did not move it.
    void OnTermsViewSetFocus();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    // The text's own entries, then the window's (the About box), which the view would hide.
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    bool focusedBefore_ = false;
};

// The stream-in callback of the load: reads up to `requested` bytes of the open document into
// `buffer`, stores the number read in `countRead` (0 at the end of the document, and after a
// read error) and returns 0, which asks for the next chunk.
int ReadTermsChunk(QFile* cookie, char* buffer, long requested, long* countRead);

}  // namespace ondrel
