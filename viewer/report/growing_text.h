// GrowingText: a zero-terminated text in a heap block that grows as text is
// appended. The block always has room for the terminating zero, and bytes
// past the text are zero. Growth is geometric, so building a text of n bytes
// copies O(n) bytes in all.
#pragma once

#include <cstddef>
#include <memory>

constexpr size_t GROWING_TEXT_START = 1024;

class GrowingText {
 public:
  GrowingText();  // empty text in a zero-filled block of GROWING_TEXT_START bytes
  GrowingText(GrowingText&&) noexcept = default;
  GrowingText& operator=(GrowingText&&) noexcept = default;

  // Appends the zero-terminated `text`.
  void AppendText(const char* text);
  // Appends exactly `count` bytes (they need not end with a zero); returns count.
  size_t AppendBytes(const char* bytes, size_t count);
  // Removes the last `count` bytes (at most Length()); the bytes past the
  // text are zero again.
  void DropLast(size_t count);
  // Makes room for `more` further bytes and the terminating zero.
  void Reserve(size_t more);

  const char* Data() const { return block.get(); }
  size_t Length() const { return length; }
  size_t Capacity() const { return capacity; }

 private:
  std::unique_ptr<char[]> block;
  size_t length;
  size_t capacity;
};
