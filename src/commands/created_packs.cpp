#include "commands/created_packs.h"

#include <mutex>
#include <utility>
#include <vector>

#include "protocol/identifiers.h"
#include "tolvane.h"

namespace {

struct Kept {
    VDS_OBJECT_ID id;
    ComPtr<IVdsPack> pack;
};

std::mutex g_lock;
// Few packs are ever created in one connection; a list is enough.
std::vector<Kept>& kept() {
    static auto* const packs = new std::vector<Kept>;
    return *packs;
}

}  // namespace

void vdsKeepCreatedPack(const VDS_OBJECT_ID& id, ComPtr<IVdsPack> pack) {
    ComPtr<IVdsPack> replaced;
    {
        std::lock_guard lock(g_lock);
        for (Kept& k : kept())
            if (compareGUID(k.id, id)) {
                // The service never reuses an identifier; were it to, one
                // reference per identifier is still all that is held.
                replaced = std::exchange(k.pack, std::move(pack));
                return;
            }
        kept().push_back({id, std::move(pack)});
    }
}

bool vdsGiveBackCreatedPack(const VDS_OBJECT_ID& id) {
    ComPtr<IVdsPack> released;
    {
        std::lock_guard lock(g_lock);
        auto& packs = kept();
        for (auto it = packs.begin(); it != packs.end(); ++it)
            if (compareGUID(it->id, id)) {
                released = std::move(it->pack);
                packs.erase(it);
                break;
            }
    }
    // Released outside the lock: the service may call back while it lets go.
    return static_cast<bool>(released);
}

void vdsGiveBackAllCreatedPacks() {
    std::vector<Kept> released;
    {
        std::lock_guard lock(g_lock);
        released.swap(kept());
    }
}
