// The built-in machine as a plain model, and its identifiers by text.
#pragma once

#include <gtest/gtest.h>

#include "default_machine.h"
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

// The identifiers of the built-in machine, as every test names them.
using machine::text::kBasicPack;
using machine::text::kBasicProvider;
using machine::text::kBootLun;
using machine::text::kControllerB;
using machine::text::kDrive1;
using machine::text::kDrive2;
using machine::text::kDrive4;
using machine::text::kDynamicPack;
using machine::text::kDynamicProvider;
using machine::text::kDynDisk;
using machine::text::kGptDisk;
using machine::text::kGptPack;
using machine::text::kMbrDisk;
using machine::text::kMirrorVolume;
using machine::text::kStripeLun;
using machine::text::kStripePlex;
using machine::text::kSubSystem;
using machine::text::kUnknown;
using machine::text::kVolumeC;
using machine::text::kVolumeF;

}  // namespace simmodel
