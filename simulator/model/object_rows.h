// The machine as rows: one row per object, the way the state file keeps it,
// so that a change writes the objects it touched and nothing else.
//
// A row holds an object's own fields in a compact binary body. A parent's
// lists of children are not in its row: each child names its parent, and the
// row's `order` places it among its parent's children. Otherwise a subsystem
// with a hundred thousand LUNs would be rewritten whole by every LUN made.
// The model only ever appends to such a list or takes children out of it, so
// a child keeps its order for as long as it keeps its parent.
//
// Bodies come from a file that other programs can write, so decoding checks
// every length and count, and a body that does not decode exactly is refused.
// Any change to a body's layout is a new schema version of the state file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/change.h"
#include "model/model.h"

namespace tolvane::sim {

struct ObjectRow {
    GUID id{};
    Kind kind = Kind::Provider;
    GUID parent{};  // null for providers and unallocated disks
    std::string body;
};

// The machine's own lists, each kept in a row of its own.
struct MachineLists {
    std::vector<GUID> hardwareProviders;
    std::vector<GUID> softwareProviders;
    std::vector<GUID> unallocatedDisks;
    std::unordered_map<std::uint32_t, std::uint64_t> lastSerial;
};

// The object's row as the model holds it now; nothing when it is not there.
std::optional<ObjectRow> rowOf(const Model& m, Kind kind, const GUID& id);
MachineLists listsOf(const Model& m);

// Every object of the machine as rows, each parent before its children and
// children in their parent's order: the whole machine written at once.
std::vector<ObjectRow> rowsInOrder(const Model& m);
// The objects the open change touched (made, edited or taken out).
std::vector<std::pair<Kind, GUID>> touchedObjects(const Model& m);

// The children newly filed under a parent by the open change (made, or moved
// there from another parent), in the order the parent lists them: they are
// the ones that need an order of their own. One group per list of a parent;
// a group is that whole list when its new children are not all at its end.
std::vector<std::vector<GUID>> newlyFiledChildren(const Model& m);

// Builds a machine from rows sorted by their order. Refuses (error set) rows
// that do not decode, children whose parent is missing, lists that name
// unknown objects and a machine that breaks the model's rules.
std::optional<Model> machineFromRows(const MachineLists& lists, const std::vector<ObjectRow>& rowsInOrder,
                                     std::string& error);

// Brings an open change of `m` to what another writer committed: each
// touched object takes its row, or leaves when it has none (`rows` in order,
// `gone` the touched objects without a row). Children keep their place in
// their parent's list; moved or new ones join the end. False (error set) for
// a row that does not decode or names no parent there is.
bool putRows(Model& m, const std::vector<ObjectRow>& rowsInOrder, const std::vector<GUID>& gone,
             const std::optional<MachineLists>& lists, std::string& error);

// The rows of the machine's own lists, and of a batch of notifications.
std::string encodeLists(const MachineLists& lists);
std::optional<MachineLists> decodeLists(std::string_view body);
std::string encodeBatch(const Batch& batch);
std::optional<Batch> decodeBatch(std::string_view body);
std::string encodeIds(const std::vector<GUID>& ids);
std::optional<std::vector<GUID>> decodeIds(std::string_view body);

}  // namespace tolvane::sim
