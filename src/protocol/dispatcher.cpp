#include "protocol/command_table.h"
#include "protocol/framing.h"
#include "tolvane.h"

unsigned char* vdsCmdHandler(unsigned char* request, int size, int* outSize) {
    int unused = 0;
    if (outSize == nullptr) outSize = &unused;
    // A negative size is as short as no request at all.
    if (request == nullptr || size < kInputHeaderSize) {
        *outSize = 0;
        return nullptr;
    }
    RequestReader reader(request, size);
    const CommandRow* row = vdsFindCommand(reader.int16(2));
    if (row == nullptr || row->handler == nullptr) return nullptr;

    unsigned char* reply = row->handler(reader, outSize);
    if (reply == nullptr) *outSize = 0;
    return reply;
}

void vdsFreeOutput(unsigned char* reply) { delete[] reply; }
