#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "kvo/po.h"
#include "kvo/potext.h"
#include "tests/support/testsupport.h"

using namespace std::string_literals;

namespace {

PoEntry entry(std::string context, std::string id, std::string str = "") {
  PoEntry e;
  e.context = std::move(context);
  e.id = std::move(id);
  e.str = std::move(str);
  return e;
}

std::string errorsOf(const PoParseResult& result) {
  std::string text;
  for (const PoError& e : result.errors) {
    text += std::to_string(e.line) + ":" + std::to_string(e.column) + ": " + e.message + "\n";
  }
  return text;
}

const char kHeader[] =
    "msgid \"\"\n"
    "msgstr \"\"\n"
    "\"Project-Id-Version: Game 1.0\\n\"\n"
    "\"Language: \\n\"\n"
    "\"MIME-Version: 1.0\\n\"\n"
    "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    "\"Content-Transfer-Encoding: 8bit\\n\"\n";

}  // namespace

TEST(PoWrite, HeaderEntriesAndLineBreaksAsGettextWritesThem) {
  PoFile file;
  file.project = "Game 1.0";
  PoEntry first = entry("0016:0", "Hello\nthere \"you\"\\\n");
  first.comments = {"0016.bt"};
  PoEntry second = entry("0016:1", "one line\n", "eine Zeile\n");
  second.fuzzy = true;
  second.comments = {"a", ""};
  file.entries = {first, second, entry("0016:2", "\t\a\b\f\v\r\x01\x7F"), entry("", "")};
  EXPECT_EQ(poWrite(file), std::string(kHeader) +
                               "\n#. 0016.bt\n"
                               "msgctxt \"0016:0\"\n"
                               "msgid \"\"\n"
                               "\"Hello\\n\"\n"
                               "\"there \\\"you\\\"\\\\\\n\"\n"
                               "msgstr \"\"\n"
                               "\n#. a\n#.\n#, fuzzy\n"
                               "msgctxt \"0016:1\"\n"
                               "msgid \"one line\\n\"\n"
                               "msgstr \"eine Zeile\\n\"\n"
                               "\nmsgctxt \"0016:2\"\n"
                               "msgid \"\\t\\a\\b\\f\\v\\r\\001\\177\"\n"
                               "msgstr \"\"\n"
                               "\nmsgctxt \"\"\nmsgid \"\"\nmsgstr \"\"\n");
}

TEST(PoWrite, WrittenFilesReadBackAndPassMsgfmt) {
  PoFile file;
  file.project = "Game";
  file.language = "de";
  std::string raw = "Line\xFF one\nline <$ two\n\n\0end\t"s;
  PoEntry text = entry("0016:3", toPoText(raw),
                       "\xC3\x9C"
                       "bersetzt\nzwei\n\n\x01x\t");
  text.comments = {"0016.bt"};
  file.entries = {entry("0016:0", ""), text, entry("0017:0", "\"\\")};
  std::string written = poWrite(file);

  PoParseResult back = poParse(written);
  ASSERT_EQ(errorsOf(back), "");
  EXPECT_EQ(back.file.project, "Game");
  EXPECT_EQ(back.file.language, "de");
  ASSERT_EQ(back.file.entries.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.file.entries[i].context, file.entries[i].context);
    EXPECT_EQ(back.file.entries[i].id, file.entries[i].id);
    EXPECT_EQ(back.file.entries[i].str, file.entries[i].str);
    EXPECT_EQ(back.file.entries[i].comments, file.entries[i].comments);
  }
  EXPECT_EQ(back.file.entries[1].line, 20);
  EXPECT_EQ(fromPoText(back.file.entries[1].id).bytes, raw);

  if (std::system("msgfmt --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "msgfmt not installed";
  TempDir dir;
  writeText(dir.file("0016.po"), written);
  std::string command =
      "msgfmt --check -o /dev/null " + dir.file("0016.po") + " 2>" + dir.file("err");
  EXPECT_EQ(std::system(command.c_str()), 0) << readText(dir.file("err"));
}

TEST(PoParse, FileAsATranslatorsEditorSavesIt) {
  std::string text =
      "\xEF\xBB\xBF# Translator comment\r\n"
      "msgid \"\"\r\n"
      "msgstr \"\"\r\n"
      "\"Project-Id-Version: Game\\n\"\r\n"
      "\"Language: fr\\n\"\r\n"
      "\"Content-Type: text/plain; charset=utf-8\\n\"\r\n"
      "\r\n"
      "#. 0016.bt\r\n"
      "#: somewhere:12\r\n"
      "#, fuzzy, no-wrap\r\n"
      "#| msgctxt \"0016:0\"\r\n"
      "#| msgid \"Old\"\r\n"
      "msgctxt \"0016:0\"\r\n"
      "msgid \"\"\r\n"
      "\"Hi\\n\"\r\n"
      "\"you\"\r\n"
      "msgstr \"\"\r\n"
      "\"Salut\\n\"   \"toi\"\r\n"
      "  \"\xC3\xA9\\x41\\101\\7\"\r\n"
      "\r\n"
      "#~ msgctxt \"0016:9\"\r\n"
      "#~ msgid \"Gone\"\r\n"
      "#~ msgstr \"Parti\"";
  PoParseResult result = poParse(text);
  ASSERT_EQ(errorsOf(result), "");
  EXPECT_EQ(result.file.project, "Game");
  EXPECT_EQ(result.file.language, "fr");
  ASSERT_EQ(result.file.entries.size(), 1u);
  const PoEntry& e = result.file.entries[0];
  EXPECT_EQ(e.context, "0016:0");
  EXPECT_EQ(e.id, "Hi\nyou");
  EXPECT_EQ(e.str,
            "Salut\ntoi\xC3\xA9"
            "AA\a");
  EXPECT_EQ(e.comments, std::vector<std::string>{"0016.bt"});
  EXPECT_TRUE(e.fuzzy);
  EXPECT_EQ(e.line, 17);
}

TEST(PoParse, ErrorsNameLineAndColumn) {
  const std::pair<std::string, std::string> cases[] = {
      {"msgid \"\xC3\xA9\xFF\"\nmsgstr \"\"\n",
       "1:9: byte 0xFF is not UTF-8; save the file as UTF-8\n"},
      {"msgid \"a\\q\"\nmsgstr \"\"\n", "1:9: invalid escape sequence \\q\n"},
      {"msgid \"a\\x100\" \"\\400\" \"\\0\"\nmsgstr \"\"\n", "1:9: escape value above 255\n"},
      {"msgid \"\\x00\"\nmsgstr \"\"\n", "1:8: a string cannot hold a zero byte\n"},
      {"msgid \"open\nmsgstr \"\"\n", "1:7: the string is not closed on this line\n"},
      {"msgid \"a\" x\nmsgstr \"\"\n", "1:11: unexpected text after the string\n"},
      {"msgid \"a\\\nmsgstr \"\"\n",
       "1:9: a backslash at the end of the line; close the string and continue it on the next "
       "line\n"},
      {"msgid\nmsgstr \"\"\n", "1:6: expected a string in double quotes\n"},
      {"\"stray\"\n", "1:1: a string on its own line must continue msgctxt, msgid or msgstr\n"},
      {"  msgtxt \"a\"\n", "1:3: unknown keyword msgtxt\n"},
      {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\nmsgstr[1] \"bs\"\n",
       "2:1: plural forms (msgid_plural, msgstr[N]) are not expected in these files\n"},
      {"msgctxt \"c\"\n\nmsgctxt \"d\"\nmsgid \"a\"\n#. x\nmsgstr \"b\"\n",
       "1:1: msgctxt without msgid\n4:1: msgid without msgstr\n6:1: msgstr without msgid\n"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"\n", "3:1: a second msgstr in one entry\n"},
      {"msgctxt \"c\"\nmsgid \"a\"\nmsgstr \"\"\nmsgctxt \"c\"\nmsgid \"a\"\nmsgstr \"\"\n",
       "5:1: the same msgctxt and msgid are already on line 2\n"},
      {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n",
       "2:1: the file is in charset ISO-8859-1; only UTF-8 files are read\n"},
      {"msgid \"\"\nmsgstr \"\"\nmsgid \"\"\nmsgstr \"\"\n",
       "3:1: a second header entry (msgid \"\" without msgctxt)\n"},
      {"msgid \"\\303\"\nmsgstr \"\"\n", "1:1: msgid: its escapes give bytes that are not UTF-8\n"},
      {"#. a\0b\n"s, "1:5: a zero byte in the file\n"},
  };
  for (const auto& [text, errors] : cases) EXPECT_EQ(errorsOf(poParse(text)), errors) << text;

  std::string binary(100, '\xFF');
  for (size_t i = 0; i < binary.size(); i += 4) binary[i] = '\n';
  PoParseResult result = poParse(binary);
  ASSERT_EQ(result.errors.size(), 21u);
  EXPECT_EQ(result.errors.back().message, "too many errors, reading stops here");
  EXPECT_EQ(result.errors.back().line, 21);
}
