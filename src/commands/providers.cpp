// The entry points of the storage view: the hardware and software providers,
// the subsystems and packs under them, and a provider's refresh.
#include "bridge/connection.h"
#include "commands/handlers.h"
#include "commands/change_shape.h"
#include "commands/list_shapes.h"
#include "commands/provider_requests.h"
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

HandlerResult listProviders(const CommandRow& row, const ProviderList& list) {
    const ComPtr<IVdsService> service = vdsServiceReference();
    if (!service || vdsEnsureServiceReady(service.get()) != S_OK)
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
    return records.reply(row.replyCode());
}

constexpr ListTarget kSubSystems{"VDS: Provider ID: %s\n", VDS_OT_UNKNOWN, S::TargetNotFound,
                                 STATUS_OK, ListForm::Short};
constexpr ListTarget kPacks{"VDS: Provider ID: %s\n", VDS_OT_UNKNOWN, S::TargetNotFound,
                            STATUS_OK, ListForm::Short};

// Children of the provider that the request names, found by walking the
// providers of its kind.
template <typename Properties, typename Provider, typename Child, typename Write>
HandlerResult listProviderChildren(const CommandRow& row, const ListTarget& t, RequestReader& in,
                                   Provider* (*find)(VDS_OBJECT_ID), int (*count)(Provider*),
                                   int (*collect)(Provider*, Child**, int), Write&& write) {
    const auto r = vdsReadRequest<ProviderTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(t.trace, r->id);
    ComPtr<Provider> provider(find(r->id));
    if (!provider) return Outcome::failed(S::TargetNotFound);
    return vdsListChildrenOf<Properties>(row, t, std::move(provider), count, collect, write);
}

}  // namespace

HandlerResult cmdQueryHwProviders(const CommandRow& row, RequestReader&) {
    static const ProviderList kList{VDS_QUERY_HARDWARE_PROVIDERS, &IID_IVdsHwProvider,
                                    &g_guidMsHwProviderSample};
    return listProviders(row, kList);
}

HandlerResult cmdQuerySwProviders(const CommandRow& row, RequestReader&) {
    static const ProviderList kList{VDS_QUERY_SOFTWARE_PROVIDERS, &IID_IVdsSwProvider, nullptr};
    return listProviders(row, kList);
}

HandlerResult cmdQuerySubSystems(const CommandRow& row, RequestReader& in) {
    return listProviderChildren<VDS_SUB_SYSTEM_PROP>(row, kSubSystems, in, vdsFindHwProvider,
                                                     vdsGetSubSystemCount, vdsGetSubSystems,
                                                     vdsWriteSubSystemRecord);
}

HandlerResult cmdQueryPacks(const CommandRow& row, RequestReader& in) {
    return listProviderChildren<VDS_PACK_PROP>(row, kPacks, in, vdsFindSwProvider,
                                               vdsGetPackCount, vdsGetPacks, vdsWritePackRecord);
}

HandlerResult cmdRefreshProvider(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ProviderTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId("VDS: Provider ID: %s\n", r->id);
    ComPtr<IVdsHwProvider> provider(vdsFindHwProvider(r->id));
    if (!provider) return Outcome::failed(S::TargetNotFound);
    return vdsCallOutcome(provider->Refresh());
}

HandlerResult cmdReenumerate(const CommandRow&, RequestReader&) {
    vdsLog("VDS cmdReenumerate\n");
    const ComPtr<IVdsService> service = vdsServiceReference();
    // Without a connection the rescan fails like a call into an uninitialised COM.
    return vdsCallOutcome(service ? service->Reenumerate() : CO_E_NOTINITIALIZED);
}
