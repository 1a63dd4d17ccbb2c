// The COM face of a disk: IVdsDisk and IVdsAdvancedDisk.
#include <algorithm>
#include <memory>

#include "changes/disk_changes.h"
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
        return changeNow("IVdsDisk::ConvertStyle", joinArgs(style), convertStyle(id(), style));
    }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG flags) override {
        return changeNow("IVdsDisk::SetFlags", joinArgs(Hex{flags}), setDiskFlags(id(), flags));
    }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG flags) override {
        return changeNow("IVdsDisk::ClearFlags", joinArgs(Hex{flags}), clearDiskFlags(id(), flags));
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
        std::vector<VDS_PARTITION_PROP> parts;
        const HRESULT hr = Core::instance().read([&](const Model& m) {
            const Disk& d = m.disks.at(id());
            for (const auto& part : d.partitions) parts.push_back(toVds(d, part));
            return queryPartitions(m, id());
        });
        if (FAILED(hr)) return hr;
        *pp = coArray(parts);
        *pn = static_cast<LONG>(parts.size());
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreatePartition(ULONGLONG offset, ULONGLONG size, const CREATE_PARTITION_PARAMETERS* para,
                                              IVdsAsync** ppAsync) override {
        if (ppAsync != nullptr) *ppAsync = nullptr;
        Call call = enter("IVdsAdvancedDisk::CreatePartition", joinArgs(offset, size));
        if (call.hr != S_OK) return call.hr;
        if (ppAsync == nullptr || para == nullptr) return E_POINTER;
        const NewPartition wanted = newPartitionFromVds(offset, size, *para);
        std::uint64_t start = 0;
        const HRESULT checked = Core::instance().read(
            [&](const Model& m) { return checkCreatePartition(m, id(), wanted, start); });
        if (checked != S_OK) return checked;
        // The partition starts where the change finds room as it is applied.
        return startOperationNow(ppAsync, "IVdsAdvancedDisk::CreatePartition", {VDS_ASYNCOUT_CREATEPARTITION},
                                 createPartition(id(), wanted),
                                 [](VDS_ASYNC_OUTPUT& out, const ChangeOutput& made) {
                                     out.cp.ullOffset = made.offset;
                                     out.cp.volumeId = made.made;
                                 });
    }
    HRESULT STDMETHODCALLTYPE DeletePartition(ULONGLONG offset, BOOL force, BOOL forceProtected) override {
        return changeNow("IVdsAdvancedDisk::DeletePartition", joinArgs(offset, force, forceProtected),
                         deletePartition(id(), offset, force != FALSE, forceProtected != FALSE));
    }
    HRESULT STDMETHODCALLTYPE ChangeAttributes(ULONGLONG offset, const CHANGE_ATTRIBUTES_PARAMETERS*) override {
        return unsimulated("IVdsAdvancedDisk::ChangeAttributes", joinArgs(offset));
    }
    HRESULT STDMETHODCALLTYPE AssignDriveLetter(ULONGLONG offset, WCHAR letter) override {
        return changeNow("IVdsAdvancedDisk::AssignDriveLetter", joinArgs(offset, letter),
                         assignDriveLetter(id(), offset, static_cast<char16_t>(letter)));
    }
    HRESULT STDMETHODCALLTYPE DeleteDriveLetter(ULONGLONG offset, WCHAR letter) override {
        return changeNow("IVdsAdvancedDisk::DeleteDriveLetter", joinArgs(offset, letter),
                         deleteDriveLetter(id(), offset, static_cast<char16_t>(letter)));
    }
    HRESULT STDMETHODCALLTYPE GetDriveLetter(ULONGLONG offset, WCHAR* pwcLetter) override {
        if (pwcLetter == nullptr) return E_POINTER;
        *pwcLetter = 0;
        auto call = enter("IVdsAdvancedDisk::GetDriveLetter", joinArgs(offset));
        if (call.hr != S_OK) return call.hr;
        char16_t letter = 0;
        const HRESULT hr =
            Core::instance().read([&](const Model& m) { return partitionDriveLetter(m, id(), offset, letter); });
        *pwcLetter = static_cast<WCHAR>(letter);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE FormatPartition(ULONGLONG offset, VDS_FILE_SYSTEM_TYPE type, LPCWSTR label, DWORD unit,
                                              BOOL force, BOOL quick, BOOL compress, IVdsAsync** ppAsync) override {
        if (ppAsync != nullptr) *ppAsync = nullptr;
        Call call = enter("IVdsAdvancedDisk::FormatPartition",
                          joinArgs(offset, type, label, unit, force, quick, compress));
        if (call.hr != S_OK) return call.hr;
        if (ppAsync == nullptr) return E_POINTER;
        const HRESULT checked =
            Core::instance().read([&](const Model& m) { return checkFormatPartition(m, id(), offset); });
        if (checked != S_OK) return checked;
        PartitionFormat format;
        format.offset = offset;
        format.type = type;
        format.hasLabel = label != nullptr;
        if (label != nullptr) format.label = modelText(label);
        format.allocationUnit = unit;
        format.force = force != FALSE;
        return startOperationNow(ppAsync, "IVdsAdvancedDisk::FormatPartition", {VDS_ASYNCOUT_FORMAT},
                                 formatPartition(id(), format));
    }
    HRESULT STDMETHODCALLTYPE Clean(BOOL force, BOOL forceOem, BOOL full, IVdsAsync** ppAsync) override {
        if (ppAsync != nullptr) *ppAsync = nullptr;
        Call call = enter("IVdsAdvancedDisk::Clean", joinArgs(force, forceOem, full));
        if (call.hr != S_OK) return call.hr;
        if (ppAsync == nullptr) return E_POINTER;
        const HRESULT checked = Core::instance().read(
            [&](const Model& m) { return checkClean(m, id(), force != FALSE, forceOem != FALSE); });
        if (checked != S_OK) return checked;
        // The one operation of the basic provider that Cancel stops.
        return startOperationNow(ppAsync, "IVdsAdvancedDisk::Clean", {VDS_ASYNCOUT_CLEAN, true},
                                 cleanDisk(id(), force != FALSE, forceOem != FALSE));
    }

private:
    // After entry and the checks the real method makes before it returns:
    // the change runs on the worker, and the caller gets its operation.
    static HRESULT startOperationNow(IVdsAsync** ppAsync, const char* method, OperationOptions options,
                                     ChangeFunction change, DeliverOutput deliver = {}) {
        IVdsAsync* op = startChange(method, options, std::move(change), std::move(deliver));
        if (op == nullptr) return E_OUTOFMEMORY;
        *ppAsync = op;
        return S_OK;
    }
    void* face(REFIID riid) override {
        if (riid == IID_IVdsDisk) return static_cast<IVdsDisk*>(this);
        if (riid == IID_IVdsAdvancedDisk) return static_cast<IVdsAdvancedDisk*>(this);
        return nullptr;
    }
};

}  // namespace

ModelObject* makeDiskObject(const GUID& id) { return new DiskObject(id); }

}  // namespace tolvane::sim
