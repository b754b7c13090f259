#include "platform/initial_lists.h"

#include <cstring>
#include <string>

#include "platform/dialog.h"
#include "platform/wide_text.h"
#include "platform/win32.h"

namespace platform {

namespace {

constexpr wchar_t LIST_RESOURCE_TYPE[] = L"LISTINIT";

void AddComboRow(HWND dialog, int id, const char* utf8, int length) {
  std::wstring wide = DecodeText(CP_UTF8, utf8, static_cast<size_t>(length));
  SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// Reads the resource bytes; every read stays inside `size`.
bool FillFrom(HWND dialog, const unsigned char* data, size_t size) {
  size_t at = 0;
  while (at + 2 <= size) {
    int id = data[at] | (data[at + 1] << 8);
    at += 2;
    if (id == 0) return true;
    for (;;) {
      const void* end = std::memchr(data + at, 0, size - at);
      if (end == nullptr) return false;
      size_t length = static_cast<const unsigned char*>(end) - (data + at);
      if (length == 0) {
        ++at;
        break;
      }
      AddComboRow(dialog, id, reinterpret_cast<const char*>(data + at), static_cast<int>(length));
      at += length + 1;
    }
  }
  return false;
}

}  // namespace

bool FillInitialLists(CDialog& dialog, int templateId) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(templateId), LIST_RESOURCE_TYPE);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded == nullptr ? nullptr : LockResource(loaded);
  if (data == nullptr) return false;
  return FillFrom(static_cast<HWND>(dialog.GetSafeHwnd()), static_cast<const unsigned char*>(data),
                  SizeofResource(nullptr, found));
}

}  // namespace platform
