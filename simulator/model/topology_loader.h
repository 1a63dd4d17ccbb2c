// Reads a machine description (JSON, documented in docs/topology.md) into a
// Model. Every mistake is reported with the place it was found: the line and
// column for broken JSON, the JSON path (e.g. /softwareProviders/0/packs/1)
// for a field that is missing, malformed or inconsistent with the rest.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/model.h"

namespace tolvane::sim {

// On failure returns nothing and sets `error` to one line naming `source`,
// the place and the problem.
std::optional<Model> loadTopologyText(std::string_view text, const std::string& source, std::string& error);
std::optional<Model> loadTopologyFile(const std::string& path, std::string& error);

// The built-in machine: the same text as simulator/topologies/default.json.
std::string_view defaultTopologyText();

}  // namespace tolvane::sim
