#include "tests/bts/btsfixtures.h"

Bytes makeContainer(const std::vector<Section>& sections) {
  // At least three slots, so that the first section starts at offset 16.
  uint32_t slotCount = sections.size() + 1 < 3 ? 3 : uint32_t(sections.size() + 1);
  uint32_t offset = 4 + 4 * slotCount;
  Bytes slots, body;
  for (const Section& section : sections) {
    if (!section) {
      slots = concat({slots, le32(0)});
      continue;
    }
    slots = concat({slots, le32(offset + uint32_t(body.size()))});
    body = concat({body, *section});
    while (body.size() % 4) body.push_back(0);
  }
  slots = concat({slots, le32(offset + uint32_t(body.size()))});
  while (slots.size() < 4 * slotCount) slots = concat({slots, le32(0)});
  return concat({{8, 0, 0, 0}, slots, body});
}

Bytes makeDialog(const std::vector<Bytes>& texts, const Bytes& tail) {
  Bytes section(128);
  for (uint32_t i = 0; i < 128; ++i) section[i] = uint8_t(0xA0 + i % 32);
  uint32_t offset = 0;
  for (uint32_t k = 0; k < 5; ++k) {
    put16(section, 4 * k, offset);
    offset += uint32_t(texts[k].size());
  }
  for (const Bytes& text : texts) section.insert(section.end(), text.begin(), text.end());
  section.insert(section.end(), tail.begin(), tail.end());
  return section;
}
