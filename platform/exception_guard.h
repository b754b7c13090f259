// Exception guards around calls into the framework and the internet layer,
// which report failure by throwing; the system's own operations never throw.
#pragma once

#include <utility>

namespace platform {

// Runs `action`; returns false when it threw anything (the exception is
// dropped: the caller reports the failure its own way), true otherwise.
template <class Action>
bool RunGuarded(Action&& action) {
  try {
    std::forward<Action>(action)();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace platform
