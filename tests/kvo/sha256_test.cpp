#include "kvo/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {
std::string hashInPieces(const std::string& text, size_t piece) {
  Sha256 hash = sha256Start();
  for (size_t at = 0; at < text.size(); at += piece)
    sha256Add(hash, text.data() + at, std::min(piece, text.size() - at));
  return sha256Hex(sha256Finish(hash));
}
}  // namespace

TEST(Sha256, KnownDigestsWhateverThePieces) {
  EXPECT_EQ(sha256HexOf("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256HexOf("abc", 3),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const std::string million(1000000, 'a');
  for (size_t piece : {1, 55, 64, 1000}) {
    EXPECT_EQ(hashInPieces(twoBlocks, piece),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hashInPieces(million, piece * 997),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  }
}
