// Request and reply framing shared by every command.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "protocol/status.h"

// Every request starts with two bytes read but not interpreted and its
// command code; every reply with 0, 1, its command code, its status and the
// status's detail.
inline constexpr int kInputHeaderSize = 4;
inline constexpr int kOutputHeaderSize = 12;
// List replies: a 16-bit count before records from 14, or a 32-bit count before records from 16.
inline constexpr int kShortListHeaderSize = 14;
inline constexpr int kLongListHeaderSize = 16;

// Allocates a zero-filled reply of `size` bytes with its header written and logs
// it. Returns null (and stores 0) when the reply cannot be allocated.
unsigned char* vdsMakeOutput(int size, int cmd, int status, int addStatus, int* outSize);

// Allocates a zero-filled reply buffer of `size` bytes without a header; the
// counterpart of vdsFreeOutput. Null when the allocation fails.
unsigned char* vdsAllocOutput(int size);

void vdsFillOutputHeader(unsigned char* reply, int cmd, int status, int addStatus);
// Little-endian stores, inline: record writers make several per record.
inline void vdsPutInt16(unsigned char* buffer, int value, int offset) {
    const auto v = static_cast<std::uint16_t>(value);
    buffer[offset] = static_cast<unsigned char>(v & 0xFF);
    buffer[offset + 1] = static_cast<unsigned char>(v >> 8);
}

// On a little-endian host the host's own order is the wire's: one whole
// store, which lists of many thousand records feel.
inline void vdsPutInt32(unsigned char* buffer, int value, int offset) {
    const auto v = static_cast<std::uint32_t>(value);
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(buffer + offset, &v, sizeof v);
    else
        for (int i = 0; i < 4; ++i) buffer[offset + i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void vdsPutUInt64(unsigned char* buffer, std::uint64_t value, int offset) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(buffer + offset, &value, sizeof value);
    } else {
        vdsPutInt32(buffer, static_cast<int>(static_cast<std::uint32_t>(value)), offset);
        vdsPutInt32(buffer, static_cast<int>(static_cast<std::uint32_t>(value >> 32)), offset + 4);
    }
}
