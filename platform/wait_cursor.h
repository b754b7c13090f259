// The hourglass shown while a server exchange blocks the user-interface thread.
#pragma once

namespace platform {

// Shows the wait cursor for the object's lifetime, or until Restore is
// called; the arrow comes back either way.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

  // Puts the previous cursor back now; later calls and the destructor do nothing.
  void Restore();

 private:
  void* previous;
  bool active;
};

}  // namespace platform
