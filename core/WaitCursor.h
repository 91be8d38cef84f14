#pragma once

namespace core {

// The process-wide wait cursor. Calls do not nest: one EndWaitCursor ends any number of
// BeginWaitCursor calls. Safe from any thread.

// What actually changes the cursor: the window layer installs one. Both calls are made with
// the wait-cursor lock held and must not call back into Begin/EndWaitCursor.
class WaitCursorHost {
 public:
  virtual ~WaitCursorHost() = default;
  // Shows the system wait cursor.
  virtual void ShowWaitCursor() = 0;
  // Makes the cursor that was current before ShowWaitCursor current again.
  virtual void RestoreCursor() = 0;
};

void BeginWaitCursor();
void EndWaitCursor();
bool IsWaitCursorShown();

// Installs the host (null: none; the flag still works). Returns the previous one.
WaitCursorHost* SetWaitCursorHost(WaitCursorHost* host);

}  // namespace core
