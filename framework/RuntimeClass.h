// Class records: the name of a class the framework makes on its own, and
// how to make one.
#pragma once

#include <memory>

namespace dalvren {

template <class Base>
struct CRuntimeClass {
  const char* m_lpszClassName;
  std::unique_ptr<Base> (*m_pfnCreateObject)();

  [[nodiscard]] std::unique_ptr<Base> CreateObject() const {
    return m_pfnCreateObject();
  }
};

// The record of `T`, made as a `Base`, under `name`.
template <class T, class Base>
constexpr CRuntimeClass<Base> MakeRuntimeClass(const char* name) {
  return {name,
          []() -> std::unique_ptr<Base> { return std::make_unique<T>(); }};
}

}  // namespace dalvren
