// The shapes that list commands share: children of an object named in the
// request, and extents of an object named in the request. Failures and empty
// lists are outcomes; the dispatcher builds their reply from the command's row.
#pragma once

#include "commands/list_reply.h"
#include "directory/children.h"
#include "directory/lookup.h"
#include "directory/property_texts.h"
#include "platform/co_task_mem.h"
#include "protocol/command_row.h"
#include "protocol/identifiers.h"

// How a list command finds its target and how it answers when it cannot
// list: an unknown identifier is always status::TargetNotFound.
struct ListTarget {
    const char* trace;         // printed with the identifier's text
    VDS_OBJECT_TYPE type;
    Status noInterfaceStatus;  // the object does not offer the expected interface
    Status emptyStatus;        // the object has no children
    ListForm form;
};

// Each child's properties become one record; a child whose properties cannot
// be read is left out, so the count is the number of records written.
template <typename Properties, typename Child, typename Write>
void vdsAddChildRecords(RecordList& records, const InterfaceArray<Child>& children, Write&& write) {
    for (Child* child : children) {
        Properties properties{};
        // Only S_OK promises filled properties; any other answer may still
        // have handed over texts.
        if (child->GetProperties(&properties) != S_OK) {
            vdsFreePropertyTexts(properties);
            continue;
        }
        write(properties, records);
    }
}

// Children of a parent already found: counted, collected, and each turned
// into a record. The parent is released once its children are collected, the
// children after the reply is built.
template <typename Properties, typename Parent, typename Child, typename Write>
Answer vdsListChildrenOf(const ListTarget& t, ComPtr<Parent> parent, int (*count)(Parent*),
                         int (*collect)(Parent*, Child**, int), Write&& write) {
    const int n = count(parent.get());
    if (n <= 0) return Outcome::failed(t.emptyStatus);
    InterfaceArray<Child> children(n);
    children.setSize(collect(parent.get(), children.data(), children.capacity()));
    parent.reset();
    if (children.size() == 0) return Outcome::failed(t.emptyStatus);

    RecordList records(t.form);
    records.reserve(children.size());
    vdsAddChildRecords<Properties>(records, children, write);
    return records.reply();
}

// Resolves the object that the request names to its own interface. An
// unknown identifier is TargetNotFound, an object without the interface the
// target's own status (with QueryInterface's result when that is a VDS error).
template <typename Object>
Outcome vdsResolveTarget(IVdsService* service, const ListTarget& t, const VDS_OBJECT_ID& id, REFIID iid,
                         ComPtr<Object>& object) {
    HRESULT hr = S_OK;
    switch (vdsResolve(service, t.type, id, iid, object, &hr)) {
    case Resolved::NotFound:
        return Outcome::failed(status::TargetNotFound);
    case Resolved::NoInterface:
        return {t.noInterfaceStatus, t.noInterfaceStatus == status::VdsError ? hr : 0};
    case Resolved::Found:
        break;
    }
    return Outcome::ok();
}

// Children of the object that the request names.
template <typename Properties, typename Parent, typename Child, typename Write>
Answer vdsListChildren(IVdsService* service, const ListTarget& t, const VDS_OBJECT_ID& id, REFIID parentIid,
                       int (*count)(Parent*), int (*collect)(Parent*, Child**, int), Write&& write) {
    vdsLogId(t.trace, id);
    ComPtr<Parent> parent;
    if (const Outcome o = vdsResolveTarget(service, t, id, parentIid, parent); !o.succeeded()) return o;
    return vdsListChildrenOf<Properties>(t, std::move(parent), count, collect, write);
}

// Extents of an object already found: `query` calls the object's
// QueryExtents (any success code is a list); each extent becomes one
// fixed-size record. The object is released before the records are built.
template <typename Object, typename Extent, typename Query, typename WriteOne>
Answer vdsListExtentsOf(ListForm form, ComPtr<Object> object, Query&& query, std::size_t recordSize,
                        WriteOne&& writeOne) {
    // The array is the caller's on every path.
    CoTaskMemArray<Extent> extents;
    LONG count = 0;
    const HRESULT hr = query(object.get(), extents.put(), &count);
    object.reset();
    if (FAILED(hr)) return Outcome::vds(hr);
    if (count <= 0 || !extents) return Outcome::ok();

    RecordList records(form);
    records.addFixed(count, recordSize, [&](int i, unsigned char* at) { writeOne(extents[i], at); });
    return records.reply();
}

// Extents of the object that the request names.
template <typename Object, typename Extent, typename Query, typename WriteOne>
Answer vdsListExtents(IVdsService* service, const ListTarget& t, const VDS_OBJECT_ID& id, REFIID objectIid,
                      Query&& query, std::size_t recordSize, WriteOne&& writeOne) {
    vdsLogId(t.trace, id);
    ComPtr<Object> object;
    if (const Outcome o = vdsResolveTarget(service, t, id, objectIid, object); !o.succeeded()) return o;
    return vdsListExtentsOf<Object, Extent>(t.form, std::move(object), query, recordSize, writeOne);
}
