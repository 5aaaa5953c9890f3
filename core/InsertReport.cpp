#include "core/InsertReport.h"

#include <cstdio>

#include "core/ByteToken.h"
#include "core/HexCodec.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

std::string_view Text(std::span<const unsigned char> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The code point of a well-formed UTF-8 character.
std::uint32_t CodePoint(std::string_view c) {
  const auto b = [&c](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(c[i]));
  };
  switch (c.size()) {
    case 1:
      return b(0);
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) |
             ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  }
}

std::string Hex2(unsigned char byte) {
  return {kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
}

// How far a token's spelling goes from `at` ("<$", up to two hexadecimal
// digits, ">"), or 0 when no token is begun there.
std::size_t TokenSpelling(std::span<const unsigned char> text) {
  if (text.size() < 2 || text[0] != '<' || text[1] != '$') return 0;
  std::size_t end = 2;
  while (end < 4 && end < text.size() &&
         IsHexDigit(static_cast<char>(text[end]))) {
    ++end;
  }
  if (end == 4 && end < text.size() && text[end] == '>') ++end;
  return end;
}

}  // namespace

std::string QuotedBytes(std::string_view bytes) {
  std::string out;
  const std::span<const unsigned char> text(
      reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8CharLength(text.subspan(i));
    const unsigned char b = text[i];
    if (length > 1 || (b >= 0x20 && b < 0x7F)) {
      if (b == '"' || b == '\\') out += '\\';
      out.append(bytes.substr(i, length));
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\t') {
      out += "\\t";
    } else {
      out += "\\x" + Hex2(b);
    }
    i += length;
  }
  return out;
}

CInsertReport::CInsertReport(std::span<const unsigned char> script,
                             CHeldCharacters& held, Options options)
    : script_(script), held_(held), options_(std::move(options)) {}

void CInsertReport::Add(const Finding& finding) {
  // A place read greedily where the greedy reading then drops a character
  // is told by the drop alone.
  const bool drop = finding.kind == Finding::Kind::kDropped ||
                    finding.kind == Finding::Kind::kToken;
  if (drop && lastInexact_ && lastFrom_ == finding.from) {
    --inexact_;
    if (findingCount_ <= kShownFindings) {
      findings_.back() = finding;
      described_.back() = Describe(finding);
    }
    lastInexact_ = false;
    return;
  }
  lastInexact_ = !drop;
  lastFrom_ = finding.from;
  ++findingCount_;
  if (findings_.size() < kShownFindings) {
    findings_.push_back(finding);
    described_.push_back(Describe(finding));
  }
}

void CInsertReport::Dropped(std::size_t offset) {
  if (offset < droppedTo_) return;
  const CUtf8Char c = Utf8CharAt(script_, offset);
  droppedTo_ = c.end;
  ++dropped_;
  if (offset < tokenTo_) {
    // Only the token finding shown last can still be told more precisely.
    if (findingCount_ <= kShownFindings && !findings_.empty() &&
        findings_.back().kind == Finding::Kind::kToken) {
      findings_.back().dropped.append(
          Text(script_.subspan(c.start, c.end - c.start)));
      described_.back() = Describe(findings_.back());
    }
    return;
  }
  const std::size_t spelling = TokenSpelling(script_.subspan(c.start));
  if (spelling > 0) {
    unsigned char byte = 0;
    const bool whole = ReadByteToken(script_.subspan(c.start), byte);
    if (!whole || !options_.tokens) {
      tokenTo_ = c.start + spelling;
      Add({Finding::Kind::kToken, c.start, tokenTo_,
           std::string(Text(script_.subspan(c.start, c.end - c.start)))});
      return;
    }
  }
  Add({Finding::Kind::kDropped, c.start, c.end, {}});
}

void CInsertReport::Inexact(std::size_t offset, bool bounded) {
  if (offset < tokenTo_) return;
  ++inexact_;
  Add({bounded ? Finding::Kind::kGaveUp : Finding::Kind::kInexact,
       offset,
       offset,
       {}});
}

std::string CInsertReport::Describe(const Finding& finding) {
  const std::string_view text =
      Text(script_.subspan(finding.from, finding.to - finding.from));
  switch (finding.kind) {
    case Finding::Kind::kDropped:
      return DroppedCharacter(text, held_.Holds(text));
    case Finding::Kind::kToken: {
      const std::string quoted = "\"" + QuotedBytes(text) + "\"";
      // Characters of the spelling that a table entry holds are read as
      // text; say which were lost.
      const std::string lost =
          finding.dropped == text
              ? std::string("dropped")
              : "\"" + QuotedBytes(finding.dropped) + "\" dropped";
      if (text.size() == kByteTokenLength) {
        return quoted + " is a token, but tokens are not read" +
               (options_.tokensHint.empty()
                    ? std::string()
                    : " without " + options_.tokensHint) +
               ": " + lost;
      }
      return quoted + " is not a token: it needs " +
             (text.size() == 4 ? "\">\"" : "two hexadecimal digits and \">\"") +
             "; " + lost;
    }
    case Finding::Kind::kInexact:
    case Finding::Kind::kGaveUp: {
      std::size_t end = finding.from;
      for (int n = 0; n < 12 && end < script_.size() && script_[end] != '\n';
           ++n) {
        end += Utf8CharLength(script_.subspan(end));
      }
      const std::string quoted =
          "\"" +
          QuotedBytes(Text(script_.subspan(finding.from, end - finding.from))) +
          (end < script_.size() && script_[end] != '\n' ? "..." : "") + "\"";
      return finding.kind == Finding::Kind::kInexact
                 ? "no reading of " + quoted +
                       " dumps back to it: read greedily"
                 : "the search gave up on " + quoted +
                       " (too many ways to read it): read greedily";
    }
  }
  return {};
}

std::vector<std::string> CInsertReport::Lines(
    const std::function<std::string(std::size_t offset)>& place,
    std::string_view name) const {
  std::vector<std::string> lines;
  if (Clean()) return lines;
  for (std::size_t i = 0; i < findings_.size(); ++i) {
    lines.push_back(place(findings_[i].from) + ": " + described_[i]);
  }
  if (findingCount_ > findings_.size()) {
    lines.push_back(std::string(name) + ": and " +
                    std::to_string(findingCount_ - findings_.size()) + " more");
  }
  lines.push_back(DroppedTotal(name, dropped_, inexact_));
  return lines;
}

std::string DroppedCharacter(std::string_view c, bool held) {
  const char* why =
      held ? "no table entry takes it here" : "no table entry holds it";
  if (static_cast<unsigned char>(c[0]) >= 0x80 && !IsValidUtf8(c)) {
    return "dropped byte " + Hex2(static_cast<unsigned char>(c[0])) +
           " (not UTF-8): " + why;
  }
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", CodePoint(c));
  return "dropped \"" + QuotedBytes(c) + "\" (" + code + "): " + why;
}

std::string DroppedTotal(std::string_view name, std::uint64_t dropped,
                         std::uint64_t inexact) {
  std::string total = std::string(name) + ": ";
  if (dropped > 0) {
    total += std::to_string(dropped) +
             (dropped == 1 ? " character" : " characters") + " dropped";
  }
  if (inexact > 0) {
    if (dropped > 0) total += ", ";
    total += std::to_string(inexact) +
             (inexact == 1 ? " place that does" : " places that do") +
             " not read back as written";
  }
  return total;
}

}  // namespace dalvren
