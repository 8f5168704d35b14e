// The listing mode: one line per file of the table, in one of four forms.
#pragma once

#include <cstdio>

void lbaList(const char* imagePath, FILE* out);
