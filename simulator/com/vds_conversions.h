// Conversions from model values to the VDS structures handed to clients,
// and small pieces shared by several object faces.
#pragma once

#include <string>
#include <vector>

#include "com/enum_objects.h"
#include "core/sim_core.h"
#include "platform/vds_interfaces.h"

namespace tolvane::sim {

// Text a client passed (WCHAR is wchar_t on Windows, char16_t elsewhere; both
// UTF-16) as the model's text; a null pointer is empty text.
inline std::u16string modelText(LPCWSTR text) {
    if (text == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

void toVds(const Hints& h, VDS_HINTS& out);
std::vector<VDS_DRIVE_EXTENT> toVds(const std::vector<DriveExtentView>& views);
std::vector<VDS_DISK_EXTENT> toVds(const std::vector<DiskExtentView>& views);
VDS_PARTITION_PROP toVds(const Disk& d, const Partition& p);

// Bytes a LUN of `type` could grow by (or be created with) on these drives.
std::uint64_t spaceOnDrives(const Model& m, const std::vector<GUID>& drives, std::int32_t type, std::size_t copies);

// Whether every identifier of `wanted` is among `available`.
bool allAmong(const std::vector<GUID>& wanted, const IdList& available);

// Tells every advised sink to read the machine afresh (after a rescan).
HRESULT notifyOutOfSync();

// A list of one kind of child, taken under the model lock.
template <typename Map, typename Member>
HRESULT listChildren(const Map Model::*map, const GUID& id, Member member, Kind kind, IEnumVdsObject** pp) {
    *pp = makeEnumeration(Core::instance().read([&](const Model& m) { return listOf(kind, (m.*map).at(id).*member); }));
    return S_OK;
}

}  // namespace tolvane::sim
