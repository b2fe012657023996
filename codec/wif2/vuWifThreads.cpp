#include "codec/wif2/vuWifThreads.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {
std::atomic<int> chosenThreads{0};
} // namespace

int vuWifDefaultThreads() {
  const int chosen = chosenThreads.load();
  if (chosen >= 1) return chosen;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores >= 1 ? static_cast<int>(cores) : 1;
}

void vuWifSetDefaultThreads(int threads) {
  chosenThreads.store(threads >= 1 ? threads : 0);
}

int vuWifThreadsFor(int count, int threads) {
  if (threads > count) threads = count;
  return threads < 1 ? 1 : threads;
}

void vuWifRunParallel(int count, int threads,
                      const std::function<void(int index, int worker)>& work) {
  threads = vuWifThreadsFor(count, threads);
  if (threads <= 1) {
    for (int i = 0; i < count; ++i)
      work(i, 0);
    return;
  }
  std::atomic<int> next{0};
  std::mutex failureLock;
  std::exception_ptr failure;
  auto worker = [&](int id) {
    try {
      for (int i = next++; i < count; i = next++)
        work(i, id);
    } catch (...) {
      next = count; // nothing more is started
      const std::lock_guard<std::mutex> lock(failureLock);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(worker, t);
    } catch (const std::system_error&) {
      break; // fewer threads: the caller's thread still does all the work that is left
    }
  }
  worker(0);
  for (std::thread& helper : helpers)
    helper.join();
  if (failure) std::rethrow_exception(failure);
}
