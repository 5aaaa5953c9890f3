#include "core/LoadObserver.h"

#include <iostream>

#include "core/CodeDictionary.h"

namespace dalvren {

void ReportReplaced(const CLoadObserver* observer,
                    const CReplacement& replacement) {
  const bool detailed = WantsReplacements(observer);
  const bool counted = observer != nullptr && observer->onReplaced;
  if (detailed) observer->onReplacement(replacement);
  if (counted) observer->onReplaced(replacement.line, replacement.dictionary);
  if (!detailed && !counted) std::cerr << kReplacingNotice << std::endl;
}

}  // namespace dalvren
