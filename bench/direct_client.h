// The yardstick: a plain VDS client making the calls that the library's
// commands make, with nothing around them (no request, no records, no reply).
#pragma once

#include <vector>

#include "directory/property_texts.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"

class DirectClient {
public:
    DirectClient() = default;
    DirectClient(const DirectClient&) = delete;
    DirectClient& operator=(const DirectClient&) = delete;
    ~DirectClient() { close(); }

    // Enters COM and creates and initialises the service.
    HRESULT open();
    void close();
    IVdsService* service() const { return service_.get(); }

    // The software provider `id`, found as the library finds providers: the
    // service's software providers walked, each one's properties read.
    ComPtr<IVdsSwProvider> softwareProvider(const GUID& id) const;

    // The object `id` as interface `Object`; empty when it cannot be reached.
    template <typename Object>
    ComPtr<Object> object(const GUID& id, VDS_OBJECT_TYPE type, REFIID iid) const {
        ComPtr<IUnknown> unknown;
        ComPtr<Object> typed;
        if (service_->GetObject(id, type, unknown.put()) == S_OK) unknown.queryInterface(iid, typed);
        return typed;
    }

private:
    ComPtr<IVdsService> service_;
    bool comEntered_ = false;
};

// Calls `visit` with each object of the enumeration until it returns false.
template <typename Visit>
void directWalk(IEnumVdsObject* enumeration, Visit&& visit) {
    for (;;) {
        ComPtr<IUnknown> object;
        ULONG fetched = 0;
        if (enumeration->Next(1, object.put(), &fetched) != S_OK || fetched == 0) return;
        if (!visit(std::move(object))) return;
    }
}

template <typename Parent>
using DirectOpen = HRESULT (STDMETHODCALLTYPE Parent::*)(IEnumVdsObject**);

// Children of `parent`, counted and then collected, as the library collects
// them; false when the parent cannot be enumerated.
template <typename Child, typename Parent>
bool directCollect(Parent* parent, DirectOpen<Parent> open, REFIID childIid, std::vector<ComPtr<Child>>& children) {
    int count = 0;
    {
        ComPtr<IEnumVdsObject> enumeration;
        if ((parent->*open)(enumeration.put()) != S_OK) return false;
        directWalk(enumeration.get(), [&](ComPtr<IUnknown>) { return ++count, true; });
    }
    children.clear();
    children.reserve(static_cast<std::size_t>(count));
    ComPtr<IEnumVdsObject> enumeration;
    if ((parent->*open)(enumeration.put()) != S_OK) return false;
    directWalk(enumeration.get(), [&](ComPtr<IUnknown> object) {
        ComPtr<Child> child;
        if (object.queryInterface(childIid, child) != S_OK) return false;
        children.push_back(std::move(child));
        return static_cast<int>(children.size()) < count;
    });
    return true;
}

// Children of `parent`: counted, collected, and each one's properties read
// (their texts freed). Returns how many were read, -1 when unreachable.
template <typename Properties, typename Child, typename Parent>
int directChildren(ComPtr<Parent> parent, DirectOpen<Parent> open, REFIID childIid) {
    if (!parent) return -1;
    std::vector<ComPtr<Child>> children;
    if (!directCollect(parent.get(), open, childIid, children)) return -1;
    parent.reset();
    int read = 0;
    for (const auto& child : children) {
        Properties properties{};
        const bool ok = child->GetProperties(&properties) == S_OK;
        vdsFreePropertyTexts(properties);
        read += ok ? 1 : 0;
    }
    return read;
}

// The child of `parent` with identifier `id`, found as the library finds a
// child the request names: collected, then each one's properties read until
// the identifier matches. Empty when there is none.
template <typename Properties, typename Child, typename Parent>
ComPtr<Child> directFind(ComPtr<Parent> parent, DirectOpen<Parent> open, REFIID childIid, const GUID& id) {
    std::vector<ComPtr<Child>> children;
    if (!parent || !directCollect(parent.get(), open, childIid, children)) return {};
    for (auto& child : children) {
        Properties properties{};
        const bool match = child->GetProperties(&properties) == S_OK && IsEqualGUID(properties.id, id);
        vdsFreePropertyTexts(properties);
        if (match) return std::move(child);
    }
    return {};
}

template <typename Object, typename Element>
using DirectQuery = HRESULT (STDMETHODCALLTYPE Object::*)(Element**, LONG*);

// Extents of `object` (or another array that `query` hands back, such as a
// disk's partitions): one call, the array freed. Returns how many, -1 on failure.
template <typename Extent, typename Object>
int directExtents(ComPtr<Object> object, DirectQuery<Object, Extent> query = &Object::QueryExtents) {
    if (!object) return -1;
    Extent* extents = nullptr;
    LONG count = 0;
    const HRESULT hr = (object.get()->*query)(&extents, &count);
    CoTaskMemFree(extents);
    return hr == S_OK ? static_cast<int>(count) : -1;
}
