#include "core/LoadObserver.h"

#include <iostream>

#include "core/CodeDictionary.h"

namespace dalvren {

void ReportReplaced(const CLoadObserver* observer, std::size_t line,
                    TableDictionary dictionary) {
  if (observer != nullptr && observer->onReplaced) {
    observer->onReplaced(line, dictionary);
  } else {
    std::cerr << kReplacingNotice << std::endl;
  }
}

}  // namespace dalvren
