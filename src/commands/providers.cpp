// The entry points of the storage view: the hardware and software providers,
// the subsystems and packs under them, and a provider's refresh.
#include "commands/list_shapes.h"
#include "commands/provider_requests.h"
#include "commands/target_call.h"
#include "directory/providers.h"
#include "directory/records.h"
#include "protocol/log_output.h"

namespace {

namespace S = status;

// A provider list: which providers to ask for, the interface each must offer,
// and the one provider it leaves out, if any.
struct ProviderList {
    DWORD mask;
    const IID* iid;
    const GUID* leftOut;
};

Answer listProviders(IVdsService* service, const ProviderList& list) {
    if (service == nullptr || vdsEnsureServiceReady(service) != S_OK)
        return Outcome::failed(S::ServiceNotReady);
    ComPtr<IEnumVdsObject> enumeration;
    // Opening an enumeration may succeed with S_FALSE; only a failure code fails.
    if (FAILED(service->QueryProviders(list.mask, enumeration.put())) || !enumeration)
        return Outcome::failed(S::ProviderQueryFailed);

    // The count bounds the walk, so the list never holds more than was counted.
    int remaining = vdsCountObjects(enumeration.get());
    RecordList records(ListForm::Short);
    vdsWalk(enumeration.get(), [&](ComPtr<IUnknown> object) {
        if (remaining-- <= 0) return false;
        ComPtr<IUnknown> provider;
        if (FAILED(object.queryInterface(*list.iid, provider)) || !provider) return true;
        object.reset();
        VDS_PROVIDER_PROP properties{};
        if (vdsGetProviderProperties(provider.get(), &properties) != S_OK) return true;
        if (list.leftOut != nullptr && compareGUID(properties.id, *list.leftOut)) {
            vdsFreeProviderTexts(properties);
            return true;
        }
        vdsWriteProviderRecord(properties, records);
        return remaining > 0;
    });
    return records.reply();
}

constexpr ListTarget kSubSystems{"VDS: Provider ID: %s\n", VDS_OT_UNKNOWN, S::TargetNotFound,
                                 STATUS_OK, ListForm::Short};
constexpr ListTarget kPacks{"VDS: Provider ID: %s\n", VDS_OT_UNKNOWN, S::TargetNotFound,
                            STATUS_OK, ListForm::Short};

// Children of the provider that the request names, found by walking the
// providers of its kind.
template <typename Properties, typename Provider, typename Child, typename Write>
Answer listProviderChildren(IVdsService* service, const ListTarget& t, const VDS_OBJECT_ID& id,
                            Provider* (*find)(IVdsService*, VDS_OBJECT_ID), int (*count)(Provider*),
                            int (*collect)(Provider*, Child**, int), Write&& write) {
    vdsLogId(t.trace, id);
    ComPtr<Provider> provider(find(service, id));
    if (!provider) return Outcome::failed(S::TargetNotFound);
    return vdsListChildrenOf<Properties>(t, std::move(provider), count, collect, write);
}

}  // namespace

Answer cmdQueryHwProviders(const ProviderListRequest&, IVdsService* service) {
    static const ProviderList kList{VDS_QUERY_HARDWARE_PROVIDERS, &IID_IVdsHwProvider,
                                    &g_guidMsHwProviderSample};
    return listProviders(service, kList);
}

Answer cmdQuerySwProviders(const ProviderListRequest&, IVdsService* service) {
    static const ProviderList kList{VDS_QUERY_SOFTWARE_PROVIDERS, &IID_IVdsSwProvider, nullptr};
    return listProviders(service, kList);
}

Answer cmdQuerySubSystems(const ProviderTargetRequest& r, IVdsService* service) {
    return listProviderChildren<VDS_SUB_SYSTEM_PROP>(service, kSubSystems, r.id, vdsFindHwProvider,
                                                     vdsGetSubSystemCount, vdsGetSubSystems, vdsWriteSubSystemRecord);
}

Answer cmdQueryPacks(const ProviderTargetRequest& r, IVdsService* service) {
    return listProviderChildren<VDS_PACK_PROP>(service, kPacks, r.id, vdsFindSwProvider, vdsGetPackCount,
                                               vdsGetPacks, vdsWritePackRecord);
}

Answer cmdRefreshProvider(const ProviderTargetRequest& r, IVdsService* service) {
    vdsLogId("VDS: Provider ID: %s\n", r.id);
    ComPtr<IVdsHwProvider> provider(vdsFindHwProvider(service, r.id));
    if (!provider) return Outcome::failed(S::TargetNotFound);
    return vdsCallOutcome(provider->Refresh());
}

Answer cmdReenumerate(const ReenumerateRequest&, IVdsService* service) {
    vdsLog("VDS cmdReenumerate\n");
    // Without a connection the rescan fails like a call into an uninitialised COM.
    return vdsCallOutcome(service != nullptr ? service->Reenumerate() : CO_E_NOTINITIALIZED);
}
