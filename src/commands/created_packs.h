// The packs this connection created and still holds a reference on. A new
// pack is given back when disks are first moved into it, or when the
// connection closes; a pack found nowhere here is never released on its
// creator's behalf.
#pragma once

#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"

// Keeps the one reference CreatePack handed over, under the pack's identifier.
void vdsKeepCreatedPack(const VDS_OBJECT_ID& id, ComPtr<IVdsPack> pack);

// Releases the kept reference on this pack; false when none is kept.
bool vdsGiveBackCreatedPack(const VDS_OBJECT_ID& id);

// Releases every kept reference.
void vdsGiveBackAllCreatedPacks();
