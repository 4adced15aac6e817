// SIGTERM and SIGHUP (a logout, `kill`, a closed terminal) end the program
// cleanly: the window closes without asking, and what was posted but not
// saved stays in the recovery journals for the next start. The signal is
// only noted in its handler; the window closes from the event loop.
#pragma once

namespace notarra {

class TfrmBlog;

// Signals the caller set to be ignored stay ignored (nohup).
void CloseOnQuitSignals(TfrmBlog& window);

}  // namespace notarra
