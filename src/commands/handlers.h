// Command handlers, one family per file in this folder; the command table
// refers to them by name.
#pragma once

#include "protocol/request_reader.h"

// Subsystem, controller, drive and LUN queries.
unsigned char* cmdQueryDrives(RequestReader& request, int* outSize);
unsigned char* cmdQuerySubSystemLuns(RequestReader& request, int* outSize);
unsigned char* cmdQueryDriveExtents(RequestReader& request, int* outSize);
unsigned char* cmdQueryControllers(RequestReader& request, int* outSize);
unsigned char* cmdQueryLunPlexes(RequestReader& request, int* outSize);
unsigned char* cmdQueryLunPlexExtents(RequestReader& request, int* outSize);
unsigned char* cmdQueryAssociatedLuns(RequestReader& request, int* outSize);

// Provider and service commands.
unsigned char* cmdQueryHwProviders(RequestReader& request, int* outSize);
unsigned char* cmdQuerySubSystems(RequestReader& request, int* outSize);
unsigned char* cmdQuerySwProviders(RequestReader& request, int* outSize);
unsigned char* cmdQueryPacks(RequestReader& request, int* outSize);
unsigned char* cmdRefreshProvider(RequestReader& request, int* outSize);
unsigned char* cmdGetFreeSpace(RequestReader& request, int* outSize);
unsigned char* cmdReenumerate(RequestReader& request, int* outSize);
