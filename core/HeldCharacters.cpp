#include "core/HeldCharacters.h"

#include <algorithm>

namespace dalvren {

void CHeldCharacters::Add(std::string_view text) {
  texts_.emplace_back(text);
  // What was not held may be now.
  if (asked_) {
    byte_.fill(0);
    longer_.clear();
    asked_ = false;
  }
}

bool CHeldCharacters::Find(std::string_view what) const {
  return std::any_of(texts_.begin(), texts_.end(), [what](const auto& text) {
    return text.find(what) != std::string::npos;
  });
}

bool CHeldCharacters::Holds(std::string_view c) {
  asked_ = true;
  if (c.size() == 1) {
    std::int8_t& known = byte_[static_cast<unsigned char>(c[0])];
    if (known == 0) known = Find(c) ? 1 : -1;
    return known > 0;
  }
  if (const auto found = longer_.find(std::string(c)); found != longer_.end()) {
    return found->second;
  }
  const bool held = Find(c);
  longer_.emplace(std::string(c), held);
  return held;
}

}  // namespace dalvren
