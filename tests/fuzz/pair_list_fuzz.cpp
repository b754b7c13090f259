// Adds, removes and looks up arbitrary keys and values in a PairList,
// checking its order and uniqueness invariants after every step.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "viewer/base/pair_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PairList list;
  size_t at = 0;
  while (at < size) {
    uint8_t op = data[at++];
    uint8_t length = at < size ? data[at++] : 0;
    std::string text(reinterpret_cast<const char*>(data + at), std::min<size_t>(length, size - at));
    at += text.size();
    text = text.c_str();  // keys are zero-terminated texts
    std::string value;
    switch (op % 4) {
      case 0: list.Add(text.c_str(), text.c_str()); break;
      case 1: list.Remove(text.c_str()); break;
      case 2: list.Lookup(text.c_str(), value); break;
      default: list.Clear(); break;
    }
    std::string previous;
    for (int i = 0; i < list.Count(); ++i) {
      std::string key;
      list.GetAt(i, key, value);
      if (key.size() > PAIR_TEXT_MAX || value.size() > PAIR_TEXT_MAX) std::abort();
      if (i > 0 && previous >= key) std::abort();
      previous = key;
    }
  }
  return 0;
}
