#pragma once

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

// A flag a task reads between steps (before each file, say) to stop early. Copies share it.
class CancellationFlag {
  public:
    CancellationFlag() : state_(std::make_shared<std::atomic<bool>>(false)) {}
    void cancel() const { state_->store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return state_->load(std::memory_order_relaxed); }

  private:
    std::shared_ptr<std::atomic<bool>> state_;
};

// Handed to a running task: its cancellation flag and the way back to the GUI thread.
class TaskContext {
  public:
    TaskContext(QPointer<QObject> owner, CancellationFlag flag)
        : owner_(std::move(owner)), flag_(std::move(flag)) {}
    bool isCancelled() const { return flag_.isCancelled(); }
    // Queues `fn` on the GUI thread; it runs there, after everything published before it, only
    // if the owner still exists then.
    void publish(std::function<void()> fn) const;

  private:
    QPointer<QObject> owner_;
    CancellationFlag flag_;
};

// The editor's background work: a pool of its own (so that a long decode never waits behind
// the render bands on the global pool, nor they behind it), tasks that hold their owner weakly
// and hand results to the GUI thread in the order they were published. Tasks outlive the
// owner: they keep only copies and shared services, and whatever they publish after it is
// gone is dropped.
class BackgroundTasks : public QObject {
    Q_OBJECT
  public:
    enum class Priority { utility = 0, userInitiated = 5, interactive = 10 };

    // `owner` is the object whose life decides whether results are still wanted.
    explicit BackgroundTasks(QObject* owner);

    // Starts `work` on the pool. The returned future ends when `work` returns; whatever it
    // publishes is delivered later, on the GUI thread.
    QFuture<void> start(Priority priority, const CancellationFlag& flag,
                        std::function<void(const TaskContext&)> work);

    // `work` computes a value on the pool; `publish` receives it on the GUI thread unless the
    // flag was cancelled before the work began (then neither runs).
    template <class R>
    QFuture<void> run(Priority priority, const CancellationFlag& flag, std::function<R()> work,
                      std::function<void(R)> publish) {
        return start(priority, flag,
                     [work = std::move(work), publish = std::move(publish)](const TaskContext& ctx) {
                         if (ctx.isCancelled()) return;
                         auto result = std::make_shared<R>(work());
                         ctx.publish([publish, result] { publish(std::move(*result)); });
                     });
    }

    // Tasks started and not yet fully delivered (their last publication not yet run).
    int pendingCount() const { return pending_; }
    // Runs the GUI thread's event loop until nothing is pending or `timeoutMs` passed; true when
    // idle. For tests and benchmarks, which must not guess with sleeps.
    bool waitForIdle(int timeoutMs = 60000);

    static QThreadPool& pool();

  Q_SIGNALS:
    void becameIdle();

  private:
    void finishOne();

    QPointer<QObject> owner_;
    int pending_ = 0;
};
