#include "sample_requests.h"

#include <map>

#include "default_machine.h"
#include "service_fixture.h"

namespace {

// A hardware object address: provider at 4, subsystem at 20, object at 36, LUN plex at 52.
std::vector<unsigned char> hardware(int code, const GUID& object = GUID{}, const GUID& plex = GUID{}) {
    return RequestBytes(code)
        .guid(4, machine::kHwProvider)
        .guid(20, machine::kSubSystem)
        .guid(36, object)
        .guid(52, plex)
        .data();
}

// A hardware object address, then one argument at 52: an int16 status or int32 flags.
std::vector<unsigned char> hardwareWith(int code, const GUID& object, int width, std::int32_t value) {
    RequestBytes r(code);
    r.guid(4, machine::kHwProvider).guid(20, machine::kSubSystem).guid(36, object);
    if (width == 2)
        r.int16(52, value);
    else
        r.int32(52, value);
    return r.data();
}

std::vector<unsigned char> provider(int code, const GUID& id) {
    return RequestBytes(code).guid(4, id).data();
}

const std::map<int, std::vector<unsigned char>>& samples() {
    static const std::map<int, std::vector<unsigned char>> kSamples = {
        {0x0091, RequestBytes(0x0091).data()},
        {0x0092, provider(0x0092, machine::kHwProvider)},
        {0x0093, hardware(0x0093)},
        {0x0094, hardware(0x0094)},
        {0x0095, hardware(0x0095, machine::kDrive4)},
        {0x0096, hardware(0x0096)},
        {0x0097, hardware(0x0097, machine::kMirroredLun)},
        {0x0098, hardware(0x0098, machine::kMirroredLun, machine::kStripePlex)},
        {0x0099, hardware(0x0099, machine::kControllerA)},
        // The machine is shared by every sample after these: each leaves it as it found it.
        {0x0121, RequestBytes(0x0121).guid(20, machine::kSubSystem).int16(36, 1).data()},
        {0x0122, hardwareWith(0x0122, machine::kFreeDrive, 2, 1)},
        {0x0123, hardwareWith(0x0123, machine::kControllerB, 2, 1)},
        {0x0124, hardware(0x0124, machine::kFreeDrive, machine::kSpareDrive)},
        {0x0125, hardware(0x0125, machine::kControllerA)},
        {0x0126, RequestBytes(0x0126).int16(20, 2).guid(24, machine::kDrive1).int16(56, 5).int32(60, 0).int32(64, 0).data()},
        {0x0127, RequestBytes(0x0127).guid(4, machine::kSubSystem).int16(20, 1).int16(22, 3).data()},
        {0x0300, hardwareWith(0x0300, machine::kFreeDrive, 4, 1)},
        {0x0301, hardwareWith(0x0301, machine::kFreeDrive, 4, 1)},
        {0x0400, RequestBytes(0x0400).data()},
        {0x0401, provider(0x0401, machine::kDynamicProvider)},
        {0x1000, provider(0x1000, machine::kHwProvider)},
        {0x1001, RequestBytes(0x1001).int32(4, 3).bytes(8, "C:\\").data()},
        {0x1002, RequestBytes(0x1002).data()},
    };
    return kSamples;
}

}  // namespace

std::optional<std::vector<unsigned char>> sampleRequest(int code) {
    const auto found = samples().find(code);
    if (found == samples().end()) return std::nullopt;
    return found->second;
}
