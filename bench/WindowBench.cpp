// The window on Qt's offscreen platform, through its real widgets: a
// conversion from the click on its button to the target field laid out and
// painted, in each direction and form (hex, text, random bytes), and a
// keystroke in a field that holds millions of characters.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>

#include <benchmark/benchmark.h>

#include "app/Conversion.h"
#include "app/DalvrenApp.h"
#include "app/DalvrenView.h"
#include "app/ResourceIds.h"
#include "framework/FrameWnd.h"

namespace dalvren {
namespace {

QString g_table;
QString g_identityTable;

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

// Deterministic random bytes, every value alike but zero, which would end
// the text a text field's conversion reads.
std::string RandomBytes(std::size_t bytes) {
  std::string out(bytes, '\0');
  unsigned state = 977;
  for (char& c : out) {
    state = state * 1103515245 + 12345;
    c = static_cast<char>(1 + ((state >> 16) % 255));
  }
  return out;
}

// A table that gives every byte but LF and CR (which a table line cannot
// hold) its own byte as text, so that random ROM bytes dump to random
// text: invalid UTF-8, escapes, line feeds.
std::string IdentityTable() {
  std::string file;
  char line[8];
  for (int b = 1; b < 256; ++b) {
    if (b == '\n' || b == '\r') continue;
    std::snprintf(line, sizeof line, "%02X=", b);
    file += line;
    file += static_cast<char>(b);
    file += '\n';
  }
  return file;
}

// The window started on the table `table`, as the program starts it.
class CBenchWindow {
 public:
  explicit CBenchWindow(const QString& table) {
    app.SetArguments({table}, QStringLiteral("dalvren"));
    started = app.InitInstance();
  }
  [[nodiscard]] CDalvrenView* View() const {
    return static_cast<CDalvrenView*>(app.m_pMainWnd->GetActiveView());
  }
  [[nodiscard]] QPlainTextEdit* Field(int id) const {
    return static_cast<QPlainTextEdit*>(View()->GetDlgItem(id));
  }
  // Clicks button `id` and paints the field it fills.
  void Convert(int id, int target) const {
    QTest::mouseClick(View()->GetDlgItem(id), Qt::LeftButton);
    benchmark::DoNotOptimize(Field(target)->viewport()->grab());
  }

  CDalvrenApp app;
  bool started = false;
};

void BM_RomToDumpHexInHexOut(benchmark::State& state) {
  CBenchWindow window(g_table);
  if (!window.started) {
    state.SkipWithError("the window did not start");
    return;
  }
  CDalvrenView* view = window.View();
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
    ->Arg(16 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Hex ROM into the Dump field as text: about two characters per byte.
void BM_RomToDumpHexInTextOut(benchmark::State& state) {
  CBenchWindow window(g_table);
  if (!window.started) {
    state.SkipWithError("the window did not start");
    return;
  }
  const auto bytes = static_cast<std::size_t>(state.range(0));
  window.View()->SetDlgItemTextA(kIdcRom, MakeRomHex(bytes));
  // Measured is the replacement of a full field, which Undo must keep.
  window.Convert(kIdcRomToDump, kIdcDump);
  for (auto _ : state) window.Convert(kIdcRomToDump, kIdcDump);
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["dump_chars"] =
      static_cast<double>(window.Field(kIdcDump)->document()->characterCount());
}
BENCHMARK(BM_RomToDumpHexInTextOut)
    ->Arg(4 * 1024 * 1024)
    ->Arg(16 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// Random ROM bytes, in a ROM field holding the characters themselves,
// into the Dump field as text through a table that maps each byte to
// itself: a Dump of invalid UTF-8, escapes and line feeds.
void BM_RomToDumpRandomBytesAsText(benchmark::State& state) {
  CBenchWindow window(g_identityTable);
  if (!window.started) {
    state.SkipWithError("the window did not start");
    return;
  }
  const auto bytes = static_cast<std::size_t>(state.range(0));
  QTest::mouseClick(window.View()->GetDlgItem(kIdcRomHex), Qt::LeftButton);
  window.View()->SetDlgItemTextA(kIdcRom, RandomBytes(bytes));
  window.Convert(kIdcRomToDump, kIdcDump);
  for (auto _ : state) window.Convert(kIdcRomToDump, kIdcDump);
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["dump_chars"] =
      static_cast<double>(window.Field(kIdcDump)->document()->characterCount());
}
BENCHMARK(BM_RomToDumpRandomBytesAsText)
    ->Arg(16 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The Dump's text of a 16 MiB ROM back into the ROM field as hex.
void BM_DumpToRomTextInHexOut(benchmark::State& state) {
  CBenchWindow window(g_table);
  if (!window.started) {
    state.SkipWithError("the window did not start");
    return;
  }
  const auto bytes = static_cast<std::size_t>(state.range(0));
  window.View()->SetDlgItemTextA(kIdcRom, MakeRomHex(bytes));
  window.Convert(kIdcRomToDump, kIdcDump);
  window.Convert(kIdcDumpToRom, kIdcRom);
  for (auto _ : state) window.Convert(kIdcDumpToRom, kIdcRom);
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_DumpToRomTextInHexOut)
    ->Arg(16 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// One keystroke in the middle of a Dump field that holds the text of a
// 4 MiB ROM (over 8 million characters), from the key to the field
// repainted; the fields are counted only once typing pauses, which the
// benchmark measures apart (BM_CountFieldsAfterTyping).
void BM_KeystrokeInLongField(benchmark::State& state) {
  CBenchWindow window(g_table);
  if (!window.started) {
    state.SkipWithError("the window did not start");
    return;
  }
  window.View()->SetDlgItemTextA(kIdcRom, MakeRomHex(4 * 1024 * 1024));
  window.Convert(kIdcRomToDump, kIdcDump);
  QPlainTextEdit* dump = window.Field(kIdcDump);
  QTextCursor cursor = dump->textCursor();
  cursor.setPosition(dump->document()->characterCount() / 2);
  dump->setTextCursor(cursor);
  dump->setFocus();
  QApplication::processEvents();
  for (auto _ : state) {
    QTest::keyClick(dump, Qt::Key_X);
    benchmark::DoNotOptimize(dump->viewport()->grab());
  }
  state.counters["dump_chars"] =
      static_cast<double>(dump->document()->characterCount());
}
BENCHMARK(BM_KeystrokeInLongField)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50);

// The count of both fields in the status bar, once typing in that field
// pauses: the time the count timer takes when it fires.
void BM_CountFieldsAfterTyping(benchmark::State& state) {
  CBenchWindow window(g_table);
  if (!window.started) {
    state.SkipWithError("the window did not start");
    return;
  }
  window.View()->SetDlgItemTextA(kIdcRom, MakeRomHex(4 * 1024 * 1024));
  window.Convert(kIdcRomToDump, kIdcDump);
  QPlainTextEdit* dump = window.Field(kIdcDump);
  for (auto _ : state) {
    // A click on the Dump's Hex box counts both fields at once.
    QTest::mouseClick(window.View()->GetDlgItem(kIdcDumpHex), Qt::LeftButton);
  }
  state.counters["dump_chars"] =
      static_cast<double>(dump->document()->characterCount());
}
BENCHMARK(BM_CountFieldsAfterTyping)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

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
    const CError status = ConvertText(table.get(), ConvertDirection::kRomToDump,
                                      hex, options, &text);
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
  dalvren::g_identityTable = home.filePath(QStringLiteral("identity.tbl"));
  for (const auto& [path, contents] :
       {std::pair{dalvren::g_table, dalvren::MakeTable()},
        std::pair{dalvren::g_identityTable, dalvren::IdentityTable()}}) {
    QFile table(path);
    if (!table.open(QIODevice::WriteOnly) ||
        table.write(contents.data(), static_cast<qint64>(contents.size())) <
            0) {
      return 1;
    }
  }

  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
