// Reference counts: every object kind handed out is given back, and one
// face per object keeps COM identity across lookups.
#include "sim_session.h"

using namespace simtest;

namespace {

using References = SimSession;

// Walks the whole machine through enumerations, holding every object at once.
TEST_F(References, WalkingTheWholeMachineAndReleasingReturnsToZero) {
    std::vector<ComPtr<IUnknown>> held;
    auto keep = [&](IUnknown* unk) {
        unk->AddRef();
        held.emplace_back(unk);
    };
    ComPtr<IEnumVdsObject> providers;
    ASSERT_EQ(service->QueryProviders(3, providers.put()), S_OK);
    for (auto& p : collect<IUnknown>(providers.get())) {
        keep(p.get());
        ComPtr<IEnumVdsObject> e;
        if (auto hw = as<IVdsHwProvider>(p.get())) {
            ASSERT_EQ(hw->QuerySubSystems(e.put()), S_OK);
            for (auto& s : collect<IVdsSubSystem>(e.get())) {
                keep(s.get());
                ComPtr<IEnumVdsObject> c;
                ASSERT_EQ(s->QueryControllers(c.put()), S_OK);
                for (auto& x : collect<IVdsController>(c.get())) keep(x.get());
                ASSERT_EQ(s->QueryDrives(c.put()), S_OK);
                for (auto& x : collect<IVdsDrive>(c.get())) keep(x.get());
                ASSERT_EQ(s->QueryLuns(c.put()), S_OK);
                for (auto& lun : collect<IVdsLun>(c.get())) {
                    keep(lun.get());
                    ComPtr<IEnumVdsObject> pl;
                    ASSERT_EQ(lun->QueryPlexes(pl.put()), S_OK);
                    for (auto& x : collect<IVdsLunPlex>(pl.get())) keep(x.get());
                }
            }
        } else if (auto sw = as<IVdsSwProvider>(p.get())) {
            ASSERT_EQ(sw->QueryPacks(e.put()), S_OK);
            for (auto& pack : collect<IVdsPack>(e.get())) {
                keep(pack.get());
                ComPtr<IEnumVdsObject> c;
                ASSERT_EQ(pack->QueryDisks(c.put()), S_OK);
                for (auto& x : collect<IVdsDisk>(c.get())) keep(x.get());
                ASSERT_EQ(pack->QueryVolumes(c.put()), S_OK);
                for (auto& v : collect<IVdsVolume>(c.get())) {
                    keep(v.get());
                    ComPtr<IEnumVdsObject> pl;
                    ASSERT_EQ(v->QueryPlexes(pl.put()), S_OK);
                    for (auto& x : collect<IVdsVolumePlex>(pl.get())) keep(x.get());
                }
            }
        }
    }
    EXPECT_GE(held.size(), 40u);
    EXPECT_EQ(VdsSimLiveReferences(), static_cast<long>(held.size()) + 1);  // + the provider enumeration
    EXPECT_EQ(VdsSimObjectReferences(&static_cast<const GUID&>(id(kSubSystem))), 1);
    held.clear();
    providers.reset();
    EXPECT_EQ(VdsSimLiveReferences(), 0);
    const GUID sub = id(kSubSystem);
    EXPECT_EQ(VdsSimObjectReferences(&sub), 0);
}

TEST_F(References, OneFacePerObjectWhileHeld) {
    auto a = object(kBootLun, VDS_OT_LUN);
    auto b = object(kBootLun, VDS_OT_LUN);
    EXPECT_EQ(a.get(), b.get());
    const GUID lun = id(kBootLun);
    EXPECT_EQ(VdsSimObjectReferences(&lun), 2);
    ComPtr<IVdsMaintenance> m;
    ASSERT_EQ(a.queryInterface(IID_IVdsMaintenance, m), S_OK);
    ComPtr<IUnknown> back;
    ASSERT_EQ(m->QueryInterface(IID_IUnknown, back.putVoid()), S_OK);
    EXPECT_EQ(back.get(), a.get());
    EXPECT_EQ(VdsSimObjectReferences(&lun), 4);
    a.reset();
    b.reset();
    m.reset();
    back.reset();
    EXPECT_EQ(VdsSimObjectReferences(&lun), 0);
}

TEST_F(References, NavigationHandsOutCountedReferences) {
    auto plex = get<IVdsVolumePlex>(kVolumeCPlex, VDS_OT_VOLUME_PLEX);
    ComPtr<IVdsVolume> volume;
    ASSERT_EQ(plex->GetVolume(volume.put()), S_OK);
    ComPtr<IVdsPack> pack;
    ASSERT_EQ(volume->GetPack(pack.put()), S_OK);
    ComPtr<IVdsProvider> provider;
    ASSERT_EQ(pack->GetProvider(provider.put()), S_OK);
    VDS_PROVIDER_PROP p{};
    ASSERT_EQ(provider->GetProperties(&p), S_OK);
    EXPECT_EQ(p.id, id(kBasicProvider));
    EXPECT_EQ(p.type, VDS_PT_SOFTWARE);
    CoTaskMemFree(p.pwszName);
    CoTaskMemFree(p.pwszVersion);
    EXPECT_EQ(VdsSimLiveReferences(), 4);
}

}  // namespace
