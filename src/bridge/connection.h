// The process's one connection to the VDS service.
#pragma once

#include "notify/advise_sink.h"
#include "platform/vds_interfaces.h"

extern int g_bComInitialized;
extern IVdsService* g_pVdsService;
extern IVdsServiceInitialization* g_pServiceInit;
extern CVdsAdviseSink* g_pAdviseSink;
extern DWORD g_dwAdviseCookie;
