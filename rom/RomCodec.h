// What extract and build need of a character table, given to them by the
// program that loaded the table (the converter makes one from either table
// syntax), so that this layer knows nothing of table files.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"

namespace dalvren {

struct CRomCodec {
  // A character of a text that insert had to drop: its bytes in the text.
  struct Drop {
    std::size_t offset = 0;
    std::size_t length = 0;
    // Whether some text of the table holds the character (it could not be
    // read where it stands), or none does.
    bool held = false;
  };

  // Something insert has to say about a place in the text that is no drop
  // (a control code whose parameters the text cuts short).
  struct Note {
    std::size_t offset = 0;
    std::string message;
  };

  // Appends to `text` the script of the ROM bytes `bytes`, as dump writes
  // it, with a <$XX> token for each byte no code covers, so that no byte is
  // lost.
  std::function<void(std::span<const unsigned char> bytes, std::string& text)>
      dump;

  // The length of the string that starts at the first byte of `bytes`, its
  // end code included: where dump, reading from that byte, reads an end code
  // of the table or one of `extra` at the boundary of what it reads (never
  // inside a longer code or a control code's parameters). 0 when there is
  // none in `bytes`.
  std::function<std::size_t(std::span<const unsigned char> bytes,
                            std::span<const std::string> extra)>
      stringLength;

  // Appends to `bytes` the bytes of `text`, as insert writes them (a <$XX>
  // token is read as its byte), and to `drops` and `notes` what it dropped
  // and noted, in text order. Fails (Invalid) when the text cannot be
  // inserted at all, with a message that names the place in the text; the
  // bytes are then unspecified.
  std::function<CError(std::string_view text, std::string& bytes,
                       std::vector<Drop>& drops, std::vector<Note>& notes)>
      insert;

  // The table's own end codes, in the order of the table file; empty for a
  // table without any (the plain syntax has none).
  std::vector<std::string> endCodes;
};

}  // namespace dalvren
