// Request layouts of the provider and service commands.
#pragma once

#include <cstdint>
#include <string>

#include "commands/request_layout.h"

// 0x0091, 0x0400, 0x1002: no arguments.
using ProviderListRequest = EmptyRequest;
using ReenumerateRequest = EmptyRequest;

// 0x0092, 0x0401, 0x1000: the provider at 4.
using ProviderTargetRequest = IdentifierRequest<hardware_address::kProvider>;

// 0x1001: int32 path length at 4, the narrow path from 8, no terminator.
struct FreeSpaceRequest {
    std::int32_t length;
    std::string path;
    static FreeSpaceRequest read(RequestReader& in) {
        return {in.int32(4), in.textAfterInt32(4)};
    }
};

// The commands that read these requests, answered in free_space.cpp and providers.cpp.
Answer cmdQueryHwProviders(const ProviderListRequest& request, IVdsService* service);
Answer cmdQuerySubSystems(const ProviderTargetRequest& request, IVdsService* service);
Answer cmdQuerySwProviders(const ProviderListRequest& request, IVdsService* service);
Answer cmdQueryPacks(const ProviderTargetRequest& request, IVdsService* service);
Answer cmdRefreshProvider(const ProviderTargetRequest& request, IVdsService* service);
Answer cmdGetFreeSpace(const FreeSpaceRequest& request, IVdsService* service);
Answer cmdReenumerate(const ReenumerateRequest& request, IVdsService* service);
