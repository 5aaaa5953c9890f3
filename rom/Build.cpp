#include "rom/Build.h"

#include "rom/RomBuilder.h"

namespace dalvren {

CError Build(const CScript& script, std::span<unsigned char> rom,
             const CRomCodec& codec, const CBuildOptions& options,
             CBuildResult* result) {
  return CRomBuilder(script, rom, codec, result).Run(options);
}

}  // namespace dalvren
