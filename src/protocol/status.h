// Reply statuses. The wire values are fixed; the second group of names says
// what each value means in the commands that use it, so that a handler reads
// as what went wrong rather than as a number.
#pragma once

#include <cstdint>

enum Status : std::int32_t {
    STATUS_OK = 0,
    STATUS_NOT_FOUND = -1,
    STATUS_NOT_FOUND_2 = -2,
    STATUS_NOT_FOUND_3 = -3,
    STATUS_NOT_FOUND_4 = -4,
    STATUS_NO_ADVANCED_DISK = -10,
    STATUS_VDS_ERROR = -100,
    STATUS_SYSTEM_ERROR = -101,
};

namespace status {
// The first (or only) object that the request names is unknown.
inline constexpr Status TargetNotFound = STATUS_NOT_FOUND;
// The further objects that a request names, in the order the command looks them up.
inline constexpr Status SecondNotFound = STATUS_NOT_FOUND_2;
inline constexpr Status ThirdNotFound = STATUS_NOT_FOUND_3;
inline constexpr Status FourthNotFound = STATUS_NOT_FOUND_4;
// Provider lists: the service did not become ready, or would not list its providers.
inline constexpr Status ServiceNotReady = STATUS_NOT_FOUND;
inline constexpr Status ProviderQueryFailed = STATUS_NOT_FOUND_2;
// Hardware queries: the object lacks the interface the command needs, or a
// subsystem has no drives.
inline constexpr Status MissingInterface = STATUS_NOT_FOUND_3;
inline constexpr Status NoDrives = STATUS_NOT_FOUND_3;
inline constexpr Status NoAdvancedDisk = STATUS_NO_ADVANCED_DISK;
// A VDS call or the operation it started failed; the result code goes with it.
inline constexpr Status VdsError = STATUS_VDS_ERROR;
// A Win32 call failed; its error code goes with it.
inline constexpr Status SystemError = STATUS_SYSTEM_ERROR;
}  // namespace status
