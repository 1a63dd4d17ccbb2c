#include "all_samples.h"

#include "commands/command_table.h"
#include "sample_requests.h"

std::vector<std::vector<unsigned char>> allSampleRequests() {
    std::vector<std::vector<unsigned char>> requests;
    for (const CommandRow& row : vdsCommandTable())
        if (auto request = row.handler != nullptr ? sampleRequest(row.code) : std::nullopt)
            requests.push_back(std::move(*request));
    return requests;
}
