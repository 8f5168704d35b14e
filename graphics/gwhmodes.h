// kvogwh's modes, front end: each prints its failures and ends the process.
#pragma once

enum class GwhMode { None, Print, Export, Import, Create };

struct GwhOptions {
  GwhMode mode = GwhMode::None;
  const char* first = nullptr;
  const char* second = nullptr;
  const char* third = nullptr;  // optional
  bool mask = false;            // "-m"
  bool noChange = false;        // "-n"
  bool green = false;           // "-g"
};

void gwhPrintMode(const GwhOptions& opt);
void gwhExport(const GwhOptions& opt);
void gwhCreate(const GwhOptions& opt);
void gwhImport(const GwhOptions& opt);
