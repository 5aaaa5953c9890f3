// insert --optimal through the built converter, against a brute-force search
// of every way to cut a text on many small random tables.
#include <algorithm>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::RunTool;
using test::TempDir;
using test::ToolResult;

// A text and the character each of its bytes belongs to.
struct Text {
  std::string bytes;
  std::vector<std::size_t> charOf;
};

// A text of single-byte characters.
Text Ascii(const std::string& bytes) {
  Text text{bytes, {}};
  for (std::size_t i = 0; i < bytes.size(); ++i) text.charOf.push_back(i);
  return text;
}

struct Cut {
  // Characters that lost a byte: a character is dropped when any of its
  // bytes is skipped.
  std::uint64_t dropped = 0;
  std::string output;
  // The length of each step; 0 for a skipped byte.
  std::vector<std::size_t> steps;
};

// Every way insertion may cut `text` from `pos` on: where texts of the table
// start, any one of them; where none does, the byte is skipped. The last
// character that lost a byte is `lastDropped`.
void AllCuts(const std::map<std::string, std::string>& reverse,
             const Text& text, std::size_t pos, std::size_t lastDropped,
             Cut& current, std::vector<Cut>& all) {
  if (pos == text.bytes.size()) {
    all.push_back(current);
    return;
  }
  bool matched = false;
  for (const auto& [key, code] : reverse) {
    if (text.bytes.compare(pos, key.size(), key) != 0) continue;
    matched = true;
    const std::size_t mark = current.output.size();
    current.output += code;
    current.steps.push_back(key.size());
    AllCuts(reverse, text, pos + key.size(), lastDropped, current, all);
    current.steps.pop_back();
    current.output.resize(mark);
  }
  if (!matched) {
    const std::size_t character = text.charOf[pos];
    const std::uint64_t lost = character != lastDropped ? 1 : 0;
    current.dropped += lost;
    current.steps.push_back(0);
    AllCuts(reverse, text, pos + 1, character, current, all);
    current.steps.pop_back();
    current.dropped -= lost;
  }
}

bool Cheaper(const Cut& a, const Cut& b) {
  return a.dropped != b.dropped ? a.dropped < b.dropped
                                : a.output.size() < b.output.size();
}

struct Expected {
  Cut optimal;
  Cut greedy;
};

// The optimal cut as the converter promises it: fewest characters dropped,
// then fewest bytes written, and among equals the longer text at the first
// position where two cuts part. The greedy cut takes the longest text
// everywhere.
Expected BruteForce(const std::map<std::string, std::string>& reverse,
                    const Text& text) {
  std::vector<Cut> all;
  Cut current;
  AllCuts(reverse, text, 0, SIZE_MAX, current, all);
  Expected e;
  e.greedy = *std::max_element(
      all.begin(), all.end(),
      [](const Cut& a, const Cut& b) { return a.steps < b.steps; });
  e.optimal = all.front();
  for (const Cut& cut : all) {
    if (Cheaper(cut, e.optimal) ||
        (!Cheaper(e.optimal, cut) && cut.steps > e.optimal.steps)) {
      e.optimal = cut;
    }
  }
  return e;
}

std::vector<std::string> SplitAt(const std::string& bytes, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : bytes) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::uint64_t Figure(const std::string& report, const std::string& name) {
  std::smatch m;
  const std::regex line(name + ": +(-?[0-9]+)");
  if (!std::regex_search(report, m, line)) {
    ADD_FAILURE() << name << " missing from: " << report;
    return 0;
  }
  return static_cast<std::uint64_t>(std::stoll(m[1]));
}

TEST(OptimalInsert, MatchesABruteForceSearchAndNeverLosesToGreedy) {
  TempDir dir;
  std::mt19937 random(4242);
  const auto randomText = [&](std::size_t most, const char* letters,
                              std::size_t count) {
    std::string text(random() % (most + 1), ' ');
    for (char& c : text) c = letters[random() % count];
    return text;
  };
  std::size_t cases = 0;
  std::size_t improved = 0;
  std::size_t greedyLost = 0;
  for (int round = 0; round < 10; ++round) {
    // Texts of one to three letters of "abc" with codes of one to three
    // bytes; "d" is in no text, so some bytes must be skipped. FF is no code
    // byte: it separates the cases.
    std::string tableFile;
    std::map<std::string, std::string> reverse;
    const int entries = 4 + static_cast<int>(random() % 7);
    for (int i = 0; i < entries; ++i) {
      std::string text = randomText(2, "abc", 3);
      text += "abc"[random() % 3];
      std::string code(1 + random() % 3, '\0');
      for (char& b : code) b = static_cast<char>(random() % 0xFF);
      tableFile += std::string(test::MakeString(code)->ToHex().get()) + "=" +
                   text + "\n";
      reverse[text] = code;  // a later line wins
    }
    const std::string table = dir.Write("t.tbl", tableFile);

    std::vector<std::string> texts;
    std::string script;
    for (int i = 0; i < 90; ++i) {
      texts.push_back(randomText(10, "abcd", i % 4 == 0 ? 4 : 3));
      script += (i > 0 ? "<$FF>" : "") + texts.back();
    }
    const std::string input = dir.Write("script.txt", script);
    const ToolResult optimal =
        RunTool({"-t", table, "insert", "-q", "--unknown=hex", "--optimal",
                 "--stats", input});
    ASSERT_EQ(optimal.status, 0) << optimal.err;
    const auto optimalParts = SplitAt(optimal.out, '\xFF');
    ASSERT_EQ(optimalParts.size(), texts.size());

    // The separators count on both sides of the saving.
    std::size_t greedySize = texts.size() - 1;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const Expected e = BruteForce(reverse, Ascii(texts[i]));
      ++cases;
      greedySize += e.greedy.output.size();
      EXPECT_EQ(optimalParts[i], e.optimal.output)
          << tableFile << "text: " << texts[i];
      if (e.greedy.dropped == 0) {
        EXPECT_LE(optimalParts[i].size(), e.greedy.output.size()) << texts[i];
      }
      // When greedy is already optimal, optimal is greedy, byte for byte.
      if (!Cheaper(e.optimal, e.greedy)) {
        EXPECT_EQ(optimalParts[i], e.greedy.output) << texts[i];
      }
      if (optimalParts[i].size() < e.greedy.output.size()) ++improved;
      if (e.optimal.dropped < e.greedy.dropped) ++greedyLost;
    }
    // --stats measures greedy with the converter's own insertion.
    EXPECT_EQ(Figure(optimal.err, "bytes written"), optimal.out.size());
    EXPECT_EQ(Figure(optimal.err, "saved against greedy"),
              greedySize - optimal.out.size());
  }
  EXPECT_EQ(cases, 900u);
  // The random cases must reach both situations the order distinguishes.
  EXPECT_GE(improved, 10u);
  EXPECT_GE(greedyLost, 5u);
}

TEST(OptimalInsert, DropsTheFewestCharactersOfMultiByteText) {
  TempDir dir;
  std::mt19937 random(777);
  // Characters of one to four bytes, a stray continuation byte and a byte
  // UTF-8 never uses; none continues another, so a text's characters are
  // the pieces it is made of. Table texts are any bytes of such texts, so
  // they may begin or end inside a character.
  const std::vector<std::string> pieces = {
      "a", "b", "\xC3\xA9", "\xE3\x81\x82", "\xF0\x9F\x98\x80", "\x81", "\xFF"};
  const auto append = [](Text& text, const std::string& piece) {
    const std::size_t character =
        text.charOf.empty() ? 0 : text.charOf.back() + 1;
    text.bytes += piece;
    text.charOf.resize(text.bytes.size(), character);
  };
  const auto randomText = [&](std::size_t most) {
    Text text;
    for (std::size_t n = random() % (most + 1); n > 0; --n) {
      append(text, pieces[random() % pieces.size()]);
    }
    return text;
  };
  std::size_t cases = 0;
  std::size_t bytesWouldDiffer = 0;
  for (int round = 0; round < 10; ++round) {
    std::vector<Text> texts;
    for (int i = 0; i < 60; ++i) texts.push_back(randomText(8));
    // Random tables seldom make counting characters and counting bytes part
    // ways, so each round also has a text where they may: with the table
    // texts "xuuy", "x" and "yM", the text "xuuyM" loses either the
    // multi-byte character M or the single-byte characters "uu".
    Text trade = randomText(1);
    const std::string x = pieces[random() % 2];
    const std::string u = pieces[random() % 2];
    const std::string y = pieces[random() % 2];
    const std::string m = pieces[2 + random() % 3];
    const std::size_t us = 1 + random() % 3;
    std::string uu;
    append(trade, x);
    for (std::size_t i = 0; i < us; ++i) {
      append(trade, u);
      uu += u;
    }
    append(trade, y);
    append(trade, m);
    texts.push_back(trade);
    std::vector<std::string> tableTexts = {x + uu + y, x, y + m};
    // And table texts of up to ten bytes taken from the texts, so that
    // cuts part often and land inside characters.
    for (int i = 4 + static_cast<int>(random() % 9); i > 0; --i) {
      const std::string source = texts[random() % texts.size()].bytes + "a";
      tableTexts.push_back(
          source.substr(random() % source.size(), 1 + random() % 10));
    }
    std::string tableFile;
    std::map<std::string, std::string> reverse;
    for (const std::string& text : tableTexts) {
      std::string code(1 + random() % 3, '\0');
      for (char& b : code) b = static_cast<char>(random() % 0xFF);
      tableFile += std::string(test::MakeString(code)->ToHex().get()) + "=" +
                   text + "\n";
      reverse[text] = code;
    }
    std::string script;
    for (const Text& text : texts) {
      script += (script.empty() ? "" : "<$FF>") + text.bytes;
    }
    const ToolResult optimal = RunTool(
        {"-t", dir.Write("t.tbl", tableFile), "insert", "-q", "--unknown=hex",
         "--optimal", dir.Write("script.txt", script)});
    ASSERT_EQ(optimal.status, 0) << optimal.err;
    const auto parts = SplitAt(optimal.out, '\xFF');
    ASSERT_EQ(parts.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const Expected e = BruteForce(reverse, texts[i]);
      ++cases;
      EXPECT_EQ(parts[i], e.optimal.output)
          << tableFile << "text: " << testing::PrintToString(texts[i].bytes);
      const Expected bytes = BruteForce(reverse, Ascii(texts[i].bytes));
      if (bytes.optimal.output != e.optimal.output) ++bytesWouldDiffer;
    }
  }
  EXPECT_EQ(cases, 610u);
  // Cases where counting bytes would have chosen another cut.
  EXPECT_GE(bytesWouldDiffer, 10u);
}

TEST(OptimalInsert, StatsReportWrittenSkippedAndSaved) {
  TempDir dir;
  // "there": greedy takes "the" (two bytes), then "r" and "e"; the shortest
  // is "t", "her", "e".
  const std::string table =
      dir.Write("t.tbl", "8010=the\n74=t\n68=h\n65=e\n72=r\nC8=her\n");
  const std::string script = dir.Write("s.txt", "there!");
  ToolResult r = RunTool({"-t", table, "insert", "-q", "--optimal", "--stats",
                          "--hex-out", script});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "74C865");
  EXPECT_EQ(r.err,
            "bytes written:           3\n"
            "text characters skipped: 1\n"
            "saved against greedy:    1 byte (greedy writes 4)\n");
  r = RunTool({"-t", table, "insert", "-q", "--stats", script});
  EXPECT_EQ(r.out, "\x80\x10\x72\x65");
  EXPECT_EQ(r.err,
            "bytes written:           4\n"
            "text characters skipped: 1\n");

  // Greedy drops "c" after "ab"; keeping it costs a byte more.
  const std::string lossy = dir.Write("l.tbl", "10=ab\n11=a\n12=bc\n");
  r = RunTool({"-t", lossy, "insert", "--optimal", "--stats",
               dir.Write("abc.txt", "abc")});
  EXPECT_EQ(r.out, "\x11\x12");
  EXPECT_EQ(r.err,
            "bytes written:           2\n"
            "text characters skipped: 0\n"
            "saved against greedy:    -1 byte (greedy writes 1 but skips 1 "
            "text character more)\n");
}

TEST(OptimalInsert, StatsCountCharactersNotBytes) {
  TempDir dir;
  // "k" + "bあ" would keep the three bytes of "あ" but drop "a" and "c";
  // "kacb" drops "あ" alone.
  const std::string table = dir.Write("t.tbl", "01=kacb\n02=k\n03=bあ\n");
  ToolResult r = RunTool({"-t", table, "insert", "-q", "--optimal", "--stats",
                          dir.Write("s.txt", "kacbあ")});
  EXPECT_EQ(r.out, "\x01");
  EXPECT_EQ(r.err,
            "bytes written:           1\n"
            "text characters skipped: 1\n"
            "saved against greedy:    0 bytes (greedy writes 1)\n");

  // Greedy takes "ab" and loses the three bytes of "あ", one character.
  const std::string kana = dir.Write("k.tbl", "10=ab\n11=a\n12=bあ\n");
  r = RunTool({"-t", kana, "insert", "-q", "--optimal", "--stats",
               dir.Write("abあ.txt", "abあ")});
  EXPECT_EQ(r.out, "\x11\x12");
  EXPECT_EQ(r.err,
            "bytes written:           2\n"
            "text characters skipped: 0\n"
            "saved against greedy:    -1 byte (greedy writes 1 but skips 1 "
            "text character more)\n");
  r = RunTool({"-t", kana, "insert", "-q", "--stats", dir.Path("abあ.txt")});
  EXPECT_EQ(r.out, "\x10");
  EXPECT_EQ(r.err,
            "bytes written:           1\n"
            "text characters skipped: 1\n");
}

}  // namespace
}  // namespace dalvren
