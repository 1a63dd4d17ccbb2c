// A read of one object and changes made and undone (a LUN, a partition, a
// volume), each beside the direct client.
#include <cstring>

#include "paired_case.h"

namespace {

constexpr int kObjectAt = 36;
constexpr std::int64_t kLunBytes = 1 << 30;
// The service names the LUNs it makes with the first free serial under this
// prefix, so on a machine without made LUNs the new one is always this.
constexpr GUID kMadeLun{0x52000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};

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
    return BenchRequest(0x0200).put(kObjectAt, kMadeLun).bytes();
}

int directCreateAndDeleteLun(const DirectClient& c, const GeneratedMachine& m) {
    auto subSystem = c.object<IVdsSubSystem>(m.subSystem, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem);
    if (!subSystem) return -1;
    VDS_HINTS hints{};
    ComPtr<IVdsAsync> op;
    const GUID drive = m.drives.front();
    if (subSystem->CreateLun(VDS_LT_SIMPLE, kLunBytes, &drive, 1, u"*", &hints, op.put()) != S_OK || !op) return -1;
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT output{};
    if (op->Wait(&result, &output) != S_OK || result != S_OK) return -1;
    if (output.cl.pLunUnk != nullptr) output.cl.pLunUnk->Release();
    auto lun = c.object<IVdsLun>(kMadeLun, VDS_OT_LUN, IID_IVdsLun);
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
constexpr GUID kMadeVolume{0x92000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};

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
    return BenchRequest(0x0509).put(4, kMadeVolume).bytes();
}

int directCreateAndDeleteVolume(const DirectClient& c, const GeneratedMachine& m) {
    auto pack = c.object<IVdsPack>(m.packs.front(), VDS_OT_PACK, IID_IVdsPack);
    if (!pack) return -1;
    VDS_INPUT_DISK disk{};
    disk.diskId = m.disks.front();
    disk.ullSize = kVolumeBytes;
    ComPtr<IVdsAsync> op;
    VDS_ASYNC_OUTPUT output{};
    if (pack->CreateVolume(VDS_VT_SIMPLE, &disk, 1, 0, op.put()) != S_OK) return -1;
    const HRESULT made = directWait(op, output);
    if (output.cv.pVolumeUnk != nullptr) output.cv.pVolumeUnk->Release();
    if (made != S_OK) return -1;
    pack.reset();
    auto volume = c.object<IVdsVolume>(kMadeVolume, VDS_OT_VOLUME, IID_IVdsVolume);
    return volume && volume->Delete(FALSE) == S_OK ? 1 : -1;
}

}  // namespace

std::vector<PairedCase> readAndChangeCases() {
    const MachineShape small{.drives = 64, .luns = 16};
    return {
        {"ReadDrive", small, 1, getDriveRequest, directGetDrive, {}},
        {"CreateDeleteLun", small, 1, createLunRequest, directCreateAndDeleteLun, deleteMadeLun},
        {"CreateDeletePartition", {.basicDisks = 1}, 1, createPartitionRequest, directCreateAndDeletePartition,
         deleteMadePartition},
        {"CreateDeleteVolume", {.packs = 1, .disksPerPack = 4, .volumesPerPack = 16}, 1, createVolumeRequest,
         directCreateAndDeleteVolume, deleteMadeVolume},
    };
}
