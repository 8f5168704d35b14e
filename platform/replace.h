// Writing a file that may be the tool's own input, or the only copy of a
// user's work: over an existing file the data goes to a fresh temporary file
// beside it, which takes the target's place only once it is completely
// written. A run that stops half-way leaves the target exactly as it was, and
// a new file it had begun (or the temporary file) is removed when the process
// ends.
#pragma once

#include <cstddef>
#include <cstdio>

// Opens the output for `target` with the given fopen mode ("wb", "w"). An
// existing target that is not a regular file (a device such as /dev/null) is
// written directly. Null with errno set when it cannot be created; a folder
// as target fails with EISDIR.
FILE* platReplaceOpen(const char* target, const char* mode);

// Closes the output and puts it in place of its target. False, with errno
// set, when a write, the close or the replacement failed. The temporary file
// is removed, except when only the replacement failed: then the target stays
// as it was and the complete new data stays in the temporary file, which
// platReplaceKept names.
bool platReplaceCommit(FILE* fp);

// The temporary file that the last failed commit kept; "" when it kept none.
const char* platReplaceKept();

// Closes and removes the output; the target stays as it was.
void platReplaceDiscard(FILE* fp);

// Writes `size` bytes to `target` the same way; false (errno set) on failure.
bool platReplaceSave(const char* target, const void* data, size_t size);
