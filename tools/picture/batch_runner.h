// SPDX-License-Identifier: Apache-2.0
// Runs the items of a batch on several threads and hands their results back in item order, so that
// the files and the report are those of one job, only sooner.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch.h"
#include "command_line.h"
#include "command_system.h"

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

// What became of one item of a batch.
struct ItemResult {
  bool written = false;
  std::string failure;   // why it was not written
  std::string notes;     // lines that say the picture differs from the item: said even with --quiet
  std::string warnings;  // other lines, unless --quiet; a "note: " line only at the first item with it
  std::string report;    // lines for standard output (e.g. what -v says), unless --quiet
};

struct BatchSetup {
  std::string command;   // the name before every line it says
  std::string dataFile;  // "-" for standard input
  bool nulSeparated = false;
  int jobs = 0;
  bool quiet = false;
  std::size_t maxItemBytes = 0;  // longer items fail without being drawn
};

// Runs a whole batch: numbers the items from 1, has worker(item, number) -> ItemResult make each
// picture on --jobs threads (every thread its own worker from makeWorker()), and says in item
// order what became of each, every line after "COMMAND: line N: " ("item N: " with -0). An empty
// or too long item fails without reaching a worker. Ends with the count of pictures written and of
// items that failed; returns the exit status, 1 when any item failed. BatchReadError and failures
// to open the data file are raised.
template <typename MakeWorker>
int runBatch(const BatchSetup& setup, MakeWorker makeWorker) {
  // Every picture's compressor takes and frees the same few hundred kilobytes: keep them between
  // items rather than hand them back to the system and fault them in again.
  keepFreedMemory();
  const std::string& path = setup.dataFile;
  if (path == "-") useBinaryMode(stdin);
  std::FILE* in = path == "-" ? stdin : openFile(path, "rb");
  if (in == nullptr) throw BatchReadError("cannot open the data file " + path);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(in == stdin ? nullptr : in, std::fclose);
  ItemReader items(in, setup.nulSeparated ? '\0' : '\n', setup.maxItemBytes + 1);
  const std::string unit = setup.nulSeparated ? "item " : "line ";
  const auto checked = [&] {
    return [&setup, &unit, worker = makeWorker()](const std::string& item, long number) mutable {
      ItemResult result;
      if (item.empty()) {
        result.failure = "the " + unit + "is empty: there is nothing to encode";
        return result;
      }
      if (item.size() > setup.maxItemBytes) {
        result.failure = "the " + unit + "is longer than the " + std::to_string(setup.maxItemBytes) +
                         " bytes that a symbol can hold";
        return result;
      }
      try {
        result = worker(item, number);
      } catch (const std::exception& e) {
        result = ItemResult();
        result.failure = e.what();
      }
      return result;
    };
  };
  const auto say = [&](std::FILE* stream, const std::string& lines, const std::string& where) {
    for (std::size_t start = 0; start < lines.size();) {
      const std::size_t end = std::min(lines.find('\n', start), lines.size());
      writeText(stream, setup.command + ": " + where + lines.substr(start, end - start) + "\n");
      start = end + 1;
    }
  };
  // A note that comes with many items (of one symbol size, say) is said once, at its first item.
  std::set<std::string> notesGiven;
  const auto firstNotesOnly = [&notesGiven](const std::string& lines) {
    std::string kept;
    for (std::size_t start = 0; start < lines.size();) {
      const std::size_t end = std::min(lines.find('\n', start), lines.size() - 1);
      const std::string line = lines.substr(start, end + 1 - start);
      if (line.rfind("note: ", 0) != 0 || notesGiven.insert(line).second) kept += line;
      start = end + 1;
    }
    return kept;
  };
  long failed = 0, written = 0;
  runInItemOrder(items, jobCount(setup.jobs), checked, [&](long number, ItemResult result) {
    const std::string where = unit + std::to_string(number) + ": ";
    say(stderr, result.notes, where);
    if (!setup.quiet) say(stderr, firstNotesOnly(result.warnings), where);
    if (result.written) {
      ++written;
      if (!setup.quiet) say(stdout, result.report, where);
    } else {
      ++failed;
      say(stderr, result.failure, where);
    }
  });
  if (!setup.quiet) {
    writeText(stdout, setup.command + ": wrote " + std::to_string(written) + " picture(s)" +
                          (failed > 0 ? "; " + std::to_string(failed) + " item(s) failed" : "") + "\n");
  }
  return failed > 0 ? 1 : 0;
}

}  // namespace torv::tools
