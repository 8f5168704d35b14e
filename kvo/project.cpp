#include "kvo/project.h"

#include <algorithm>
#include <cinttypes>
#include <limits>
#include <sstream>

// toml++'s own assertions end the process on some malformed files that its
// parser reports as errors without them; left out, every file gives an
// error value (as in release builds).
#define TOML_ASSERT(expr) static_assert(true)
#include <toml++/toml.h>

namespace {
// toml++ 3.3 reaches a point it holds unreachable when it asks whether most
// characters from U+00A1 to U+FEFE are white space (its table misses them):
// every character from U+0080 to U+FFFF is handed to it as a stand-in from
// the private use plane (U+F0080 to U+FFFFF, which it tests correctly) and
// put back in the values it returns. Columns count characters, so the
// places in its messages stay right.
constexpr char32_t kStandInBase = 0xF0000;

// The character at `i` and its length in bytes; length 0 for bytes that are
// no UTF-8 (toml++ reports those itself).
char32_t characterAt(const std::string& text, size_t i, size_t* length) {
  const uint8_t b = uint8_t(text[i]);
  const size_t n = b < 0x80             ? 1
                   : (b & 0xE0) == 0xC0 ? 2
                   : (b & 0xF0) == 0xE0 ? 3
                   : (b & 0xF8) == 0xF0 ? 4
                                        : 0;
  *length = 0;
  if (n == 0 || i + n > text.size()) return 0;
  char32_t c = n == 1 ? b : char32_t(b & (0x7F >> n));
  for (size_t k = 1; k < n; ++k) {
    if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (uint8_t(text[i + k]) & 0x3F);
  }
  *length = n;
  return c;
}

void appendCharacter(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// `text` with the characters of [first, last] moved by `by`; false when a
// character of [takenFirst, takenLast] is found (it could not be told apart).
bool moveCharacters(const std::string& text, char32_t first, char32_t last, int64_t by,
                    char32_t takenFirst, char32_t takenLast, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size();) {
    size_t length = 0;
    const char32_t c = characterAt(text, i, &length);
    if (length == 0) {  // not UTF-8: left as it is
      *out += text[i++];
      continue;
    }
    if (c >= takenFirst && c <= takenLast) return false;
    if (c >= first && c <= last)
      appendCharacter(*out, char32_t(int64_t(c) + by));
    else
      out->append(text, i, length);
    i += length;
  }
  return true;
}

std::string fromStandIns(const std::string& text) {
  std::string out;
  moveCharacters(text, kStandInBase + 0x80, kStandInBase + 0xFFFF, -int64_t(kStandInBase), 1, 0,
                 &out);
  return out;
}

struct KindName {
  FileKind kind;
  const char* name;
};
const KindName kKindNames[] = {{FileKind::Dialog, "dialog"}, {FileKind::Map, "map"},
                               {FileKind::Gwh, "gwh"},       {FileKind::Gnop, "gnop"},
                               {FileKind::Raw, "raw"},       {FileKind::Skip, "skip"}};

// Reading one table of the file: every failure names the place it was found.
struct Reader {
  const std::string& name;
  std::string error;

  bool fail(const toml::node& at, const std::string& what) {
    if (error.empty()) {
      const toml::source_position& pos = at.source().begin;
      error = formatText("%s:%u:%u: %s\n", name.c_str(), unsigned(pos.line), unsigned(pos.column),
                         what.c_str());
    }
    return false;
  }

  bool onlyKeys(const toml::table& table, std::initializer_list<const char*> keys,
                const char* where) {
    for (const auto& entry : table) {
      const std::string key(entry.first.str());
      bool known = std::any_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; });
      if (!known)
        return fail(entry.second, formatText("unknown key '%s' in %s", key.c_str(), where));
    }
    return true;
  }

  bool text(const toml::table& table, const char* key, std::string* out) {
    const toml::node* node = table.get(key);
    if (!node) return true;
    if (!node->is_string()) return fail(*node, formatText("'%s' must be a string", key));
    *out = fromStandIns(node->as_string()->get());
    return true;
  }

  bool number(const toml::table& table, const char* key, uint64_t most, uint64_t* out) {
    const toml::node* node = table.get(key);
    if (!node) return true;
    if (!node->is_integer() || node->as_integer()->get() < 0 ||
        uint64_t(node->as_integer()->get()) > most)
      return fail(*node, formatText("'%s' must be a whole number from 0 to %" PRIu64, key, most));
    *out = uint64_t(node->as_integer()->get());
    return true;
  }

  bool number32(const toml::table& table, const char* key, uint32_t* out) {
    uint64_t value = *out;
    if (!number(table, key, std::numeric_limits<uint32_t>::max(), &value)) return false;
    *out = uint32_t(value);
    return true;
  }

  bool required(const toml::table& table, const char* key, const toml::node& at,
                const char* where) {
    if (table.contains(key)) return true;
    return fail(at, formatText("%s needs '%s'", where, key));
  }

  bool texts(const toml::table& table, const char* key, std::vector<std::string>* out) {
    const toml::node* node = table.get(key);
    if (!node) return true;
    const toml::array* array = node->as_array();
    if (!array) return fail(*node, formatText("'%s' must be a list of strings", key));
    out->clear();
    for (const toml::node& item : *array) {
      if (!item.is_string()) return fail(item, formatText("'%s' must be a list of strings", key));
      out->push_back(fromStandIns(item.as_string()->get()));
    }
    return true;
  }

  bool subTable(const toml::table& root, const char* key, const toml::table** out) {
    const toml::node* node = root.get(key);
    *out = nullptr;
    if (!node) return true;
    if (!node->is_table()) return fail(*node, formatText("'%s' must be a table", key));
    *out = node->as_table();
    return true;
  }
};

bool readImage(Reader& r, const toml::table& root, Project* project) {
  const toml::table* image = nullptr;
  if (!r.subTable(root, "image", &image)) return false;
  if (!image) return r.fail(root, "the project file needs an [image] table");
  return r.onlyKeys(*image, {"path", "size", "sha256"}, "[image]") &&
         r.required(*image, "path", *image, "[image]") &&
         r.text(*image, "path", &project->imagePath) &&
         r.number(*image, "size", uint64_t(std::numeric_limits<int64_t>::max()),
                  &project->imageSize) &&
         r.text(*image, "sha256", &project->imageSha256);
}

bool readTable(Reader& r, const toml::table& root, Project* project) {
  const toml::table* table = nullptr;
  if (!r.subTable(root, "table", &table)) return false;
  if (!table) return true;
  if (!r.onlyKeys(*table, {"path", "format"}, "[table]") ||
      !r.text(*table, "path", &project->tablePath) ||
      !r.text(*table, "format", &project->tableFormat))
    return false;
  const std::string& format = project->tableFormat;
  if (!format.empty() && format != "tbs" && format != "hex")
    return r.fail(*table->get("format"), "'format' must be \"tbs\" or \"hex\"");
  return true;
}

bool readDetect(Reader& r, const toml::table& root, Project* project) {
  const toml::table* detect = nullptr;
  if (!r.subTable(root, "detect", &detect)) return false;
  if (!detect) return true;
  if (!r.onlyKeys(*detect, {"dialog", "map", "gwh"}, "[detect]") ||
      !r.texts(*detect, "dialog", &project->dialogExtensions) ||
      !r.texts(*detect, "map", &project->mapExtensions))
    return false;
  if (const toml::node* gwh = detect->get("gwh")) {
    if (!gwh->is_boolean()) return r.fail(*gwh, "'gwh' must be true or false");
    project->detectGwh = gwh->as_boolean()->get();
  }
  return true;
}

bool readKind(Reader& r, const toml::table& file, FileKind* kind) {
  std::string name;
  if (!r.required(file, "kind", file, "[[file]]") || !r.text(file, "kind", &name)) return false;
  for (const KindName& k : kKindNames)
    if (name == k.name) {
      *kind = k.kind;
      return true;
    }
  return r.fail(*file.get("kind"), "'kind' must be one of dialog, map, gwh, gnop, raw, skip");
}

bool readGnop(Reader& r, const toml::table& file, GnopRule* gnop) {
  for (const char* key : {"width", "height", "palette"})
    if (!r.required(file, key, file, "a gnop [[file]]")) return false;
  if (!r.number32(file, "width", &gnop->width) || !r.number32(file, "height", &gnop->height) ||
      !r.number32(file, "bpp", &gnop->bpp) || !r.number32(file, "palette", &gnop->paletteIndex) ||
      !r.number32(file, "palette_number", &gnop->paletteNumber) ||
      !r.number32(file, "bitmap_offset", &gnop->bitmapOffset) ||
      !r.number32(file, "palette_offset", &gnop->paletteOffset))
    return false;
  if (gnop->bpp != 4 && gnop->bpp != 8) return r.fail(*file.get("bpp"), "'bpp' must be 4 or 8");
  if (gnop->width == 0 || gnop->height == 0)
    return r.fail(file, "a gnop picture needs a width and a height above 0");
  return true;
}

bool readFile(Reader& r, const toml::node& node, Project* project) {
  const toml::table* file = node.as_table();
  if (!file) return r.fail(node, "each [[file]] must be a table");
  FileRule rule;
  if (!r.onlyKeys(*file,
                  {"index", "kind", "width", "height", "bpp", "palette", "palette_number",
                   "bitmap_offset", "palette_offset"},
                  "[[file]]") ||
      !r.required(*file, "index", *file, "[[file]]") || !r.number32(*file, "index", &rule.index) ||
      !readKind(r, *file, &rule.kind))
    return false;
  if (rule.kind == FileKind::Gnop && !readGnop(r, *file, &rule.gnop)) return false;
  if (rule.kind != FileKind::Gnop && file->size() > 2)
    return r.fail(*file, "only a gnop [[file]] takes more than 'index' and 'kind'");
  if (projectRuleFor(*project, rule.index))
    return r.fail(*file->get("index"), formatText("file index %u is given twice", rule.index));
  auto at = std::lower_bound(project->files.begin(), project->files.end(), rule.index,
                             [](const FileRule& f, uint32_t index) { return f.index < index; });
  project->files.insert(at, rule);
  return true;
}

bool readFiles(Reader& r, const toml::table& root, Project* project) {
  const toml::node* node = root.get("file");
  if (!node) return true;
  const toml::array* files = node->as_array();
  if (!files) return r.fail(*node, "'file' must be written as [[file]] tables");
  for (const toml::node& file : *files)
    if (!readFile(r, file, project)) return false;
  return true;
}

bool readSmallBattle(Reader& r, const toml::table& root, Project* project) {
  const toml::table* battle = nullptr;
  if (!r.subTable(root, "small_battle", &battle)) return false;
  if (!battle) return true;
  SmallBattleRule rule;
  for (const char* key : {"index", "first_battle", "last_battle"})
    if (!r.required(*battle, key, *battle, "[small_battle]")) return false;
  if (!r.onlyKeys(*battle, {"index", "first_battle", "last_battle"}, "[small_battle]") ||
      !r.number32(*battle, "index", &rule.index) ||
      !r.number32(*battle, "first_battle", &rule.firstBattle) ||
      !r.number32(*battle, "last_battle", &rule.lastBattle))
    return false;
  if (rule.lastBattle < rule.firstBattle)
    return r.fail(*battle->get("last_battle"), "'last_battle' comes before 'first_battle'");
  project->smallBattle = rule;
  return true;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += formatText("\\u%04X", c);
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string quotedList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + quoted(items[i]);
  return out + "]";
}

void writeFileRule(std::ostringstream& out, const FileRule& rule) {
  out << "\n[[file]]\nindex = " << rule.index << "\nkind = \"" << fileKindName(rule.kind) << "\"\n";
  if (rule.kind != FileKind::Gnop) return;
  const GnopRule& g = rule.gnop;
  out << "width = " << g.width << "\nheight = " << g.height << "\nbpp = " << g.bpp
      << "\npalette = " << g.paletteIndex << "\npalette_number = " << g.paletteNumber
      << "\nbitmap_offset = " << g.bitmapOffset << "\npalette_offset = " << g.paletteOffset << "\n";
}
}  // namespace

const char* fileKindName(FileKind kind) {
  for (const KindName& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "raw";
}

const FileRule* projectRuleFor(const Project& project, uint32_t index) {
  auto at = std::lower_bound(project.files.begin(), project.files.end(), index,
                             [](const FileRule& f, uint32_t i) { return f.index < i; });
  return at != project.files.end() && at->index == index ? &*at : nullptr;
}

Result<Project> projectParse(std::string_view text, const std::string& name) {
  Result<Project> result;
  toml::table root;
  std::string safe;
  if (!moveCharacters(std::string(text), 0x80, 0xFFFF, kStandInBase, kStandInBase,
                      kStandInBase + 0xFFFF, &safe)) {
    result.status = failure(
        "%s: characters of the private use plane U+F0000 to U+FFFFF cannot be read in a project "
        "file\n",
        name.c_str());
    return result;
  }
  try {
    root = toml::parse(safe, name);
  } catch (const toml::parse_error& e) {
    const toml::source_position& pos = e.source().begin;
    result.status =
        failure("%s:%u:%u: %s\n", name.c_str(), unsigned(pos.line), unsigned(pos.column),
                fromStandIns(std::string(e.description())).c_str());
    return result;
  }
  Reader r{name, std::string()};
  Project& p = result.value;
  if (!r.onlyKeys(root, {"image", "table", "detect", "file", "small_battle"}, "the project file") ||
      !readImage(r, root, &p) || !readTable(r, root, &p) || !readDetect(r, root, &p) ||
      !readFiles(r, root, &p) || !readSmallBattle(r, root, &p))
    result.status = failure("%s", r.error.c_str());
  return result;
}

std::string projectWrite(const Project& p) {
  std::ostringstream out;
  out << "# A translation project of kvo. Paths are relative to this file's folder.\n"
         "\n[image]\npath = "
      << quoted(p.imagePath) << "\nsize = " << p.imageSize << "\nsha256 = " << quoted(p.imageSha256)
      << "\n\n[table]\npath = " << quoted(p.tablePath) << "\n";
  if (!p.tableFormat.empty()) out << "format = " << quoted(p.tableFormat) << "\n";
  out << "\n# Which files the type detection hands to which converter.\n[detect]\ndialog = "
      << quotedList(p.dialogExtensions) << "\nmap = " << quotedList(p.mapExtensions)
      << "\ngwh = " << (p.detectGwh ? "true" : "false") << "\n"
      << "\n# Any file index may be set by hand: kind = \"dialog\", \"map\", \"gwh\", \"raw\",\n"
         "# \"skip\", or \"gnop\" (a headerless bitmap) with width, height, bpp, palette\n"
         "# (the file index of its palettes), palette_number, bitmap_offset and\n"
         "# palette_offset:\n"
         "#   [[file]]\n#   index = 120\n#   kind = \"gnop\"\n#   width = 256\n"
         "#   height = 128\n#   palette = 121\n"
         "# The small battle file and the battle files its parts are made from:\n"
         "#   [small_battle]\n#   index = 400\n#   first_battle = 401\n#   last_battle = 766\n";
  for (const FileRule& rule : p.files) writeFileRule(out, rule);
  if (p.smallBattle)
    out << "\n[small_battle]\nindex = " << p.smallBattle->index
        << "\nfirst_battle = " << p.smallBattle->firstBattle
        << "\nlast_battle = " << p.smallBattle->lastBattle << "\n";
  return out.str();
}
