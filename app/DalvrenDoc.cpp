#include "app/DalvrenDoc.h"

#include <QFile>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "framework/Afx.h"

namespace dalvren {

const CRuntimeClass<CDocument> CDalvrenDoc::kRuntimeClass =
    MakeRuntimeClass<CDalvrenDoc, CDocument>("CDalvrenDoc");

CDalvrenDoc::CDalvrenDoc() = default;
CDalvrenDoc::~CDalvrenDoc() = default;

void CDalvrenDoc::Serialize(QIODevice& /*file*/) {}

bool CDalvrenDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return false;
  m_pTable.reset();
  return true;
}

bool CDalvrenDoc::OnOpenDocument(const QString& path) {
  if (!CDocument::OnOpenDocument(path)) return false;
  const std::string name = QFile::encodeName(path).toStdString();
  // The framework looked at the file already, but it may have been replaced
  // since; opening a pipe as a stream would wait for a writer for ever.
  std::error_code error;
  std::ifstream in;
  if (std::filesystem::is_regular_file(name, error)) {
    in.open(name, std::ios::in);
  }
  if (!in.is_open()) {
    AfxMessageBox(QString::fromLatin1(kOpenErrorMessage), MB_ICONHAND);
    return false;
  }
  // The old table goes first, so that two large tables never share memory.
  m_pTable.reset();
  m_pTable = Load(in);
  return true;
}

}  // namespace dalvren
