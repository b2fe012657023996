// Threads for the codec: independent tiles are coded and decoded on several threads at once. The
// output bytes never depend on the number of threads; one thread is the plain sequential path.
#pragma once

#include <functional>

// The thread count encoders and decoders start with: the process-wide choice, by default the
// machine's cores. A count below 1 restores the default.
int vuWifDefaultThreads();
void vuWifSetDefaultThreads(int threads);

// The number of threads vuWifRunParallel uses for `count` pieces of work.
int vuWifThreadsFor(int count, int threads);

// Runs work(index, worker) for index 0 .. count - 1 on up to `threads` threads (the caller's thread
// is worker 0; workers are numbered below vuWifThreadsFor(count, threads)), each index once, and
// returns when all are done. An exception thrown by the work stops the remaining work and is
// thrown again in the caller's thread.
void vuWifRunParallel(int count, int threads,
                      const std::function<void(int index, int worker)>& work);
