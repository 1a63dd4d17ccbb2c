// Hexadecimal text for the log: the rows of the diagnostic memory dump,
// formatted into memory so that a dump reaches standard output in one write
// rather than a printf per byte, and the digits of values that log lines
// show by the thousand.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Each byte as two upper-case hexadecimal digits and a space, a line end
// before every sixteenth byte after the first, and one line end at the end.
inline constexpr std::size_t vdsHexRowsSize(std::size_t count) { return 3 * count + count / 16 + 1; }

// Writes the rows of `count` bytes to `out` (vdsHexRowsSize(count) bytes, no
// terminator) and returns how many it wrote.
std::size_t vdsFormatHexRows(const unsigned char* bytes, std::size_t count, char* out);

// Writes `value` as eight upper-case hexadecimal digits, most significant
// first, as "%08X" would (no terminator). Lines that show an offset come by
// the thousand, so on a little-endian host the eight digits are made at once
// in one 64-bit word: each nibble spread into a byte of its own, the bytes
// turned so the most significant comes first, then each nibble made a digit
// ('A' to 'F' are seven past '9' + 1).
inline void vdsFormatHex32(std::uint32_t value, char* out) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t x = value;
        x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
        x = (x | (x << 8)) & 0x00FF00FF00FF00FFull;
        x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0Full;
        // Nibble i of the value is now in byte i; the first digit is byte 7.
#if defined(__GNUC__) || defined(__clang__)
        x = __builtin_bswap64(x);
#else
        x = ((x & 0x00000000FFFFFFFFull) << 32) | (x >> 32);
        x = ((x & 0x0000FFFF0000FFFFull) << 16) | ((x >> 16) & 0x0000FFFF0000FFFFull);
        x = ((x & 0x00FF00FF00FF00FFull) << 8) | ((x >> 8) & 0x00FF00FF00FF00FFull);
#endif
        const std::uint64_t letters = ((x + 0x0606060606060606ull) >> 4) & 0x0101010101010101ull;
        x += 0x3030303030303030ull + letters * 7;
        std::memcpy(out, &x, 8);
    } else {
        for (int i = 0; i < 8; ++i) out[i] = "0123456789ABCDEF"[(value >> (4 * (7 - i))) & 0xF];
    }
}

// Writes `value` as sixteen upper-case hexadecimal digits, most significant
// first, as "%08X%08X" of its high and low halves would (no terminator).
// With SSE2 the sixteen digits are made in one register: the value's bytes
// turned most significant first, each split into its two nibbles side by
// side, and every nibble made a digit at once.
inline void vdsFormatHex64(std::uint64_t value, char* out) {
#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
    // Loaded from memory, as 32-bit targets have no 64-bit register move.
    const std::uint64_t turned = __builtin_bswap64(value);
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&turned));
    const __m128i low = _mm_set1_epi8(0x0F);
    const __m128i nibbles =
        _mm_unpacklo_epi8(_mm_and_si128(_mm_srli_epi16(bytes, 4), low), _mm_and_si128(bytes, low));
    const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8(7));
    const __m128i digits = _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), digits);
#else
    vdsFormatHex32(static_cast<std::uint32_t>(value >> 32), out);
    vdsFormatHex32(static_cast<std::uint32_t>(value), out + 8);
#endif
}
