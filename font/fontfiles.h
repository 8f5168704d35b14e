// File helpers of the two font tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The size of an open file, leaving it positioned at its start; false when
// the file cannot be measured.
bool fontFileSize(FILE* fp, int64_t* size);

// An output file written beside its final place and moved there only when
// complete, so a failed run never leaves a half-written file over an old one.
struct NewFile {
  FILE* fp = nullptr;
  std::string path;
  std::string temporary;
};

// Creates a fresh temporary file beside `path`; false when none can be made.
bool newFileOpen(NewFile* file, const char* path);
// Closes the temporary and puts it in place of `path`; false (and the
// temporary removed) when writing, closing or the replacement failed.
bool newFileCommit(NewFile* file);
// Closes and removes the temporary; the old file stays as it was.
void newFileDiscard(NewFile* file);
