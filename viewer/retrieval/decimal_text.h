// Reading the decimal values of an observation reply: leading white space, an
// optional sign, then digits up to the first other character. A value without
// digits reads as 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the `length` bytes at `text` and returns the value cut to 16 bits (the
// low 16 bits of the exact value, as a signed number), so 70000 gives 4464.
int16_t ReadDecimal16(const char* text, size_t length);
