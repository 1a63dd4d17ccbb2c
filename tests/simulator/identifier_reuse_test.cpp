// A deleted object's identifier never comes back: the next object made gets
// a new one, and a client still holding the deleted object is told so by
// every call instead of reaching the new object through it.
#include <functional>

#include "change_support.h"

using namespace simtest;

namespace {

constexpr std::uint64_t kGiB = 1ull << 30;

// What the operation handed back, once it has ended successfully.
VDS_ASYNC_OUTPUT outputOf(ComPtr<IVdsAsync>& op) {
    VDS_ASYNC_OUTPUT out{};
    HRESULT result = E_UNEXPECTED;
    EXPECT_TRUE(op);
    if (op) {
        EXPECT_EQ(op->Wait(&result, &out), S_OK);
        EXPECT_EQ(result, S_OK);
    }
    return out;
}

struct MadeObject {
    ComPtr<IUnknown> object;
    GUID id{};
};

struct ReuseCase {
    const char* kind;
    const char* parent;  // what makes the object
    VDS_OBJECT_TYPE parentType;
    std::function<MadeObject(IUnknown* parent)> make;
    std::function<HRESULT(IUnknown*)> remove;
    std::function<HRESULT(IUnknown*)> anyCall;
};

// A simple 1 GiB volume made in `pack` on `disk`.
ReuseCase volumeCase(const char* kind, const char* pack, const char* disk) {
    return {kind, pack, VDS_OT_PACK,
            [disk](IUnknown* parent) {
                VDS_INPUT_DISK input{};
                input.diskId = id(disk);
                input.ullSize = kGiB;
                ComPtr<IVdsAsync> op;
                EXPECT_EQ(as<IVdsPack>(parent)->CreateVolume(VDS_VT_SIMPLE, &input, 1, 0, op.put()), S_OK);
                MadeObject made{ComPtr<IUnknown>(outputOf(op).cv.pVolumeUnk), {}};
                VDS_VOLUME_PROP p{};
                EXPECT_EQ(as<IVdsVolume>(made.object.get())->GetProperties(&p), S_OK);
                made.id = p.id;
                CoTaskMemFree(p.pwszName);
                return made;
            },
            [](IUnknown* volume) { return as<IVdsVolume>(volume)->Delete(FALSE); },
            [](IUnknown* volume) {
                VDS_VOLUME_PROP p{};
                const HRESULT hr = as<IVdsVolume>(volume)->GetProperties(&p);
                CoTaskMemFree(p.pwszName);
                return hr;
            }};
}

std::vector<ReuseCase> reuseCases() {
    return {
        {"LUN", kSubSystem, VDS_OT_SUB_SYSTEM,
         [](IUnknown* parent) {
             auto subsystem = as<IVdsSubSystem>(parent);
             ComPtr<IVdsAsync> op;
             EXPECT_EQ(subsystem->CreateLun(VDS_LT_SIMPLE, kGiB, nullptr, 0, wideText(u""), nullptr, op.put()), S_OK);
             MadeObject made{ComPtr<IUnknown>(outputOf(op).cl.pLunUnk), {}};
             VDS_LUN_PROP p{};
             EXPECT_EQ(as<IVdsLun>(made.object.get())->GetProperties(&p), S_OK);
             made.id = p.id;
             CoTaskMemFree(p.pwszFriendlyName);
             CoTaskMemFree(p.pwszIdentification);
             CoTaskMemFree(p.pwszUnmaskingList);
             return made;
         },
         [](IUnknown* lun) { return as<IVdsLun>(lun)->Delete(); },
         [](IUnknown* lun) {
             VDS_LUN_PROP p{};
             const HRESULT hr = as<IVdsLun>(lun)->GetProperties(&p);
             CoTaskMemFree(p.pwszFriendlyName);
             CoTaskMemFree(p.pwszIdentification);
             CoTaskMemFree(p.pwszUnmaskingList);
             return hr;
         }},
        volumeCase("volume", kDynamicPack, kDynDisk),
        // A volume of a basic disk is its partition's: deleted, the partition
        // goes too, and the next one made in the same place is another.
        volumeCase("partition's volume", machine::text::kGptPack, kGptDisk),
        // A pack has no Delete of its own; it goes from outside, as when its
        // disks are pulled, while a client still holds it.
        // (The basic provider makes one empty, to take a disk; only one
        // dynamic pack may be online.)
        {"pack", machine::text::kBasicProvider, VDS_OT_PROVIDER,
         [](IUnknown* parent) {
             auto provider = as<IVdsSwProvider>(parent);
             ComPtr<IVdsPack> pack;
             EXPECT_EQ(provider->CreatePack(pack.put()), S_OK);
             MadeObject made{as<IUnknown>(pack.get()), {}};
             VDS_PACK_PROP p{};
             EXPECT_EQ(pack->GetProperties(&p), S_OK);
             made.id = p.id;
             CoTaskMemFree(p.pwszName);
             return made;
         },
         [](IUnknown* pack) {
             VDS_PACK_PROP p{};
             const HRESULT hr = as<IVdsPack>(pack)->GetProperties(&p);
             CoTaskMemFree(p.pwszName);
             return FAILED(hr) ? hr : VdsSimRemoveObject(&p.id);
         },
         [](IUnknown* pack) {
             VDS_PACK_PROP p{};
             const HRESULT hr = as<IVdsPack>(pack)->GetProperties(&p);
             CoTaskMemFree(p.pwszName);
             return hr;
         }},
    };
}

using IdentifierReuse = SimSession;

TEST_F(IdentifierReuse, ADeletedObjectsIdentifierNeverComesBack) {
    for (const ReuseCase& c : reuseCases()) {
        SCOPED_TRACE(c.kind);
        const ComPtr<IUnknown> parent = object(c.parent, c.parentType);
        MadeObject first = c.make(parent.get());
        ASSERT_TRUE(first.object);
        ASSERT_EQ(c.remove(first.object.get()), S_OK);
        MadeObject second = c.make(parent.get());
        ASSERT_TRUE(second.object);
        EXPECT_NE(second.id, first.id);
        // The old object answers for itself, never for the new one.
        EXPECT_EQ(c.anyCall(first.object.get()), VDS_E_OBJECT_DELETED);
        EXPECT_EQ(c.remove(first.object.get()), VDS_E_OBJECT_DELETED);
        EXPECT_EQ(c.anyCall(second.object.get()), S_OK);
    }
}

}  // namespace
