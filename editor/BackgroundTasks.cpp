#include "editor/BackgroundTasks.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QtConcurrent/qtconcurrenttask.h>

namespace {

// Runs `fn` on the GUI thread later; the application object lives on that thread for the whole
// run, so the call has a receiver even when the object that asked for it is gone.
void postToGuiThread(std::function<void()> fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace

void TaskContext::publish(std::function<void()> fn) const {
    postToGuiThread([owner = owner_, fn = std::move(fn)] {
        if (owner) fn();
    });
}

BackgroundTasks::BackgroundTasks(QObject* owner) : QObject(owner), owner_(owner) {}

QThreadPool& BackgroundTasks::pool() {
    // Two workers: enough to decode the neighbours while the full-size image decodes, few
    // enough to leave the GUI thread's render bands their cores.
    static QThreadPool* instance = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        // At quit, work not yet begun is dropped and running work ends before the libraries
        // it uses are torn down (cancelled loaders stop at their next file).
        qAddPostRoutine([] {
            pool().clear();
            pool().waitForDone();
        });
        return p;
    }();
    return *instance;
}

QFuture<void> BackgroundTasks::start(Priority priority, const CancellationFlag& flag,
                                     std::function<void(const TaskContext&)> work) {
    ++pending_;
    QPointer<BackgroundTasks> self(this);
    QPointer<QObject> owner = owner_;
    return QtConcurrent::task([self, owner, flag, work = std::move(work)] {
               try {
                   work(TaskContext(owner, flag));
               } catch (...) {
                   // A task that fails simply publishes nothing more: a missing thumbnail or
                   // full-size image is the documented result of a file that can't be read.
               }
               postToGuiThread([self] {
                   if (self) self->finishOne();
               });
           })
        .onThreadPool(pool())
        .withPriority(static_cast<int>(priority))
        .spawn();
}

void BackgroundTasks::finishOne() {
    if (--pending_ == 0) Q_EMIT becameIdle();
}

bool BackgroundTasks::waitForIdle(int timeoutMs) {
    if (pending_ == 0) return true;
    QEventLoop loop;
    connect(this, &BackgroundTasks::becameIdle, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return pending_ == 0;
}
