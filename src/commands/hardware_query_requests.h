// Request layouts of the hardware queries. Each names its target inside a
// hardware object address and reads only that identifier; the identifiers in
// front of it are carried but not read.
#pragma once

#include "commands/request_layout.h"

// 0x0093, 0x0094, 0x0096: the subsystem at 20.
using SubSystemTargetRequest = IdentifierRequest<hardware_address::kSubSystem>;
// 0x0095, 0x0097, 0x0099: the drive, LUN or controller at 36.
using ObjectTargetRequest = IdentifierRequest<hardware_address::kObject>;
// 0x0098: the LUN plex at 52.
using LunPlexTargetRequest = IdentifierRequest<hardware_address::kLunPlex>;

// The commands that read these requests, answered in hardware_queries.cpp.
Answer cmdQueryDrives(const SubSystemTargetRequest& request, IVdsService* service);
Answer cmdQuerySubSystemLuns(const SubSystemTargetRequest& request, IVdsService* service);
Answer cmdQueryDriveExtents(const ObjectTargetRequest& request, IVdsService* service);
Answer cmdQueryControllers(const SubSystemTargetRequest& request, IVdsService* service);
Answer cmdQueryLunPlexes(const ObjectTargetRequest& request, IVdsService* service);
Answer cmdQueryLunPlexExtents(const LunPlexTargetRequest& request, IVdsService* service);
Answer cmdQueryAssociatedLuns(const ObjectTargetRequest& request, IVdsService* service);
