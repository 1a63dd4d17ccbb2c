// The COM face of a disk: IVdsDisk and IVdsAdvancedDisk.
#include <algorithm>

#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class DiskObject final : public FacedObject, public IVdsDisk, public IVdsAdvancedDisk {
public:
    explicit DiskObject(const GUID& id) : FacedObject(Kind::Disk, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsDisk)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_DISK_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_DISK_PROP{};
        auto call = enterProperties("IVdsDisk::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Disk& d = m.disks.at(id());
            p->id = d.id;
            p->status = static_cast<VDS_DISK_STATUS>(d.status);
            p->ReserveMode = static_cast<VDS_LUN_RESERVE_MODE>(d.reserveMode);
            p->health = static_cast<VDS_HEALTH>(d.health);
            p->dwDeviceType = d.deviceType;
            p->dwMediaType = d.mediaType;
            p->ullSize = d.size;
            p->ulBytesPerSector = d.bytesPerSector;
            p->ulSectorsPerTrack = d.sectorsPerTrack;
            p->ulTracksPerCylinder = d.tracksPerCylinder;
            p->ulFlags = d.flags;
            p->BusType = static_cast<VDS_STORAGE_BUS_TYPE>(d.busType);
            p->PartitionStyle = static_cast<VDS_PARTITION_STYLE>(d.partitionStyle);
            if (d.partitionStyle == 1) p->dwSignature = d.signature;
            if (d.partitionStyle == 2) p->DiskGuid = d.diskGuid;
            p->pwszDiskAddress = coString(d.diskAddress);
            p->pwszName = coString(d.name);
            p->pwszFriendlyName = coString(d.friendlyName);
            p->pwszAdaptorName = coString(d.adaptorName);
            p->pwszDevicePath = coString(d.devicePath);
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsDisk::GetPack");
        if (call.hr != S_OK) return call.hr;
        GUID pack = Core::instance().read([&](const Model& m) { return m.disks.at(id()).pack; });
        return handOut(Kind::Pack, pack, IID_IVdsPack, pp);
    }
    HRESULT STDMETHODCALLTYPE GetIdentificationData(VDS_LUN_INFORMATION* info) override {
        if (info == nullptr) return E_POINTER;
        *info = VDS_LUN_INFORMATION{};
        auto call = enter("IVdsDisk::GetIdentificationData");
        if (call.hr != S_OK) return call.hr;
        return notSimulatedYet();
    }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        auto call = enter("IVdsDisk::QueryExtents");
        if (call.hr != S_OK) return call.hr;
        auto extents = toVds(Core::instance().read([&](const Model& m) { return m.diskExtents(id()); }));
        *pp = coArray(extents);
        *pn = static_cast<LONG>(extents.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ConvertStyle(VDS_PARTITION_STYLE style) override {
        return unsimulated("IVdsDisk::ConvertStyle", joinArgs(style));
    }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG flags) override { return unsimulated("IVdsDisk::SetFlags", joinArgs(Hex{flags})); }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG flags) override {
        return unsimulated("IVdsDisk::ClearFlags", joinArgs(Hex{flags}));
    }

    // IVdsAdvancedDisk
    HRESULT STDMETHODCALLTYPE GetPartitionProperties(ULONGLONG offset, VDS_PARTITION_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_PARTITION_PROP{};
        auto call = enter("IVdsAdvancedDisk::GetPartitionProperties", joinArgs(offset));
        if (call.hr != S_OK) return call.hr;
        return Core::instance().read([&](const Model& m) {
            const Disk& d = m.disks.at(id());
            for (const auto& part : d.partitions)
                if (part.offset == offset) {
                    *p = toVds(d, part);
                    return S_OK;
                }
            return VDS_E_OBJECT_NOT_FOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE QueryPartitions(VDS_PARTITION_PROP** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        auto call = enter("IVdsAdvancedDisk::QueryPartitions");
        if (call.hr != S_OK) return call.hr;
        std::vector<VDS_PARTITION_PROP> parts = Core::instance().read([&](const Model& m) {
            std::vector<VDS_PARTITION_PROP> out;
            const Disk& d = m.disks.at(id());
            for (const auto& part : d.partitions) out.push_back(toVds(d, part));
            return out;
        });
        *pp = coArray(parts);
        *pn = static_cast<LONG>(parts.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreatePartition(ULONGLONG offset, ULONGLONG size, const CREATE_PARTITION_PARAMETERS*,
                                              IVdsAsync** ppAsync) override {
        return unsimulatedAsync("IVdsAdvancedDisk::CreatePartition", joinArgs(offset, size), ppAsync);
    }
    HRESULT STDMETHODCALLTYPE DeletePartition(ULONGLONG offset, BOOL force, BOOL forceProtected) override {
        return unsimulated("IVdsAdvancedDisk::DeletePartition", joinArgs(offset, force, forceProtected));
    }
    HRESULT STDMETHODCALLTYPE ChangeAttributes(ULONGLONG offset, const CHANGE_ATTRIBUTES_PARAMETERS*) override {
        return unsimulated("IVdsAdvancedDisk::ChangeAttributes", joinArgs(offset));
    }
    HRESULT STDMETHODCALLTYPE AssignDriveLetter(ULONGLONG offset, WCHAR letter) override {
        return unsimulated("IVdsAdvancedDisk::AssignDriveLetter", joinArgs(offset, letter));
    }
    HRESULT STDMETHODCALLTYPE DeleteDriveLetter(ULONGLONG offset, WCHAR letter) override {
        return unsimulated("IVdsAdvancedDisk::DeleteDriveLetter", joinArgs(offset, letter));
    }
    HRESULT STDMETHODCALLTYPE GetDriveLetter(ULONGLONG offset, WCHAR* pwcLetter) override {
        if (pwcLetter == nullptr) return E_POINTER;
        *pwcLetter = 0;
        auto call = enter("IVdsAdvancedDisk::GetDriveLetter", joinArgs(offset));
        if (call.hr != S_OK) return call.hr;
        return Core::instance().read([&](const Model& m) {
            const Disk& d = m.disks.at(id());
            bool isPartition = std::any_of(d.partitions.begin(), d.partitions.end(),
                                           [&](const Partition& p) { return p.offset == offset; });
            if (!isPartition) return VDS_E_OBJECT_NOT_FOUND;
            const Volume* v = m.volumeAt(id(), offset);
            if (v == nullptr || v->driveLetter == 0) return VDS_E_OBJECT_NOT_FOUND;
            *pwcLetter = v->driveLetter;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE FormatPartition(ULONGLONG offset, VDS_FILE_SYSTEM_TYPE type, LPCWSTR label, DWORD unit,
                                              BOOL force, BOOL quick, BOOL compress, IVdsAsync** ppAsync) override {
        return unsimulatedAsync("IVdsAdvancedDisk::FormatPartition",
                           joinArgs(offset, type, label, unit, force, quick, compress), ppAsync);
    }
    HRESULT STDMETHODCALLTYPE Clean(BOOL force, BOOL forceOem, BOOL full, IVdsAsync** ppAsync) override {
        return unsimulatedAsync("IVdsAdvancedDisk::Clean", joinArgs(force, forceOem, full), ppAsync);
    }

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsDisk) return static_cast<IVdsDisk*>(this);
        if (riid == IID_IVdsAdvancedDisk) return static_cast<IVdsAdvancedDisk*>(this);
        return nullptr;
    }
};

}  // namespace

ModelObject* makeDiskObject(const GUID& id) { return new DiskObject(id); }

}  // namespace tolvane::sim
