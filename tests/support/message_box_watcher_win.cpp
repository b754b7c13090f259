#include "tests/support/message_box_watcher_win.h"

#include <windows.h>

#include <chrono>

#include "platform/wide_text.h"

namespace test_support {

namespace {

constexpr auto POLL_INTERVAL = std::chrono::milliseconds(20);
constexpr int TEXT_CAPACITY = 4096;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string TextOf(HWND window) {
  std::wstring text(TEXT_CAPACITY, L'\0');
  int length = GetWindowTextW(window, &text[0], TEXT_CAPACITY);
  text.resize(length > 0 ? length : 0);
  return platform::ToNarrow(text.c_str());
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

// The first child of `box` of class `className` that passes `wanted`.
template <typename Predicate>
HWND FindChild(HWND box, const wchar_t* className, Predicate wanted) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == className && wanted(child)) return child;
  }
  return nullptr;
}

std::string MessageOf(HWND box) {
  HWND label = FindChild(box, L"Static", [](HWND child) { return GetWindowTextLengthW(child) > 0; });
  return label != nullptr ? TextOf(label) : std::string();
}

HWND ButtonOf(HWND box, int answerId) {
  HWND wanted = GetDlgItem(box, answerId);
  if (wanted != nullptr && ClassOf(wanted) == L"Button") return wanted;
  return FindChild(box, L"Button", [](HWND) { return true; });
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
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard<std::mutex> guard(lock);
      if (seen.size() >= count) return true;
    }
    std::this_thread::sleep_for(POLL_INTERVAL);
  }
  std::lock_guard<std::mutex> guard(lock);
  return seen.size() >= count;
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
    seen.push_back({TextOf(box), MessageOf(box)});
    answered.insert(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
}

}  // namespace test_support
