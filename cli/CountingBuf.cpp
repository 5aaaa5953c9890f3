#include "cli/CountingBuf.h"

namespace dalvren {

std::streamsize CCountingBuf::xsputn(const char* s, std::streamsize n) {
  const std::streamsize done = sink_ != nullptr ? sink_->sputn(s, n) : n;
  count += static_cast<std::uint64_t>(done);
  return done;
}

int CCountingBuf::sync() { return sink_ != nullptr ? sink_->pubsync() : 0; }

}  // namespace dalvren
