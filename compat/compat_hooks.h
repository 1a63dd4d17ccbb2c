// Entry points through which the simulated service feeds the Win32
// stand-ins with the facts that only it knows.
#pragma once

#include "platform/com_types.h"

// Answers the space of the volume that holds a drive letter. `letter` is
// always upper case. The outputs start at 0 and `error` at
// ERROR_PATH_NOT_FOUND; return nonzero with the three byte counts filled in,
// or 0 with `error` set to the Win32 error code that the caller should see
// (it is passed on unchanged, 0 included). Called from any thread, possibly
// from several at once.
typedef int (*TolvaneVolumeSpaceHook)(char letter, ULONGLONG* availableToCaller, ULONGLONG* total,
                                      ULONGLONG* free, DWORD* error);

// Installs the hook (null removes it) and returns the one it replaced, so
// that a temporary hook can put the previous one back.
extern "C" __attribute__((visibility("default"))) TolvaneVolumeSpaceHook TolvaneCompatSetVolumeSpaceHook(TolvaneVolumeSpaceHook hook);
