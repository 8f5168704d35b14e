// The project file, kvo.toml: which disc image the project was made from,
// the character table, and the rules that say which files of the image hold
// dialog text and which hold pictures. `kvo init` writes it with the defaults
// of the type detection; the user may add or override any file index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/outcome.h"

enum class FileKind { Dialog, Map, Gwh, Gnop, Raw, Skip };

// A headerless bitmap: its geometry and the file that holds its palettes.
struct GnopRule {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bpp = 8;            // 4 or 8
  uint32_t paletteIndex = 0;   // file index of the multi-palette file
  uint32_t paletteNumber = 0;  // which 256-entry palette of it
  uint32_t bitmapOffset = 0;
  uint32_t paletteOffset = 0;
};

// One file index whose kind the user sets.
struct FileRule {
  uint32_t index = 0;
  FileKind kind = FileKind::Raw;
  GnopRule gnop;  // kind Gnop only
};

// The small battle file and the battle files whose parts it holds: part p is
// made from file index firstBattle + p.
struct SmallBattleRule {
  uint32_t index = 0;
  uint32_t firstBattle = 0;
  uint32_t lastBattle = 0;
};

struct Project {
  std::string imagePath;  // as written in the file: relative to its folder, or absolute
  uint64_t imageSize = 0;
  std::string imageSha256;
  std::string tablePath;    // empty: no table yet
  std::string tableFormat;  // "tbs", "hex", or empty: chosen by the table's content
  std::vector<std::string> dialogExtensions{".bt", ".bts", ".bt7", ".ev"};
  std::vector<std::string> mapExtensions{".map"};
  bool detectGwh = true;
  std::vector<FileRule> files;  // ascending by index, each index once
  std::optional<SmallBattleRule> smallBattle;
};

const char* fileKindName(FileKind kind);

// Reads a project file's text. `name` goes into the messages, which read
// "NAME:LINE:COLUMN: what is wrong".
Result<Project> projectParse(std::string_view text, const std::string& name);
std::string projectWrite(const Project& project);
// The user's rule for a file index, or null.
const FileRule* projectRuleFor(const Project& project, uint32_t index);
