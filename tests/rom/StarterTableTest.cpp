#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeTable.h"
#include "rom/StarterTable.h"

namespace dalvren {
namespace {

using ByteOrder = CRelativePattern::ByteOrder;

std::unique_ptr<CRelativePattern> Pattern(const char* word, unsigned width) {
  std::unique_ptr<CRelativePattern> pattern;
  EXPECT_TRUE(
      CRelativePattern::Parse(word, {.width = width, .alphabet = ""}, &pattern)
          .IsOk());
  return pattern;
}

std::vector<std::string> Letters(const CStarterTable& table) {
  std::vector<std::string> letters;
  for (const auto& entry : table.Entries()) letters.push_back(entry.letter);
  return letters;
}

// Every letter of both alphabets at base plus place, codes wrapping past
// FF, the whole table in the order of the codes.
TEST(StarterTable, PlacesEveryLetterOfTheWordsAlphabetsInCodeOrder) {
  const auto pattern = Pattern("HEROhero", 1);
  const std::uint32_t bases[] = {0x10, 0xF0};
  const CStarterTable table(*pattern, bases, ByteOrder::kBig);
  ASSERT_EQ(table.Entries().size(), 52u);
  EXPECT_TRUE(table.LeftOut().empty());
  const std::string text = table.Text();
  // q is F0 + 16: it wraps to 00, the first code.
  EXPECT_TRUE(text.starts_with("00=q\n01=r\n")) << text;
  EXPECT_NE(text.find("\n10=A\n11=B\n"), std::string::npos);
  EXPECT_NE(text.find("\n29=Z\nF0=a\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("FF=p\n"));
  std::istringstream in(text);
  const auto loaded = Load(in);
  for (const auto& entry : table.Entries()) {
    const CByteString* letter = loaded->forward->Find(
        {reinterpret_cast<const unsigned char*>(entry.code.data()),
         entry.code.size()});
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(std::string(letter->data.get()), entry.letter);
  }
}

// Where the alphabets overlap, the word's own letters keep the codes they
// were seen at, the other letters come in alphabet order, and those whose
// code is taken are left out.
TEST(StarterTable, LeavesOutLettersWhoseCodeIsTaken) {
  const auto pattern = Pattern("HEROhero", 1);
  // A-Z at 41..5A, a-z at 50..69: P..Z and a..k share codes.
  const std::uint32_t bases[] = {0x41, 0x50};
  const CStarterTable table(*pattern, bases, ByteOrder::kBig);
  EXPECT_EQ(table.LeftOut(),
            (std::vector<std::string>{"T", "W", "a", "b", "c", "d", "f", "g",
                                      "i", "j", "k"}));
  EXPECT_EQ(table.Entries().size(), 52u - 11u);
  const std::string text = table.Text();
  for (const char* line : {"\n54=e\n", "\n57=h\n", "\n52=R\n", "\n50=P\n",
                           "\n5A=Z\n", "\n5B=l\n", "\n61=r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

// Two-byte codes are written in the byte order of the hit.
TEST(StarterTable, WritesTwoByteCodesInTheHitsByteOrder) {
  const auto pattern = Pattern("0123", 2);
  const std::uint32_t bases[] = {0x82FE};
  const CStarterTable big(*pattern, bases, ByteOrder::kBig);
  EXPECT_EQ(big.Text(),
            "82FE=0\n82FF=1\n8300=2\n8301=3\n8302=4\n8303=5\n8304=6\n"
            "8305=7\n8306=8\n8307=9\n");
  const CStarterTable little(*pattern, bases, ByteOrder::kLittle);
  EXPECT_EQ(Letters(little),
            (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8", "9",
                                      "0", "1"}));
  EXPECT_TRUE(little.Text().starts_with("0083=2\n0183=3\n")) << little.Text();
  EXPECT_TRUE(little.Text().ends_with("FE82=0\nFF82=1\n")) << little.Text();
}

}  // namespace
}  // namespace dalvren
