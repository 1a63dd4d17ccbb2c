// The command table: every command code the protocol knows, with its request,
// its handler and the shape of its failure replies. It is the one statement
// of each command's statuses and failure size.
#pragma once

#include <span>

#include "protocol/command_row.h"

std::span<const CommandRow> vdsCommandTable();

// The row of `code`, compared as the exact 16-bit number; null when the code is
// not a command.
const CommandRow* vdsFindCommand(std::int16_t code);
