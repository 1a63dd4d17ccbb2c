// The entry points of the storage view: the hardware and software providers,
// the subsystems and packs under them, and a provider's refresh.
#include "bridge/connection.h"
#include "commands/handlers.h"
#include "commands/list_shapes.h"
#include "directory/providers.h"
#include "directory/records.h"

namespace {

constexpr std::size_t kProviderAt = 4;

// A provider list: which providers to ask for, the interface each must offer,
// and the one provider it leaves out, if any.
struct ProviderList {
    std::int16_t code;
    DWORD mask;
    const IID* iid;
    const GUID* leftOut;
};

constexpr ListTarget kProviderListReply{0, nullptr, 0, VDS_OT_UNKNOWN, STATUS_NOT_FOUND,
                                        STATUS_OK, ListForm::Short};

unsigned char* listProviders(const ProviderList& list, int* outSize) {
    ListTarget t = kProviderListReply;
    t.code = list.code;
    const ComPtr<IVdsService> service = vdsServiceReference();
    if (!service || vdsEnsureServiceReady(service.get()) != S_OK)
        return vdsListFailure(t, STATUS_NOT_FOUND, 0, outSize);
    ComPtr<IEnumVdsObject> enumeration;
    if (service->QueryProviders(list.mask, enumeration.put()) != S_OK || !enumeration)
        return vdsListFailure(t, STATUS_NOT_FOUND_2, 0, outSize);

    // The count bounds the walk, so the list never holds more than was counted.
    int remaining = vdsCountObjects(enumeration.get());
    RecordList records;
    vdsWalk(enumeration.get(), [&](ComPtr<IUnknown> object) {
        if (remaining-- <= 0) return false;
        ComPtr<IUnknown> provider;
        if (object.queryInterface(*list.iid, provider) != S_OK || !provider) return true;
        object.reset();
        VDS_PROVIDER_PROP properties{};
        if (vdsGetProviderProperties(provider.get(), &properties) != S_OK) return true;
        if (list.leftOut != nullptr && compareGUID(properties.id, *list.leftOut)) {
            vdsFreeProviderTexts(properties);
            return true;
        }
        int length = 0;
        unsigned char* record = vdsMakeProviderRecord(properties, &length);
        records.add(record, length);
        return remaining > 0;
    });
    return records.reply(list.code, ListForm::Short, outSize);
}

constexpr ListTarget kSubSystems{0x0092, "VDS: Provider ID: %s\n", kProviderAt, VDS_OT_UNKNOWN,
                                 STATUS_NOT_FOUND, STATUS_OK, ListForm::Short};
constexpr ListTarget kPacks{0x0401, "VDS: Provider ID: %s\n", kProviderAt, VDS_OT_UNKNOWN,
                            STATUS_NOT_FOUND, STATUS_OK, ListForm::Short};

// Children of the provider that the request names, found by walking the
// providers of its kind.
template <typename Properties, typename Provider, typename Child, typename Write>
unsigned char* listProviderChildren(const ListTarget& t, RequestReader& request, int* outSize,
                                    Provider* (*find)(VDS_OBJECT_ID), int (*count)(Provider*),
                                    int (*collect)(Provider*, Child**, int), Write&& write) {
    const VDS_OBJECT_ID id = request.guid(t.idOffset);
    if (!request.complete()) return nullptr;
    vdsLogId(t.trace, id);
    ComPtr<Provider> provider(find(id));
    if (!provider) return vdsListFailure(t, STATUS_NOT_FOUND, 0, outSize);
    return vdsListChildrenOf<Properties>(t, std::move(provider), outSize, count, collect, write);
}

}  // namespace

unsigned char* cmdQueryHwProviders(RequestReader&, int* outSize) {
    static const ProviderList kList{0x0091, VDS_QUERY_HARDWARE_PROVIDERS, &IID_IVdsHwProvider,
                                    &g_guidMsHwProviderSample};
    return listProviders(kList, outSize);
}

unsigned char* cmdQuerySwProviders(RequestReader&, int* outSize) {
    static const ProviderList kList{0x0400, VDS_QUERY_SOFTWARE_PROVIDERS, &IID_IVdsSwProvider,
                                    nullptr};
    return listProviders(kList, outSize);
}

unsigned char* cmdQuerySubSystems(RequestReader& request, int* outSize) {
    return listProviderChildren<VDS_SUB_SYSTEM_PROP>(kSubSystems, request, outSize,
                                                     vdsFindHwProvider, vdsGetSubSystemCount,
                                                     vdsGetSubSystems, vdsMakeSubSystemRecord);
}

unsigned char* cmdQueryPacks(RequestReader& request, int* outSize) {
    return listProviderChildren<VDS_PACK_PROP>(kPacks, request, outSize, vdsFindSwProvider,
                                               vdsGetPackCount, vdsGetPacks, vdsMakePackRecord);
}

unsigned char* cmdRefreshProvider(RequestReader& request, int* outSize) {
    constexpr int kCode = 0x1000;
    const VDS_OBJECT_ID id = request.guid(kProviderAt);
    if (!request.complete()) return nullptr;
    vdsLogId("VDS: Provider ID: %s\n", id);
    ComPtr<IVdsHwProvider> provider(vdsFindHwProvider(id));
    if (!provider) return vdsMakeOutput(12, kCode, STATUS_NOT_FOUND, 0, outSize, nullptr);
    const HRESULT hr = provider->Refresh();
    provider.reset();
    return hr != S_OK ? vdsMakeOutput(12, kCode, STATUS_VDS_ERROR, hr, outSize, nullptr)
                      : vdsMakeOutput(12, kCode, STATUS_OK, 0, outSize, nullptr);
}

unsigned char* cmdReenumerate(RequestReader&, int* outSize) {
    constexpr int kCode = 0x1002;
    std::printf("VDS cmdReenumerate\n");
    const ComPtr<IVdsService> service = vdsServiceReference();
    // Without a connection the rescan fails like a call into an uninitialised COM.
    const HRESULT hr = service ? service->Reenumerate() : CO_E_NOTINITIALIZED;
    return hr != S_OK ? vdsMakeOutput(12, kCode, STATUS_VDS_ERROR, hr, outSize, nullptr)
                      : vdsMakeOutput(12, kCode, STATUS_OK, 0, outSize, nullptr);
}
