#include "model/guid_text.h"

#include <cstring>

#include "protocol/guid_text.h"

namespace tolvane::sim {

std::string guidToText(const GUID& id) {
    char text[kGuidTextLength + 1];
    vdsFormatGuid(id, text);
    return text;
}

std::optional<GUID> guidFromText(std::string_view text) { return vdsGuidFromText(text); }

bool isNullGuid(const GUID& id) { return id == GUID{}; }

std::size_t GuidHash::operator()(const GUID& g) const noexcept {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, &g, 8);
    std::memcpy(&b, reinterpret_cast<const unsigned char*>(&g) + 8, 8);
    return static_cast<std::size_t>(a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull + (a << 6)));
}

}  // namespace tolvane::sim
