// Conversion speed of the indexed lookup against the plain linear scan, with
// a 10,000-entry table (two-byte codes to UTF-8 text, single bytes, copy
// marker entries) and 1 MiB of dialog bytes. Prints both times and the ratio
// for export (bytes to text) and import (text back to bytes); exits 1 when
// the outputs differ.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/texttable/linear_oracle.h"
#include "texttable/chartable.h"
#include "texttable/convert.h"

namespace {

using Bytes = std::vector<uint8_t>;

const int kEntries = 10000;
const size_t kDialogBytes = 1 << 20;

void appendUtf8(std::string& out, unsigned codePoint) {
  out += static_cast<char>(0xE0 | (codePoint >> 12));
  out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (codePoint & 0x3F));
}

std::string hexEscape(unsigned byte) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  return text;
}

// The game's two-byte code for entry i: lead byte 0x81.., trail byte 0x40..0xFC.
void codeOf(int i, uint8_t* code) {
  code[0] = static_cast<uint8_t>(0x81 + i / 189);
  code[1] = static_cast<uint8_t>(0x40 + i % 189);
}

const char* const kMarkerLines[] = {
    "\\xFF\\xF0\\c02=<name \\h02>",
    "\\xFF\\xF1\\c01=<wait \\h01>",
    "\\xFF\\xF2=<br>\\\r\n",
    "\\xFF\\xF3\\c04\\xFE=<color \\h04/>",
    "\\xFF\\xF4\\c01=",
    "\\xFF\\xF5\\c03=<raw \\c03>",
};
const int kMarkerCount = sizeof kMarkerLines / sizeof *kMarkerLines;
const int kAsciiCount = 0x7F - 0x20;
const int kCodeCount = kEntries - kMarkerCount - kAsciiCount;

std::string makeTable() {
  std::string table;
  for (int c = 0x20; c < 0x7F; ++c) {
    std::string ch(1, static_cast<char>(c));
    if (c == '\\' || c == '=') ch = "\\" + ch;
    table += hexEscape(c) + "=" + ch + "\r\n";
  }
  for (int i = 0; i < kCodeCount; ++i) {
    uint8_t code[2];
    codeOf(i, code);
    std::string text;
    appendUtf8(text, 0x4E00 + i % 3000);
    if (i >= 3000) appendUtf8(text, 0x3041 + i / 3000);
    if (i % 7 == 0) appendUtf8(text, 0x30A1 + i % 80);
    table += hexEscape(code[0]) + hexEscape(code[1]) + "=" + text + "\r\n";
  }
  for (const char* line : kMarkerLines) table += std::string(line) + "\r\n";
  return table;
}

Bytes makeDialog(std::mt19937& rng) {
  Bytes dialog;
  dialog.reserve(kDialogBytes + 16);
  while (dialog.size() < kDialogBytes) {
    unsigned pick = rng() % 100;
    if (pick < 80) {
      uint8_t code[2];
      codeOf(static_cast<int>(rng() % kCodeCount), code);
      dialog.insert(dialog.end(), code, code + 2);
    } else if (pick < 95) {
      dialog.push_back(static_cast<uint8_t>(0x20 + rng() % kAsciiCount));
    } else if (pick < 99) {
      static const uint8_t kMarkers[][3] = {{0xF0, 2}, {0xF1, 1}, {0xF2, 0}, {0xF3, 4}, {0xF5, 3}};
      const uint8_t* m = kMarkers[rng() % 5];
      dialog.push_back(0xFF);
      dialog.push_back(m[0]);
      for (int k = 0; k < m[1]; ++k) dialog.push_back(static_cast<uint8_t>(rng()));
      if (m[0] == 0xF3) dialog.push_back(0xFE);
    } else {
      dialog.push_back(0);  // the end of a text: no entry for it
    }
  }
  dialog.resize(kDialogBytes);
  return dialog;
}

// Processor time, so that other work on a shared machine does not count.
double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Times both conversions of one direction (the indexed one best of three);
// false when they differ.
bool compare(const CharTable& table, const char* name, const Bytes& input, bool forward,
             Bytes* result) {
  double indexed = 1e9;
  for (int run = 0; run < 3; ++run) {
    double start = cpuSeconds();
    uint32_t size = static_cast<uint32_t>(input.size());
    Result<Bytes> out = forward ? tblBytesToText(table, input.data(), size)
                                : tblTextToBytes(table, input.data(), size);
    indexed = std::min(indexed, cpuSeconds() - start);
    if (!out.ok()) return false;
    *result = std::move(out.value);
  }

  TblDirection d = forward ? tblForward(table) : tblReverse(table);
  double start = cpuSeconds();
  Bytes linear = linearConvert(input.data(), static_cast<uint32_t>(input.size()), d.entries,
                               d.count, table.skipMode);
  double scan = cpuSeconds() - start;
  bool same = linear == *result;
  std::printf(
      "%s: %zu bytes in, %zu out; indexed %.4f s, linear scan %.3f s (processor time), ratio "
      "%.0fx, output %s\n",
      name, input.size(), result->size(), indexed, scan, scan / indexed,
      same ? "identical" : "DIFFERENT");
  return same;
}

}  // namespace

int main() {
  std::string file = makeTable();
  const CharTable table = tblParse(Bytes(file.begin(), file.end()), Messages());
  std::printf("table: %zu entries\n", table.forward.size());

  std::mt19937 rng(20140516);
  Bytes dialog = makeDialog(rng);
  Bytes text, back;
  bool ok = compare(table, "export", dialog, true, &text);
  ok = compare(table, "import", text, false, &back) && ok;
  return ok ? 0 : 1;
}
