#include "rom/RelativePattern.h"

#include <cassert>
#include <map>
#include <optional>

#include "core/Utf8.h"

namespace dalvren {

namespace {

std::vector<std::string> Characters(std::string_view text) {
  std::vector<std::string> characters;
  const std::span<const unsigned char> bytes(
      reinterpret_cast<const unsigned char*>(text.data()), text.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8CharLength(bytes.subspan(i));
    characters.emplace_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

CRelativePattern::Group Range(std::string name, char first, char last) {
  CRelativePattern::Group group;
  group.name = std::move(name);
  for (char c = first; c <= last; ++c) group.letters.emplace_back(1, c);
  return group;
}

// The alphabets a character may belong to, --alphabet first, and where each
// character is.
class CAlphabets {
 public:
  explicit CAlphabets(const std::vector<std::string>& custom) {
    if (!custom.empty()) {
      CRelativePattern::Group group;
      group.name = "--alphabet";
      group.letters = custom;
      groups_.push_back(std::move(group));
    }
    groups_.push_back(Range("A-Z", 'A', 'Z'));
    groups_.push_back(Range("a-z", 'a', 'z'));
    groups_.push_back(Range("0-9", '0', '9'));
    for (std::size_t g = groups_.size(); g-- > 0;) {
      const auto& letters = groups_[g].letters;
      for (std::size_t i = 0; i < letters.size(); ++i) {
        where_[letters[i]] = {g, static_cast<std::uint32_t>(i)};
      }
    }
  }

  struct Place {
    std::size_t group;
    std::uint32_t index;
  };
  [[nodiscard]] std::optional<Place> Find(const std::string& letter) const {
    const auto found = where_.find(letter);
    if (found == where_.end()) return std::nullopt;
    return found->second;
  }
  [[nodiscard]] const CRelativePattern::Group& At(std::size_t g) const {
    return groups_[g];
  }

 private:
  std::vector<CRelativePattern::Group> groups_;
  std::map<std::string, Place> where_;
};

CError CheckAlphabet(const std::vector<std::string>& letters, unsigned width) {
  const std::size_t values = std::size_t{1} << (8 * width);
  if (letters.size() < 2) {
    return CError::Invalid("--alphabet needs at least two letters");
  }
  if (letters.size() > values) {
    return CError::Invalid(
        "--alphabet has " + std::to_string(letters.size()) + " letters; " +
        (width == 1 ? "one byte tells at most 256 apart (try --width 2)"
                    : "two bytes tell at most 65536 apart"));
  }
  std::map<std::string, std::size_t> seen;
  for (const std::string& letter : letters) {
    if (letter == "?") {
      return CError::Invalid(
          "--alphabet cannot hold \"?\", which stands for a unit of any "
          "value");
    }
    if (++seen[letter] == 2) {
      return CError::Invalid("--alphabet holds \"" + letter + "\" twice");
    }
  }
  return {};
}

}  // namespace

CError CRelativePattern::Parse(std::string_view word, const Options& options,
                               std::unique_ptr<CRelativePattern>* pattern) {
  assert(options.width == 1 || options.width == 2);
  const std::vector<std::string> custom = Characters(options.alphabet);
  if (!options.alphabet.empty()) {
    if (CError error = CheckAlphabet(custom, options.width); !error.IsOk()) {
      return error;
    }
  }
  if (word.empty()) return CError::Invalid("WORD is empty");
  const CAlphabets alphabets(custom);
  std::unique_ptr<CRelativePattern> made(new CRelativePattern());
  made->width_ = options.width;
  made->mask_ = options.width == 1 ? 0xFF : 0xFFFF;
  // Each alphabet's place in `groups_` once one of its letters was seen.
  std::map<std::size_t, std::size_t> groupOf;
  for (const std::string& c : Characters(word)) {
    const std::size_t unit = made->units_++;
    if (c == "?") continue;
    const auto place = alphabets.Find(c);
    if (!place) {
      return CError::Invalid(
          "\"" + c +
          "\" in WORD is in no alphabet (A-Z, a-z, 0-9 or --alphabet): write "
          "? for a unit of any value");
    }
    const auto [it, added] =
        groupOf.try_emplace(place->group, made->groups_.size());
    if (added) {
      const Group& alphabet = alphabets.At(place->group);
      made->groups_.push_back({alphabet.name, alphabet.letters, {}, {}});
    }
    made->groups_[it->second].units.push_back(unit);
    made->groups_[it->second].indices.push_back(place->index);
  }
  if (made->groups_.empty()) {
    return CError::Invalid("WORD has no letter, only ?");
  }
  for (const Group& group : made->groups_) {
    if (group.units.size() < 2) {
      return CError::Invalid(
          "WORD has a single letter of " + group.name + " (\"" +
          group.letters[group.indices.front()] +
          "\"): its code cannot be told from one letter; write ? in its "
          "place or give more letters of " +
          group.name);
    }
  }
  made->ChooseAnchor();
  *pattern = std::move(made);
  return {};
}

void CRelativePattern::ChooseAnchor() {
  const auto take = [this](const Group& group, std::size_t k) {
    anchor_.first = group.units[0] * width_;
    anchor_.second = group.units[k] * width_;
    anchor_.difference = (group.indices[k] - group.indices[0]) & mask_;
  };
  for (const Group& group : groups_) {
    for (std::size_t k = 1; k < group.units.size(); ++k) {
      if (group.indices[k] != group.indices[0]) {
        take(group, k);
        return;
      }
    }
  }
  take(groups_.front(), 1);
}

bool CRelativePattern::Matches(const unsigned char* at, ByteOrder order,
                               std::span<std::uint32_t> bases) const {
  assert(bases.size() >= groups_.size());
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    const Group& group = groups_[g];
    const std::uint32_t base =
        (UnitAt(at + group.units[0] * width_, order) - group.indices[0]) &
        mask_;
    for (std::size_t k = 1; k < group.units.size(); ++k) {
      const std::uint32_t value = UnitAt(at + group.units[k] * width_, order);
      if (((value - group.indices[k]) & mask_) != base) return false;
    }
    bases[g] = base;
  }
  return true;
}

}  // namespace dalvren
