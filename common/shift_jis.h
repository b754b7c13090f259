// Facts about Shift-JIS text that the portable code needs (the platform
// layer asks the system's own code page table instead).
#pragma once

// True for a byte that starts a double-byte character: the byte after it is
// the character's second half and may look like "\" or "|" without being one.
bool IsShiftJisLeadByte(unsigned char byte);
