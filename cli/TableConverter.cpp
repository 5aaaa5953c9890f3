#include "cli/TableConverter.h"

#include <string>
#include <utility>

#include "cli/ExitStatus.h"
#include "core/ByteToken.h"
#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/KeyMatch.h"
#include "core/Utf8.h"

namespace dalvren {

CTableConverter::CTableConverter(std::unique_ptr<CCodeTable> table)
    : ownedPlain_(std::move(table)), plain_(ownedPlain_.get()) {}

CTableConverter::CTableConverter(const CCodeTable& table) : plain_(&table) {}

CTableConverter::CTableConverter(std::unique_ptr<CExtendedTable> table)
    : extended_(std::move(table)) {}

void CTableConverter::Dump(std::ostream& out,
                           std::span<const unsigned char> input,
                           const DumpOptions& options) const {
  std::function<void(std::size_t, unsigned char, std::string&)> onSkip;
  if (options.tokens || options.onSkip) {
    onSkip = [&options](std::size_t offset, unsigned char byte,
                        std::string& emit) {
      if (options.onSkip) options.onSkip(offset);
      if (options.tokens) AppendByteToken(byte, emit);
    };
  }
  if (extended_) {
    CExtendedDumpOptions extended;
    extended.onSkip = onSkip;
    extended.onShortParameters = options.onShortParameters;
    extended.onTooDeep = options.onTooDeep;
    DumpExtended(*extended_, out, input, extended);
    return;
  }
  CTranslateHooks hooks;
  hooks.onSkip = onSkip;
  plain_->forward->Translate(out, input, hooks);
}

CStatus CTableConverter::Insert(std::ostream& out,
                                std::span<const unsigned char> script,
                                const InsertOptions& options) const {
  if (extended_) {
    CExtendedInsertOptions extended;
    extended.tokens = options.tokens;
    extended.optimal = options.optimal;
    extended.onSkip = options.onSkip;
    extended.onShortParameters = options.onShortParameters;
    extended.onInexact = options.onInexact;
    CScriptFault fault;
    if (InsertExtended(*extended_, out, script, extended, &fault)) return {};
    const CExtendedTable::Entry& control = extended_->entries[fault.entry];
    const std::string needed =
        control.count == 1 ? std::string("1 parameter byte as a <$XX> token")
                           : std::to_string(control.count) +
                                 " parameter bytes as <$XX> tokens";
    const std::string found =
        fault.have == 0   ? std::string("none follows")
        : fault.have == 1 ? std::string("only 1 follows")
                          : "only " + std::to_string(fault.have) + " follow";
    return CStatus::Failure(kExitError, TextPosition(script, fault.offset) +
                                            ": control code \"" + control.word +
                                            "\" needs " + needed +
                                            " after it; " + found);
  }
  CTranslateHooks hooks =
      options.tokens ? TokenReadingHooks() : CTranslateHooks();
  if (options.onSkip) {
    hooks.onSkip = [&options](std::size_t offset, unsigned char, std::string&) {
      options.onSkip(offset);
    };
  }
  if (options.optimal) {
    plain_->reverse->TranslateShortest(out, script, hooks);
  } else {
    plain_->reverse->Translate(out, script, hooks);
  }
  return {};
}

CHeldCharacters CTableConverter::HeldCharacters(bool tokens) const {
  CHeldCharacters held;
  const auto add = [&held](std::string_view text, const CByteString&) {
    held.Add(text);
  };
  if (extended_) {
    for (const CExtendedTable::Section& section : extended_->sections) {
      ForEachKey(*section.words, add);
    }
  } else {
    ForEachKey(*plain_->reverse, add);
  }
  if (tokens) held.Add("<$>0123456789ABCDEFabcdef");
  return held;
}

std::string TextPosition(std::span<const unsigned char> text,
                         std::size_t offset) {
  const CTextPlace place = PlaceInText(text, offset);
  return "line " + std::to_string(place.line) + ", column " +
         std::to_string(place.column);
}

}  // namespace dalvren
