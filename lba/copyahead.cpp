#include "lba/copyahead.h"

#include <cerrno>
#include <cstring>

#include "common/diag.h"
#include "lba/filecopy.h"

#if KVO_LBA_KERNEL_COPY
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Files copied but not finished, at most: each holds an open output.
const size_t kMostAhead = 8;

struct Pending {
  FILE* out;
  uint64_t from;
  uint32_t length;
  std::function<void(uint32_t)> finish;
  LbaKernelCopy copy;
  bool copied = false;  // the copy has ended (its result is in `copy`)
};

// The helper's one job. Only `state` changes hands under the lock: the main
// thread writes the job while it is Idle, the helper the result while Busy.
struct HelperJob {
  enum State { Idle, Busy, Done } state = Idle;
  int outFd = -1;
  uint64_t from = 0;
  uint32_t length = 0;
  LbaKernelCopy result;
};

}  // namespace

struct LbaCopyAhead {
  FILE* in;
  std::deque<Pending> pending;
  Pending* onHelper = nullptr;  // the pending file the helper copies
  HelperJob job;
  bool stopping = false;
  bool finishing = false;  // a file is being finished: messages wait for nothing
  std::mutex lock;
  std::condition_variable changed;
  std::thread helper;
};

namespace {

LbaCopyAhead* gQueue = nullptr;  // the one queue, for the message hook

void helperLoop(LbaCopyAhead* q) {
  const int inFd = fileno(q->in);
  std::unique_lock<std::mutex> hold(q->lock);
  for (;;) {
    q->changed.wait(hold, [q] { return q->stopping || q->job.state == HelperJob::Busy; });
    if (q->job.state != HelperJob::Busy) return;
    const HelperJob job = q->job;
    hold.unlock();
    const LbaKernelCopy result = lbaCopyInKernel(inFd, job.from, job.outFd, job.length);
    hold.lock();
    q->job.result = result;
    q->job.state = HelperJob::Done;
    q->changed.notify_all();
  }
}

// Takes the helper's result into its pending file; with `wait`, waits for it.
void collect(LbaCopyAhead* q, bool wait) {
  if (!q->onHelper) return;
  std::unique_lock<std::mutex> hold(q->lock);
  if (wait) q->changed.wait(hold, [q] { return q->job.state == HelperJob::Done; });
  if (q->job.state != HelperJob::Done) return;
  q->onHelper->copy = q->job.result;
  q->onHelper->copied = true;
  q->onHelper = nullptr;
  q->job.state = HelperJob::Idle;
}

void giveHelper(LbaCopyAhead* q, Pending* p) {
  if (!q->helper.joinable()) q->helper = std::thread(helperLoop, q);
  std::lock_guard<std::mutex> hold(q->lock);
  q->job.outFd = fileno(p->out);
  q->job.from = p->from;
  q->job.length = p->length;
  q->job.state = HelperJob::Busy;
  q->onHelper = p;
  q->changed.notify_all();
}

// Finishes the files at the front whose copies have ended.
void finishCopied(LbaCopyAhead* q) {
  while (!q->pending.empty() && q->pending.front().copied) {
    Pending p = std::move(q->pending.front());
    q->pending.pop_front();
    q->finishing = true;
    p.finish(lbaFinishCopy(q->in, p.from, p.out, p.length, p.copy));
    q->finishing = false;
  }
}

// Before any message: every file added so far is finished first.
void finishAll() {
  LbaCopyAhead* q = gQueue;
  if (!q || q->finishing) return;
  collect(q, true);
  finishCopied(q);
}

}  // namespace

LbaCopyAhead* lbaCopyAheadStart(FILE* in) {
  LbaCopyAhead* q = new LbaCopyAhead;
  q->in = in;
  gQueue = q;
  setBeforeMessage(finishAll);
  return q;
}

void lbaCopyAheadAdd(LbaCopyAhead* q, FILE* out, uint64_t from, uint32_t length,
                     std::function<void(uint32_t)> finish) {
  if (std::fflush(out) != 0) {
    report("ERROR: can't write to file : %s\n", std::strerror(errno));
    exitFailure();
  }
  q->pending.push_back(Pending{out, from, length, std::move(finish), LbaKernelCopy{}});
  Pending* p = &q->pending.back();
  collect(q, false);
  if (!q->onHelper) {
    giveHelper(q, p);
  } else {
    p->copy = lbaCopyInKernel(fileno(q->in), from, fileno(out), length);
    p->copied = true;
  }
  finishCopied(q);
  if (q->pending.size() >= kMostAhead) {
    collect(q, true);
    finishCopied(q);
  }
}

void lbaCopyAheadStop(LbaCopyAhead* q) {
  collect(q, true);
  finishCopied(q);
  setBeforeMessage(nullptr);
  gQueue = nullptr;
  if (q->helper.joinable()) {
    {
      std::lock_guard<std::mutex> hold(q->lock);
      q->stopping = true;
      q->changed.notify_all();
    }
    q->helper.join();
  }
  delete q;
}

#else  // copies go through the streams, one after the other

LbaCopyAhead* lbaCopyAheadStart(FILE*) { return nullptr; }
void lbaCopyAheadAdd(LbaCopyAhead*, FILE*, uint64_t, uint32_t, std::function<void(uint32_t)>) {}
void lbaCopyAheadStop(LbaCopyAhead*) {}

#endif
