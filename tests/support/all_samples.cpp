#include "all_samples.h"

#include "commands/command_table.h"
#include "sample_requests.h"

std::vector<std::vector<unsigned char>> allSampleRequests() {
    std::vector<std::vector<unsigned char>> requests;
    for (const CommandRow& row : vdsCommandTable())
        if (auto request = sampleRequest(row.code))
            requests.push_back(std::move(*request));
    return requests;
}
