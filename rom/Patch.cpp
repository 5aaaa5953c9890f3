#include "rom/Patch.h"

#include <string_view>

#include "rom/BpsPatch.h"
#include "rom/IpsPatch.h"

namespace dalvren {

CError MakePatch(PatchFormat format, std::span<const unsigned char> source,
                 std::span<const unsigned char> target, std::string* patch) {
  if (format == PatchFormat::kIps) return MakeIps(source, target, patch);
  MakeBps(source, target, patch);
  return {};
}

CError ApplyPatch(std::span<const unsigned char> patch,
                  std::span<const unsigned char> source, std::string* target) {
  const std::string_view start(reinterpret_cast<const char*>(patch.data()),
                               patch.size());
  if (start.starts_with("PATCH")) return ApplyIps(patch, source, target);
  if (start.starts_with("BPS1")) return ApplyBps(patch, source, target);
  return CError::Invalid(
      "byte 0 of the patch: this is neither an IPS patch (\"PATCH\") nor a "
      "BPS patch (\"BPS1\")");
}

}  // namespace dalvren
