// A read of one object and changes made and undone (a drive's status, a
// LUN, a partition, a volume) on machines of growing size, each beside the
// direct client.
#include <cstring>
#include <string>

#include "paired_case.h"

namespace {

constexpr int kObjectAt = 36;
constexpr std::int64_t kLunBytes = 1 << 30;
// The prefix of the identifiers the service gives the LUNs it makes.
constexpr std::uint32_t kMadeLuns = 0x52000000;

std::vector<unsigned char> getDriveRequest(const GeneratedMachine& m) {
    return BenchRequest(0x0127).put(4, m.subSystem).put16(20, 0).put16(22, 1).bytes();
}

int directGetDrive(const DirectClient& c, const GeneratedMachine& m) {
    auto subSystem = c.object<IVdsSubSystem>(m.subSystem, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem);
    if (!subSystem) return -1;
    ComPtr<IVdsDrive> drive;
    if (subSystem->GetDrive(0, 1, drive.put()) != S_OK || !drive) return -1;
    VDS_DRIVE_PROP properties{};
    const bool ok = drive->GetProperties(&properties) == S_OK;
    vdsFreePropertyTexts(properties);
    return ok ? 1 : -1;
}

// A simple 1 GiB LUN on the first drive, visible to every host.
std::vector<unsigned char> createLunRequest(const GeneratedMachine& m) {
    const char* unmask = "*";
    const auto listLength = static_cast<std::int32_t>(std::strlen(unmask));
    return BenchRequest(0x0120, 160)
        .put(20, m.subSystem)
        .put16(36, 10)
        .put32(40, static_cast<std::int32_t>(kLunBytes))
        .put32(44, 0)
        .put32(48, listLength)
        .put32(52, 1)
        .text(56, unmask)
        .put(108 + listLength, m.drives.front())
        .bytes();
}

std::vector<unsigned char> deleteMadeLun(const GeneratedMachine&) {
    return BenchRequest(0x0200).put(kObjectAt, nextMadeId(kMadeLuns)).bytes();
}

int directCreateAndDeleteLun(const DirectClient& c, const GeneratedMachine& m) {
    auto subSystem = c.object<IVdsSubSystem>(m.subSystem, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem);
    if (!subSystem) return -1;
    VDS_HINTS hints{};
    ComPtr<IVdsAsync> op;
    const GUID drive = m.drives.front();
    const GUID made = nextMadeId(kMadeLuns);
    if (subSystem->CreateLun(VDS_LT_SIMPLE, kLunBytes, &drive, 1, u"*", &hints, op.put()) != S_OK || !op) return -1;
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT output{};
    if (op->Wait(&result, &output) != S_OK || result != S_OK) return -1;
    if (output.cl.pLunUnk != nullptr) output.cl.pLunUnk->Release();
    auto lun = c.object<IVdsLun>(made, VDS_OT_LUN, IID_IVdsLun);
    return lun && lun->Delete() == S_OK ? 1 : -1;
}

// Waits for an operation and hands back its result; interfaces in the
// output are released, as the library releases them.
HRESULT directWait(ComPtr<IVdsAsync>& op, VDS_ASYNC_OUTPUT& output) {
    HRESULT result = E_FAIL;
    if (!op || op->Wait(&result, &output) != S_OK) return E_FAIL;
    op.reset();
    return result;
}

// A 1 GiB GPT data partition at 1 MiB on the first basic disk, deleted again
// (with force, as the basic provider gives it a volume).
constexpr std::uint64_t kPartitionAt = 1 << 20;
constexpr std::uint64_t kPartitionBytes = 1 << 30;
constexpr GUID kGptBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};

std::vector<unsigned char> createPartitionRequest(const GeneratedMachine& m) {
    return BenchRequest(0x0405)
        .put(4, m.basicDisks.front())
        .put64(20, kPartitionAt)
        .put64(28, kPartitionBytes)
        .put32(36, VDS_PST_GPT)
        .bytes();
}

std::vector<unsigned char> deleteMadePartition(const GeneratedMachine& m) {
    return BenchRequest(0x0406).put(kObjectAt, m.basicDisks.front()).put64(52, kPartitionAt).put16(60, 1).bytes();
}

int directCreateAndDeletePartition(const DirectClient& c, const GeneratedMachine& m) {
    auto disk = c.object<IVdsAdvancedDisk>(m.basicDisks.front(), VDS_OT_DISK, IID_IVdsAdvancedDisk);
    if (!disk) return -1;
    CREATE_PARTITION_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.style = VDS_PST_GPT;
    parameters.GptPartInfo.partitionType = kGptBasicData;
    ComPtr<IVdsAsync> op;
    VDS_ASYNC_OUTPUT output{};
    if (disk->CreatePartition(kPartitionAt, kPartitionBytes, &parameters, op.put()) != S_OK ||
        directWait(op, output) != S_OK)
        return -1;
    disk.reset();
    disk = c.object<IVdsAdvancedDisk>(m.basicDisks.front(), VDS_OT_DISK, IID_IVdsAdvancedDisk);
    return disk && disk->DeletePartition(kPartitionAt, TRUE, FALSE) == S_OK ? 1 : -1;
}

// A simple 1 GiB volume on the first dynamic disk, deleted again. The
// service names the volumes it makes as it names LUNs.
constexpr std::uint64_t kVolumeBytes = 1 << 30;
constexpr std::uint32_t kMadeVolumes = 0x92000000;

std::vector<unsigned char> createVolumeRequest(const GeneratedMachine& m) {
    return BenchRequest(0x0508)
        .put(20, m.packs.front())
        .put32(36, VDS_VT_SIMPLE)
        .put32(40, 1)
        .put(44, m.disks.front())
        .put64(60, kVolumeBytes)
        .bytes();
}

std::vector<unsigned char> deleteMadeVolume(const GeneratedMachine&) {
    return BenchRequest(0x0509).put(4, nextMadeId(kMadeVolumes)).bytes();
}

int directCreateAndDeleteVolume(const DirectClient& c, const GeneratedMachine& m) {
    auto pack = c.object<IVdsPack>(m.packs.front(), VDS_OT_PACK, IID_IVdsPack);
    if (!pack) return -1;
    VDS_INPUT_DISK disk{};
    disk.diskId = m.disks.front();
    disk.ullSize = kVolumeBytes;
    ComPtr<IVdsAsync> op;
    VDS_ASYNC_OUTPUT output{};
    const GUID made = nextMadeId(kMadeVolumes);
    if (pack->CreateVolume(VDS_VT_SIMPLE, &disk, 1, 0, op.put()) != S_OK) return -1;
    const HRESULT result = directWait(op, output);
    if (output.cv.pVolumeUnk != nullptr) output.cv.pVolumeUnk->Release();
    if (result != S_OK) return -1;
    pack.reset();
    auto volume = c.object<IVdsVolume>(made, VDS_OT_VOLUME, IID_IVdsVolume);
    return volume && volume->Delete(FALSE) == S_OK ? 1 : -1;
}

// A drive taken offline and brought back online: the LUNs on it are judged
// again each way.
constexpr std::int16_t kDriveOnline = 1;
constexpr std::int16_t kDriveOffline = 4;

std::vector<unsigned char> driveStatusRequest(const GeneratedMachine& m, std::int16_t status) {
    return BenchRequest(0x0122)
        .put(4, m.hardwareProvider)
        .put(20, m.subSystem)
        .put(36, m.drives.front())
        .put16(52, status)
        .bytes();
}

int directDriveStatusChange(const DirectClient& c, const GeneratedMachine& m) {
    auto subSystem = c.object<IVdsSubSystem>(m.subSystem, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem);
    if (!subSystem) return -1;
    auto drive = c.object<IVdsDrive>(m.drives.front(), VDS_OT_DRIVE, IID_IVdsDrive);
    if (!drive) return -1;
    return drive->SetStatus(static_cast<VDS_DRIVE_STATUS>(kDriveOffline)) == S_OK &&
                   drive->SetStatus(static_cast<VDS_DRIVE_STATUS>(kDriveOnline)) == S_OK
               ? 1
               : -1;
}

// The machines of the changes, by the number of objects of the kind a change
// concerns. Only the whole machine grows: what one change reaches (the drive
// and its LUNs, the LUNs on the chosen drive, the disk, the pack and its
// volumes) stays the same size.
MachineShape drivesMachine(int n) { return {.drives = n, .luns = 8}; }
MachineShape lunsMachine(int n) { return {.drives = n / 8, .luns = n}; }
MachineShape disksMachine(int n) { return {.basicDisks = n}; }
MachineShape volumesMachine(int n) { return {.packs = n / 100, .disksPerPack = 4, .volumesPerPack = 100}; }

}  // namespace

std::vector<PairedCase> readAndChangeCases(const std::vector<int>& sizes) {
    const MachineShape small{.drives = 64, .luns = 16};
    std::vector<PairedCase> cases{{"ReadDrive", small, 1, getDriveRequest, directGetDrive, {}}};
    for (int n : sizes) {
        const std::string at = "/" + std::to_string(n);
        cases.push_back({"ChangeDriveStatus" + at, drivesMachine(n), 1,
                         [](const GeneratedMachine& m) { return driveStatusRequest(m, kDriveOffline); },
                         directDriveStatusChange,
                         [](const GeneratedMachine& m) { return driveStatusRequest(m, kDriveOnline); }});
        cases.push_back({"CreateDeleteLun" + at, lunsMachine(n), 1, createLunRequest, directCreateAndDeleteLun,
                         deleteMadeLun});
        cases.push_back({"CreateDeletePartition" + at, disksMachine(n), 1, createPartitionRequest,
                         directCreateAndDeletePartition, deleteMadePartition});
        cases.push_back({"CreateDeleteVolume" + at, volumesMachine(n), 1, createVolumeRequest,
                         directCreateAndDeleteVolume, deleteMadeVolume});
    }
    // The same changes with the machine kept in a state file.
    for (std::size_t i = 0, n = cases.size(); i < n; ++i)
        if (cases[i].name.starts_with("ChangeDriveStatus/") || cases[i].name.starts_with("CreateDeleteLun/")) {
            PairedCase kept = cases[i];
            kept.name = "Kept" + kept.name;
            kept.keptInStateFile = true;
            cases.push_back(std::move(kept));
        }
    return cases;
}
