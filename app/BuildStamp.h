// The program's build time stamp, "Www Mmm dd hh:mm:ss yyyy", made by the
// compiler from its __DATE__ ("Mmm dd yyyy", the day padded with a blank)
// and __TIME__ ("hh:mm:ss").
#pragma once

#include <array>
#include <string_view>

namespace dalvren {

inline constexpr std::size_t kBuildStampLength = 24;

// The stamp for `date` and `time` in the compiler's forms: 24 characters and
// a terminating zero. The weekday is computed from the date.
constexpr std::array<char, kBuildStampLength + 1> FormatBuildStamp(
    std::string_view date, std::string_view time) {
  constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  constexpr std::string_view kDays = "SunMonTueWedThuFriSat";
  const int month = static_cast<int>(kMonths.find(date.substr(0, 3)) / 3) + 1;
  const int day = (date[4] == ' ' ? 0 : date[4] - '0') * 10 + (date[5] - '0');
  int year = 0;
  for (char c : date.substr(7, 4)) year = year * 10 + (c - '0');
  // Sakamoto's method: days since a fixed Sunday, month by month.
  constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int y = month < 3 ? year - 1 : year;
  const int weekday =
      (y + y / 4 - y / 100 + y / 400 + kOffsets[month - 1] + day) % 7;

  std::array<char, kBuildStampLength + 1> stamp{};
  std::size_t n = 0;
  const auto put = [&stamp, &n](std::string_view s) {
    for (char c : s) stamp[n++] = c;
  };
  put(kDays.substr(static_cast<std::size_t>(weekday) * 3, 3));
  put(" ");
  put(date.substr(0, 3));
  put(" ");
  stamp[n++] = static_cast<char>('0' + day / 10);
  stamp[n++] = static_cast<char>('0' + day % 10);
  put(" ");
  put(time.substr(0, 8));
  put(" ");
  put(date.substr(7, 4));
  return stamp;
}

inline constexpr auto kBuildStamp = FormatBuildStamp(__DATE__, __TIME__);

}  // namespace dalvren
