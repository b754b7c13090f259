// Blank bytes in the texts the programs read (replies, version lists): the
// white space of the C library's isspace in the "C" locale, tested without a
// locale so that a Shift-JIS byte is never taken for one.
#pragma once

bool IsBlank(char c);
