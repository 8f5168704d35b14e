#include "lba/filecopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/streams.h"

#if KVO_LBA_KERNEL_COPY
#include <unistd.h>
#endif

namespace {

const uint32_t kPieceBytes = 4096;

}  // namespace

uint32_t lbaCopyStream(FILE* in, FILE* out, uint32_t length) {
  uint8_t buffer[kPieceBytes];
  uint32_t done = 0;
  while (done < length) {
    uint32_t n = std::min(length - done, kPieceBytes);
    uint32_t got = static_cast<uint32_t>(freadU(buffer, 1, n, in));
    fwriteU(buffer, 1, got, out);
    done += got;
    if (got < n) break;
  }
  return done;
}

LbaKernelCopy lbaCopyInKernel(int inFd, uint64_t from, int outFd, uint32_t length) {
  LbaKernelCopy copy;
#if KVO_LBA_KERNEL_COPY
  loff_t at = static_cast<loff_t>(from);
  while (copy.done < length) {
    ssize_t got = copy_file_range(inFd, &at, outFd, nullptr, length - copy.done, 0);
    if (got < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                    errno == EBADF)) {
      copy.fallBack = true;
      break;
    }
    if (got < 0) {
      copy.error = errno;
      break;
    }
    if (got == 0) break;  // the image ends here
    copy.done += static_cast<uint32_t>(got);
  }
#else
  (void)inFd;
  (void)from;
  (void)outFd;
  (void)length;
  copy.fallBack = true;
#endif
  return copy;
}

uint32_t lbaFinishCopy(FILE* in, uint64_t from, FILE* out, uint32_t length,
                       const LbaKernelCopy& copy) {
  if (copy.error != 0) {
    report("ERROR: can't write to file : %s\n", std::strerror(copy.error));
    exitFailure();
  }
  if (!copy.fallBack) return copy.done;
  fseekU(out, 0, SEEK_END);  // behind what the kernel already appended
  return copy.done + lbaCopyRange(in, from + copy.done, out, length - copy.done);
}

uint32_t lbaCopyRange(FILE* in, uint64_t from, FILE* out, uint32_t length) {
  fseekU(in, static_cast<int64_t>(from), SEEK_SET);
  return lbaCopyStream(in, out, length);
}
