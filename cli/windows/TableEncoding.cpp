// The system side of CTableEncoding on Windows: the system's code pages,
// read one character at a time, with the rules that make each read as the
// C library's set of the same name reads on Linux: the same characters, the
// same bytes refused, the same faults.
#include "cli/TableEncoding.h"

#include <cctype>
#include <cerrno>
#include <string_view>
#include <windows.h>

#include "cli/ExitStatus.h"
#include "cli/SpacedHex.h"
#include "cli/windows/WideText.h"

namespace dalvren {

namespace {

// What Windows' code page reads otherwise than the set of the name.
enum CodePageRule : unsigned {
  // Windows reads bytes that the set leaves undefined as C1 controls.
  kNoC1Controls = 1,
  // Windows reads user-defined codes, which the set lacks, as characters
  // for private use.
  kNoPrivateUse = 2,
  // Shift_JIS is JIS X 0208 alone: code page 932 adds NEC's and IBM's
  // characters, and maps 5C, 7E and six double-byte codes to other
  // characters than JIS does.
  kJisX0208 = 4,
  // EUC-JP: JIS X 0208 in other bytes, read here through its Shift_JIS
  // code; Windows has no full EUC-JP.
  kEucJp = 8,
  // Known, but a table cannot be read in it (not ASCII-based).
  kUnusable = 16,
};

}  // namespace

struct CCodePageSet {
  // The names, the first as messages give it; any case matches.
  std::string_view names;
  UINT codePage;
  unsigned rules;
  // The lead bytes of double-byte characters, in two ranges, as the C
  // library reads the set (code page 932 has more than Shift_JIS): a lead
  // byte alone at the end of a text is an incomplete character, any other
  // byte a wrong one.
  unsigned char leads[4];
};

namespace {

constexpr CCodePageSet kSets[] = {
    {"Shift_JIS SHIFT-JIS SJIS MS_KANJI CSSHIFTJIS",
     932,
     kNoC1Controls | kNoPrivateUse | kJisX0208,
     {0x81, 0x9F, 0xE0, 0xEA}},
    {"CP932 WINDOWS-31J MS932 IBM-943 CSWINDOWS31J",
     932,
     kNoC1Controls,
     {0x81, 0x9F, 0xE0, 0xFC}},
    {"EUC-JP EUCJP UJIS CSEUCPKDFMTJAPANESE",
     932,
     kEucJp | kNoC1Controls | kNoPrivateUse | kJisX0208,
     {}},
    {"GBK CP936 MS936 WINDOWS-936",
     936,
     kNoPrivateUse,
     {0x81, 0xFE, 0x81, 0xFE}},
    {"Big5 BIG-5 BIG-FIVE BIGFIVE CN-BIG5 CSBIG5",
     950,
     0,
     {0xA1, 0xF9, 0xA1, 0xF9}},
    {"windows-1250 CP1250 MS-EE", 1250, kNoC1Controls, {}},
    {"windows-1251 CP1251 MS-CYRL", 1251, kNoC1Controls, {}},
    {"windows-1252 CP1252 MS-ANSI", 1252, kNoC1Controls, {}},
    {"windows-1253 CP1253 MS-GREEK", 1253, kNoC1Controls, {}},
    {"windows-1254 CP1254 MS-TURK", 1254, kNoC1Controls, {}},
    {"windows-1256 CP1256 MS-ARAB", 1256, kNoC1Controls, {}},
    {"windows-1257 CP1257 WINBALTRIM", 1257, kNoC1Controls, {}},
    {"ISO-8859-1 ISO8859-1 ISO_8859-1 LATIN1 L1 CP819 IBM819", 28591, 0, {}},
    {"ISO-8859-2 ISO8859-2 ISO_8859-2 LATIN2 L2", 28592, 0, {}},
    {"ISO-8859-3 ISO8859-3 ISO_8859-3 LATIN3 L3", 28593, 0, {}},
    {"ISO-8859-4 ISO8859-4 ISO_8859-4 LATIN4 L4", 28594, 0, {}},
    {"ISO-8859-9 ISO8859-9 ISO_8859-9 LATIN5 L5", 28599, 0, {}},
    {"ISO-8859-13 ISO8859-13 ISO_8859-13 LATIN7 L7", 28603, 0, {}},
    {"ISO-8859-15 ISO8859-15 ISO_8859-15 LATIN-9 LATIN9", 28605, 0, {}},
    {"UTF-8 UTF8", CP_UTF8, 0, {}},
    {"UTF-16 UTF-16LE UTF-16BE UCS-2 UCS-2LE UCS-2BE UTF-32 UTF-32LE "
     "UTF-32BE UCS-4 UCS-4LE UCS-4BE",
     0,
     kUnusable,
     {}},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

const CCodePageSet* FindSet(std::string_view name) {
  for (const CCodePageSet& set : kSets) {
    std::string_view names = set.names;
    while (!names.empty()) {
      const std::size_t blank = names.find(' ');
      if (SameName(names.substr(0, blank), name)) return &set;
      names.remove_prefix(blank == std::string_view::npos ? names.size()
                                                          : blank + 1);
    }
  }
  return nullptr;
}

// "Shift_JIS, CP932, ..., UTF-8": the first name of each usable set.
std::string KnownNames() {
  std::string known;
  for (const CCodePageSet& set : kSets) {
    if ((set.rules & kUnusable) != 0) continue;
    if (!known.empty()) known += ", ";
    known += set.names.substr(0, set.names.find(' '));
  }
  return known;
}

unsigned char Byte(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]);
}

// How many bytes the character that begins with `lead` takes, as the C
// library reads the set; 1 for a byte that begins none. UTF-8 counts the
// old lead bytes of five and six bytes too.
std::size_t CharacterLength(const CCodePageSet& set, unsigned char lead) {
  if ((set.rules & kEucJp) != 0) {
    if (lead == 0x8F) return 3;
    return lead == 0x8E || (lead >= 0xA0 && lead <= 0xFE) ? 2 : 1;
  }
  if (set.codePage == CP_UTF8) {
    if (lead < 0xC2 || lead > 0xFD) return 1;
    return lead < 0xE0   ? 2
           : lead < 0xF0 ? 3
           : lead < 0xF8 ? 4
           : lead < 0xFC ? 5
                         : 6;
  }
  const unsigned char* leads = set.leads;
  const bool doubleByte = (lead >= leads[0] && lead <= leads[1]) ||
                          (lead >= leads[2] && lead <= leads[3]);
  return doubleByte && lead != 0 ? 2 : 1;
}

// Whether `partial`, a character cut short by the end of the text, is an
// incomplete character rather than a wrong one: its bytes after the lead
// are ones that may follow it.
bool CouldContinue(const CCodePageSet& set, std::string_view partial) {
  for (std::size_t i = 1; i < partial.size(); ++i) {
    const unsigned char byte = Byte(partial, i);
    // The rows of JIS X 0212 that hold characters.
    const bool follows = (set.rules & kEucJp) != 0
                             ? byte >= 0xA2 && byte <= 0xED
                             : byte >= 0x80 && byte <= 0xBF;
    if (!follows) return false;
  }
  return true;
}

// Where code page 932 and JIS X 0208 read one code as different characters.
struct CJisDifference {
  unsigned code;
  wchar_t jis;
};
constexpr CJisDifference kJisDifferences[] = {
    {0x5C, 0x00A5},   {0x7E, 0x203E},   {0x8160, 0x301C}, {0x8161, 0x2016},
    {0x817C, 0x2212}, {0x8191, 0x00A2}, {0x8192, 0x00A3}, {0x81CA, 0x00AC},
};

// Whether `lead` begins one of the NEC and IBM extensions or the
// user-defined codes of code page 932, which JIS X 0208 lacks.
bool IsExtensionLead(unsigned char lead) {
  return lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xF0;
}

// Reads the one character `bytes` of code page `codePage` into `*wide`, as
// `rules` say; false when it is no character of the set.
bool DecodeCodePage(UINT codePage, unsigned rules, std::string_view bytes,
                    std::wstring* wide) {
  if ((rules & kJisX0208) != 0) {
    unsigned code = Byte(bytes, 0);
    if (bytes.size() == 2) {
      if (IsExtensionLead(Byte(bytes, 0))) return false;
      code = code << 8 | Byte(bytes, 1);
    }
    for (const CJisDifference& difference : kJisDifferences) {
      if (difference.code != code) continue;
      wide->assign(1, difference.jis);
      return true;
    }
  }
  wchar_t units[4];
  const int count =
      ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                            static_cast<int>(bytes.size()), units, 4);
  if (count <= 0) return false;
  if (count == 1 && (rules & kNoC1Controls) != 0 && units[0] >= 0x80 &&
      units[0] <= 0x9F) {
    return false;
  }
  if (count == 1 && (rules & kNoPrivateUse) != 0 && units[0] >= 0xE000 &&
      units[0] <= 0xF8FF) {
    return false;
  }
  wide->assign(units, static_cast<std::size_t>(count));
  return true;
}

// EUC-JP: ASCII and C1 controls as they are, half-width katakana after 8E,
// and JIS X 0208 as its Shift_JIS code reads. `bytes` is no JIS X 0212
// character (8F and two more).
bool DecodeEucJp(unsigned rules, std::string_view bytes, std::wstring* wide) {
  const unsigned char first = Byte(bytes, 0);
  if (bytes.size() == 1) {
    if (first >= 0xA0) return false;
    wide->assign(1, static_cast<wchar_t>(first));
    return true;
  }
  const unsigned char second = Byte(bytes, 1);
  if (bytes.size() != 2 || second < 0xA1 || second > 0xFE) return false;
  if (first == 0x8E) {
    if (second > 0xDF) return false;
    wide->assign(1, static_cast<wchar_t>(0xFF61 + (second - 0xA1)));
    return true;
  }
  if (first < 0xA1) return false;
  const unsigned row = first - 0xA0;
  const unsigned cell = second - 0xA0;
  const unsigned lead = ((row - 1) >> 1) + (row <= 62 ? 0x81 : 0xC1);
  const unsigned trail =
      (row & 1) != 0 ? cell + (cell <= 63 ? 0x3F : 0x40) : cell + 0x9E;
  const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  return DecodeCodePage(932, rules, {code, 2}, wide);
}

}  // namespace

CStatus CTableEncoding::OpenConverter(
    const std::string& name, const Options& options,
    std::unique_ptr<CTableEncoding>* encoding) {
  const CCodePageSet* set = FindSet(name);
  if (set == nullptr) {
    return CStatus::Failure(kExitError, "Unknown table encoding '" + name +
                                            "' (on Windows: " + KnownNames() +
                                            ")");
  }
  if ((set->rules & kUnusable) != 0) return Unusable(name);
  *encoding = std::make_unique<CTableEncoding>(Key(), set, name, options);
  return {};
}

CTableEncoding::CTableEncoding(Key, Descriptor cd, std::string name,
                               const Options& options)
    : cd_(cd), name_(std::move(name)), options_(options) {}

// Static data: nothing to free.
CTableEncoding::~CTableEncoding() = default;

CStatus CTableEncoding::Convert(std::string& text) {
  std::string out;
  out.reserve(text.size() * 2 + 16);
  const bool boundaries =
      options_.lineBreakEscapes && text.find("\\n") != std::string::npos;
  std::size_t at = 0;
  CStatus status = boundaries ? ConvertByCharacter(text, at, out)
                              : ConvertRun(text, at, out);
  if (!status.IsOk()) return status;
  text = std::move(out);
  return {};
}

CStatus CTableEncoding::ConvertRun(std::string& text, std::size_t& at,
                                   std::string& out) {
  while (at < text.size()) {
    std::size_t length = 0;
    if (CStatus status = ConvertCharacter(text, at, out, length);
        !status.IsOk()) {
      return status;
    }
    at += length;
  }
  return {};
}

CStatus CTableEncoding::ConvertCharacter(std::string& text, std::size_t at,
                                         std::string& out,
                                         std::size_t& length) {
  const CCodePageSet& set = *cd_;
  const std::string_view rest = std::string_view(text).substr(at);
  const std::size_t need = CharacterLength(set, Byte(rest, 0));
  if (need > rest.size()) {
    return Fault(text, at, CouldContinue(set, rest) ? EINVAL : EILSEQ);
  }
  const std::string_view bytes = rest.substr(0, need);
  const bool eucJp = (set.rules & kEucJp) != 0;
  if (eucJp && need == 3 && CouldContinue(set, bytes.substr(0, 2)) &&
      Byte(bytes, 2) >= 0xA1 && Byte(bytes, 2) <= 0xFE) {
    return CStatus::Failure(
        kExitError,
        "JIS X 0212 character at text byte " + std::to_string(at + 1) +
            ", which only the Linux build converts: " + SpacedHex(bytes, 3));
  }
  std::wstring wide;
  const bool decoded =
      eucJp ? DecodeEucJp(set.rules, bytes, &wide)
            : DecodeCodePage(set.codePage, set.rules, bytes, &wide);
  if (!decoded) return Fault(text, at, EILSEQ);
  out += Utf8FromWide(wide);
  length = need;
  return {};
}

}  // namespace dalvren
