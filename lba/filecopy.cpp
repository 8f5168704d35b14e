#include "lba/filecopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/diag.h"
#include "common/stdioe.h"

#if defined(__linux__) && !defined(KVO_LBA_PORTABLE_COPY)
#include <unistd.h>
#endif

namespace {

const uint32_t kPieceBytes = 4096;

uint32_t copyPieces(FILE* in, uint64_t from, FILE* out, uint32_t length) {
  fseekU(in, static_cast<int64_t>(from), SEEK_SET);
  return lbaCopyStream(in, out, length);
}

#if defined(__linux__) && !defined(KVO_LBA_PORTABLE_COPY)
// In-kernel copy; the input's file position is not moved. Returns the bytes
// copied, and sets *fallBack when the system cannot copy these files this way.
uint32_t copyInKernel(FILE* in, uint64_t from, FILE* out, uint32_t length, bool* fallBack) {
  *fallBack = false;
  if (std::fflush(out) != 0) {
    report("ERROR: can't write to file : %s\n", std::strerror(errno));
    exitFailure();
  }
  loff_t at = static_cast<loff_t>(from);
  uint32_t done = 0;
  while (done < length) {
    ssize_t got = copy_file_range(fileno(in), &at, fileno(out), nullptr, length - done, 0);
    if (got < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                    errno == EBADF)) {
      *fallBack = true;
      break;
    }
    if (got < 0) {
      report("ERROR: can't write to file : %s\n", std::strerror(errno));
      exitFailure();
    }
    if (got == 0) break;  // the image ends here
    done += static_cast<uint32_t>(got);
  }
  return done;
}
#endif

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

uint32_t lbaCopyRange(FILE* in, uint64_t from, FILE* out, uint32_t length) {
#if defined(__linux__) && !defined(KVO_LBA_PORTABLE_COPY)
  bool fallBack = false;
  uint32_t done = copyInKernel(in, from, out, length, &fallBack);
  if (!fallBack) return done;
  fseekU(out, 0, SEEK_END);  // behind what the kernel already appended
  return done + copyPieces(in, from + done, out, length - done);
#else
  return copyPieces(in, from, out, length);
#endif
}
