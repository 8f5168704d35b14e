#include <gtest/gtest.h>

#include "tests/support/testsupport.h"
#include "tests/texttable/table_helpers.h"
#include "texttable/chartable.h"

namespace {

std::string entryText(const TableEntry& e) {
  return leftOf(e) + "|" + rightOf(e) + "|" + std::to_string(e.leftMarker) + "|" +
         std::to_string(e.rightMarker);
}

// The forward array in lookup order, one "left|right|marker|marker" each.
std::vector<std::string> forwardEntries() {
  std::vector<std::string> out;
  TblDirection d = tblForward(table());
  for (uint32_t i = 0; i < d.count; ++i) out.push_back(entryText(d.entries[i]));
  return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(TableFile, SplitsLinesAndResolvesEscapes) {
  ASSERT_TRUE(loadTable("A\\=B=x\r\n\\x41\\x4a=\\\\\r\nno equals\r\n\r\n\\x4G=\\x4g\r\nk=v = w"));
  EXPECT_EQ(forwardEntries(),
            (Lines{"\\x4G|\\x4g|-1|-1", "A=B|x|-1|-1", "AJ|\\|-1|-1", "k|v = w|-1|-1"}));

  // A backslash before CR LF continues the line; the CR LF belongs to the side.
  ASSERT_TRUE(loadTable("a=one\\\r\ntwo\r\nb\\\\=c\\\\\r\nd=e"));
  EXPECT_EQ(forwardEntries(), (Lines{"b\\|c\\|-1|-1", "a|one\r\ntwo|-1|-1", "d|e|-1|-1"}));

  // LF-only line ends make one single line.
  ASSERT_TRUE(loadTable("a=1\nb=2\nc=3\n"));
  EXPECT_EQ(forwardEntries(), (Lines{"a|1\nb=2\nc=3\n|-1|-1"}));

  // Lone backslashes and short \x forms stay as they are.
  ASSERT_TRUE(loadTable("\\q\\=\\x4=\\"));
  EXPECT_EQ(forwardEntries(), (Lines{"\\q=\\x4|\\|-1|-1"}));
}

TEST(TableFile, FindsCopyMarkers) {
  ASSERT_TRUE(loadTable("\\c02=<c>\r\nAB\\h01C=<\\c01>\r\nx=\\c01\r\n\\x0B\\c02=<X\\h02>"));
  TblDirection d = tblForward(table());
  ASSERT_EQ(d.count, 4u);
  // Keys: 2 (AB + marker), 1 (x, and \x0B before its marker, file order kept), 0.
  EXPECT_EQ(leftOf(d.entries[0]),
            "AB\x02\x01"
            "01C");
  EXPECT_EQ(rightOf(d.entries[0]),
            "<\x01\x01"
            "01>");
  EXPECT_EQ(d.entries[0].leftMarker, 2);
  EXPECT_EQ(d.entries[0].rightMarker, 1);
  EXPECT_EQ(entryText(d.entries[1]), "x|\\c01|-1|-1");  // no left marker: text
  EXPECT_EQ(leftOf(d.entries[2]),
            "\x0B\x01\x02"
            "02");
  EXPECT_EQ(d.entries[2].rightMarker, 2);
  EXPECT_EQ(leftOf(d.entries[3]),
            "\x01\x02"
            "02");
  EXPECT_EQ(d.entries[3].leftMarker, 0);
  EXPECT_EQ(d.entries[3].rightMarker, -1);

  // The reverse array is sorted by its text side; the marker-like text of
  // "x" is plain text there and ranks by its full length.
  TblDirection r = tblReverse(table());
  EXPECT_EQ(entryText(r.entries[0]), "\\c01|x|-1|-1");
  EXPECT_EQ(entryText(r.entries[1]),
            "<c>|\x01\x02"
            "02|-1|0");
  EXPECT_EQ(r.entries[2].leftMarker, 2);
  EXPECT_EQ(rightOf(r.entries[2]),
            "\x0B\x01\x02"
            "02");
  EXPECT_EQ(r.entries[3].leftMarker, 1);
}

TEST(TableFile, RejectsSecondMarkerAndKeepsLoading) {
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadTable("\\c01\\c02=a\r\nb=c\r\n\\c01=\\h01\\h01\r\n\\c01=\\c01\\zz\\h01"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: currently supported only 1 copys char in string\n"
            "ERROR: currently supported only 1 copys char in string\n");
  // Only the first backslash after a marker is examined.
  EXPECT_EQ(forwardEntries(), (Lines{"b|c|-1|-1",
                                     "\x01\x01"
                                     "01|\x01\x01"
                                     "01\\zz\\h01|0|0"}));
}

TEST(TableFile, SkipModeDirectiveAnywhere) {
  ASSERT_TRUE(loadTable("=skip\r\na=b\r\n=other"));
  EXPECT_FALSE(table().skipMode);
  EXPECT_EQ(table().forward.size(), 1u);
  ASSERT_TRUE(loadTable("a=b\r\n=skipmode and more\r\nc=d"));
  EXPECT_TRUE(table().skipMode);
  EXPECT_EQ(table().forward.size(), 2u);
  ASSERT_TRUE(loadTable("a=b"));
  EXPECT_FALSE(table().skipMode);  // the table's setting, not the process's
}

TEST(TableFile, SortKeepsFileOrderAndComputesRatios) {
  ASSERT_TRUE(loadTable("a=first\r\nbb=x\r\na=second\r\nc=\r\n\\c01x=long text"));
  EXPECT_EQ(forwardEntries(), (Lines{"bb|x|-1|-1", "a|first|-1|-1", "a|second|-1|-1", "c||-1|-1",
                                     "\x01\x01"
                                     "01x|long text|0|-1"}));
  EXPECT_DOUBLE_EQ(table().forwardRatio, 6.0);  // "second" for "a"
  EXPECT_DOUBLE_EQ(table().reverseRatio, 2.0);  // "bb" for "x"; the empty text is left out
  ASSERT_TRUE(loadTable("ab=c\r\n"));
  EXPECT_DOUBLE_EQ(table().forwardRatio, 1.0);
  ASSERT_TRUE(loadTable("no entries"));
  EXPECT_EQ(table().forward.size(), 0u);
}

TEST(TableFile, LoadFailuresAreValues) {
  TempDir dir;
  std::string messages;
  std::string missing = dir.file("none.tbs");
  EXPECT_EQ(tblLoad(missing.c_str(), collectInto(&messages)).status.message,
            "ERROR: cant read(find) \"" + missing + "\"\nERROR: TBL init failed : file " + missing +
                "\n");
  std::string empty = dir.file("empty.tbs");
  writeText(empty, "");
  EXPECT_EQ(
      tblLoad(empty.c_str(), collectInto(&messages)).status.message,
      "ERROR: file \"" + empty + "\" has zero size\nERROR: TBL init failed : file " + empty + "\n");
  std::string lf = dir.file("lf.tbs");
  writeText(lf, "\\x41=A\n");
  Result<CharTable> loaded = tblLoad(lf.c_str(), collectInto(&messages));
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded.value.forward.size(), 1u);
  EXPECT_EQ(messages,
            "WARN: table file uses LF line ends; entries are separated by CR LF : " + lf + "\n");
}
