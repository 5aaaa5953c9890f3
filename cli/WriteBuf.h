// A stream buffer with no buffer of its own: every write reaches xsputn, a
// single byte as a write of one.
#pragma once

#include <streambuf>

namespace dalvren {

class CWriteBuf : public std::streambuf {
 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }
};

}  // namespace dalvren
