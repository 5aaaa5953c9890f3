// insert --optimal through the built converter, against a brute-force search
// of every way to cut a text on many small random tables.
#include <algorithm>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "ToolRunner.h"

namespace {

using dalvren_test::RunTool;
using dalvren_test::TempDir;
using dalvren_test::ToolResult;

struct Cut {
  std::uint64_t skipped = 0;
  std::string output;
  // The length of each step; 0 for a skipped byte.
  std::vector<std::size_t> steps;
};

// Every way insertion may cut `text` from `pos` on: where texts of the table
// start, any one of them; where none does, the byte is skipped.
void AllCuts(const std::map<std::string, std::string>& reverse,
             const std::string& text, std::size_t pos, Cut& current,
             std::vector<Cut>& all) {
  if (pos == text.size()) {
    all.push_back(current);
    return;
  }
  bool matched = false;
  for (const auto& [key, code] : reverse) {
    if (text.compare(pos, key.size(), key) != 0) continue;
    matched = true;
    const std::size_t mark = current.output.size();
    current.output += code;
    current.steps.push_back(key.size());
    AllCuts(reverse, text, pos + key.size(), current, all);
    current.steps.pop_back();
    current.output.resize(mark);
  }
  if (!matched) {
    ++current.skipped;
    current.steps.push_back(0);
    AllCuts(reverse, text, pos + 1, current, all);
    current.steps.pop_back();
    --current.skipped;
  }
}

bool Cheaper(const Cut& a, const Cut& b) {
  return a.skipped != b.skipped ? a.skipped < b.skipped
                                : a.output.size() < b.output.size();
}

struct Expected {
  Cut optimal;
  Cut greedy;
};

// The optimal cut as the converter promises it: fewest bytes skipped, then
// fewest written, and among equals the longer text at the first position
// where two cuts part. The greedy cut takes the longest text everywhere.
Expected BruteForce(const std::map<std::string, std::string>& reverse,
                    const std::string& text) {
  std::vector<Cut> all;
  Cut current;
  AllCuts(reverse, text, 0, current, all);
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
      tableFile += std::string(dalvren_test::MakeString(code)->ToHex().get()) +
                   "=" + text + "\n";
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
      const Expected e = BruteForce(reverse, texts[i]);
      ++cases;
      greedySize += e.greedy.output.size();
      EXPECT_EQ(optimalParts[i], e.optimal.output)
          << tableFile << "text: " << texts[i];
      if (e.greedy.skipped == 0) {
        EXPECT_LE(optimalParts[i].size(), e.greedy.output.size()) << texts[i];
      }
      // When greedy is already optimal, optimal is greedy, byte for byte.
      if (!Cheaper(e.optimal, e.greedy)) {
        EXPECT_EQ(optimalParts[i], e.greedy.output) << texts[i];
      }
      if (optimalParts[i].size() < e.greedy.output.size()) ++improved;
      if (e.optimal.skipped < e.greedy.skipped) ++greedyLost;
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

TEST(OptimalInsert, StatsReportWrittenSkippedAndSaved) {
  TempDir dir;
  // "there": greedy takes "the" (two bytes), then "r" and "e"; the shortest
  // is "t", "her", "e".
  const std::string table =
      dir.Write("t.tbl", "8010=the\n74=t\n68=h\n65=e\n72=r\nC8=her\n");
  const std::string script = dir.Write("s.txt", "there!");
  ToolResult r = RunTool(
      {"-t", table, "insert", "--optimal", "--stats", "--hex-out", script});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "74C865");
  EXPECT_EQ(r.err,
            "bytes written:        3\n"
            "text bytes skipped:   1\n"
            "saved against greedy: 1 byte (greedy writes 4)\n");
  r = RunTool({"-t", table, "insert", "--stats", script});
  EXPECT_EQ(r.out, "\x80\x10\x72\x65");
  EXPECT_EQ(r.err,
            "bytes written:        4\n"
            "text bytes skipped:   1\n");

  // Greedy drops "c" after "ab"; keeping it costs a byte more.
  const std::string lossy = dir.Write("l.tbl", "10=ab\n11=a\n12=bc\n");
  r = RunTool({"-t", lossy, "insert", "--optimal", "--stats",
               dir.Write("abc.txt", "abc")});
  EXPECT_EQ(r.out, "\x11\x12");
  EXPECT_EQ(r.err,
            "bytes written:        2\n"
            "text bytes skipped:   0\n"
            "saved against greedy: -1 byte (greedy writes 1 but skips 1 text "
            "byte more)\n");
}

}  // namespace
