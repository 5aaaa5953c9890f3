#include <random>
#include <string>

#include <gtest/gtest.h>

#include "framework/FieldText.h"

namespace dalvren {
namespace {

// The UTF-16 code units as they are (QString::fromUtf16 would drop a
// leading byte-order mark).
QString Units(const char16_t* units) { return QStringView(units).toString(); }

TEST(FieldText, ValidUtf8ReadsAsItsCharacters) {
  for (const char* text :
       {"", "plain ASCII\n", "\xC3\xA9t\xC3\xA9", "\xE5\x8B\x87\xE8\x80\x85",
        "\xF0\x9F\x8E\xAE", "\xEF\xBF\xBD",
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"
        "\xF4\x8F\xBF\xBF"}) {
    SCOPED_TRACE(text);
    const QString field = FieldTextFromBytes(text);
    EXPECT_EQ(field, QString::fromUtf8(text));
    EXPECT_EQ(BytesFromFieldText(field), text);
  }
}

TEST(FieldText, InvalidBytesAreHeldAsEscapesAndComeBack) {
  struct Case {
    const char* name;
    std::string bytes;
    int escapes;
  };
  const Case cases[] = {
      {"lone continuation", "a\x80z", 1},
      {"lead without continuation", "\xC3z", 1},
      {"lead at the end", "ab\xE5\x8B", 2},
      {"overlong slash", "\xC0\xAF", 2},
      {"overlong three bytes", "\xE0\x80\xAF", 3},
      {"surrogate", "\xED\xA0\x80", 3},
      {"past U+10FFFF", "\xF4\x90\x80\x80", 4},
      {"never a lead", "\xF8\xFF\xFE", 3},
      {"shift-jis", "\x82\xA0\x82\xA2", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString field = FieldTextFromBytes(c.bytes);
    int escapes = 0;
    for (QChar ch : field) {
      if (ch.unicode() >= 0xDC80 && ch.unicode() <= 0xDCFF) ++escapes;
    }
    EXPECT_EQ(escapes, c.escapes);
    EXPECT_EQ(BytesFromFieldText(field), c.bytes);
  }
}

TEST(FieldText, EveryByteSequenceRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(BytesFromFieldText(FieldTextFromBytes(all)), all);

  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(static_cast<std::size_t>(round % 23), '\0');
    for (char& b : bytes) {
      // Favour bytes that start and continue sequences.
      const int v = byte(random);
      b = static_cast<char>(v < 128 ? 0x80 | (v & 0x3F) : v);
    }
    ASSERT_EQ(BytesFromFieldText(FieldTextFromBytes(bytes)), bytes);
  }
}

// What a document would turn into a break is held as escapes, one per
// byte, on the fast path (all valid UTF-8) and the slow one (a stray byte
// after it) alike.
TEST(FieldText, CharactersADocumentWouldChangeAreEscapedByteByByte) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"CR", "a\rb",
       u"a\xDC0D"
       u"b"},
      {"CR LF", "\r\n",
       u"\xDC0D"
       u"\n"},
      {"line separator", "\xE2\x80\xA8", u"\xDCE2\xDC80\xDCA8"},
      {"paragraph separator", "\xE2\x80\xA9", u"\xDCE2\xDC80\xDCA9"},
      {"frame markers", "\xEF\xB7\x90\xEF\xB7\x91",
       u"\xDCEF\xDCB7\xDC90\xDCEF\xDCB7\xDC91"},
  };
  for (const Case& c : cases) {
    for (const std::string& tail : {std::string(), std::string("\xFF")}) {
      SCOPED_TRACE(std::string(c.name) + (tail.empty() ? "" : ", slow"));
      const std::string bytes = c.bytes + tail;
      const QString expected =
          Units(c.text.c_str()) +
          (tail.empty() ? QString() : QString(QChar(0xDCFF)));
      EXPECT_EQ(FieldTextFromBytes(bytes), expected);
      EXPECT_EQ(BytesFromFieldText(expected), bytes);
    }
  }
  // What a document keeps stays itself, a leading byte-order mark included.
  EXPECT_EQ(FieldTextFromBytes("\xEF\xBB\xBF\xC2\xA0\t\n\xEF\xBF\xBC"),
            Units(u"\uFEFF\u00A0\t\n\uFFFC"));
}

// A document reports its paragraph breaks as U+2029, and Shift+Enter puts
// in a U+2028; both are typed line breaks.
TEST(FieldText, BreaksOfADocumentReadAsLineFeeds) {
  const QString breaks = Units(u"a\u2029b\u2028c\uFDD0d\uFDD1e\n");
  EXPECT_EQ(BytesFromFieldText(breaks), "a\nb\nc\nd\ne\n");
  EXPECT_EQ(BytesFromFieldText(breaks + QChar(0xDC80)), "a\nb\nc\nd\ne\n\x80");
}

TEST(FieldText, StrayLoneSurrogateBecomesReplacementCharacter) {
  // A high surrogate with no low one after it, and a low one that is not an
  // escape.
  const QString text = QStringLiteral("a") + QChar(0xD800) +
                       QStringLiteral("x") + QChar(0xDC41) +
                       QStringLiteral("b");
  EXPECT_EQ(BytesFromFieldText(text),
            "a\xEF\xBF\xBDx\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace dalvren
