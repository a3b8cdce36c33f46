#pragma once

#include <functional>

// Runs body(begin, end) over [0, count) split into bands, on the calling thread and the
// global thread pool together. The caller always works too, so a call made from a pool thread
// (or with the pool busy) finishes on its own rather than waiting for a free worker.
// `grain` is the smallest band worth a task. When a band throws, the bands not yet claimed are
// dropped, the call returns once the claimed ones are done, and the first exception is rethrown
// here, on the calling thread.
void parallelBands(int count, int grain, const std::function<void(int begin, int end)>& body);
