// Walks whatever VDS service it is given, through COM alone, and builds the
// simulator's model of that machine. A call that fails is noted on the
// object being read (its name and HRESULT) and the walk goes on without it.
#pragma once

#include <cstddef>

#include "model/model.h"
#include "model/topology_writer.h"
#include "platform/vds_interfaces.h"

namespace tolvane::capture {

struct Capture {
    sim::Model model;
    sim::UnreadableNotes notes;
    std::size_t unreadable = 0;  // how many notes, over every object
};

// Takes and gives back its own references; the caller keeps `service`.
Capture captureMachine(IVdsService* service);

}  // namespace tolvane::capture
