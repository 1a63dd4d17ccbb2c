// UTF-8 <-> UTF-16 for the simulator's own texts (names from topology files,
// journal lines). Independent of the code-page conversions of the compat layer.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::sim {

std::u16string utf8To16(std::string_view text);
std::string utf16To8(std::u16string_view text);

}  // namespace tolvane::sim
