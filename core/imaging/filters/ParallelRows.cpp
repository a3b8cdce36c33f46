#include "core/imaging/filters/ParallelRows.h"

#include <QRunnable>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {

struct Shared {
    std::function<void(int, int)> body;
    int count = 0;
    int band = 1;
    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable idle;
    int active = 0; // workers between announcing a claim and finishing its band
    std::exception_ptr failure; // the first band's exception; the others are not started

    // Helpers that start late (the cores busy elsewhere) find nothing left and leave at once;
    // the caller waits only for bands actually taken, never for a helper to be scheduled.
    // A worker announces itself before claiming, so once the caller has seen the counter run
    // out and no worker active, nobody can still be inside `body`.
    void work() {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                ++active;
            }
            const int begin = next.fetch_add(band);
            std::exception_ptr thrown;
            if (begin < count) {
                // An exception must not leave a pool thread (that ends the program) nor the
                // caller before the helpers are done with its stack: it waits for the caller.
                try {
                    body(begin, std::min(count, begin + band));
                } catch (...) {
                    thrown = std::current_exception();
                    next.store(count);
                }
            }
            {
                std::lock_guard lock(mutex);
                if (thrown && !failure) failure = thrown;
                if (--active == 0) idle.notify_all();
            }
            if (begin >= count) return;
        }
    }
};

class Helper : public QRunnable {
public:
    explicit Helper(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) { setAutoDelete(true); }
    void run() override { shared_->work(); }

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace

void parallelBands(int count, int grain, const std::function<void(int, int)>& body) {
    if (count <= 0) return;
    QThreadPool* pool = QThreadPool::globalInstance();
    const int threads = std::max(1, pool->maxThreadCount());
    grain = std::max(1, grain);
    if (threads == 1 || count <= grain) {
        body(0, count);
        return;
    }
    auto shared = std::make_shared<Shared>();
    shared->body = body;
    shared->count = count;
    // A few bands per thread balance uneven rows without paying for many tiny tasks.
    shared->band = std::max(grain, (count + threads * 4 - 1) / (threads * 4));
    const int bands = (count + shared->band - 1) / shared->band;
    const int helpers = std::min(threads, bands) - 1;
    // Queued rather than tried: a worker that finished the previous call's helper a moment ago
    // may not yet count as free, and tryStart would then run this whole call on one core. A
    // helper that starts after the work is done finds the counter run out and leaves.
    for (int i = 0; i < helpers; ++i) pool->start(new Helper(shared));
    shared->work();
    std::unique_lock lock(shared->mutex);
    shared->idle.wait(lock, [&] { return shared->active == 0; });
    if (shared->failure) std::rethrow_exception(shared->failure);
}
