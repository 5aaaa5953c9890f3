#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/ByteToken.h"
#include "core/CodeTable.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::AsBytes;
using namespace std::string_literals;

TEST(ByteToken, EveryByteReadsBackFromItsTokenInEitherCase) {
  for (int b = 0; b < 256; ++b) {
    std::string token;
    AppendByteToken(static_cast<unsigned char>(b), token);
    ASSERT_EQ(token.size(), kByteTokenLength);
    EXPECT_EQ(token.substr(0, 2), "<$");
    EXPECT_EQ(token.back(), '>');
    EXPECT_EQ(token.find_first_of("abcdef"), std::string::npos)
        << "written in upper case: " << token;
    for (const std::string& spelling :
         {token, token.substr(0, 2) +
                     static_cast<char>(std::tolower(token[2])) +
                     static_cast<char>(std::tolower(token[3])) + ">"}) {
      unsigned char read = 0;
      ASSERT_TRUE(ReadByteToken(AsBytes(spelling + "rest"), read)) << spelling;
      EXPECT_EQ(read, b) << spelling;
    }
  }
}

TEST(ByteToken, AnythingButExactlyTwoDigitsIsNoToken) {
  for (const std::string& text :
       {""s, "<"s, "<$4"s, "<$41"s, "<$4>"s, "<$4G>"s, "<$G4>"s, "<$-1>"s,
        "<$+1>"s, "<$ 1>"s, "<$1 >"s, "<$0x>"s, "<$123>"s, "<41>"s, "$41>"s,
        "<$41)"s, " <$41>"s, "<<$41>"s,
        "<$\0"
        "1>"s}) {
    unsigned char read = 0x5A;
    EXPECT_FALSE(ReadByteToken(AsBytes(text), read)) << text;
    EXPECT_EQ(read, 0x5A) << text;
  }
}

TEST(ByteToken, HooksWriteAndReadTokensThroughTheCoreTranslation) {
  const auto table = test::LoadFromString("41=A\n3C=<\n24=$\n4142=<$42>\n");
  std::ostringstream text;
  table->forward->Translate(text,
                            AsBytes("\x00"
                                    "A<\xFF"
                                    "AB"s),
                            TokenWritingHooks());
  // 41 42 is a code whose text looks like a token: the dump is ambiguous.
  EXPECT_EQ(text.str(), "<$00>A<<$FF><$42>");
  std::ostringstream bytes;
  table->reverse->Translate(bytes, AsBytes(text.str()), TokenReadingHooks());
  // A token wins over the table's "<" at the same position; the "<" before
  // a token stays the table's.
  EXPECT_EQ(bytes.str(),
            "\x00"
            "A<\xFF"
            "B"s);
}

}  // namespace
}  // namespace dalvren
