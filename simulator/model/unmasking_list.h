// The hosts a LUN is unmasked to, as a RAID subsystem keeps them: the list a
// caller gives is checked and brought to one form, so that two lists naming
// the same hosts are stored, shown and compared alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::sim {

// The effective list for `text`, or nullopt when it is malformed.
//
// Entries are separated by ';'. "*" (every host) and the empty list (nobody)
// stand alone. An entry is a 16-hex-digit FC/SAS port WWN, or an iSCSI name:
// "iqn." followed by a date and naming authority, "eui." followed by 16 hex
// digits, or "naa." followed by 16 or 32. Blanks around an entry and empty
// entries (";;", a trailing ';') are ignored. Hex digits come out upper case
// and iqn names lower case (iSCSI names compare without regard to case); a
// repeated entry is dropped, the first kept.
std::optional<std::u16string> effectiveUnmaskingList(std::u16string_view text);

}  // namespace tolvane::sim
