// SPDX-License-Identifier: Apache-2.0
// Runs the items of a batch on several threads and hands their results back in item order, so that
// the files and the report are those of one job, only sooner.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch.h"

namespace torv::tools {

// The number of jobs to run: `requested`, or the machine's cores for 0.
int jobCount(int requested);

// Numbers the items of `items` from 1 and runs each through a worker: every thread makes its own
// with makeWorker() and calls worker(item, number) for the items it takes. finish(number, result)
// runs on the calling thread, in item order, as soon as the results up to that item are in. Reading
// stays ahead by a few items per job, so memory holds no more than that. With one job everything
// runs on the calling thread. A worker must not throw. When reading the items fails, the items read
// before are finished as one job would, then the exception is raised; when finish throws, no
// further item is started and the exception is raised once the threads have stopped.
template <typename MakeWorker, typename Finish>
void runInItemOrder(ItemReader& items, int jobs, MakeWorker makeWorker, Finish finish) {
  auto single = makeWorker();
  using Result = decltype(single(std::string(), 1L));
  if (jobs <= 1) {
    long number = 0;
    for (std::string item; items.next(item);) {
      ++number;
      finish(number, single(item, number));
    }
    return;
  }

  std::mutex mutex;
  std::condition_variable work;  // an item is waiting, or the reading ended
  std::condition_variable done;  // a result is in
  std::deque<std::pair<long, std::string>> waiting;
  std::map<long, Result> results;
  bool ended = false;

  const auto run = [&](auto worker) {
    for (;;) {
      std::unique_lock<std::mutex> lock(mutex);
      work.wait(lock, [&] { return !waiting.empty() || ended; });
      if (waiting.empty()) return;
      std::pair<long, std::string> next = std::move(waiting.front());
      waiting.pop_front();
      lock.unlock();
      Result result = worker(next.second, next.first);
      lock.lock();
      results.emplace(next.first, std::move(result));
      done.notify_one();
    }
  };
  std::vector<std::thread> threads;
  const auto stop = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ended = true;
    }
    work.notify_all();
    for (std::thread& thread : threads) thread.join();
  };

  const std::size_t ahead = static_cast<std::size_t>(jobs) * 4;
  long read = 0, finished = 0;
  bool more = true;
  std::exception_ptr readFailure;
  try {
    threads.emplace_back(run, std::move(single));
    for (int i = 1; i < jobs; ++i) threads.emplace_back(run, makeWorker());
    while (more || finished < read) {
      for (std::string item; more && static_cast<std::size_t>(read - finished) < ahead;) {
        try {
          more = items.next(item);
        } catch (...) {
          readFailure = std::current_exception();
          more = false;
        }
        if (!more) break;
        std::lock_guard<std::mutex> lock(mutex);
        waiting.emplace_back(++read, std::move(item));
        work.notify_one();
      }
      if (finished == read) continue;
      std::unique_lock<std::mutex> lock(mutex);
      done.wait(lock, [&] { return results.count(finished + 1) != 0; });
      auto it = results.find(finished + 1);
      Result result = std::move(it->second);
      results.erase(it);
      lock.unlock();
      finish(++finished, std::move(result));
    }
  } catch (...) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      waiting.clear();
    }
    stop();
    throw;
  }
  stop();
  if (readFailure) std::rethrow_exception(readFailure);
}

}  // namespace torv::tools
