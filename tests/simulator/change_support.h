// What the change tests share: a sink that keeps each notification as its
// event and object, and a session that listens through it.
#pragma once

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <utility>
#include <vector>

#include "sim_session.h"

namespace simtest {

struct Notice {
    ULONG event;
    GUID object;  // the volume of a drive-letter notice, the disk of a partition notice
    bool operator==(const Notice&) const = default;
};

inline void PrintTo(const Notice& n, std::ostream* os) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X...%02X%02X", static_cast<unsigned>(n.object.Data1), n.object.Data4[6], n.object.Data4[7]);
    *os << "{" << n.event << ", " << text << "}";
}

inline Notice noticeOf(const VDS_NOTIFICATION& n) {
    switch (n.objectType) {
        case VDS_NTT_PACK: return {n.Pack.ulEvent, n.Pack.packId};
        case VDS_NTT_VOLUME: return {n.Volume.ulEvent, n.Volume.volumeId};
        case VDS_NTT_DISK: return {n.Disk.ulEvent, n.Disk.diskId};
        case VDS_NTT_SUB_SYSTEM: return {n.SubSystem.ulEvent, n.SubSystem.subSystemId};
        case VDS_NTT_CONTROLLER: return {n.Controller.ulEvent, n.Controller.controllerId};
        case VDS_NTT_DRIVE: return {n.Drive.ulEvent, n.Drive.driveId};
        case VDS_NTT_LUN: return {n.Lun.ulEvent, n.Lun.LunId};
        case VDS_NTT_PORT: return {n.Port.ulEvent, n.Port.portId};
        case VDS_NTT_PARTITION: return {n.Partition.ulEvent, n.Partition.diskId};
        case VDS_NTT_DRIVE_LETTER: return {n.Letter.ulEvent, n.Letter.volumeId};
        case VDS_NTT_FILE_SYSTEM: return {n.FileSystem.ulEvent, n.FileSystem.volumeId};
        case VDS_NTT_MOUNT_POINT: return {n.MountPoint.ulEvent, n.MountPoint.volumeId};
        case VDS_NTT_SERVICE: return {n.Service.ulEvent, GUID{}};
        default: return {0, GUID{}};
    }
}

class NoticeSink final : public IVdsAdviseSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IVdsAdviseSink) return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnNotify(LONG count, const VDS_NOTIFICATION* records) override {
        std::lock_guard lock(mutex_);
        for (LONG i = 0; i < count; ++i) notices_.push_back(noticeOf(records[i]));
        return S_OK;
    }
    // Everything delivered so far, once the service has delivered what it queued.
    std::vector<Notice> take() {
        VdsSimWaitNotificationsDelivered();
        std::lock_guard lock(mutex_);
        return std::exchange(notices_, {});
    }

private:
    std::mutex mutex_;
    std::vector<Notice> notices_;
};

class ChangeSession : public SimSession {
protected:
    void SetUp() override {
        SimSession::SetUp();
        ASSERT_EQ(service->Advise(&sink, &cookie), S_OK);
    }
    void TearDown() override {
        service->Unadvise(cookie);
        SimSession::TearDown();
    }

    NoticeSink sink;
    DWORD cookie = 0;
};

inline constexpr const char* kFreeDrive = "40000000-0000-4000-8000-000000000006";
inline constexpr const char* kDrive2 = "40000000-0000-4000-8000-000000000002";
inline constexpr const char* kDrive3 = "40000000-0000-4000-8000-000000000003";
inline constexpr const char* kControllerB = "30000000-0000-4000-8000-000000000002";

}  // namespace simtest
