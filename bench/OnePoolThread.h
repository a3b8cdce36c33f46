#pragma once

#include <QThreadPool>

// For the life of the guard the global pool runs one thread, so a benchmark's time is the whole
// work of what it measures: the figure to compare changes by when other processes share the
// cores. The pool's own limit comes back afterwards.
class OnePoolThread {
  public:
    OnePoolThread() : threads_(QThreadPool::globalInstance()->maxThreadCount()) {
        QThreadPool::globalInstance()->setMaxThreadCount(1);
    }
    ~OnePoolThread() { QThreadPool::globalInstance()->setMaxThreadCount(threads_); }
    OnePoolThread(const OnePoolThread&) = delete;
    OnePoolThread& operator=(const OnePoolThread&) = delete;

  private:
    int threads_;
};
