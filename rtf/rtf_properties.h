#pragma once

#include "rtf/rtf_keywords.h"
#include "rtf/rtf_state.h"

namespace ondrel {

// Character formatting words (\b, \fs, \cf, \dbch, \ab, ...): applied to the state; false
// when the word is not one of them.
bool ApplyCharacterWord(RtfCharState& chars, RtfKeyword keyword, bool hasParam, int param);

// Paragraph formatting words (\pard, \qc, \li, \sl, \tx, \intbl, ...): likewise.
bool ApplyParagraphWord(RtfParaState& para, RtfKeyword keyword, bool hasParam, int param);

}  // namespace ondrel
