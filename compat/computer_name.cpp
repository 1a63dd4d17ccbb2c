// GetComputerNameA: the host's NetBIOS-style name.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/com_types.h"
#include "win32_error.h"

namespace {

using tolvane::compat::failWith;

// Windows' NetBIOS name: the first label of the host name, at most
// MAX_COMPUTERNAME_LENGTH bytes (never cutting a UTF-8 character), upper case.
bool readComputerName(std::string& name) {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return false;
    name.assign(host, std::strcspn(host, "."));
    if (name.size() > MAX_COMPUTERNAME_LENGTH) {
        std::size_t cut = MAX_COMPUTERNAME_LENGTH;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return true;
}

}  // namespace

extern "C" BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    if (nSize == nullptr) return failWith(ERROR_INVALID_PARAMETER, FALSE);
    std::string name;
    if (!readComputerName(name)) return failWith(tolvane::compat::win32ErrorFromErrno(errno), FALSE);
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (*nSize < needed) {
        *nSize = needed;
        return failWith(ERROR_BUFFER_OVERFLOW, FALSE);
    }
    if (lpBuffer == nullptr) return failWith(ERROR_INVALID_PARAMETER, FALSE);
    std::memcpy(lpBuffer, name.c_str(), needed);
    *nSize = needed - 1;
    return TRUE;
}
