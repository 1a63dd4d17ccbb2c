#include "protocol/framing.h"

#include "protocol/log_output.h"
#include "protocol/outcome.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

unsigned char* vdsAllocOutput(int size) {
    if (size < 0) return nullptr;
    auto* reply = new (std::nothrow) unsigned char[static_cast<std::size_t>(size)];
    if (reply != nullptr) std::memset(reply, 0, static_cast<std::size_t>(size));
    return reply;
}

ReplyBody ReplyBody::withPayload(std::size_t payload) {
    const std::size_t size = kOutputHeaderSize + payload;
    return ReplyBody(std::unique_ptr<unsigned char[]>(vdsAllocOutput(static_cast<int>(size))), size);
}

unsigned char* vdsMakeOutput(int size, int cmd, int status, int addStatus, int* outSize) {
    unsigned char* reply = vdsAllocOutput(size);
    if (reply == nullptr) {
        *outSize = 0;
        return nullptr;
    }
    *outSize = size;
    vdsFillOutputHeader(reply, cmd, status, addStatus);
    vdsLog("Output size:%d, cmd: %X, status:%d, addStatus:0x%X\n", size, cmd, status,
                static_cast<unsigned>(addStatus));
    return reply;
}

void vdsFillOutputHeader(unsigned char* reply, int cmd, int status, int addStatus) {
    reply[0] = 0;
    reply[1] = 1;
    vdsPutInt16(reply, cmd, 2);
    vdsPutInt32(reply, status, 4);
    vdsPutInt32(reply, addStatus, 8);
}
