#include "kvo/po.h"

namespace {

void appendEscaped(std::string& out, char c) {
  switch (c) {
    case '\\':
      out += "\\\\";
      return;
    case '"':
      out += "\\\"";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\a':
      out += "\\a";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\v':
      out += "\\v";
      return;
    default:
      break;
  }
  unsigned char byte = static_cast<unsigned char>(c);
  if (byte < 0x20 || byte == 0x7F) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
    return;
  }
  out += c;
}

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) appendEscaped(out, c);
  out += "\"\n";
}

// As gettext does: a string with a line break before its end starts with ""
// and continues with one line per line break.
void appendKeyword(std::string& out, const char* keyword, std::string_view text) {
  out += keyword;
  out += ' ';
  size_t firstBreak = text.find('\n');
  if (firstBreak == std::string_view::npos || firstBreak + 1 == text.size()) {
    appendQuoted(out, text);
    return;
  }
  out += "\"\"\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    appendQuoted(out, text.substr(start, end - start));
    start = end;
  }
}

// A header value is one line of the header entry.
std::string oneLine(std::string value) {
  for (char& c : value) {
    if (c == '\n') c = ' ';
  }
  return value;
}

std::string headerText(const PoFile& file) {
  return "Project-Id-Version: " + oneLine(file.project) + "\n" +
         "Language: " + oneLine(file.language) + "\n" +
         "MIME-Version: 1.0\n"
         "Content-Type: text/plain; charset=UTF-8\n"
         "Content-Transfer-Encoding: 8bit\n";
}

void appendComments(std::string& out, const std::vector<std::string>& comments) {
  for (const std::string& comment : comments) {
    size_t start = 0;
    do {
      size_t end = comment.find('\n', start);
      if (end == std::string::npos) end = comment.size();
      out += "#.";
      if (end > start) out += ' ';
      out.append(comment, start, end - start);
      out += '\n';
      start = end + 1;
    } while (start <= comment.size());
  }
}

void appendEntry(std::string& out, const PoEntry& entry) {
  out += '\n';
  appendComments(out, entry.comments);
  if (entry.fuzzy) out += "#, fuzzy\n";
  // An entry without msgctxt and with an empty msgid would read as a header.
  if (!entry.context.empty() || entry.id.empty()) appendKeyword(out, "msgctxt", entry.context);
  appendKeyword(out, "msgid", entry.id);
  appendKeyword(out, "msgstr", entry.str);
}

}  // namespace

std::string poWrite(const PoFile& file) {
  std::string out;
  appendKeyword(out, "msgid", "");
  appendKeyword(out, "msgstr", headerText(file));
  for (const PoEntry& entry : file.entries) appendEntry(out, entry);
  return out;
}
