// The rows of the diagnostic memory dump, formatted into memory so that a
// dump reaches standard output in one write rather than a printf per byte.
#pragma once

#include <cstddef>

// Each byte as two upper-case hexadecimal digits and a space, a line end
// before every sixteenth byte after the first, and one line end at the end.
inline constexpr std::size_t vdsHexRowsSize(std::size_t count) { return 3 * count + count / 16 + 1; }

// Writes the rows of `count` bytes to `out` (vdsHexRowsSize(count) bytes, no
// terminator) and returns how many it wrote.
std::size_t vdsFormatHexRows(const unsigned char* bytes, std::size_t count, char* out);
