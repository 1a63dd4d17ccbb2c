// The bytes a wide text becomes in the ANSI code page the process really has:
// UTF-8 off Windows, the machine's code page on Windows (1252 on most, and
// under Wine). Tests take their expected bytes from here, and pin the
// results of the two code pages they know where that one is in force.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/com_types.h"

inline constexpr UINT kWindowsLatin1CodePage = 1252;

inline UINT ansiCodePage() {
#if defined(_WIN32)
    return GetACP();
#else
    return CP_UTF8;
#endif
}

// The platform's own conversion, with no default character or flags given,
// as the library converts.
inline std::string ansiBytes(std::u16string_view wide) {
    if (wide.empty()) return {};
    const auto* units = reinterpret_cast<const WCHAR*>(wide.data());
    const int count = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, units, count, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

// What a test knows of a wide text's bytes: its UTF-8 form always, and its
// code page 1252 form where that is certain (characters outside 1252 become
// whatever the platform's best fit gives, which is left to the platform).
struct PinnedBytes {
    std::string utf8;
    std::optional<std::string> cp1252 = std::nullopt;
};

// The narrow text the library made from `wide` must be the platform's own
// conversion, and the pinned bytes where the code page in force is one that
// the pin knows.
inline void expectAnsiBytes(const std::string& actual, std::u16string_view wide, const PinnedBytes& pinned) {
    EXPECT_EQ(actual, ansiBytes(wide));
    if (ansiCodePage() == CP_UTF8) {
        EXPECT_EQ(actual, pinned.utf8) << "UTF-8 code page";
    }
    if (ansiCodePage() == kWindowsLatin1CodePage && pinned.cp1252) {
        EXPECT_EQ(actual, *pinned.cp1252) << "code page 1252";
    }
}
