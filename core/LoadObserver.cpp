#include "core/LoadObserver.h"

namespace dalvren {

void ReportReplaced(const CLoadObserver* observer,
                    const CReplacement& replacement) {
  if (observer == nullptr) return;
  if (observer->onReplacement) observer->onReplacement(replacement);
  if (observer->onReplaced) {
    observer->onReplaced(replacement.line, replacement.dictionary);
  }
}

}  // namespace dalvren
