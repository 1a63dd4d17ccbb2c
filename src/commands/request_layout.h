// How a command's request is described: a struct per request with a static
// `read` that takes each field from its offset through the reader (see
// vdsReadRequest), and beside each family's requests the handlers that take
// them. The shared shapes of requests are here.
#pragma once

#include <cstddef>

#include "platform/com_types.h"
#include "protocol/command_row.h"
#include "protocol/request_reader.h"

// A request whose only argument is one identifier at `Offset`.
template <std::size_t Offset>
struct IdentifierRequest {
    GUID id;
    static IdentifierRequest read(RequestReader& in) { return {in.guid(Offset)}; }
};

// A request without arguments.
struct EmptyRequest {
    static EmptyRequest read(RequestReader&) { return {}; }
};

// Where a hardware object address holds its identifiers; a command reads only
// its own target.
namespace hardware_address {
inline constexpr std::size_t kProvider = 4;
inline constexpr std::size_t kSubSystem = 20;
inline constexpr std::size_t kObject = 36;  // drive, LUN or controller
inline constexpr std::size_t kLunPlex = 52;
}  // namespace hardware_address

// Where a software object address holds its identifiers.
namespace software_address {
inline constexpr std::size_t kProvider = 4;
inline constexpr std::size_t kPack = 20;
inline constexpr std::size_t kVolume = 36;
inline constexpr std::size_t kVolumePlex = 52;
}  // namespace software_address
