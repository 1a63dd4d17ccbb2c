// Finding providers: they are never fetched by identifier, but found by
// walking the service's providers of the wanted kind.
#pragma once

#include "platform/vds_interfaces.h"

// The hardware or software provider with this identifier, carrying one
// reference for the caller, or null (also without a service). The first match
// in enumeration order wins.
IVdsHwProvider* vdsFindHwProvider(IVdsService* service, VDS_OBJECT_ID id);
IVdsSwProvider* vdsFindSwProvider(IVdsService* service, VDS_OBJECT_ID id);

// Asks the service whether it is ready, waiting once for it if it is not.
// Returns IsServiceReady's last answer (0 when ready).
HRESULT vdsEnsureServiceReady(IVdsService* service);

// The properties of a provider reached through any of its interfaces, with
// both texts still to be freed by the caller. Fails when the object has no
// IVdsProvider or its GetProperties fails.
HRESULT vdsGetProviderProperties(IUnknown* provider, VDS_PROVIDER_PROP* properties);

// Frees the two texts of provider properties.
void vdsFreeProviderTexts(VDS_PROVIDER_PROP& properties);
