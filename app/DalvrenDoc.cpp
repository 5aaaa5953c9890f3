#include "app/DalvrenDoc.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/TableReport.h"
#include "framework/ModalHooks.h"

namespace dalvren {

namespace {

// The toolkit's conversions for the report's guess at the character set of
// texts that are not UTF-8; where it knows a set only through ICU and was
// built without it, the guess goes on without that set.
CCharsetGuess::ConverterFor ToolkitConverters() {
  return [](const std::string& name) -> CCharsetGuess::Converter {
    if (!QStringDecoder(name.c_str()).isValid()) return {};
    return [name](std::string& text) {
      QStringDecoder decoder(name.c_str(), QStringDecoder::Flag::Stateless);
      const QString decoded = decoder.decode(
          QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
      if (decoder.hasError()) return false;
      text = decoded.toStdString();
      return true;
    };
  };
}

CTableCounts CountsOf(const CTableReport& report) {
  CTableCounts counts;
  counts.entries = report.entries;
  counts.ignored = report.ignored;
  counts.cut = report.cut;
  counts.replaced = report.replaced;
  counts.aliases = report.aliases;
  counts.duplicates = report.duplicates;
  counts.warnings = report.warnings;
  counts.notes = report.notes;
  return counts;
}

}  // namespace

QString NoEntriesMessage(const QString& path) {
  return QStringLiteral("\"%1\" holds no table entries.")
      .arg(QDir::toNativeSeparators(path));
}

const CRuntimeClass<CDocument> CDalvrenDoc::kRuntimeClass =
    MakeRuntimeClass<CDalvrenDoc, CDocument>("CDalvrenDoc");

CDalvrenDoc::CDalvrenDoc() = default;
CDalvrenDoc::~CDalvrenDoc() = default;

void CDalvrenDoc::Serialize(QIODevice& /*file*/) {}

bool CDalvrenDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return false;
  m_pTable.reset();
  m_strReport.clear();
  m_counts = CTableCounts();
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
  std::ostringstream lines;
  CTableReport report(lines, ToolkitConverters());
  std::unique_ptr<CCodeTable> loaded = report.Run(in);
  if (report.entries == 0) {
    AfxMessageBox(NoEntriesMessage(path), MB_ICONHAND);
    return false;
  }
  m_pTable = std::move(loaded);
  m_strReport = lines.str();
  m_counts = CountsOf(report);
  return true;
}

}  // namespace dalvren
