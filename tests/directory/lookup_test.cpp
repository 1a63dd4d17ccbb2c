#include <gtest/gtest.h>

#include "bridge/connection.h"
#include "directory/children.h"
#include "directory/finders.h"
#include "directory/lookup.h"
#include "directory/providers.h"
#include "default_machine.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

constexpr GUID kSubSystem = machine::kSubSystem;
constexpr GUID kHwProvider = machine::kHwProvider;
constexpr GUID kBasicProvider = machine::kBasicProvider;
constexpr GUID kDynamicProvider = machine::kDynamicProvider;
constexpr GUID kBasicPack = machine::kBasicPack;
constexpr GUID kDynamicPack = machine::kDynamicPack;
constexpr GUID kBasicVolume = machine::kVolumeC;
constexpr GUID kMirrorVolume = machine::kMirrorVolume;
constexpr GUID kMirrorPlex2 = machine::kMirrorVolumePlex2;

std::size_t countLines(const std::string& prefix) {
    std::size_t n = 0;
    for (const std::string& line : journal())
        if (line.rfind(prefix, 0) == 0) ++n;
    return n;
}

class Lookup : public ServiceTest {
protected:
    // The open connection's service, as the library's commands are given it.
    static IVdsService* service() { return vdsConnectionView().service; }

    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
};

TEST_F(Lookup, GetObjectFindsByIdentifierAndTypeOnly) {
    ComPtr<IUnknown> found(vdsGetObject(service(), VDS_OT_SUB_SYSTEM, kSubSystem));
    EXPECT_TRUE(found);
    EXPECT_EQ(vdsGetObject(service(), VDS_OT_LUN, kSubSystem), nullptr);
    EXPECT_EQ(vdsGetObject(service(), VDS_OT_SUB_SYSTEM, guidOf("20000000-0000-4000-8000-0000000000FF")), nullptr);
}

TEST_F(Lookup, WithoutAConnectionNothingIsAskedOfTheService) {
    capturedStdout([] { vdsUninitialize(); });
    VdsSimJournalClear();
    EXPECT_EQ(vdsGetObject(service(), VDS_OT_SUB_SYSTEM, kSubSystem), nullptr);
    EXPECT_EQ(vdsFindHwProvider(service(), kHwProvider), nullptr);
    EXPECT_EQ(vdsFindSwProvider(service(), kBasicProvider), nullptr);
    EXPECT_TRUE(journal().empty());
}

TEST_F(Lookup, ProvidersAreFoundAmongTheirOwnKindAndEveryOtherIsReleased) {
    ComPtr<IVdsHwProvider> hardware(vdsFindHwProvider(service(), kHwProvider));
    EXPECT_TRUE(hardware);
    EXPECT_EQ(vdsFindHwProvider(service(), kBasicProvider), nullptr);
    ComPtr<IVdsSwProvider> software(vdsFindSwProvider(service(), kDynamicProvider));
    EXPECT_TRUE(software);
    EXPECT_EQ(vdsFindSwProvider(service(), guidOf("60000000-0000-4000-8000-0000000000FF")), nullptr);
    hardware.reset();
    software.reset();
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(Lookup, FindersSearchOneParentOnly) {
    ComPtr<IVdsSwProvider> dynamic(vdsFindSwProvider(service(), kDynamicProvider));
    ASSERT_TRUE(dynamic);
    EXPECT_EQ(vdsFindPack(dynamic.get(), kBasicPack), nullptr);
    ComPtr<IVdsPack> pack(vdsFindPack(dynamic.get(), kDynamicPack));
    ASSERT_TRUE(pack);
    // A volume of the basic pack is not a volume of the dynamic pack.
    EXPECT_EQ(vdsFindVolume(pack.get(), kBasicVolume), nullptr);
    ComPtr<IVdsVolume> volume(vdsFindVolume(pack.get(), kMirrorVolume));
    ASSERT_TRUE(volume);
    ComPtr<IVdsVolumePlex> plex(vdsFindVolumePlex(volume.get(), kMirrorPlex2));
    ASSERT_TRUE(plex);
    EXPECT_EQ(VdsSimObjectReferences(&kMirrorPlex2), 1);
}

TEST_F(Lookup, AChildWhosePropertiesAreNotPlainSuccessCannotMatch) {
    ComPtr<IVdsSwProvider> dynamic(vdsFindSwProvider(service(), kDynamicProvider));
    ComPtr<IVdsPack> pack(vdsFindPack(dynamic.get(), kDynamicPack));
    ASSERT_TRUE(pack);
    VdsSimFailProperties(&kMirrorVolume, S_FALSE);
    EXPECT_EQ(vdsFindVolume(pack.get(), kMirrorVolume), nullptr);
}

TEST_F(Lookup, AParentWithoutChildrenIsNotEnumeratedTwice) {
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"softwareProviders": [{
        "id": "60000000-0000-4000-8000-000000000002", "name": "D", "version": "1", "kind": "dynamic",
        "packs": [{"id": "70000000-0000-4000-8000-000000000002", "name": "empty"}]}]})"),
              0);
    ComPtr<IVdsSwProvider> dynamic(vdsFindSwProvider(service(), kDynamicProvider));
    ComPtr<IVdsPack> pack(vdsFindPack(dynamic.get(), kDynamicPack));
    ASSERT_TRUE(pack);
    VdsSimJournalClear();
    EXPECT_EQ(vdsFindVolume(pack.get(), kMirrorVolume), nullptr);
    EXPECT_EQ(countLines("IVdsPack::QueryVolumes"), 1u);
}

TEST_F(Lookup, CollectingStopsAtTheCapacity) {
    ComPtr<IVdsSubSystem> subSystem;
    ASSERT_EQ(vdsResolve(service(), VDS_OT_SUB_SYSTEM, kSubSystem, IID_IVdsSubSystem, subSystem), Resolved::Found);
    EXPECT_EQ(vdsGetDriveCount(subSystem.get()), 8);
    InterfaceArray<IVdsDrive> drives(3);
    drives.setSize(vdsGetDrives(subSystem.get(), drives.data(), drives.capacity()));
    EXPECT_EQ(drives.size(), 3);
    for (IVdsDrive* drive : drives) EXPECT_NE(drive, nullptr);
    vdsReleaseAll(nullptr, 0);
}

TEST_F(Lookup, TheLunListingsTraceWithoutLineEnds) {
    ComPtr<IVdsSubSystem> subSystem;
    ASSERT_EQ(vdsResolve(service(), VDS_OT_SUB_SYSTEM, kSubSystem, IID_IVdsSubSystem, subSystem), Resolved::Found);
    InterfaceArray<IVdsLun> luns;
    const std::string out = capturedStdout([&] { luns = vdsCollect(subSystem.get(), vdsGetLunCount, vdsGetLuns); });
    EXPECT_EQ(out, "vdsGetLunCount(IVdsSubSystem *)vdsGetLuns(IVdsSubSystem *, IVdsLun **, int )");
    EXPECT_EQ(luns.size(), 3);
}

TEST_F(Lookup, CountingAHeldEnumerationLeavesItAtItsStart) {
    ComPtr<IEnumVdsObject> providers;
    ASSERT_EQ(vdsConnectionView().service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, providers.put()), S_OK);
    EXPECT_EQ(vdsCountObjects(providers.get()), 2);
    EXPECT_EQ(vdsCountObjects(providers.get()), 2);
    int walked = 0;
    vdsWalk(providers.get(), [&](ComPtr<IUnknown>) { return ++walked < 100; });
    EXPECT_EQ(walked, 2);
}

}  // namespace
