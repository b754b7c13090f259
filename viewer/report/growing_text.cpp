#include "viewer/report/growing_text.h"

#include <cstring>

namespace {

size_t RoundUpToStep(size_t size) { return (size + GROWING_TEXT_START - 1) / GROWING_TEXT_START * GROWING_TEXT_START; }

}  // namespace

GrowingText::GrowingText() : block(new char[GROWING_TEXT_START]()), length(0), capacity(GROWING_TEXT_START) {}

void GrowingText::Reserve(size_t more) {
  if (capacity - length > more) return;
  // Growing by half keeps the copies linear in all and the old and new block
  // together at most 2.5 times the text while a block is replaced.
  size_t needed = RoundUpToStep(length + more + 1);
  size_t half = RoundUpToStep(capacity + capacity / 2);
  size_t grown = needed > half ? needed : half;
  std::unique_ptr<char[]> larger(new char[grown]);
  std::memcpy(larger.get(), block.get(), length);
  std::memset(larger.get() + length, 0, grown - length);
  block = std::move(larger);
  capacity = grown;
}

size_t GrowingText::AppendBytes(const char* bytes, size_t count) {
  Reserve(count);
  std::memcpy(block.get() + length, bytes, count);
  length += count;
  return count;
}

void GrowingText::DropLast(size_t count) {
  if (count > length) count = length;
  length -= count;
  std::memset(block.get() + length, 0, count);
}

void GrowingText::AppendText(const char* text) { AppendBytes(text, std::strlen(text)); }
