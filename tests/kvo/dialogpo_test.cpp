#include "kvo/dialogpo.h"

#include <gtest/gtest.h>

#include <string>

TEST(DialogPo, GameTextComesBackByteForByte) {
  const std::string game = "Hi\r\nthere\nx\ry\xFF<$z\r\n";
  const std::string po = gameTextToPo(game);
  EXPECT_EQ(po, "Hi\nthere<$0A>x<$0D>y<$FF><$3C>$z\n");
  std::vector<size_t> origin;
  PoTextBytes back = poToGameText(po, &origin);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.bytes, game);
  EXPECT_EQ(origin.size(), game.size());
  EXPECT_EQ(origin[2], 2u);  // the CR of the first line break
  EXPECT_EQ(origin[9], 8u);  // the lone LF, from its tag
}

TEST(DialogPo, TranslationsAndTheirPlacesInTheFile) {
  std::vector<GameText> texts = {{0, "Hello"}, {2, "Bye\r\nnow"}};
  PoFile file = dialogPoFile(16, "0016.bt", texts);
  ASSERT_EQ(file.entries.size(), 2u);
  EXPECT_EQ(file.entries[1].context, "0016:2");
  EXPECT_EQ(file.entries[1].id, "Bye\nnow");
  const std::string text = poWrite(file);
  std::string edited = text;
  edited.replace(edited.rfind("msgstr \"\""), 9,
                 "msgstr \"\"\n\"Tsch\xC3\xBC\\n\"\n\"\xC3\xA9<$0G>\"");
  edited += "\nmsgctxt \"0016:7\"\nmsgid \"x\"\nmsgstr \"y\"\n";
  PoParseResult parsed = poParse(edited);
  ASSERT_TRUE(parsed.ok()) << parsed.errors[0].message;
  std::vector<PoProblem> problems;
  auto found = dialogTranslations(parsed.file, 16, texts, &problems);
  EXPECT_TRUE(found.empty());
  ASSERT_EQ(problems.size(), 2u);
  const int strLine = parsed.file.entries[1].line;
  EXPECT_EQ(problems[0].line, strLine + 2);
  EXPECT_EQ(problems[0].column, 3);
  EXPECT_EQ(problems[0].message,
            "malformed byte tag: write <$XX> with two upper-case hexadecimal digits");
  EXPECT_EQ(problems[1].message, "no dialog text has the id \"0016:7\" in this file");

  edited.replace(edited.find("<$0G>"), 5, "<$41>");
  parsed = poParse(edited);
  problems.clear();
  found = dialogTranslations(parsed.file, 16, texts, &problems);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].slot, 2u);
  EXPECT_EQ(found[0].text,
            "Tsch\xC3\xBC\r\n\xC3\xA9"
            "A");
  ASSERT_EQ(found[0].places.size(), found[0].text.size());
  EXPECT_EQ(found[0].places[4].line, strLine + 1);   // the first byte of the u umlaut
  EXPECT_EQ(found[0].places[5].column, 6);           // its second byte, same character
  EXPECT_EQ(found[0].places[10].line, strLine + 2);  // the tag
  EXPECT_EQ(found[0].places[10].column, 3);
}
