#include "platform/filecopy.h"

#include <cerrno>

#if KVO_PLAT_KERNEL_COPY
#include <sys/types.h>
#include <unistd.h>
#endif

PlatKernelCopy platCopyRangeInKernel(FILE* in, uint64_t from, FILE* out, uint32_t length) {
  PlatKernelCopy copy;
#if KVO_PLAT_KERNEL_COPY
  const int inFd = fileno(in);
  const int outFd = fileno(out);
  loff_t at = static_cast<loff_t>(from);
  while (copy.done < length) {
    ssize_t got = copy_file_range(inFd, &at, outFd, nullptr, length - copy.done, 0);
    if (got < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                    errno == EBADF)) {
      copy.ok = false;
      break;
    }
    if (got < 0) {
      copy.error = errno;
      break;
    }
    if (got == 0) break;  // `in` ends here
    copy.done += static_cast<uint32_t>(got);
  }
#else
  (void)in;
  (void)from;
  (void)out;
  (void)length;
  copy.ok = false;
#endif
  return copy;
}
