// The built-in machine as a plain model, and its identifiers by text.
#pragma once

#include <gtest/gtest.h>

#include "model/guid_text.h"
#include "model/model.h"
#include "model/topology_loader.h"

namespace simmodel {

inline tolvane::sim::Model defaultMachine() {
    std::string error;
    auto model = tolvane::sim::loadTopologyText(tolvane::sim::defaultTopologyText(), "(built-in)", error);
    EXPECT_TRUE(model) << error;
    return model ? *model : tolvane::sim::Model{};
}

inline GUID id(const char* text) { return *tolvane::sim::guidFromText(text); }

inline constexpr const char* kSubSystem = "20000000-0000-4000-8000-000000000001";
inline constexpr const char* kControllerB = "30000000-0000-4000-8000-000000000002";
inline constexpr const char* kDrive1 = "40000000-0000-4000-8000-000000000001";
inline constexpr const char* kDrive2 = "40000000-0000-4000-8000-000000000002";
inline constexpr const char* kStripeLun = "50000000-0000-4000-8000-000000000003";
inline constexpr const char* kBasicPack = "70000000-0000-4000-8000-000000000001";
inline constexpr const char* kMbrDisk = "80000000-0000-4000-8000-000000000001";
inline constexpr const char* kVolumeC = "90000000-0000-4000-8000-000000000002";
inline constexpr const char* kVolumeF = "90000000-0000-4000-8000-000000000004";

}  // namespace simmodel
