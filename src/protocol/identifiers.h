// Object identifiers: text form, parsing, comparison, and the hex dump used
// in diagnostics.
#pragma once

#include <memory>

#include "platform/com_types.h"
#include "tolvane.h"

// Fills `id` from its 36-character text form. Pairs that are not hexadecimal
// read as 0; text shorter than 36 characters leaves the missing part 0.
void parseGUID(const char* text, GUID* id);

// getGUID's text, freed on scope exit.
struct GuidTextDeleter {
    void operator()(char* text) const;
};
using GuidText = std::unique_ptr<char, GuidTextDeleter>;
GuidText vdsGuidText(const GUID& id);

// Prints a format with one "%s" filled by the identifier's text form; the
// text is released after printing.
void vdsLogId(const char* format, const GUID& id);
void vdsLogIds(const char* format, const GUID& first, const GUID& second);
