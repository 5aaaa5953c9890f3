// Converting a ROM pasted as hex into the Dump field, shown as hex, through
// the real window on Qt's offscreen platform: from the click on "&>>>>" to
// the Dump field laid out and painted.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sstream>
#include <string>

#include <benchmark/benchmark.h>

#include "app/Conversion.h"
#include "app/DalvrenApp.h"
#include "app/DalvrenView.h"
#include "app/ResourceIds.h"
#include "framework/FrameWnd.h"

namespace dalvren {
namespace {

QString g_table;

// A table like a game's: most bytes a code of their own, and 2,000 two-byte
// codes for kana and kanji in UTF-8; every text different.
std::string MakeTable() {
  std::string file;
  char line[64];
  for (int b = 0; b < 0xE0; ++b) {
    std::snprintf(line, sizeof line, "%02X=%c%c\n", b, 'A' + b % 26,
                  'a' + b / 26);
    file += line;
  }
  for (int i = 0; i < 2000; ++i) {
    const int code = 0x3042 + i % 0x3000;
    std::snprintf(line, sizeof line, "%04X=%c%c%c\n", 0xE000 + i,
                  0xE0 | (code >> 12), 0x80 | ((code >> 6) & 0x3F),
                  0x80 | (code & 0x3F));
    file += line;
  }
  return file;
}

// Deterministic ROM bytes as a hex editor copies them.
std::string MakeRomHex(std::size_t bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes * 3);
  unsigned state = 12345;
  for (std::size_t i = 0; i < bytes; ++i) {
    state = state * 1103515245 + 12345;
    const unsigned b = (state >> 16) & 0xFF;
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
    hex += ' ';
  }
  return hex;
}

void BM_RomToDumpHexInHexOut(benchmark::State& state) {
  CDalvrenApp theApp;
  theApp.SetArguments({g_table}, QStringLiteral("dalvren"));
  if (!theApp.InitInstance()) {
    state.SkipWithError("the window did not start");
    return;
  }
  auto* view = static_cast<CDalvrenView*>(theApp.m_pMainWnd->GetActiveView());
  const auto bytes = static_cast<std::size_t>(state.range(0));
  view->SetDlgItemTextA(kIdcRom, MakeRomHex(bytes));
  QTest::mouseClick(view->GetDlgItem(kIdcDumpHex), Qt::LeftButton);
  auto* dump = static_cast<QPlainTextEdit*>(view->GetDlgItem(kIdcDump));
  for (auto _ : state) {
    QTest::mouseClick(view->GetDlgItem(kIdcRomToDump), Qt::LeftButton);
    benchmark::DoNotOptimize(dump->viewport()->grab());
  }
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["dump_chars"] =
      static_cast<double>(dump->document()->characterCount());
}
BENCHMARK(BM_RomToDumpHexInHexOut)
    ->Arg(256 * 1024)
    ->Arg(1024 * 1024)
    ->Arg(4 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same conversion without the window: the share of the time that is
// the conversion itself.
void BM_ConvertTextHexInHexOut(benchmark::State& state) {
  const std::string file = MakeTable();
  std::istringstream in(file);
  const std::unique_ptr<CCodeTable> table = Load(in);
  const auto bytes = static_cast<std::size_t>(state.range(0));
  const std::string hex = MakeRomHex(bytes);
  CConvertOptions options;
  options.sourceHex = true;
  options.targetHex = true;
  for (auto _ : state) {
    std::string text;
    const CStatus status = ConvertText(
        table.get(), ConvertDirection::kRomToDump, hex, options, &text);
    benchmark::DoNotOptimize(status.IsOk());
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ConvertTextHexInHexOut)
    ->Arg(1024 * 1024)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dalvren

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // The window registers its file type and keeps recent files; a benchmark
  // keeps both to itself.
  const QTemporaryDir home;
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
  dalvren::g_table = home.filePath(QStringLiteral("bench.tbl"));
  QFile table(dalvren::g_table);
  const std::string contents = dalvren::MakeTable();
  if (!table.open(QIODevice::WriteOnly) ||
      table.write(contents.data(), static_cast<qint64>(contents.size())) < 0) {
    return 1;
  }
  table.close();

  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
