// The document: the table loaded from the table file that was opened last.
#pragma once

#include <memory>

#include "core/CodeTable.h"
#include "framework/Document.h"
#include "framework/RuntimeClass.h"

namespace dalvren {

inline constexpr char kOpenErrorMessage[] = "Error! Unable to open table file";

class CDalvrenDoc : public CDocument {
 public:
  static const CRuntimeClass<CDocument> kRuntimeClass;

  CDalvrenDoc();
  ~CDalvrenDoc() override;

  // The table lives in the file; the document never reads or writes it
  // through the framework's file.
  void Serialize(QIODevice& file) override;

  // Starts without a table, releasing any table loaded before.
  bool OnNewDocument() override;

  // After the framework's own open step succeeded, loads the table from
  // `path` in place of the current one. When the file cannot be opened as
  // an input stream, shows kOpenErrorMessage and returns false, keeping the
  // current table. Every file that opens loads (see Load).
  bool OnOpenDocument(const QString& path) override;

  // The loaded table, or null before the first successful open.
  std::unique_ptr<CCodeTable> m_pTable;
};

}  // namespace dalvren
