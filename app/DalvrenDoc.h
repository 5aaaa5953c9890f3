// The document: the table loaded from the table file that was opened last,
// and the report on it that the converter's check would print.
#pragma once

#include <memory>
#include <string>

#include "app/StatusText.h"
#include "core/CodeTable.h"
#include "framework/Document.h"
#include "framework/RuntimeClass.h"

namespace dalvren {

inline constexpr char kOpenErrorMessage[] = "Error! Unable to open table file";

// "\"PATH\" holds no table entries.": a file that gave no entry at all is
// no table (a ROM dropped on the window, a text of another kind).
[[nodiscard]] QString NoEntriesMessage(const QString& path);

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
  // `path` in place of the current one, with the report of the converter's
  // check on it. Keeps the current table and returns
  // false, after a stop-icon message, when the file cannot be opened as an
  // input stream (kOpenErrorMessage) or gives no entry at all
  // (NoEntriesMessage). What the load has to report (replaced entries
  // among it) goes to the report, not to standard error.
  bool OnOpenDocument(const QString& path) override;

  // The loaded table, or null before the first successful open.
  std::unique_ptr<CCodeTable> m_pTable;
  // The lines that dalvren-convert -t TABLE check prints for the loaded
  // table, and their counts; empty before the first successful open.
  std::string m_strReport;
  CTableCounts m_counts;
};

}  // namespace dalvren
