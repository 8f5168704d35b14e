#include <gtest/gtest.h>

#include "bts/dialog.h"
#include "tests/bts/btsfixtures.h"

namespace {
Bytes text(uint32_t length, uint8_t fill) {
  Bytes bytes(length, fill);
  if (length) bytes.back() = 0;
  return bytes;
}

std::string openWarnings(const Bytes& section, DialogView* view,
                         const DialogSettings& settings = DialogSettings()) {
  std::string messages;
  Result<DialogView> opened = dialogOpen(section.data(), uint32_t(section.size()), "d.bt", settings,
                                         collectInto(&messages));
  EXPECT_TRUE(opened.ok()) << opened.status.message;
  *view = opened.value;
  return messages;
}

std::string refusal(const Bytes& data) {
  return dialogOpen(data.data(), uint32_t(data.size()), "d.bt", DialogSettings(), Messages())
      .status.message;
}
}  // namespace

TEST(DialogOpen, BuildsTheTextTable) {
  Bytes section =
      makeDialog({text(10, 1), {}, text(10, 2), text(10, 3), text(10, 4)}, {0xFF, 0xFF});
  DialogView view;
  EXPECT_EQ(openWarnings(section, &view), "");
  EXPECT_EQ(view.headSize, 128u);
  EXPECT_EQ(view.size, 168u);  // the padding is not dialog data
  EXPECT_EQ(view.nonEmptyCount, 4u);
  const uint32_t lengths[5] = {10, 0, 10, 10, 10}, offsets[5] = {128, 138, 138, 148, 158};
  for (uint32_t k = 0; k < 5; ++k) {
    EXPECT_EQ(view.texts[k].length, lengths[k]) << k;
    EXPECT_EQ(view.texts[k].offset, offsets[k]) << k;
    EXPECT_EQ(view.texts[k].data, section.data() + offsets[k]) << k;
  }
}

TEST(DialogOpen, WarnsAboutTrailingDataOddHeadAndMissingEnd) {
  Bytes trailing =
      makeDialog({text(4, 1), text(4, 2), text(4, 3), text(4, 4), text(4, 5)}, {0x12, 0x34, 0xFF});
  DialogView view;
  EXPECT_EQ(openWarnings(trailing, &view),
            "WARN: trailing data after last dialog endchar : 3 bytes : d.bt\n");
  EXPECT_EQ(view.size, 148u);
  DialogSettings quiet;
  quiet.trailingWarning = false;
  EXPECT_EQ(openWarnings(trailing, &view, quiet), "");

  Bytes odd = makeDialog({{9, 9, 0}, text(2, 2), {}, {}, {7, 7}});
  odd[0] = 2;  // text 0 starts two bytes late: those two bytes belong to the head
  EXPECT_EQ(openWarnings(odd, &view),
            "WARN: dialog first pointer should be multiple 4 : 130 : d.bt\n"
            "WARN: there should be 'zero' char at dialogs data end : d.bt\n");
  EXPECT_EQ(view.headSize, 130u);
  EXPECT_EQ(view.texts[0].length, 1u);
  EXPECT_EQ(view.texts[4].length, 2u);
  EXPECT_EQ(view.size, uint32_t(odd.size()));
}

TEST(DialogOpen, RefusesBrokenSections) {
  Bytes section = makeDialog({text(8, 1), text(8, 2), text(8, 3), text(8, 4), text(8, 5)});
  Bytes descending = section;
  descending[8] = 4;
  EXPECT_EQ(refusal(descending),
            "ERROR: dialog pointers must be ascending : pos 1 : 8, next 4 : d.bt\n");
  EXPECT_EQ(refusal(Bytes(section.begin(), section.begin() + 120)),
            "ERROR: dialog first pointer is bigger than dialog size : 128 > 120: d.bt\n");
  EXPECT_EQ(
      refusal(Bytes(section.begin(), section.begin() + 160)),
      "ERROR: some (or last) dialog pointers is biger than file size: ptr 160 : size 160: d.bt\n");
  EXPECT_EQ(refusal(Bytes(5, 0)),
            "ERROR: dialog section is too small to be valid : 5 (min 6) : d.bt\n");
}

TEST(DialogAssemble, RefusesOffsetsBeyond16Bits) {
  Bytes section = makeDialog({{1, 0}, {}, {}, {}, {2, 0}});
  DialogView view;
  openWarnings(section, &view);
  Bytes texts(0x10001, 1);
  const uint32_t offsets[5] = {128, 129, 129, 129, 128 + 0xFFFF};
  EXPECT_EQ(dialogAssemble(view, offsets, texts.data(), 1).value.size(), 132u);
  const uint32_t tooFar[5] = {128, 129, 129, 129, 128 + 0x10000};
  EXPECT_EQ(dialogAssemble(view, tooFar, texts.data(), uint32_t(texts.size())).status.message,
            "ERROR: dialog texts too long, text offset does not fit 16 bits : 65536 : d.bt\n");
}

TEST(DialogRebuild, ReplacesTextsKeepingHeadAndEmptySlots) {
  Bytes section = makeDialog({{1, 1, 0}, {}, {2, 0}, {3, 3, 3, 0}, {4}});
  DialogView view;
  openWarnings(section, &view);
  std::vector<DialogTextBytes> texts = dialogTexts(view);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0].bytes, (Bytes{1, 1}));
  EXPECT_TRUE(texts[1].empty);
  EXPECT_FALSE(texts[2].empty);
  EXPECT_EQ(texts[4].bytes, Bytes{4});  // the last text had lost its zero
  EXPECT_EQ(dialogRebuild(view, texts).value,
            makeDialog({{1, 1, 0}, {}, {2, 0}, {3, 3, 3, 0}, {4, 0}}, {0xFF}));
  texts[3].bytes = {9};
  texts[1] = {{8, 8}, false};
  EXPECT_EQ(dialogRebuild(view, texts).value,
            makeDialog({{1, 1, 0}, {8, 8, 0}, {2, 0}, {9, 0}, {4, 0}}));
  EXPECT_EQ(dialogStripTexts(view).value, makeDialog({{0}, {}, {0}, {0}, {0}}));
}
