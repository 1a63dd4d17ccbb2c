// Finding a child of an object already held by comparing the identifiers of
// its children; only the given parent's children are searched.
#pragma once

#include "platform/vds_interfaces.h"

// The child with this identifier, carrying one reference for the caller, or null.
IVdsPack* vdsFindPack(IVdsSwProvider* provider, VDS_OBJECT_ID id);
IVdsVolume* vdsFindVolume(IVdsPack* pack, VDS_OBJECT_ID id);
IVdsVolumePlex* vdsFindVolumePlex(IVdsVolume* volume, VDS_OBJECT_ID id);
