#include "tests/support/message_box_watcher_win.h"

#include <windows.h>

#include <chrono>

#include "tests/support/gui_driver_win.h"

namespace test_support {

namespace {

constexpr auto POLL_INTERVAL = std::chrono::milliseconds(20);

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Visible dialog-class windows of this process.
std::vector<HWND> OpenBoxes() {
  std::vector<HWND> boxes;
  EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            ClassOf(window) == L"#32770") {
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&boxes));
  return boxes;
}

// The button of id `answerId`, else the box's first button.
HWND ButtonOf(HWND box, int answerId) {
  HWND wanted = GetDlgItem(box, answerId);
  if (wanted != nullptr && ClassOf(wanted) == L"Button") return wanted;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == L"Button") return child;
  }
  return nullptr;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int answer)
    : answerId(answer), stopping(false), watcher(&MessageBoxWatcher::Watch, this) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stopping = true;
  watcher.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() const {
  std::lock_guard<std::mutex> guard(lock);
  return seen;
}

bool MessageBoxWatcher::WaitForCount(size_t count, int timeoutMilliseconds) const {
  return WaitUntil(
      [&] {
        std::lock_guard<std::mutex> guard(lock);
        return seen.size() >= count;
      },
      timeoutMilliseconds);
}

void MessageBoxWatcher::Watch() {
  while (!stopping) {
    AnswerOpenBoxes();
    std::this_thread::sleep_for(POLL_INTERVAL);
  }
}

void MessageBoxWatcher::AnswerOpenBoxes() {
  std::vector<HWND> boxes = OpenBoxes();
  std::lock_guard<std::mutex> guard(lock);
  // Forget clicked boxes that have closed, so a reused handle counts again.
  std::set<void*> stillOpen;
  for (HWND box : boxes) {
    if (answered.count(box) != 0) stillOpen.insert(box);
  }
  answered.swap(stillOpen);
  for (HWND box : boxes) {
    if (answered.count(box) != 0) continue;
    HWND button = ButtonOf(box, answerId);
    if (button == nullptr) continue;  // not built yet; next round
    seen.push_back({WindowText(box), MessageBoxText(box)});
    answered.insert(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
}

}  // namespace test_support
