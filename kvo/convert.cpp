#include "kvo/convert.h"

#include <algorithm>
#include <cstring>

#include "bts/btfile.h"
#include "bts/dialog.h"
#include "graphics/gnop.h"
#include "graphics/gwh.h"
#include "graphics/map1.h"
#include "graphics/mappictures.h"
#include "kvo/utf8.h"
#include "platform/platform.h"
#include "texttable/chartable.h"
#include "texttable/convert.h"

namespace {
using Bytes = std::vector<uint8_t>;

std::string poPath(uint32_t index) { return formatText("%s/%04u.po", kTextFolder, index); }
std::string picsFolder(uint32_t index) { return formatText("%s/%04u", kPicsFolder, index); }
std::string picPath(uint32_t index) { return formatText("%s/%04u.bmp", kPicsFolder, index); }

// The dialog section of a container, opened; `bt` must outlive the view.
Result<DialogView> openDialogs(const BtFile& bt, const Messages& messages) {
  const Result<uint32_t> size = btSectionSizeChecked(bt, kBtDialogSection);
  if (!size.ok()) return {DialogView(), size.status};
  return dialogOpen(btSectionData(bt, kBtDialogSection), size.value, bt.name.c_str(),
                    DialogSettings(), messages);
}

Result<std::vector<Artefact>> exportDialog(const Converters& c, uint32_t index,
                                           const std::string& name, const Bytes& decoded,
                                           const Messages& messages) {
  Result<BtFile> bt = btOpen(decoded, name.c_str(), messages);
  if (!bt.ok()) return {{}, bt.status};
  // A container without a dialog section has no text to translate.
  if (bt.value.sectionCount <= kBtDialogSection ||
      !btPointerPresent(btSlot(bt.value, kBtDialogSection)))
    return {};
  Result<DialogView> view = openDialogs(bt.value, messages);
  if (!view.ok()) return {{}, view.status};
  std::vector<GameText> texts;
  const std::vector<DialogTextBytes> slots = dialogTexts(view.value);
  for (uint32_t k = 0; k < slots.size(); ++k) {
    if (slots[k].empty) continue;
    Result<Bytes> text =
        tblBytesToText(*c.table, slots[k].bytes.data(), uint32_t(slots[k].bytes.size()));
    if (!text.ok()) return {{}, text.status};
    texts.push_back({k, std::string(text.value.begin(), text.value.end())});
  }
  const std::string po = poWrite(dialogPoFile(index, name, texts));
  return {{{poPath(index), Bytes(po.begin(), po.end())}}, Status()};
}

// The character at `pos` of a text, as it is written in a message.
std::string characterAt(const std::string& text, size_t pos) {
  size_t length = utf8SequenceLength(text, pos);
  return text.substr(pos, length ? length : 1);
}

// A translation in the game's bytes; each character the table has no code
// for is a problem at its place in the PO file.
Bytes encodeTranslation(const CharTable& table, const DialogTranslation& t,
                        const std::string& poFile, std::vector<Problem>* problems) {
  std::vector<uint32_t> unmatched;
  Result<Bytes> bytes = tblTextToBytes(table, reinterpret_cast<const uint8_t*>(t.text.data()),
                                       uint32_t(t.text.size()), &unmatched);
  for (uint32_t pos : unmatched) {
    // Bytes from <$XX> tags and control codes go through as they are.
    if (static_cast<uint8_t>(t.text[pos]) < 0x20 || utf8SequenceLength(t.text, pos) == 0) continue;
    const PoPlace& at = t.places[pos];
    problems->push_back({formatText("%s:%d:%d", poFile.c_str(), at.line, at.column),
                         "the table has no code for '" + characterAt(t.text, pos) + "'"});
  }
  return bytes.ok() ? bytes.value : Bytes();
}

Result<Bytes> importDialog(const Converters& c, uint32_t index, const std::string& name,
                           const Bytes& base, const std::vector<Artefact>& artefacts,
                           std::vector<Problem>* problems, const Messages& messages) {
  auto po = std::find_if(artefacts.begin(), artefacts.end(),
                         [&](const Artefact& a) { return a.path == poPath(index); });
  if (po == artefacts.end()) return {base, Status()};
  const std::string poFile = po->path;
  PoParseResult parsed = poParse(std::string(po->bytes.begin(), po->bytes.end()));
  for (const PoError& e : parsed.errors)
    problems->push_back({formatText("%s:%d:%d", poFile.c_str(), e.line, e.column), e.message});
  if (!parsed.ok()) return {base, Status()};
  Result<BtFile> bt = btOpen(base, name.c_str(), messages);
  if (!bt.ok()) return {{}, bt.status};
  Result<DialogView> view = openDialogs(bt.value, messages);
  if (!view.ok()) return {{}, view.status};
  std::vector<DialogTextBytes> slots = dialogTexts(view.value);
  std::vector<GameText> ids;
  for (uint32_t k = 0; k < slots.size(); ++k)
    if (!slots[k].empty) ids.push_back({k, std::string()});
  std::vector<PoProblem> poProblems;
  std::vector<DialogTranslation> found = dialogTranslations(parsed.file, index, ids, &poProblems);
  for (const PoProblem& p : poProblems)
    problems->push_back({formatText("%s:%d:%d", poFile.c_str(), p.line, p.column), p.message});
  if (found.empty()) return {base, Status()};
  for (const DialogTranslation& t : found)
    slots[t.slot].bytes = encodeTranslation(*c.table, t, poFile, problems);
  Result<Bytes> section = dialogRebuild(view.value, slots);
  if (!section.ok()) return section;
  return btReplaceSection(bt.value, kBtDialogSection, section.value, messages);
}

Result<std::vector<Artefact>> exportGwh(uint32_t index, const std::string& name,
                                        const Bytes& decoded, const Messages& messages) {
  Result<GwhFile> gwh = gwhRead(decoded, name.c_str(), messages);
  if (!gwh.ok()) return {{}, gwh.status};
  const std::string path = picPath(index);
  Result<Bytes> bmp = gwhToBmp(std::move(gwh.value), GwhColours(), path.c_str(), messages);
  if (!bmp.ok()) return {{}, bmp.status};
  return {{{path, std::move(bmp.value)}}, Status()};
}

Result<Bytes> importGwh(uint32_t index, const Bytes& base, const std::vector<Artefact>& artefacts,
                        const Messages& messages) {
  for (const Artefact& a : artefacts)
    if (a.path == picPath(index))
      return gwhFromBmp(a.bytes, a.path.c_str(), GwhColours(), messages);
  return {base, Status()};
}

Result<std::vector<Artefact>> exportMap(uint32_t index, const std::string& name,
                                        const Bytes& decoded, const Messages& messages) {
  Result<MapFile> map = mapRead(decoded, name.c_str(), messages);
  if (!map.ok()) return {{}, map.status};
  std::vector<Artefact> out;
  for (MapPicture& p : mapExportAll(map.value, MapSettings(), messages))
    out.push_back({picsFolder(index) + "/" + p.name, std::move(p.bmp)});
  return {std::move(out), Status()};
}

Result<Bytes> importMap(uint32_t index, const std::string& name, const Bytes& base,
                        const std::vector<Artefact>& artefacts, const Messages& messages) {
  Result<MapFile> map = mapRead(base, name.c_str(), messages);
  if (!map.ok()) return {{}, map.status};
  const std::string folder = picsFolder(index) + "/";
  std::vector<MapPicture> pictures;
  for (const Artefact& a : artefacts)
    if (a.path.compare(0, folder.size(), folder) == 0)
      pictures.push_back({a.path.substr(folder.size()), a.bytes});
  Status imported = mapImportAll(map.value, pictures, MapSettings(), messages);
  if (!imported.ok()) return {{}, imported};
  map.value.data.resize(map.value.size);
  return {std::move(map.value.data), Status()};
}

GnopParams gnopParams(const GnopRule& rule) {
  GnopParams p;
  p.given = true;
  p.width = rule.width;
  p.height = rule.height;
  p.bpp = rule.bpp;
  p.bitmapOffset = rule.bitmapOffset;
  p.paletteOffset = rule.paletteOffset;
  return p;
}

// The geometry of a headerless bitmap; kvo.toml may have lost its rule since
// the unpack.
Result<GnopRule> gnopRuleOf(const Converters& c, uint32_t index) {
  const FileRule* rule = projectRuleFor(*c.project, index);
  if (rule && rule->kind == FileKind::Gnop) return {rule->gnop, Status()};
  return {GnopRule(), failure("ERROR: file %04u is a headerless bitmap of the unpack, but kvo.toml "
                              "gives it no gnop rule now\n",
                              index)};
}

Result<std::vector<Artefact>> exportGnop(const Converters& c, uint32_t index,
                                         const std::string& name, const Bytes& bitmap,
                                         const Bytes& palettes, const Messages& messages) {
  const Result<GnopRule> rule = gnopRuleOf(c, index);
  if (!rule.ok()) return {{}, rule.status};
  const std::string path = picPath(index);
  Result<Bytes> bmp =
      gnopBitmapToBmp(bitmap, palettes, gnopParams(rule.value), GnopExportSettings(),
                      rule.value.paletteNumber, 0, name.c_str(), path.c_str(), messages);
  if (!bmp.ok()) return {{}, bmp.status};
  return {{{path, std::move(bmp.value)}}, Status()};
}

Result<Bytes> importGnop(const Converters& c, uint32_t index, const Bytes& base,
                         const std::vector<Artefact>& artefacts, const Messages& messages) {
  const Result<GnopRule> rule = gnopRuleOf(c, index);
  if (!rule.ok()) return {{}, rule.status};
  const uint32_t offset = rule.value.bitmapOffset;
  for (const Artefact& a : artefacts) {
    if (a.path != picPath(index)) continue;
    Result<Bytes> pixels = gnopBitmapFromBmp(a.bytes, a.path.c_str(), messages);
    if (!pixels.ok()) return pixels;
    Bytes out = base;
    if (offset + pixels.value.size() > out.size())
      return {{},
              failure("ERROR: the picture does not fit its bitmap file : %s\n", a.path.c_str())};
    std::copy(pixels.value.begin(), pixels.value.end(), out.begin() + offset);
    return {std::move(out), Status()};
  }
  return {base, Status()};
}
}  // namespace

Result<Converters> loadConverters(const Workspace& ws, const Messages& messages) {
  Result<Converters> result;
  result.value.project = &ws.project;
  if (ws.tablePath.empty()) {
    result.status = failure(
        "ERROR: the project names no character table ([table] path in kvo.toml, or kvo init "
        "--table) : %s/%s\n",
        ws.root.c_str(), kProjectFileName);
    return result;
  }
  if (ws.project.tableFormat == "hex") {
    result.status = failure(
        "ERROR: tables in the hex syntax are not read by this version; convert the table to the "
        ".tbs syntax : %s\n",
        ws.tablePath.c_str());
    return result;
  }
  PlatStat st;
  if (!platStat(ws.tablePath.c_str(), &st) || !st.isRegular) {
    result.status =
        failure("ERROR: the project's character table is missing ([table] path in kvo.toml) : %s\n",
                ws.tablePath.c_str());
    return result;
  }
  Result<CharTable> table = tblLoad(ws.tablePath.c_str(), messages);
  if (!table.ok()) {
    result.status = table.status;
    return result;
  }
  result.value.table = std::make_shared<const CharTable>(std::move(table.value));
  return result;
}

bool looksLikeGwh(const uint8_t* decoded, size_t size) {
  // Only a picture that passes without a warning: other files of the same
  // size can pass the checks by chance.
  bool warned = false;
  Messages noted{[&warned](const std::string&) { warned = true; }};
  return gwhCheck(decoded, size, "", noted).ok() && !warned;
}

Result<std::vector<Artefact>> exportArtefacts(const Converters& c, FileKind kind, uint32_t index,
                                              const std::string& name, const Bytes& decoded,
                                              const Bytes* paletteFile, const Messages& messages) {
  switch (kind) {
    case FileKind::Dialog:
      return exportDialog(c, index, name, decoded, messages);
    case FileKind::Gwh:
      return exportGwh(index, name, decoded, messages);
    case FileKind::Map:
      return exportMap(index, name, decoded, messages);
    case FileKind::Gnop:
      return exportGnop(c, index, name, decoded, *paletteFile, messages);
    default:
      return {};
  }
}

Result<Bytes> importArtefacts(const Converters& c, FileKind kind, uint32_t index,
                              const std::string& name, const Bytes& base,
                              const std::vector<Artefact>& artefacts,
                              std::vector<Problem>* problems, const Messages& messages) {
  switch (kind) {
    case FileKind::Dialog:
      return importDialog(c, index, name, base, artefacts, problems, messages);
    case FileKind::Gwh:
      return importGwh(index, base, artefacts, messages);
    case FileKind::Map:
      return importMap(index, name, base, artefacts, messages);
    case FileKind::Gnop:
      return importGnop(c, index, base, artefacts, messages);
    default:
      return {base, Status()};
  }
}
