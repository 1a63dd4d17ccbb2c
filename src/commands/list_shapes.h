// The shapes that list commands share: children of an object named in the
// request, and extents of an object named in the request.
#pragma once

#include "commands/list_reply.h"
#include "directory/children.h"
#include "directory/lookup.h"
#include "protocol/framing.h"
#include "protocol/identifiers.h"
#include "protocol/request_reader.h"

// Where a list command finds its target and how it answers when it cannot
// list: the not-found answer is always STATUS_NOT_FOUND.
struct ListTarget {
    std::int16_t code;
    const char* trace;         // printed with the identifier's text
    std::size_t idOffset;      // where the request holds the identifier
    VDS_OBJECT_TYPE type;
    Status noInterfaceStatus;  // the object does not offer the expected interface
    Status emptyStatus;        // the object has no children
    ListForm form;
};

// The empty or failed answer of a list command: count 0, nothing after it.
inline unsigned char* vdsListFailure(const ListTarget& t, int status, int addStatus, int* outSize,
                                     IUnknown* releaseFirst = nullptr) {
    return vdsMakeOutput(vdsListHeaderSize(t.form), t.code, status, addStatus, outSize,
                         releaseFirst);
}

// Each child's properties become one record; a child whose properties cannot
// be read is left out, so the count is the number of records written.
template <typename Properties, typename Child, typename Write>
void vdsAddChildRecords(RecordList& records, const InterfaceArray<Child>& children, Write&& write) {
    for (Child* child : children) {
        Properties properties{};
        if (child->GetProperties(&properties) != S_OK) continue;
        int length = 0;
        unsigned char* record = write(properties, &length);
        records.add(record, length);
    }
}

// Children of a parent already found: counted, collected, and each turned
// into a record. The parent is released once its children are collected, the
// children after the reply is built.
template <typename Properties, typename Parent, typename Child, typename Write>
unsigned char* vdsListChildrenOf(const ListTarget& t, ComPtr<Parent> parent, int* outSize,
                                 int (*count)(Parent*), int (*collect)(Parent*, Child**, int),
                                 Write&& write) {
    const int n = count(parent.get());
    if (n <= 0) return vdsListFailure(t, t.emptyStatus, 0, outSize, parent.detach());
    InterfaceArray<Child> children(n);
    children.setSize(collect(parent.get(), children.data(), children.capacity()));
    parent.reset();
    if (children.size() == 0) return vdsListFailure(t, t.emptyStatus, 0, outSize);

    RecordList records;
    records.reserve(children.size());
    vdsAddChildRecords<Properties>(records, children, write);
    return records.reply(t.code, t.form, outSize);
}

// Resolves the object that the request names to its own interface, or builds
// the failure reply: STATUS_NOT_FOUND for an unknown identifier, the target's
// own status for an object without the interface.
template <typename Object>
unsigned char* vdsResolveTarget(const ListTarget& t, const VDS_OBJECT_ID& id, REFIID iid,
                                ComPtr<Object>& object, int* outSize) {
    HRESULT hr = S_OK;
    switch (vdsResolve(t.type, id, iid, object, &hr)) {
    case Resolved::NotFound:
        return vdsListFailure(t, STATUS_NOT_FOUND, 0, outSize);
    case Resolved::NoInterface:
        return vdsListFailure(t, t.noInterfaceStatus,
                              t.noInterfaceStatus == STATUS_VDS_ERROR ? hr : 0, outSize);
    case Resolved::Found:
        break;
    }
    return nullptr;
}

// Children of the object that the request names.
template <typename Properties, typename Parent, typename Child, typename Write>
unsigned char* vdsListChildren(const ListTarget& t, RequestReader& request, int* outSize,
                               REFIID parentIid, int (*count)(Parent*),
                               int (*collect)(Parent*, Child**, int), Write&& write) {
    const VDS_OBJECT_ID id = request.guid(t.idOffset);
    if (!request.complete()) return nullptr;
    vdsLogId(t.trace, id);
    ComPtr<Parent> parent;
    if (unsigned char* failure = vdsResolveTarget(t, id, parentIid, parent, outSize)) return failure;
    if (!parent) return nullptr;  // no memory for the failure reply either
    return vdsListChildrenOf<Properties>(t, std::move(parent), outSize, count, collect, write);
}

// Extents of the object that the request names: `query` calls the object's
// QueryExtents; each extent becomes one fixed-size record.
template <typename Object, typename Extent, typename Query, typename WriteOne>
unsigned char* vdsListExtents(const ListTarget& t, RequestReader& request, int* outSize,
                              REFIID objectIid, Query&& query, std::size_t recordSize,
                              WriteOne&& writeOne) {
    const VDS_OBJECT_ID id = request.guid(t.idOffset);
    if (!request.complete()) return nullptr;
    vdsLogId(t.trace, id);

    ComPtr<Object> object;
    if (unsigned char* failure = vdsResolveTarget(t, id, objectIid, object, outSize)) return failure;
    if (!object) return nullptr;
    Extent* extents = nullptr;
    LONG count = 0;
    const HRESULT hr = query(object.get(), &extents, &count);
    object.reset();
    // The array is the caller's on every path.
    struct Free {
        Extent* p;
        ~Free() { CoTaskMemFree(p); }
    } freeExtents{extents};
    if (hr != S_OK && hr != S_FALSE) return vdsListFailure(t, STATUS_VDS_ERROR, hr, outSize);
    if (count <= 0 || extents == nullptr) return vdsListFailure(t, STATUS_OK, 0, outSize);

    RecordList records;
    records.addFixed(count, recordSize, [&](int i, unsigned char* at) { writeOne(extents[i], at); });
    return records.reply(t.code, t.form, outSize);
}
