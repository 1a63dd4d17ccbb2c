#include "sample_requests.h"

#include <map>

#include "default_machine.h"
#include "service_fixture.h"
#include "vds_sim.h"

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

std::vector<unsigned char> provider(int code, const GUID& id) {
    return RequestBytes(code).guid(4, id).data();
}

// A software object address: provider at 4, pack at 20.
std::vector<unsigned char> packAddress(int code, const GUID& pack) {
    return RequestBytes(code).guid(4, machine::kDynamicProvider).guid(20, pack).data();
}

RequestBytes packCommand(int code, const GUID& pack) { return std::move(RequestBytes(code).guid(4, pack)); }

constexpr GUID kSecondDynamicDisk = machine::id("80000000-0000-4000-8000-000000000005");
constexpr int kDiskMissing = 6;

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
        {0x0400, RequestBytes(0x0400).data()},
        {0x0401, provider(0x0401, machine::kDynamicProvider)},
        {0x0402, packAddress(0x0402, machine::kDynamicPack)},
        {0x0412, packCommand(0x0412, machine::kDynamicPack).guid(20, machine::kRawDisk).int32(36, 1).int32(40, 0).data()},
        {0x0413, RequestBytes(0x0413)
                     .guid(4, machine::kBasicPack)
                     .guid(20, machine::kDynamicPack)
                     .int32(40, 1)
                     .int32(44, 1)
                     .guid(48, machine::kGptDisk)
                     .data()},
        {0x0414, packCommand(0x0414, machine::kDynamicPack).guid(20, machine::kDynDisk).guid(36, machine::kRawDisk).data()},
        {0x0415, packCommand(0x0415, machine::kDynamicPack).guid(20, kSecondDynamicDisk).data()},
        {0x0416, provider(0x0416, machine::kDynamicProvider)},
        {0x0500, packAddress(0x0500, machine::kDynamicPack)},
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

std::function<void()> prepareSample(int code) {
    switch (code) {
    case 0x0414:
        // The released service refuses to replace disks, and the new disk
        // must be an empty one of the same pack.
        VdsSimSupportReplaceDisk(1);
        runCommand(packCommand(0x0412, machine::kDynamicPack).guid(20, machine::kRawDisk).int32(36, 1).int32(40, 0).data());
        return [] { VdsSimSupportReplaceDisk(0); };
    case 0x0415:
        VdsSimSetStatus(&kSecondDynamicDisk, kDiskMissing);
        return [] {};
    default:
        return [] {};
    }
}
