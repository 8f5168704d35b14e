// Translation files in the gettext PO format: one entry per dialog text,
// written for translators' editors and read back from what those editors
// save (multi-line strings, C escapes, fuzzy flags, previous-text and
// obsolete lines, CR LF line ends, a byte-order mark).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where a character of a PO file stands.
struct PoPlace {
  int line = 0;    // 1-based
  int column = 0;  // 1-based, in characters
};

struct PoEntry {
  std::string context;                // msgctxt: the text's stable id
  std::string id;                     // msgid: the original text
  std::string str;                    // msgstr: the translation, empty if none
  std::vector<std::string> comments;  // extracted comments ("#."), one per line
  bool fuzzy = false;                 // "#, fuzzy": the translation needs review
  int line = 0;                       // 1-based line of the msgstr keyword (reading only)
  std::vector<PoPlace> strPlaces;     // reading only: where each byte of str was written
};

// The header entry's fields that the toolkit keeps; the writer adds the
// fixed MIME fields (UTF-8, 8 bit).
struct PoFile {
  std::string project;   // Project-Id-Version
  std::string language;  // Language, empty until a translator sets it
  std::vector<PoEntry> entries;
};

struct PoError {
  int line = 0;    // 1-based
  int column = 0;  // 1-based, in characters; a byte-order mark does not count
  std::string message;
};

struct PoParseResult {
  PoFile file;
  std::vector<PoError> errors;  // in file order; the file is usable only when empty
  bool ok() const { return errors.empty(); }
};

// The whole file, "\n" line ends. Strings are escaped as C strings; one that
// holds a line break before its end is split into one line per line break.
// Every string and comment must be valid UTF-8 for the result to be.
std::string poWrite(const PoFile& file);

// Reads a whole file. Never throws; anything malformed is reported with its
// position. Plural forms and charsets other than UTF-8 are refused.
PoParseResult poParse(std::string_view text);
