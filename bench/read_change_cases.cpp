// A read of one object and a change made and undone, each beside the direct
// client. Changes of partitions and volumes are further rows once their
// commands exist.
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

}  // namespace

std::vector<PairedCase> readAndChangeCases() {
    const MachineShape small{.drives = 64, .luns = 16};
    return {
        {"ReadDrive", small, 1, getDriveRequest, directGetDrive, {}},
        {"CreateDeleteLun", small, 1, createLunRequest, directCreateAndDeleteLun, deleteMadeLun},
    };
}
