// Tables in legacy character sets: the conversion itself, the guess check
// makes, and whole tables through the built converter giving the same
// script as their UTF-8 originals.
#include <iconv.h>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/EncodingGuess.h"
#include "cli/TableEncoding.h"
#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::ExamplePath;
using test::ReadFile;
using test::RunTool;
using test::TempDir;
using test::ToolResult;
using namespace std::string_literals;

// `text` converted from UTF-8 to `to` by the C library, for making legacy
// tables from UTF-8 ones; fails the test if it does not convert.
std::string FromUtf8(const std::string& text, const char* to) {
  const iconv_t cd = ::iconv_open(to, "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
  std::string in = text;
  std::string out(text.size() * 4 + 16, '\0');
  char* from = in.data();
  std::size_t fromLeft = in.size();
  char* into = out.data();
  std::size_t intoLeft = out.size();
  EXPECT_NE(::iconv(cd, &from, &fromLeft, &into, &intoLeft),
            static_cast<std::size_t>(-1))
      << to;
  ::iconv_close(cd);
  out.resize(out.size() - intoLeft);
  return out;
}

// `text` converted from `from` to UTF-8 by the C library in one go, as an
// independent reading of it.
std::string ToUtf8(std::string text, const char* from) {
  const iconv_t cd = ::iconv_open("UTF-8", from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from;
  std::string out(text.size() * 4 + 16, '\0');
  char* in = text.data();
  std::size_t inLeft = text.size();
  char* into = out.data();
  std::size_t intoLeft = out.size();
  EXPECT_NE(::iconv(cd, &in, &inLeft, &into, &intoLeft),
            static_cast<std::size_t>(-1))
      << from;
  ::iconv(cd, nullptr, nullptr, &into, &intoLeft);
  ::iconv_close(cd);
  out.resize(out.size() - intoLeft);
  return out;
}

// The encoding's status as the tests read it: null, or false, with the
// message in `error`.
std::unique_ptr<CTableEncoding> OpenEncoding(
    const std::string& name, std::string& error,
    const CTableEncoding::Options& options = {}) {
  std::unique_ptr<CTableEncoding> encoding;
  error = CTableEncoding::Open(name, options, &encoding).Message();
  return encoding;
}

bool Convert(CTableEncoding& encoding, std::string& text, std::string& error) {
  const CStatus status = encoding.Convert(text);
  error = status.Message();
  return status.IsOk();
}

std::string Converted(const std::string& name, std::string text,
                      const CTableEncoding::Options& options = {}) {
  std::string error;
  auto encoding = OpenEncoding(name, error, options);
  EXPECT_NE(encoding, nullptr) << error;
  if (!encoding) return {};
  EXPECT_TRUE(Convert(*encoding, text, error)) << error;
  return text;
}

TEST(TableEncoding, OpensSetsThatKeepTheParsedBytesAsAscii) {
  for (const char* name :
       {"Shift_JIS", "shift_jis", "SJIS", "CP932", "EUC-JP", "windows-1252",
        "ISO-8859-1", "ISO-2022-JP", "UTF-8"}) {
    std::string error;
    const auto encoding = OpenEncoding(name, error);
    EXPECT_NE(encoding, nullptr) << name << ": " << error;
    if (encoding) {
      EXPECT_EQ(encoding->Name(), name);
    }
  }
  for (const char* name :
       {"UTF-16", "UTF-16LE", "UTF-16BE", "UTF-32", "UCS-2", "IBM037"}) {
    std::string error;
    EXPECT_EQ(OpenEncoding(name, error), nullptr) << name;
    // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on the
    // concatenation once it is inlined.
    std::string expected = "'";
    expected += name;
    expected += "' cannot be used";
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  }
  // An empty name would be the locale's character set to iconv.
  for (const char* name : {"klingon", ""}) {
    std::string error;
    EXPECT_EQ(OpenEncoding(name, error), nullptr) << name;
    EXPECT_TRUE(error.starts_with("Unknown table encoding '")) << error;
  }
}

TEST(TableEncoding, ConvertsTextsToUtf8AndRefusesWhatIsNotInTheSet) {
  EXPECT_EQ(Converted("Shift_JIS", "\x82\xA0\x95\x90 A"), "あ武 A");
  EXPECT_EQ(Converted("Shift_JIS", "\xB1"), "ｱ");  // half-width kana
  EXPECT_EQ(Converted("CP932", "\x87\x40"), "①");
  EXPECT_EQ(Converted("EUC-JP", "\xA4\xA2"), "あ");
  EXPECT_EQ(Converted("windows-1252", "caf\xE9 \x80\x9C"), "café €œ");
  EXPECT_EQ(Converted("ISO-8859-1", "\xE9"), "é");
  EXPECT_EQ(Converted("Shift_JIS", ""), "");

  std::string error;
  auto sjis = OpenEncoding("Shift_JIS", error);
  ASSERT_NE(sjis, nullptr);
  std::string text = "ab\x82";
  EXPECT_FALSE(Convert(*sjis, text, error));
  EXPECT_EQ(text, "ab\x82") << "left as it was";
  EXPECT_EQ(error, "incomplete character at the end of the text: 82");
  text = "\x82\xA0\x81\x39xyzw";
  EXPECT_FALSE(Convert(*sjis, text, error));
  EXPECT_EQ(error, "not valid Shift_JIS at text byte 3: 81 39 78 79 ...");
  // A failure leaves nothing behind for the next text.
  text = "\x82\xA2";
  EXPECT_TRUE(Convert(*sjis, text, error));
  EXPECT_EQ(text, "い");

  auto cp1252 = OpenEncoding("windows-1252", error);
  ASSERT_NE(cp1252, nullptr);
  text = "ok\x81";
  EXPECT_FALSE(Convert(*cp1252, text, error));
  EXPECT_EQ(error, "not valid windows-1252 at text byte 3: 81");
}

TEST(TableEncoding, EachTextStartsInTheInitialShiftState) {
  std::string error;
  auto jis = OpenEncoding("ISO-2022-JP", error);
  ASSERT_NE(jis, nullptr) << error;
  // The first text switches to JIS X 0208 and never switches back.
  std::string first = "\x1B$B$\"";
  ASSERT_TRUE(Convert(*jis, first, error)) << error;
  EXPECT_EQ(first, "あ");
  std::string second = "$\"";
  ASSERT_TRUE(Convert(*jis, second, error)) << error;
  EXPECT_EQ(second, "$\"");
}

TEST(TableEncoding, ALoneFiveCBeforeNIsTheBackslashOfALineBreak) {
  // Shift_JIS characters as written and as read; 5C alone is the yen sign
  // (twice, to come up often), and the second byte of 表 and ソ.
  const struct {
    std::string bytes;
    std::string utf8;
  } pool[] = {{"\x5C", "¥"},      {"n", "n"},   {"\x95\x5C", "表"},
              {"\x83\x5C", "ソ"}, {"A", "A"},   {"\x82\xA0", "あ"},
              {"\xB1", "ｱ"},      {"\x5C", "¥"}};
  const CTableEncoding::Options escapes = {.lineBreakEscapes = true};
  std::string error;
  auto sjis = OpenEncoding("Shift_JIS", error, escapes);
  ASSERT_NE(sjis, nullptr) << error;
  std::mt19937 random(18);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::size_t> picked(random() % 10);
    for (std::size_t& p : picked) p = random() % std::size(pool);
    std::string text;
    std::string expected;
    for (std::size_t i = 0; i < picked.size(); ++i) {
      text += pool[picked[i]].bytes;
      const bool lineBreak = pool[picked[i]].bytes == "\x5C" &&
                             i + 1 < picked.size() &&
                             pool[picked[i + 1]].bytes == "n";
      expected += lineBreak ? "\\" : pool[picked[i]].utf8;
    }
    const std::string written = text;
    ASSERT_TRUE(Convert(*sjis, text, error)) << error;
    ASSERT_EQ(text, expected) << testing::PrintToString(written);
  }
  // Without the option (the plain syntax), 5C is what the set says.
  EXPECT_EQ(Converted("Shift_JIS", "\x83\x5C\\n"), "ソ¥n");
  // Sets that read 5C as the backslash, or that have no lone 5C there, are
  // as before.
  EXPECT_EQ(Converted("CP932", "\x83\x5C\\n\x95\x5Cn", escapes), "ソ\\n表n");
  EXPECT_EQ(Converted("EUC-JP", "\xA4\xA2\\n", escapes), "あ\\n");
  EXPECT_EQ(Converted("ISO-2022-JP", "\x1B(J\\n\x1B(B", escapes), "\\n");
  // 5C 6E after an escape to JIS X 0208 is one kanji, as iconv reads it.
  const std::string kanji = "\x1B$B\\n\x1B(B";
  EXPECT_EQ(Converted("ISO-2022-JP", kanji, escapes),
            ToUtf8(kanji, "ISO-2022-JP"));
  EXPECT_EQ(ToUtf8(kanji, "ISO-2022-JP").find('\\'), std::string::npos);
  // Faults are told as without the search for boundaries.
  std::string text = "\x82\xA0\\n\x81\x39";
  EXPECT_FALSE(Convert(*sjis, text, error));
  EXPECT_EQ(error, "not valid Shift_JIS at text byte 5: 81 39");
  text = "\\n\x82";
  EXPECT_FALSE(Convert(*sjis, text, error));
  EXPECT_EQ(error, "incomplete character at the end of the text: 82");
}

TEST(EncodingGuess, NamesTheFirstSetThatReadsEveryText) {
  const struct {
    std::vector<std::string> texts;
    std::string guess;
  } cases[] = {
      {{}, ""},
      {{"\x82\xA0", "\x95\x90\x8A\xED"}, "Shift_JIS"},
      // Katakana in Shift_JIS would be a C1 control and a letter in EUC-JP.
      {{"\x83\x41", "\x83\x43"}, "Shift_JIS"},
      {{"\xA4\xA2", "\xA5\xA2\xA5\xA4"}, "EUC-JP"},
      {{"\x82\xA0", "\x87\x40"}, "CP932"},
      {{"caf\xE9", "\xE0", "na\xEFve"}, "windows-1252"},
      {{"\x82\xA0", "\xE9!"}, "windows-1252"},
      {{"\x81"}, ""},
  };
  for (const auto& c : cases) {
    CEncodingGuess guess;
    for (const auto& text : c.texts) guess.Observe(text);
    EXPECT_EQ(guess.Guess(), c.guess) << testing::PrintToString(c.texts);
  }
  EXPECT_EQ(CEncodingGuess().Tried(),
            "EUC-JP, Shift_JIS, CP932 or windows-1252");
}

class LegacyTable : public testing::Test {
 protected:
  const std::string utf8Table_ = ExamplePath("sample.tbl");
  const std::string rom_ = ExamplePath("sample.rom");
  TempDir dir_;

  // The dump of `rom` and the insert of its script through `table`.
  std::pair<std::string, std::string> BothWays(
      const std::string& table, const std::string& rom,
      const std::vector<std::string>& options) {
    std::vector<std::string> dump = {"-t", table, "dump", rom};
    dump.insert(dump.end(), options.begin(), options.end());
    const ToolResult text = RunTool(dump);
    EXPECT_EQ(text.status, 0) << text.err;
    std::vector<std::string> insert = {"-t", table, "insert",
                                       dir_.Write("script", text.out)};
    insert.insert(insert.end(), options.begin(), options.end());
    const ToolResult bytes = RunTool(insert);
    EXPECT_EQ(bytes.status, 0) << bytes.err;
    return {text.out, bytes.out};
  }
};

TEST_F(LegacyTable, ShiftJisCopyOfTheSampleGivesTheSameScript) {
  const std::string sjis = ExamplePath("sample-sjis.tbl");
  ASSERT_EQ(ReadFile(sjis), FromUtf8(ReadFile(utf8Table_), "SHIFT_JIS"))
      << "the example is the sample table in Shift_JIS";
  const auto expected = BothWays(utf8Table_, rom_, {});
  EXPECT_TRUE(expected.first.find("勇者") != std::string::npos);
  EXPECT_EQ(BothWays(sjis, rom_, {"--table-encoding", "Shift_JIS"}), expected);
  EXPECT_EQ(BothWays(sjis, rom_, {"--table-encoding=CP932"}), expected);
  // Taken as they are, its Japanese texts are not the script's.
  EXPECT_NE(BothWays(sjis, rom_, {}).first, expected.first);

  // check sees the same table, line for line.
  const ToolResult original = RunTool({"-t", utf8Table_, "check"});
  const ToolResult converted =
      RunTool({"-t", sjis, "check", "--table-encoding", "Shift_JIS"});
  EXPECT_EQ(converted.status, original.status);
  EXPECT_EQ(converted.out, original.out);
}

TEST_F(LegacyTable, EucJpAndWindows1252TablesGiveTheSameScript) {
  const std::string eucjp =
      dir_.Write("eucjp.tbl", FromUtf8(ReadFile(utf8Table_), "EUC-JP"));
  EXPECT_EQ(BothWays(eucjp, rom_, {"--table-encoding", "EUC-JP"}),
            BothWays(utf8Table_, rom_, {}));

  const std::string western =
      "41=A\r\n80=é\r\n81=ü\r\n82=€uro\r\n83=Œuvre \r\n84=naïve\r\n85=“\r\n";
  const std::string utf8 = dir_.Write("western.tbl", western);
  const std::string cp1252 =
      dir_.Write("cp1252.tbl", FromUtf8(western, "WINDOWS-1252"));
  ASSERT_NE(ReadFile(cp1252), western);
  const std::string rom = dir_.Write("w.rom", "\x80\x41\x81\x82\x83\x84\x85");
  const auto expected = BothWays(utf8, rom, {});
  EXPECT_EQ(expected.first, "éAü€uroŒuvre naïve“");
  EXPECT_EQ(expected.second, ReadFile(rom));
  EXPECT_EQ(BothWays(cp1252, rom, {"--table-encoding", "windows-1252"}),
            expected);
  EXPECT_EQ(BothWays(cp1252, rom, {"--table-encoding", "CP1252"}), expected);
}

TEST_F(LegacyTable, ShiftJisTableLinesBreakWhereTheyWriteABackslashN) {
  // Saved in Shift_JIS: あ\nい, 表 (95 5C) and n, ソ (83 5C) and \n, and a
  // lone 5C, which Shift_JIS reads as the yen sign.
  const std::string table = dir_.Write(
      "sjis.tbl",
      "F0=\x82\xA0\\n\x82\xA2\r\nF1=\x95\x5Cn\r\nF2=\x83\x5C\\n\r\nF3=\\\r\n");
  const std::string rom = dir_.Write("r.rom", "\xF0\xF1\xF2\xF3");
  const std::string script = "あ\nい表nソ\n¥";
  for (const char* encoding : {"Shift_JIS", "SJIS"}) {
    const ToolResult dump =
        RunTool({"-t", table, "--table-syntax=extended", "--table-encoding",
                 encoding, "dump", rom});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, script) << encoding;
    const ToolResult insert =
        RunTool({"-t", table, "--table-syntax=extended", "--table-encoding",
                 encoding, "insert", dir_.Write("s.txt", script)});
    EXPECT_EQ(insert.status, 0) << insert.err;
    EXPECT_EQ(insert.out, ReadFile(rom)) << encoding;
  }
  // The plain syntax, where "\n" means nothing, converts as before: 5C is
  // what the set reads it as.
  const ToolResult plain =
      RunTool({"-t", table, "--table-encoding", "Shift_JIS", "dump", rom});
  EXPECT_EQ(plain.out, "あ¥nい表nソ¥n¥");
  const ToolResult cp932 =
      RunTool({"-t", table, "--table-encoding", "CP932", "dump", rom});
  EXPECT_EQ(cp932.out, "あ\\nい表nソ\\n\\");
}

TEST_F(LegacyTable, UnusableEncodingsAndUnconvertibleLinesAreErrors) {
  const std::string out = dir_.Path("out.txt");
  // Line 4 (after an empty line and a CR LF) holds half a character, line 5
  // a byte Shift_JIS does not have after 81.
  const std::string table =
      dir_.Write("bad.tbl", "41=A\r\n\r\n42=\x82\xA0\n43=\x82\n44=\x81\x39\n");
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"-t", table, "dump", "--table-encoding", "klingon", rom_, "-o", out},
       "Error! Unknown table encoding 'klingon' (iconv -l lists the known "
       "names)\n"},
      {{"-t", table, "check", "--table-encoding=UTF-16"},
       "Error! Table encoding 'UTF-16' cannot be used: the loader reads "
       "codes, \"=\" and line ends as ASCII bytes, which this character set "
       "does not use (save the table as UTF-8 or in an ASCII-based set such "
       "as Shift_JIS)\n"},
      {{"-t", table, "insert", "--table-encoding", "Shift_JIS", rom_, "-o",
        out},
       "Error! Line 4 of table file '" + table +
           "' does not convert from Shift_JIS: incomplete character at the "
           "end of the text: 82 (and 1 more line)\n"},
      {{"-t", table, "roundtrip", "--table-encoding", "Shift_JIS", rom_},
       "Error! Line 4 of table file '" + table +
           "' does not convert from Shift_JIS: incomplete character at the "
           "end of the text: 82 (and 1 more line)\n"},
      {{"-t", table, "--table-encoding", "", "dump"},
       "dalvren-convert: --table-encoding needs the name of a character "
       "set\n"},
  };
  for (const auto& c : cases) {
    const ToolResult r = RunTool(c.args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(c.args);
    EXPECT_TRUE(r.err.starts_with(c.error)) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"bad.tbl"});
  }
  // In windows-1252 the first two lines convert, and 81 is undefined.
  const ToolResult western =
      RunTool({"-t", table, "dump", "--table-encoding", "windows-1252"}, rom_);
  EXPECT_EQ(western.status, 2);
  EXPECT_EQ(western.err, "Error! Line 5 of table file '" + table +
                             "' does not convert from windows-1252: not "
                             "valid windows-1252 at text byte 1: 81 39\n");
}

}  // namespace
}  // namespace dalvren
