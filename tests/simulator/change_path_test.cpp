// The service's change path: all or nothing, notified in commit order, and
// objects that a change took away answering as deleted.
#include <thread>

#include "change_support.h"
#include "wide_text.h"

using namespace simtest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using ChangePath = ChangeSession;

struct RefusedChange {
    const char* name;
    HRESULT (*apply)();
    HRESULT expected;
};

class RefusedChanges : public ChangeSession, public ::testing::WithParamInterface<RefusedChange> {};

TEST_P(RefusedChanges, LeaveTheMachineAsItWasAndSendNothing) {
    const unsigned long long before = VdsSimModelDigest();
    EXPECT_EQ(GetParam().apply(), GetParam().expected);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Each, RefusedChanges,
    ::testing::Values(
        RefusedChange{"unknownObject",
                      [] {
                          const GUID nobody = id("4F000000-0000-4000-8000-0000000000FF");
                          return VdsSimSetStatus(&nobody, VDS_DRS_OFFLINE);
                      },
                      VDS_E_OBJECT_NOT_FOUND},
        RefusedChange{"statusAlreadySo",
                      [] {
                          const GUID drive = id(kFreeDrive);
                          return VdsSimSetStatus(&drive, VDS_DRS_ONLINE);
                      },
                      S_FALSE},
        RefusedChange{"providerHasNoStatus",
                      [] {
                          const GUID provider = id(kHwProvider);
                          return VdsSimSetStatus(&provider, 1);
                      },
                      VDS_E_NOT_SUPPORTED},
        RefusedChange{"removeUnknown",
                      [] {
                          const GUID nobody = id("4F000000-0000-4000-8000-0000000000FF");
                          return VdsSimRemoveObject(&nobody);
                      },
                      VDS_E_OBJECT_NOT_FOUND},
        // A LUN lives on this drive; pulling it out of the model would leave
        // the LUN's extent pointing nowhere.
        RefusedChange{"removeDriveInUse",
                      [] {
                          const GUID drive = id(kDrive1);
                          return VdsSimRemoveObject(&drive);
                      },
                      VDS_E_DEVICE_IN_USE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChangePath, PulledDriveDepartsAndArrivesAgain) {
    const GUID drive = id(kFreeDrive);
    const unsigned long long before = VdsSimModelDigest();
    ASSERT_EQ(VdsSimSetStatus(&drive, VDS_DRS_REMOVED), S_OK);
    EXPECT_NE(VdsSimModelDigest(), before);
    ASSERT_EQ(VdsSimSetStatus(&drive, VDS_DRS_FAILED), S_OK);
    ASSERT_EQ(VdsSimSetStatus(&drive, VDS_DRS_ONLINE), S_OK);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_DEPART, drive}, Notice{VDS_NF_DRIVE_ARRIVE, drive},
                                         Notice{VDS_NF_DRIVE_MODIFY, drive}));

    auto d = get<IVdsDrive>(kFreeDrive, VDS_OT_DRIVE);
    VDS_DRIVE_PROP prop{};
    ASSERT_EQ(d->GetProperties(&prop), S_OK);
    EXPECT_EQ(prop.status, VDS_DRS_ONLINE);
    CoTaskMemFree(prop.pwszFriendlyName);
    CoTaskMemFree(prop.pwszIdentification);
}

TEST_F(ChangePath, RemovedLunDepartsAndFreesItsDrives) {
    const GUID lun = id(kMirrorLun);
    ASSERT_EQ(VdsSimRemoveObject(&lun), S_OK);
    // The subsystem's properties are as they were: it is not modified.
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_LUN_DEPART, lun},
                                         Notice{VDS_NF_DRIVE_MODIFY, id(kDrive2)},
                                         Notice{VDS_NF_DRIVE_MODIFY, id(kDrive3)}));
    ComPtr<IUnknown> gone;
    EXPECT_EQ(service->GetObject(lun, VDS_OT_LUN, gone.put()), VDS_E_OBJECT_NOT_FOUND);
}

TEST_F(ChangePath, HeldObjectAnswersDeletedToEveryCall) {
    auto lun = get<IVdsLun>(kMirrorLun, VDS_OT_LUN);
    auto maintenance = as<IVdsMaintenance>(lun.get());
    ASSERT_TRUE(lun && maintenance);
    const GUID lunId = id(kMirrorLun);
    ASSERT_EQ(VdsSimRemoveObject(&lunId), S_OK);

    VDS_LUN_PROP prop{};
    EXPECT_EQ(lun->GetProperties(&prop), VDS_E_OBJECT_DELETED);
    ComPtr<IVdsSubSystem> sub;
    EXPECT_EQ(lun->GetSubSystem(sub.put()), VDS_E_OBJECT_DELETED);
    ComPtr<IEnumVdsObject> e;
    EXPECT_EQ(lun->QueryPlexes(e.put()), VDS_E_OBJECT_DELETED);
    EXPECT_EQ(lun->QueryActiveControllers(e.put()), VDS_E_OBJECT_DELETED);
    ComPtr<IVdsAsync> op;
    EXPECT_EQ(lun->Extend(1 << 20, nullptr, 0, op.put()), VDS_E_OBJECT_DELETED);
    EXPECT_FALSE(op);
    EXPECT_EQ(lun->Delete(), VDS_E_OBJECT_DELETED);
    EXPECT_EQ(maintenance->StartMaintenance(BlinkLight), VDS_E_OBJECT_DELETED);
    // Its reference counting still works: the test's teardown finds no leak.
}

TEST_F(ChangePath, RemovedControllerLeavesTheLunsItServed) {
    const GUID controller = id(kControllerB);
    ASSERT_EQ(VdsSimRemoveObject(&controller), S_OK);
    auto notices = sink.take();
    auto at = [&](const Notice& n) { return std::find(notices.begin(), notices.end(), n) - notices.begin(); };
    const auto departs = at({VDS_NF_CONTROLLER_DEPART, controller});
    const auto lunModified = at({VDS_NF_LUN_MODIFY, id(kStripeLun)});
    ASSERT_LT(departs, std::ssize(notices));
    ASSERT_LT(lunModified, std::ssize(notices));
    EXPECT_LT(departs, lunModified) << "departures come before the modifications they cause";
    auto lun = get<IVdsLun>(kStripeLun, VDS_OT_LUN);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(lun->QueryActiveControllers(e.put()), S_OK);
    EXPECT_TRUE(collect<IVdsController>(e.get()).empty());
}

// Two threads pull and replug one drive as fast as they can; each change
// only happens after the other's commit, so the notices must alternate. A
// batch posted after the lock was let go could overtake its predecessor.
TEST_F(ChangePath, ConcurrentChangesNotifyInCommitOrder) {
    const GUID drive = id(kFreeDrive);
    std::atomic<int> committed{0};
    auto flip = [&](int status) {
        for (int i = 0; i < 2000; ++i)
            if (VdsSimSetStatus(&drive, status) == S_OK) ++committed;
    };
    std::thread pull(flip, VDS_DRS_REMOVED);
    std::thread plug(flip, VDS_DRS_ONLINE);
    pull.join();
    plug.join();
    if (committed % 2 == 1) {  // left pulled: plug it back for the next test
        ASSERT_EQ(VdsSimSetStatus(&drive, VDS_DRS_ONLINE), S_OK);
        ++committed;
    }

    auto notices = sink.take();
    ASSERT_EQ(notices.size(), static_cast<size_t>(committed.load()));
    for (size_t i = 0; i < notices.size(); ++i)
        ASSERT_EQ(notices[i].event, i % 2 == 0 ? VDS_NF_DRIVE_DEPART : VDS_NF_DRIVE_ARRIVE) << "notice " << i;
}

}  // namespace

namespace {

// A changing COM method that only forwards to its change function.
TEST_F(ChangePath, SetMaskChangesTheListAndTellsItOnce) {
    auto lun = get<IVdsLun>(kBootLun, VDS_OT_LUN);
    const unsigned long long before = VdsSimModelDigest();
    ASSERT_EQ(lun->SetMask(wideText(u"iqn.2026-12.example:host1")), S_OK);
    // The same host spelt otherwise is the same list; a malformed one is refused.
    ASSERT_EQ(lun->SetMask(wideText(u"IQN.2026-12.Example:HOST1;")), S_OK);
    EXPECT_EQ(lun->SetMask(wideText(u"*;iqn.2026-12.example:host2")), E_INVALIDARG);
    EXPECT_NE(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_LUN_MODIFY, id(kBootLun)}));
    VDS_LUN_PROP p{};
    ASSERT_EQ(lun->GetProperties(&p), S_OK);
    EXPECT_EQ(narrow(p.pwszUnmaskingList), "iqn.2026-12.example:host1");
    CoTaskMemFree(p.pwszFriendlyName);
    CoTaskMemFree(p.pwszIdentification);
    CoTaskMemFree(p.pwszUnmaskingList);
}

TEST_F(ChangePath, InjectedFailureOfAChangingMethodChangesNothing) {
    auto lun = get<IVdsLun>(kBootLun, VDS_OT_LUN);
    const unsigned long long before = VdsSimModelDigest();
    VdsSimInjectFault("IVdsLun::SetMask", 1, VDS_E_PROVIDER_FAILURE);
    EXPECT_EQ(lun->SetMask(wideText(u"*")), VDS_E_PROVIDER_FAILURE);
    EXPECT_EQ(lun->SetMask(nullptr), E_POINTER);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), IsEmpty());
}

}  // namespace
