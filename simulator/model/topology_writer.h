// Writes a Model as a machine description (JSON, docs/topology.md): the
// inverse of the topology loader. Loading the text gives a machine with the
// same digest, identifier serials and children's order, and saving that
// machine again gives the same text. Objects are listed in the order the
// service enumerates them, fields in the order the documentation lists them,
// and a field at the default the loader would give it is left out.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "model/model.h"

namespace tolvane::sim {

std::string writeTopologyText(const Model& model);

// What a capture of a running service could not read, by the identifier of
// the object it was reading (the null identifier: the machine itself), each
// entry naming the call and its HRESULT. Written as that object's
// "unreadable" field, which the loader accepts and ignores.
using UnreadableNotes = std::unordered_map<GUID, std::vector<std::string>, GuidHash>;
std::string writeTopologyText(const Model& model, const UnreadableNotes& notes);

}  // namespace tolvane::sim
