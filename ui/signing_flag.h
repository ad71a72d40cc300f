#pragma once

namespace ondrel {

// 1 once the visitor has entered signing mode, 0 at start and after going back to the terms.
// Only Done reads it. Window thread only.
extern int g_signingActive;

}  // namespace ondrel
