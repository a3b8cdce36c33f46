#include "core/imaging/ColorTableMemo.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace colorTableMemo {

namespace {

struct Entry {
    Key key;
    std::shared_ptr<const ColorLut3D> table;
};

struct Memo {
    std::mutex mutex;
    std::vector<Entry> entries; // most recently used first
};

// Never destroyed: a render on a worker thread may still ask for a table while the process
// runs its exit handlers.
Memo& memo() {
    static Memo* const instance = new Memo;
    return *instance;
}

} // namespace

std::shared_ptr<const ColorLut3D> obtain(const Key& key, const std::function<ColorLut3D()>& build) {
    auto& [mutex, entries] = memo();
    // The remembered table, moved to the front; null when there is none. Under the lock.
    const auto remembered = [&]() -> std::shared_ptr<const ColorLut3D> {
        const auto found =
            std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.key == key; });
        if (found == entries.end()) return nullptr;
        std::rotate(entries.begin(), found, found + 1);
        return entries.front().table;
    };
    {
        std::lock_guard lock(mutex);
        if (auto table = remembered()) return table;
    }
    // Built outside the lock: a build takes milliseconds, and other renders may want other tables.
    auto table = std::make_shared<const ColorLut3D>(build());
    std::lock_guard lock(mutex);
    if (auto other = remembered()) return other;
    entries.insert(entries.begin(), Entry{key, table});
    if (entries.size() > size_t(kCapacity)) entries.pop_back();
    return table;
}

} // namespace colorTableMemo
