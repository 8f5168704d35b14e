#include <unordered_map>

#include "kvo/po.h"
#include "kvo/utf8.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t kMaxErrors = 20;
// gettext's own separator between msgctxt and msgid in its lookup keys.
constexpr char kContextSeparator = '\x04';

struct Position {
  int line = 0;
  int column = 0;
};

// The entry being read: its fields and where their keywords stood.
struct Draft {
  PoEntry entry;
  bool hasContext = false, hasId = false, hasStr = false;
  bool anyKeyword = false;  // a keyword line, right or wrong, belongs to this entry
  bool bad = false;         // an error was reported; the entry is dropped
  Position contextAt, idAt, strAt;
};

struct Parser {
  PoParseResult result;
  Draft draft;
  std::string* field = nullptr;  // where continuation strings go
  bool ignoreStrings = false;    // continuation strings of a refused keyword
  bool headerSeen = false;
  std::unordered_map<std::string, int> seen;  // context, separator, id -> msgid line
  std::string_view line;
  int lineNumber = 0;
  bool stopped = false;
  // Column counting that moves on along the current line.
  int countedLine = 0;
  size_t countedPos = 0;
  int countedColumn = 1;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

size_t skipBlanks(std::string_view line, size_t pos) {
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  return pos;
}

Position positionOf(const Parser& p, size_t pos) {
  return {p.lineNumber, static_cast<int>(utf8CharacterCount(p.line.substr(0, pos)) + 1)};
}

// The column (in characters) of `pos` on the current line, counted on from
// the last call so that a long line costs one pass.
int columnOf(Parser& p, size_t pos) {
  if (p.countedLine != p.lineNumber || pos < p.countedPos) {
    p.countedLine = p.lineNumber;
    p.countedPos = 0;
    p.countedColumn = 1;
  }
  for (; p.countedPos < pos; ++p.countedPos)
    if ((static_cast<unsigned char>(p.line[p.countedPos]) & 0xC0) != 0x80) ++p.countedColumn;
  return p.countedColumn;
}

// The msgstr bytes appended since the last call were written at `pos`.
void notePlaces(Parser& p, const std::string& out, size_t pos) {
  std::vector<PoPlace>& places = p.draft.entry.strPlaces;
  if (&out != &p.draft.entry.str || places.size() >= out.size()) return;
  int column = columnOf(p, pos);
  // A byte inside a character stands where the character begins.
  if ((static_cast<unsigned char>(p.line[pos]) & 0xC0) == 0x80) --column;
  places.resize(out.size(), PoPlace{p.lineNumber, column});
}

void errorAt(Parser& p, Position at, std::string message) {
  if (p.stopped) return;
  p.result.errors.push_back({at.line, at.column, std::move(message)});
  if (p.result.errors.size() == kMaxErrors) {
    p.result.errors.push_back({at.line, at.column, "too many errors, reading stops here"});
    p.stopped = true;
  }
}

// Reports at `pos` of the current line; the entry is dropped.
void fail(Parser& p, size_t pos, std::string message) {
  errorAt(p, positionOf(p, pos), std::move(message));
  p.draft.bad = true;
  p.field = nullptr;
  p.ignoreStrings = true;
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// --- Header ---

std::string_view trimBlanks(std::string_view text) {
  size_t start = skipBlanks(text, 0);
  size_t end = text.size();
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(start, end - start);
}

void readHeaderField(Parser& p, std::string_view name, std::string_view value, Position where) {
  if (name == "Project-Id-Version") p.result.file.project = value;
  if (name == "Language") p.result.file.language = value;
  if (name != "Content-Type") return;
  std::string lower = lowerAscii(value);
  size_t at = lower.find("charset=");
  if (at == std::string::npos) return;
  at += 8;
  size_t end = lower.find_first_of("; \t", at);
  std::string charset = lower.substr(at, end == std::string::npos ? std::string::npos : end - at);
  if (charset != "utf-8" && charset != "utf8") {
    errorAt(p, where,
            "the file is in charset " + std::string(value.substr(at, charset.size())) +
                "; only UTF-8 files are read");
  }
}

void readHeader(Parser& p, const Draft& header) {
  if (p.headerSeen) {
    errorAt(p, header.idAt, "a second header entry (msgid \"\" without msgctxt)");
    return;
  }
  p.headerSeen = true;
  std::string_view text = header.entry.str;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view fieldLine = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    size_t colon = fieldLine.find(':');
    if (colon == std::string_view::npos) continue;
    readHeaderField(p, trimBlanks(fieldLine.substr(0, colon)),
                    trimBlanks(fieldLine.substr(colon + 1)), header.strAt);
  }
}

// --- Entries ---

bool fieldIsUtf8(Parser& p, const std::string& text, const char* keyword, Position at) {
  if (utf8InvalidOffset(text) == text.size()) return true;
  errorAt(p, at, std::string(keyword) + ": its escapes give bytes that are not UTF-8");
  return false;
}

bool fieldsAreUtf8(Parser& p, const Draft& d) {
  bool ok = fieldIsUtf8(p, d.entry.context, "msgctxt", d.contextAt);
  ok = fieldIsUtf8(p, d.entry.id, "msgid", d.idAt) && ok;
  return fieldIsUtf8(p, d.entry.str, "msgstr", d.strAt) && ok;
}

void addEntry(Parser& p, Draft& d) {
  std::string key = d.entry.context + kContextSeparator + d.entry.id;
  auto [earlier, isNew] = p.seen.emplace(key, d.idAt.line);
  if (!isNew) {
    errorAt(p, d.idAt,
            "the same msgctxt and msgid are already on line " + std::to_string(earlier->second));
    return;
  }
  p.result.file.entries.push_back(std::move(d.entry));
}

void finishDraft(Parser& p) {
  Draft d = std::move(p.draft);
  p.draft = Draft();
  p.field = nullptr;
  p.ignoreStrings = false;
  if (d.bad || !d.anyKeyword) return;
  if (!d.hasId) {
    errorAt(p, d.contextAt, "msgctxt without msgid");
    return;
  }
  if (!d.hasStr) {
    errorAt(p, d.idAt, "msgid without msgstr");
    return;
  }
  if (!fieldsAreUtf8(p, d)) return;
  if (!d.hasContext && d.entry.id.empty()) {
    readHeader(p, d);
    return;
  }
  addEntry(p, d);
}

// --- Strings ---

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char simpleEscape(char c) {
  switch (c) {
    case 'n':
      return '\n';
    case 't':
      return '\t';
    case 'r':
      return '\r';
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'v':
      return '\v';
    case '\\':
      return '\\';
    case '"':
      return '"';
    default:
      return 0;
  }
}

// Octal (up to three digits) or hexadecimal (any number of digits) escape
// after the backslash at `start`; -1 when there is none, -2 when the value
// does not fit in a byte.
int numericEscape(std::string_view line, size_t start, size_t& end) {
  size_t pos = start + 1;
  int value = 0;
  if (line[pos] >= '0' && line[pos] <= '7') {
    for (end = pos; end < line.size() && end < pos + 3 && line[end] >= '0' && line[end] <= '7';
         ++end) {
      value = value * 8 + (line[end] - '0');
    }
    return value > 0xFF ? -2 : value;
  }
  if (line[pos] != 'x' || pos + 1 >= line.size() || hexValue(line[pos + 1]) < 0) return -1;
  for (end = pos + 1; end < line.size() && hexValue(line[end]) >= 0; ++end) {
    value = value * 16 + hexValue(line[end]);
    if (value > 0xFF) value = 0x100;  // stays out of range without overflowing
  }
  return value > 0xFF ? -2 : value;
}

// The escape at `pos` (a backslash); appends its byte and moves past it.
bool readEscape(Parser& p, size_t& pos, std::string& out) {
  std::string_view line = p.line;
  if (pos + 1 == line.size()) {
    fail(p, pos,
         "a backslash at the end of the line; close the string and continue it on the next line");
    return false;
  }
  if (char simple = simpleEscape(line[pos + 1])) {
    out += simple;
    pos += 2;
    return true;
  }
  size_t end = pos + 2;
  int value = numericEscape(line, pos, end);
  if (value == -1) {
    size_t length = utf8SequenceLength(line, pos + 1);
    fail(p, pos, "invalid escape sequence \\" + std::string(line.substr(pos + 1, length)));
    return false;
  }
  if (value == -2) {
    fail(p, pos, "escape value above 255");
    return false;
  }
  if (value == 0) {
    fail(p, pos, "a string cannot hold a zero byte");
    return false;
  }
  out += static_cast<char>(value);
  pos = end;
  return true;
}

// One string in double quotes starting at `pos`; moves past its closing quote.
bool readLiteral(Parser& p, size_t& pos, std::string& out) {
  size_t open = pos++;
  while (pos < p.line.size()) {
    char c = p.line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    size_t at = pos;
    if (c != '\\') {
      out += c;
      ++pos;
    } else if (!readEscape(p, pos, out)) {
      return false;
    }
    notePlaces(p, out, at);
  }
  fail(p, open, "the string is not closed on this line");
  return false;
}

// One or more strings up to the end of the line, appended to `out`.
void readStrings(Parser& p, size_t pos, std::string& out) {
  pos = skipBlanks(p.line, pos);
  if (pos == p.line.size() || p.line[pos] != '"') {
    fail(p, pos, "expected a string in double quotes");
    return;
  }
  while (pos < p.line.size()) {
    if (p.line[pos] != '"') {
      fail(p, pos, "unexpected text after the string");
      return;
    }
    if (!readLiteral(p, pos, out)) return;
    pos = skipBlanks(p.line, pos);
  }
}

// --- Lines ---

void readComment(Parser& p, std::string_view comment) {
  if (p.draft.anyKeyword) finishDraft(p);
  p.field = nullptr;
  p.ignoreStrings = false;
  if (comment.substr(0, 2) == "#.") {
    comment.remove_prefix(2);
    if (!comment.empty() && comment[0] == ' ') comment.remove_prefix(1);
    while (!comment.empty() && comment.back() == '\r') comment.remove_suffix(1);
    p.draft.entry.comments.emplace_back(comment);
  } else if (comment.substr(0, 2) == "#,") {
    for (size_t start = 2; start <= comment.size();) {
      size_t end = comment.find(',', start);
      if (end == std::string_view::npos) end = comment.size();
      if (trimBlanks(comment.substr(start, end - start)) == "fuzzy") p.draft.entry.fuzzy = true;
      start = end + 1;
    }
  }
}

// Points `field` at the string the keyword names; false when the keyword is
// out of place or unknown (reported).
bool startField(Parser& p, std::string_view keyword, size_t pos, std::string*& field) {
  Draft& d = p.draft;
  Position at = positionOf(p, pos);
  if (keyword == "msgctxt") {
    d.hasContext = true;
    d.contextAt = at;
    field = &d.entry.context;
  } else if (keyword == "msgid") {
    d.hasId = true;
    d.idAt = at;
    field = &d.entry.id;
  } else if (keyword == "msgstr") {
    if (!d.hasId || d.hasStr) {
      // An entry already reported (a line that could not be read) is quiet.
      if (d.bad) {
        p.ignoreStrings = true;
        return false;
      }
      fail(p, pos, d.hasStr ? "a second msgstr in one entry" : "msgstr without msgid");
      return false;
    }
    d.hasStr = true;
    d.strAt = at;
    d.entry.line = at.line;
    field = &d.entry.str;
  } else if (keyword == "msgid_plural" || keyword.substr(0, 7) == "msgstr[") {
    if (!d.bad)
      fail(p, pos, "plural forms (msgid_plural, msgstr[N]) are not expected in these files");
    p.field = nullptr;
    p.ignoreStrings = true;
    return false;
  } else {
    fail(p, pos,
         keyword.empty() ? "unexpected character" : "unknown keyword " + std::string(keyword));
    return false;
  }
  return true;
}

bool isKeywordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '[' || c == ']';
}

// msgctxt opens an entry, and so does msgid unless a msgctxt just opened it.
bool startsNewEntry(const Draft& d, std::string_view keyword) {
  if (keyword == "msgctxt") return d.anyKeyword;
  if (keyword == "msgid") return d.hasId || d.hasStr;
  return false;
}

void readKeywordLine(Parser& p, size_t pos) {
  size_t end = pos;
  while (end < p.line.size() && isKeywordChar(p.line[end])) ++end;
  std::string_view keyword = p.line.substr(pos, end - pos);
  if (startsNewEntry(p.draft, keyword)) finishDraft(p);
  p.draft.anyKeyword = true;
  std::string* field = nullptr;
  if (!startField(p, keyword, pos, field)) return;
  p.ignoreStrings = false;
  p.field = field;
  readStrings(p, end, *field);
}

void readContinuation(Parser& p, size_t pos) {
  if (p.ignoreStrings) return;
  if (!p.field) {
    fail(p, pos, "a string on its own line must continue msgctxt, msgid or msgstr");
    return;
  }
  readStrings(p, pos, *p.field);
}

// False, with the error reported, for bytes no line may hold.
bool lineIsReadable(Parser& p) {
  size_t invalid = utf8InvalidOffset(p.line);
  size_t zero = p.line.find('\0');
  if (zero < invalid) {
    fail(p, zero, "a zero byte in the file");
    return false;
  }
  if (invalid < p.line.size()) {
    char hex[3];
    static const char digits[] = "0123456789ABCDEF";
    unsigned char byte = static_cast<unsigned char>(p.line[invalid]);
    hex[0] = digits[byte >> 4];
    hex[1] = digits[byte & 15];
    hex[2] = 0;
    fail(p, invalid, std::string("byte 0x") + hex + " is not UTF-8; save the file as UTF-8");
    return false;
  }
  return true;
}

void readLine(Parser& p) {
  if (!lineIsReadable(p)) return;
  size_t pos = skipBlanks(p.line, 0);
  if (pos == p.line.size()) return;
  std::string_view rest = p.line.substr(pos);
  if (rest.substr(0, 2) == "#~") return;  // obsolete entries are not read
  if (rest[0] == '#') {
    readComment(p, rest);
  } else if (rest[0] == '"') {
    readContinuation(p, pos);
  } else {
    readKeywordLine(p, pos);
  }
}

}  // namespace

PoParseResult poParse(std::string_view text) {
  Parser p;
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  size_t start = 0;
  while (start < text.size() && !p.stopped) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    p.line = text.substr(start, end - start);
    if (!p.line.empty() && p.line.back() == '\r') p.line.remove_suffix(1);
    ++p.lineNumber;
    readLine(p);
    start = end + 1;
  }
  if (!p.stopped) finishDraft(p);
  return std::move(p.result);
}
