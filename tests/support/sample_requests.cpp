#include "sample_requests.h"

#include <cstdio>
#include <map>

#include "default_machine.h"
#include "service_fixture.h"
#include "vds_sim.h"
#include "volume_request_bytes.h"

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

// A software object address: provider at 4, pack at 20.
std::vector<unsigned char> packAddress(int code, const GUID& pack) {
    return RequestBytes(code).guid(4, machine::kDynamicProvider).guid(20, pack).data();
}

// A file-system command on one volume, named at 4.
RequestBytes fileSystem(int code, const GUID& volume) { return std::move(RequestBytes(code).guid(4, volume)); }

RequestBytes packCommand(int code, const GUID& pack) { return std::move(RequestBytes(code).guid(4, pack)); }

constexpr GUID kSecondDynamicDisk = machine::id("80000000-0000-4000-8000-000000000005");
constexpr int kDiskMissing = 6;

// A RAID-5 volume that lost its third member with a disk given up, and a
// fourth disk to rebuild it on: only a parity plex is repaired.
constexpr GUID kDegradedRaid5Plex = machine::id("91000000-0000-4000-8000-0000000000A5");
constexpr GUID kRebuildDisk = machine::id("80000000-0000-4000-8000-0000000000A4");
constexpr const char* kDegradedRaid5Machine = R"({"softwareProviders": [{
    "id": "60000000-0000-4000-8000-000000000002", "name": "Dynamic", "version": "1", "kind": "dynamic",
    "packs": [{"id": "70000000-0000-4000-8000-000000000002", "name": "Dg0",
      "disks": [
        {"id": "80000000-0000-4000-8000-000000000004", "size": "8 GiB", "style": "mbr",
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]},
        {"id": "80000000-0000-4000-8000-000000000005", "size": "8 GiB", "style": "mbr",
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]},
        {"id": "80000000-0000-4000-8000-0000000000A4", "size": "8 GiB", "style": "mbr",
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]}],
      "volumes": [{"id": "90000000-0000-4000-8000-0000000000A5", "name": "R", "type": "parity",
        "health": 6, "size": "2 GiB",
        "plexes": [{"id": "91000000-0000-4000-8000-0000000000A5", "health": 6, "numberOfMembers": 3,
          "size": "2 GiB", "extents": [
          {"disk": "80000000-0000-4000-8000-000000000004", "offset": "2 MiB", "size": "1 GiB", "member": 0},
          {"disk": "80000000-0000-4000-8000-000000000005", "offset": "2 MiB", "size": "1 GiB", "member": 1}
        ]}]}]}]}]})";

// The LUN that 0x0120's sample builds: the first the service makes, a 1 GiB
// mirror on drives 5 and 6; the later LUN samples work on it and on the
// default machine's LUNs, in the order the table runs them.
constexpr GUID kBuiltLun = machine::id("52000000-0000-4000-8000-000000000001");
constexpr GUID kBuiltLunPlex = machine::id("53000000-0000-4000-8000-000000000001");
constexpr std::int32_t kGiB = 1 << 30;

std::vector<unsigned char> createMirror() {
    return RequestBytes(0x0120)
        .guid(20, machine::kSubSystem)
        .int16(36, 13)
        .int32(40, kGiB).int32(44, 0)
        .int32(48, 1)
        .int32(52, 2)
        .bytes(56, "*")
        .guid(109, machine::id("40000000-0000-4000-8000-000000000005"))
        .guid(125, machine::id("40000000-0000-4000-8000-000000000006"))
        .data();
}

// A disk command that names its disk in a software object address.
RequestBytes diskCommand(int code, const GUID& disk) {
    return std::move(RequestBytes(code).guid(4, machine::kBasicProvider).guid(20, machine::kBasicPack).guid(36, disk));
}

// A partition command: the disk at 4, the partition's offset at 20.
RequestBytes partitionCommand(int code, const GUID& disk, std::uint64_t offset) {
    return std::move(RequestBytes(code)
                         .guid(4, disk)
                         .int32(20, static_cast<std::int32_t>(offset & 0xFFFFFFFFu))
                         .int32(24, static_cast<std::int32_t>(offset >> 32)));
}

constexpr std::uint64_t kMiB = 1024 * 1024;
// The GPT disk's system partition, and its free stretch after the last volume.
constexpr std::uint64_t kEspOffset = kMiB;
constexpr std::uint64_t kGptFreeOffset = 225397 * kMiB;

std::vector<unsigned char> takeRawDiskIntoPack() {
    return packCommand(0x0412, machine::kDynamicPack).guid(20, machine::kRawDisk).int32(36, 1).int32(40, 0).data();
}

std::vector<unsigned char> assignEspLetter() {
    return partitionCommand(0x0418, machine::kGptDisk, kEspOffset).bytes(28, "S").data();
}

std::vector<unsigned char> cleanRawDisk() { return diskCommand(0x0408, machine::kRawDisk).int16(56, 0).data(); }

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
        {0x0120, createMirror()},
        {0x0200, hardware(0x0200, machine::kStripeLun)},
        {0x0201, RequestBytes(0x0201).guid(36, kBuiltLun).guid(84, machine::kBootLun).data()},
        {0x0202, hardware(0x0202, kBuiltLun, kBuiltLunPlex)},
        {0x0203, RequestBytes(0x0203).guid(36, machine::kMirroredLun).int16(52, 0).data()},
        {0x0204, RequestBytes(0x0204).guid(36, machine::kMirroredLun).int32(52, kGiB).int32(56, 0).int16(60, 0).data()},
        {0x0205, hardware(0x0205, machine::kMirroredLun)},
        {0x0206, RequestBytes(0x0206).guid(36, machine::kMirroredLun).int16(92, 3).int32(100, 1).data()},
        {0x0207, RequestBytes(0x0207).guid(36, machine::kMirroredLun).int16(52, 1).data()},
        {0x0208, RequestBytes(0x0208).guid(36, machine::kMirroredLun).int16(52, 1).bytes(54, "*").data()},
        {0x0209, hardware(0x0209, machine::kMirroredLun)},
        {0x0210, RequestBytes(0x0210)
                     .guid(36, machine::kMirroredLun)
                     .int16(52, 1)
                     .int16(54, 1)
                     .guid(56, machine::kControllerA)
                     .guid(72, machine::kControllerB)
                     .data()},
        {0x0212, RequestBytes(0x0212).guid(36, machine::kMirroredLun).int32(52, kGiB).int32(56, 0).data()},
        {0x0213, hardware(0x0213, machine::kMirroredLun)},
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
        {0x0402, packAddress(0x0402, machine::kDynamicPack)},
        {0x0403, diskCommand(0x0403, machine::kRawDisk).int32(52, 2).data()},
        {0x0404, diskCommand(0x0404, machine::kMbrDisk).data()},
        {0x0405, partitionCommand(0x0405, machine::kGptDisk, kGptFreeOffset).int32(28, kGiB).int32(36, 2).data()},
        {0x0406, diskCommand(0x0406, machine::kGptDisk)
                     .int32(52, static_cast<std::int32_t>(kGptFreeOffset & 0xFFFFFFFFu))
                     .int32(56, static_cast<std::int32_t>(kGptFreeOffset >> 32))
                     .int16(62, 0)
                     .data()},
        {0x0407, diskCommand(0x0407, machine::kGptDisk)
                     .int32(52, static_cast<std::int32_t>(kEspOffset))
                     .int16(64, 3)
                     .int32(72, 3)
                     .bytes(76, "EFI")
                     .data()},
        {0x0408, cleanRawDisk()},
        {0x0409, diskCommand(0x0409, machine::kMbrDisk).data()},
        {0x0410, diskCommand(0x0410, machine::kGptDisk).int32(52, 0x40).data()},
        {0x0411, diskCommand(0x0411, machine::kGptDisk).int32(52, 0x40).data()},
        {0x0417, partitionCommand(0x0417, machine::kGptDisk, kEspOffset).data()},
        {0x0418, assignEspLetter()},
        {0x0419, partitionCommand(0x0419, machine::kGptDisk, kEspOffset).bytes(28, "S").data()},
        {0x0412, packCommand(0x0412, machine::kDynamicPack).guid(20, machine::kRawDisk).int32(36, 1).int32(40, 0).data()},
        {0x0413, RequestBytes(0x0413)
                     .guid(4, machine::kGptPack)
                     .guid(20, machine::kDynamicPack)
                     .int32(40, 1)
                     .int32(44, 1)
                     .guid(48, machine::kGptDisk)
                     .data()},
        {0x0414, packCommand(0x0414, machine::kDynamicPack).guid(20, machine::kDynDisk).guid(36, machine::kRawDisk).data()},
        {0x0415, packCommand(0x0415, machine::kDynamicPack).guid(20, kSecondDynamicDisk).data()},
        // The dynamic provider's one pack is online: the basic provider makes the new one.
        {0x0416, provider(0x0416, machine::kBasicProvider)},
        {0x0500, packAddress(0x0500, machine::kDynamicPack)},
        // The file-system samples share volume F:, each leaving it usable by the next.
        {0x000C, fileSystem(0x000C, machine::kVolumeF).data()},
        {0x0601, fileSystem(0x0601, machine::kVolumeF)
                     .int32(20, 4)  // NTFS
                     .int32(24, 0)
                     .int16(28, 0)
                     .int16(30, 1)
                     .int16(32, 0)
                     .int16(34, 5)
                     .bytes(36, "Daten")
                     .data()},
        {0x0602, fileSystem(0x0602, machine::kArchiveVolume).int32(20, 3).bytes(24, "K:\\").data()},
        {0x0603, fileSystem(0x0603, machine::kVolumeC).data()},
        {0x0604, fileSystem(0x0604, machine::kVolumeC).data()},
        {0x0605, fileSystem(0x0605, machine::kArchiveVolume).int16(20, 0).int16(22, 3).bytes(24, "K:\\").data()},
        {0x0606, fileSystem(0x0606, machine::kVolumeF).data()},
        {0x0607, fileSystem(0x0607, machine::kVolumeF).int16(20, 0).int16(22, 0).data()},
        {0x0608, fileSystem(0x0608, machine::kVolumeF).int32(20, 1).data()},
        {0x0501, volume_requests::address(0x0501, machine::kMirrorVolume)},
        {0x0502, volume_requests::address(0x0502, machine::kMirrorVolume, machine::kMirrorVolumePlex2)},
        {0x0503, volume_requests::repairPlex(kDegradedRaid5Plex, {{kRebuildDisk, volume_requests::kGiB}})},
        {0x0504, volume_requests::extendVolume(volume_requests::kVolumeD, {{machine::kMbrDisk, volume_requests::kGiB}})},
        {0x0505, volume_requests::volumeAndSecond(0x0505, volume_requests::kFirstMadeVolume, volume_requests::kSecondMadeVolume)},
        {0x0506, volume_requests::volumeAndSecond(0x0506, machine::kMirrorVolume, machine::kMirrorVolumePlex2)},
        {0x0507, volume_requests::volumeAndSecond(0x0507, machine::kMirrorVolume, machine::kMirrorVolumePlex2)},
        {0x0508, volume_requests::createVolume(machine::kDynamicPack, 13,
                                               {{machine::kDynDisk, volume_requests::kGiB},
                                                {volume_requests::kSecondDynDisk, volume_requests::kGiB}})},
        {0x0509, volume_requests::deleteVolume(volume_requests::kVolumeD)},
        {0x0510, volume_requests::shrinkVolume(volume_requests::kVolumeD, volume_requests::kGiB)},
        // Hiding is refused on every volume of the running system's MBR disk: F: it is.
        {0x0511, volume_requests::setFlags(machine::kVolumeF, VDS_VF_HIDDEN)},
        {0x0512, volume_requests::clearFlags(machine::kVolumeF, VDS_VF_HIDDEN)},
        {0x1000, provider(0x1000, machine::kHwProvider)},
        {0x1001, RequestBytes(0x1001).int32(4, 3).bytes(8, "C:\\").data()},
        {0x1002, RequestBytes(0x1002).data()},
    };
    return kSamples;
}

}  // namespace

namespace {

// The volume samples each start from the default machine, whatever the
// samples before them changed, and leave the default machine behind.
std::function<void()> prepareVolumeSample(int code) {
    using namespace volume_requests;
    VdsSimLoadDefault();
    switch (code) {
    case 0x0503:
        VdsSimLoadTopologyJson(kDegradedRaid5Machine);
        break;
    case 0x0505:
        // Two simple volumes on different disks: the second becomes the first's mirror.
        runCommand(createVolume(machine::kDynamicPack, 10, {{machine::kDynDisk, kGiB}}));
        runCommand(createVolume(machine::kDynamicPack, 10, {{kSecondDynDisk, kGiB}}));
        break;
    case 0x0512:
        runCommand(setFlags(machine::kVolumeF, VDS_VF_HIDDEN));
        break;
    default:
        break;
    }
    return [] { VdsSimLoadDefault(); };
}

}  // namespace

std::string commandText(int code) {
    char text[24];
    std::snprintf(text, sizeof text, "command 0x%04X", static_cast<unsigned>(code) & 0xFFFFu);
    return text;
}

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
    case 0x0403:
    case 0x0408:
        // Only an initialised disk changes style or is cleaned back to a raw one.
        runCommand(takeRawDiskIntoPack());
        return [code] {
            if (code == 0x0403) runCommand(cleanRawDisk());
        };
    case 0x0417:
        runCommand(assignEspLetter());
        return [] { runCommand(partitionCommand(0x0419, machine::kGptDisk, kEspOffset).bytes(28, "S").data()); };
    case 0x0415:
        VdsSimSetStatus(&kSecondDynamicDisk, kDiskMissing);
        return [] {};
    case 0x0501: case 0x0502: case 0x0503: case 0x0504: case 0x0505: case 0x0506:
    case 0x0507: case 0x0508: case 0x0509: case 0x0510: case 0x0511: case 0x0512:
        return prepareVolumeSample(code);
    default:
        return [] {};
    }
}
