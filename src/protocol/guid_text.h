// The 36-character text form of an identifier (upper-case hexadecimal, no
// braces), written once for the library, the simulated service and the
// tests. Header-only so that the simulated service, which does not link the
// library, shares it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/com_types.h"

inline constexpr std::size_t kGuidTextLength = 36;

// Writes the text form and a terminator into `out`.
constexpr void vdsFormatGuid(const GUID& id, char (&out)[kGuidTextLength + 1]) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::size_t at = 0;
    auto put = [&](std::uint32_t value, int digits) {
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out[at++] = kDigits[(value >> shift) & 0xF];
    };
    put(static_cast<std::uint32_t>(id.Data1), 8);
    out[at++] = '-';
    put(id.Data2, 4);
    out[at++] = '-';
    put(id.Data3, 4);
    out[at++] = '-';
    put(id.Data4[0], 2);
    put(id.Data4[1], 2);
    out[at++] = '-';
    for (int i = 2; i < 8; ++i) put(id.Data4[i], 2);
    out[at] = '\0';
}

// The identifier of a well-formed text form (either case); none for anything else.
constexpr std::optional<GUID> vdsGuidFromText(std::string_view text) {
    if (text.size() != kGuidTextLength) return std::nullopt;
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::uint8_t bytes[16] = {};
    std::size_t b = 0;
    for (std::size_t i = 0; i < kGuidTextLength;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        const int hi = hex(text[i]);
        const int lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[b++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    GUID id{};
    id.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
               (std::uint32_t{bytes[2]} << 8) | bytes[3];
    id.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    id.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) id.Data4[i] = bytes[8 + i];
    return id;
}
