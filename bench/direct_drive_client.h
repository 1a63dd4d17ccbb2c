// The yardstick for the drive listing: a plain VDS client that makes the
// calls the library's command makes, with nothing around them (no request,
// no records, no reply).
#pragma once

#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"

class DirectDriveClient {
public:
    DirectDriveClient() = default;
    DirectDriveClient(const DirectDriveClient&) = delete;
    DirectDriveClient& operator=(const DirectDriveClient&) = delete;
    ~DirectDriveClient() { close(); }

    // Enters COM and creates and initialises the service.
    HRESULT open();
    void close();

    // Looks the subsystem up, counts and collects its drives and reads each
    // drive's properties. Returns the number of drives read, or -1 when the
    // subsystem cannot be reached.
    int listDrives(const VDS_OBJECT_ID& subSystem);

private:
    ComPtr<IVdsService> service_;
    bool comEntered_ = false;
};
