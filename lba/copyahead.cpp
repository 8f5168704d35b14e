#include "lba/copyahead.h"

#include "lba/filecopy.h"
#include "platform/filecopy.h"
#include "platform/replace.h"

#if KVO_PLAT_KERNEL_COPY
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Files not yet finished, at most: each holds an open output.
const size_t kMostAhead = 8;

struct Pending {
  enum State { Waiting, Copying, Copied };
  FILE* out;
  uint64_t from;
  uint32_t length;
  std::function<Status(uint32_t)> finish;
  State state = Waiting;  // changes under the queue's lock
  PlatKernelCopy copy;    // the result, once Copied
};

}  // namespace

// The helper takes the oldest waiting file; the main thread, when it has
// prepared two files the helper has not taken, copies the older itself.
// Finished files leave at the front; the queue's elements never move.
struct LbaCopyAhead {
  FILE* in;
  std::deque<Pending> pending;
  Status failed;  // the first finish that failed
  bool stopping = false;
  bool noHelper = false;  // the system gave no thread: the main thread copies all
  std::mutex lock;
  std::condition_variable changed;
  std::thread helper;
};

namespace {

// The oldest waiting file, marked as copying; null when none waits.
Pending* claimWaiting(LbaCopyAhead* q) {
  for (Pending& p : q->pending) {
    if (p.state == Pending::Waiting) {
      p.state = Pending::Copying;
      return &p;
    }
  }
  return nullptr;
}

size_t waitingCount(const LbaCopyAhead* q) {
  size_t n = 0;
  for (const Pending& p : q->pending) n += p.state == Pending::Waiting;
  return n;
}

// Copies a claimed file without the lock, then marks it copied.
void copyClaimed(LbaCopyAhead* q, Pending* p, std::unique_lock<std::mutex>& hold) {
  hold.unlock();
  const PlatKernelCopy copy = platCopyRangeInKernel(q->in, p->from, p->out, p->length);
  hold.lock();
  p->copy = copy;
  p->state = Pending::Copied;
  q->changed.notify_all();
}

void helperLoop(LbaCopyAhead* q) {
  std::unique_lock<std::mutex> hold(q->lock);
  for (;;) {
    Pending* p = nullptr;
    q->changed.wait(hold, [q, &p] { return q->stopping || (p = claimWaiting(q)) != nullptr; });
    if (!p) return;
    copyClaimed(q, p, hold);
  }
}

// Starts the helper with the first file. A system that gives no thread (a
// limit on threads or memory) gets the copies made one after the other.
void startHelper(LbaCopyAhead* q) {
  if (q->helper.joinable() || q->noHelper) return;
  try {
    q->helper = std::thread(helperLoop, q);
  } catch (const std::system_error&) {
    q->noHelper = true;
  }
}

// After a failure: waits for the copies under way and discards every output
// not finished, so that no part of a later file is left.
void discardPending(LbaCopyAhead* q, std::unique_lock<std::mutex>& hold) {
  for (Pending& p : q->pending)
    if (p.state == Pending::Waiting) p.state = Pending::Copied;
  q->changed.wait(hold, [q] {
    for (const Pending& p : q->pending)
      if (p.state == Pending::Copying) return false;
    return true;
  });
  for (Pending& p : q->pending) platReplaceDiscard(p.out);
  q->pending.clear();
}

// Finishes the files at the front whose copies have ended. While more than
// `keep` files are left, the main thread also copies waiting files itself or
// waits for the helper's.
Status finishFront(LbaCopyAhead* q, size_t keep) {
  std::unique_lock<std::mutex> hold(q->lock);
  while (q->failed.ok() && !q->pending.empty()) {
    Pending& front = q->pending.front();
    if (front.state != Pending::Copied) {
      if (q->pending.size() <= keep) break;
      if (Pending* p = claimWaiting(q)) {
        copyClaimed(q, p, hold);
      } else {
        q->changed.wait(hold, [&front] { return front.state == Pending::Copied; });
      }
      continue;
    }
    Pending p = std::move(front);
    q->pending.pop_front();
    hold.unlock();
    Status finished;
    Result<uint32_t> copied = lbaFinishCopy(q->in, p.from, p.out, p.length, p.copy);
    if (copied.ok()) {
      finished = p.finish(copied.value);
    } else {
      platReplaceDiscard(p.out);
      finished = copied.status;
    }
    hold.lock();
    if (!finished.ok()) {
      q->failed = finished;
      discardPending(q, hold);
    }
  }
  return q->failed;
}

}  // namespace

LbaCopyAhead* lbaCopyAheadStart(FILE* in) {
  LbaCopyAhead* q = new LbaCopyAhead;
  q->in = in;
  return q;
}

Status lbaCopyAheadAdd(LbaCopyAhead* q, FILE* out, uint64_t from, uint32_t length,
                       std::function<Status(uint32_t)> finish) {
  if (!q->failed.ok()) {
    platReplaceDiscard(out);
    return q->failed;
  }
  startHelper(q);
  {
    std::unique_lock<std::mutex> hold(q->lock);
    q->pending.push_back(
        Pending{out, from, length, std::move(finish), Pending::Waiting, PlatKernelCopy{}});
    q->changed.notify_all();
    // The helper is busy (or missing): the main thread copies too.
    if (q->noHelper || waitingCount(q) >= 2) copyClaimed(q, claimWaiting(q), hold);
  }
  return finishFront(q, kMostAhead - 1);
}

Status lbaCopyAheadFinish(LbaCopyAhead* q) { return q ? finishFront(q, 0) : Status(); }

Status lbaCopyAheadStop(LbaCopyAhead* q) {
  if (!q) return Status();
  Status finished = finishFront(q, 0);
  if (q->helper.joinable()) {
    {
      std::lock_guard<std::mutex> hold(q->lock);
      q->stopping = true;
      q->changed.notify_all();
    }
    q->helper.join();
  }
  delete q;
  return finished;
}

#else  // copies go through the streams, one after the other

LbaCopyAhead* lbaCopyAheadStart(FILE*) { return nullptr; }
Status lbaCopyAheadAdd(LbaCopyAhead*, FILE*, uint64_t, uint32_t, std::function<Status(uint32_t)>) {
  return Status();
}
Status lbaCopyAheadFinish(LbaCopyAhead*) { return Status(); }
Status lbaCopyAheadStop(LbaCopyAhead*) { return Status(); }

#endif
