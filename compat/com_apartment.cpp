// CoInitializeEx / CoUninitialize: the apartment each thread has entered, and
// how many threads keep the process's multithreaded apartment alive.

#include <atomic>

#include "apartment_state.h"
#include "platform/com_types.h"

namespace {

struct ThreadApartment {
    // Successful CoInitializeEx calls not yet balanced by CoUninitialize.
    unsigned depth = 0;
    bool singleThreaded = false;
};

thread_local ThreadApartment t_apartment;

// The apartment exists while at least one thread is in it; a thread that
// never entered COM borrows it, and is refused once the last member leaves.
std::atomic<long> g_mtaMembers{0};

}  // namespace

namespace tolvane::compat {

bool threadHasEnteredCom() { return t_apartment.depth > 0; }

bool threadMayCallCom() { return t_apartment.depth > 0 || g_mtaMembers.load() > 0; }

long multithreadedApartmentMembers() { return g_mtaMembers.load(); }

}  // namespace tolvane::compat

extern "C" HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit) {
    if (pvReserved != nullptr) return E_INVALIDARG;
    const bool singleThreaded = (dwCoInit & COINIT_APARTMENTTHREADED) != 0;
    ThreadApartment& apartment = t_apartment;
    if (apartment.depth == 0) {
        apartment.depth = 1;
        apartment.singleThreaded = singleThreaded;
        if (!singleThreaded) g_mtaMembers.fetch_add(1);
        return S_OK;
    }
    // A thread lives in one apartment until it has left it completely; the
    // refused call took nothing, so it needs no CoUninitialize.
    if (apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
    ++apartment.depth;
    return S_FALSE;
}

extern "C" void CoUninitialize() {
    ThreadApartment& apartment = t_apartment;
    // Windows ignores an unbalanced call; so do we rather than wrap around.
    if (apartment.depth == 0) return;
    if (--apartment.depth == 0) {
        if (!apartment.singleThreaded) g_mtaMembers.fetch_sub(1);
        apartment.singleThreaded = false;
    }
}
