// Readable argument lists for journal lines: identifiers as 36-character
// text, wide texts as quoted UTF-8, numbers in decimal, flags in hex.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "model/guid_text.h"
#include "model/text16.h"
#include "platform/com_types.h"

namespace tolvane::sim {

struct Hex {
    std::uint64_t value;
};

inline std::string argText(const GUID& g) { return guidToText(g); }
inline std::string argText(const char16_t* s) {
    if (s == nullptr) return "null";
    std::string quoted(1, '"');
    quoted.append(utf16To8(s)).push_back('"');
    return quoted;
}
inline std::string argText(char16_t* s) { return argText(static_cast<const char16_t*>(s)); }
#if defined(_WIN32)
// WCHAR is wchar_t there, of the same width and encoding as char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline std::string argText(const wchar_t* s) { return argText(reinterpret_cast<const char16_t*>(s)); }
inline std::string argText(wchar_t* s) { return argText(static_cast<const wchar_t*>(s)); }
#endif
inline std::string argText(const char* s) { return s == nullptr ? std::string("null") : std::string(s); }
inline std::string argText(const std::string& s) { return s; }
inline std::string argText(Hex h) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(h.value));
    return buf;
}
template <typename T>
    requires std::is_arithmetic_v<T> || std::is_enum_v<T>
std::string argText(T v) {
    if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(v));
    } else if constexpr (std::is_same_v<T, char16_t> || std::is_same_v<T, wchar_t>) {
        if (v == 0) return "0";
        std::string quoted(1, '\'');
        quoted.append(utf16To8(std::u16string(1, static_cast<char16_t>(v)))).push_back('\'');
        return quoted;
    } else {
        return std::to_string(v);
    }
}

inline std::string joinArgs() { return {}; }
template <typename T, typename... Rest>
std::string joinArgs(const T& first, const Rest&... rest) {
    std::string s = argText(first);
    ((s += ", " + argText(rest)), ...);
    return s;
}

}  // namespace tolvane::sim
