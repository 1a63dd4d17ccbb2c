// CreateFileA / CloseHandle for device paths. Windows names volumes and
// disks with a drive letter ("\\.\E:"), which does not exist here; any other
// path is a real file or device node and is opened for real.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device_handle_table.h"
#include "platform/com_types.h"
#include "win32_error.h"

namespace {

using tolvane::compat::failWith;
using tolvane::compat::win32ErrorFromErrno;

constexpr DWORD kCreateNew = 1;
constexpr DWORD kTruncateExisting = 5;

int openFlagsFor(DWORD desiredAccess) {
    const bool read = (desiredAccess & GENERIC_READ) != 0;
    const bool write = (desiredAccess & GENERIC_WRITE) != 0;
    // Access 0 (attribute and control queries only) still needs a descriptor.
    int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    // Never block in open (a FIFO without a writer), never become the
    // controlling terminal, never leak into child processes.
    return flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
}

}  // namespace

extern "C" HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                              SECURITY_ATTRIBUTES* /*lpSecurityAttributes*/,
                              DWORD dwCreationDisposition, DWORD /*dwFlagsAndAttributes*/,
                              HANDLE /*hTemplateFile*/) {
    if (lpFileName == nullptr || dwCreationDisposition < kCreateNew ||
        dwCreationDisposition > kTruncateExisting)
        return failWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    // Only existing devices are ever opened; creating files is not stood in for.
    if (dwCreationDisposition != OPEN_EXISTING)
        return failWith(ERROR_NOT_SUPPORTED, INVALID_HANDLE_VALUE);
    if (*lpFileName == '\0') return failWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    if (std::strchr(lpFileName, ':') != nullptr)
        return failWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);

    // Exactly the access asked for: a device that cannot be opened for
    // writing is not quietly opened read-only.
    int fd = ::open(lpFileName, openFlagsFor(dwDesiredAccess));
    if (fd < 0) return failWith(win32ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return failWith(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    HANDLE handle = tolvane::compat::registerDevice(fd);
    if (handle == nullptr) return failWith(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
    return handle;
}

extern "C" BOOL CloseHandle(HANDLE hObject) {
    if (!tolvane::compat::unregisterDevice(hObject)) return failWith(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}
