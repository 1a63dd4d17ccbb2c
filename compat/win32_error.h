// Translation of POSIX failures into the Win32 error codes that callers of
// the stand-ins test for.
#pragma once

#include "platform/com_types.h"

namespace tolvane::compat {

DWORD win32ErrorFromErrno(int error);

// Sets the thread's last error and returns `result`, for one-line failure
// paths.
template <typename Result>
Result failWith(DWORD error, Result result) {
    SetLastError(error);
    return result;
}

}  // namespace tolvane::compat
