// The listing mode: one line per file of the table, in one of four forms
// (settings.printMode), written to `out`.
#pragma once

#include <cstdio>

#include "common/outcome.h"
#include "lba/lba_image.h"

Status lbaList(const char* imagePath, FILE* out, const LbaSettings& settings,
               const Messages& messages);
