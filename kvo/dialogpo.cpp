#include "kvo/dialogpo.h"

#include <algorithm>

#include "common/outcome.h"
#include "kvo/utf8.h"

std::string dialogContext(uint32_t fileIndex, uint32_t slot) {
  return formatText("%04u:%u", fileIndex, slot);
}

std::string gameTextToPo(std::string_view text) {
  std::string out;
  size_t runStart = 0;
  auto flushRun = [&](size_t end) { out += toPoText(text.substr(runStart, end - runStart)); };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    flushRun(i);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += '\n';
      ++i;
    } else {
      out += c == '\r' ? "<$0D>" : "<$0A>";  // a lone one: kept as it was
    }
    runStart = i + 1;
  }
  flushRun(text.size());
  return out;
}

PoTextBytes poToGameText(std::string_view po, std::vector<size_t>* origin) {
  PoTextBytes result;
  size_t lineStart = 0;
  size_t columnBase = 0;  // characters before the current line
  while (true) {
    size_t end = po.find('\n', lineStart);
    std::string_view line =
        po.substr(lineStart, end == std::string_view::npos ? end : end - lineStart);
    size_t originBefore = origin ? origin->size() : 0;
    PoTextBytes part = fromPoText(line, origin);
    if (origin)
      for (size_t i = originBefore; i < origin->size(); ++i) (*origin)[i] += lineStart;
    if (!part.ok()) {
      part.column += columnBase;
      return part;
    }
    result.bytes += part.bytes;
    if (end == std::string_view::npos) return result;
    result.bytes += "\r\n";
    if (origin) origin->insert(origin->end(), 2, end);
    columnBase += utf8CharacterCount(line) + 1;
    lineStart = end + 1;
  }
}

PoFile dialogPoFile(uint32_t fileIndex, const std::string& name,
                    const std::vector<GameText>& texts) {
  PoFile po;
  po.project = name;
  for (const GameText& t : texts) {
    PoEntry entry;
    entry.context = dialogContext(fileIndex, t.slot);
    entry.id = gameTextToPo(t.text);
    entry.comments = {name};
    po.entries.push_back(std::move(entry));
  }
  return po;
}

std::vector<DialogTranslation> dialogTranslations(const PoFile& po, uint32_t fileIndex,
                                                  const std::vector<GameText>& texts,
                                                  std::vector<PoProblem>* problems) {
  std::vector<DialogTranslation> found;
  for (const PoEntry& entry : po.entries) {
    auto text = std::find_if(texts.begin(), texts.end(), [&](const GameText& t) {
      return dialogContext(fileIndex, t.slot) == entry.context;
    });
    if (text == texts.end()) {
      problems->push_back(
          {entry.line, 1,
           formatText("no dialog text has the id \"%s\" in this file", entry.context.c_str())});
      continue;
    }
    if (entry.str.empty() || entry.fuzzy) continue;
    std::vector<size_t> origin;
    PoTextBytes bytes = poToGameText(entry.str, &origin);
    if (!bytes.ok()) {
      size_t at = origin.empty() ? 0 : origin.back();
      PoPlace place = at < entry.strPlaces.size() ? entry.strPlaces[at] : PoPlace{entry.line, 1};
      problems->push_back({place.line, place.column, bytes.error});
      continue;
    }
    DialogTranslation t{text->slot, std::move(bytes.bytes), entry.line, {}};
    for (size_t at : origin)
      t.places.push_back(at < entry.strPlaces.size() ? entry.strPlaces[at]
                                                     : PoPlace{entry.line, 1});
    found.push_back(std::move(t));
  }
  return found;
}
