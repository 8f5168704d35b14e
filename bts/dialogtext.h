// Dialog text files: the dialog section's texts converted to characters
// through the character table, one block per text followed by the separator,
// or (separator off) the whole texts area as one block. The head, with its
// choice information, is carried over unchanged on import.
#pragma once

#include <cstdint>
#include <vector>

#include "bts/dialog.h"

// Writes the text file of a dialog section; the table must be loaded.
void dialogExport(const uint8_t* sectionData, uint32_t sectionSize, const char* outPath,
                  const char* name);
// dialogExport between loading and releasing the table file.
void dialogExportWithTable(const uint8_t* sectionData, uint32_t sectionSize, const char* outPath,
                           const char* name, const char* tablePath);
// New section bytes from an opened view and the contents of the text file
// `textPath`; the table must be loaded. A separated text file that does not
// hold exactly one text per non-empty text of the section is fatal.
std::vector<uint8_t> dialogImportText(const DialogView& view, const uint8_t* text,
                                      uint32_t textLength, const char* textPath);
// Loads the table and the text file and returns the new section bytes.
std::vector<uint8_t> dialogImport(const uint8_t* sectionData, uint32_t sectionSize,
                                  const char* textPath, const char* name, const char* tablePath);
