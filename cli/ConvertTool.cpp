#include "cli/ConvertTool.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <iostream>
#include <memory>
#include <new>
#include <ostream>
#include <streambuf>
#include <string>

#include "cli/ByteToken.h"
#include "cli/CommandLine.h"
#include "cli/HexWriteBuf.h"
#include "cli/InputFile.h"
#include "cli/Manual.h"
#include "cli/OutputFile.h"
#include "cli/RoundTrip.h"
#include "cli/TableCheck.h"
#include "cli/TableEncoding.h"
#include "core/CodeTable.h"
#include "core/Utf8.h"

namespace dalvren {

#ifndef DALVREN_VERSION
#define DALVREN_VERSION "unknown"
#endif

namespace {

constexpr const char* kProgram = "dalvren-convert";

// Swallows whatever is written to it.
class CNullBuf : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Sends standard error to nowhere while it lives, for the loader's
// "Replacing old value" lines under -q.
class CSilencedStderr {
 public:
  explicit CSilencedStderr(bool active)
      : saved_(active ? std::cerr.rdbuf(&null_) : nullptr) {}
  ~CSilencedStderr() {
    if (saved_ != nullptr) std::cerr.rdbuf(saved_);
  }
  CSilencedStderr(const CSilencedStderr&) = delete;
  CSilencedStderr& operator=(const CSilencedStderr&) = delete;

 private:
  CNullBuf null_;
  std::streambuf* saved_;
};

// Passes everything on to `sink` (or nowhere, when null) and counts it.
class CCountingBuf : public std::streambuf {
 public:
  explicit CCountingBuf(std::streambuf* sink) : sink_(sink) {}

  std::uint64_t count = 0;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const std::streamsize done = sink_ != nullptr ? sink_->sputn(s, n) : n;
    count += static_cast<std::uint64_t>(done);
    return done;
  }
  int sync() override { return sink_ != nullptr ? sink_->pubsync() : 0; }

 private:
  std::streambuf* sink_;
};

// Converts the texts of a table as it loads, and remembers the lines whose
// text does not convert: the load cannot stop midway, so the failure is
// reported once it is over.
struct CTextConversion {
  void operator()(std::size_t line, std::string& text) {
    std::string error;
    if (encoding->Convert(text, error)) return;
    if (failures++ == 0) {
      firstLine = line;
      firstError = error;
    }
  }

  CTableEncoding* encoding = nullptr;
  std::size_t failures = 0;
  std::size_t firstLine = 0;
  std::string firstError;
};

int Fail(const std::string& message) {
  std::cerr << "Error! " << message << std::endl;
  return kExitError;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// "input file 'x'" or "standard input", for messages.
std::string Naming(const std::string& path, const char* kind,
                   const char* standard) {
  return path == "-" ? std::string(standard)
                     : std::string(kind) + " file " + Quoted(path);
}

std::unique_ptr<CCodeTable> LoadTable(const CCommandLine& line,
                                      CTableCheck* check, int& status) {
  std::string reason;
  std::unique_ptr<CTableEncoding> encoding;
  if (!line.tableEncoding.empty()) {
    encoding = CTableEncoding::Open(line.tableEncoding, reason);
    if (!encoding) {
      status = Fail(reason);
      return nullptr;
    }
  }
  const auto file = CInputFile::Open(line.table, true, reason);
  if (!file) {
    status =
        Fail("Unable to open table file " + Quoted(line.table) + ": " + reason);
    return nullptr;
  }
  std::istream in(file.get());
  std::unique_ptr<CCodeTable> table;
  CTextConversion conversion;
  conversion.encoding = encoding.get();
  std::function<void(std::size_t, std::string&)> convert;
  if (encoding) {
    convert = [&conversion](std::size_t number, std::string& text) {
      conversion(number, text);
    };
  }
  {
    // check reports every replacement itself, with the lines involved.
    CSilencedStderr quiet(line.quiet || check != nullptr);
    if (check != nullptr) {
      table = check->Run(in, convert);
    } else {
      CLoadObserver observer;
      observer.convertText = convert;
      table = Load(in, observer);
    }
  }
  if (const std::string error = file->Error(); !error.empty()) {
    status =
        Fail("Unable to read table file " + Quoted(line.table) + ": " + error);
    return nullptr;
  }
  if (conversion.failures > 0) {
    const std::size_t more = conversion.failures - 1;
    status = Fail("Line " + std::to_string(conversion.firstLine) +
                  " of table file " + Quoted(line.table) +
                  " does not convert from " + line.tableEncoding + ": " +
                  conversion.firstError +
                  (more > 0 ? " (and " + std::to_string(more) +
                                  (more == 1 ? " more line)" : " more lines)")
                            : ""));
    return nullptr;
  }
  return table;
}

int RunCheck(const CCommandLine& line) {
  CTableCheck check(std::cout);
  int status = kExitOk;
  if (!LoadTable(line, &check, status)) return status;
  std::cout.flush();
  if (!std::cout) return Fail("Unable to write standard output");
  const bool found = !check.Clean() || (line.strict && check.warnings > 0);
  return found ? kExitCheckFound : kExitOk;
}

// Reads the input named on the command line, decodes it with --hex-in, and
// selects the range of --offset and --length. `bytes` and `decoded` keep
// the data that `range` points into.
bool ReadRange(const CCommandLine& line, CInputBytes& bytes,
               std::unique_ptr<CByteString>& decoded,
               std::span<const unsigned char>& range, int& status) {
  std::string reason;
  const std::string inputName = Naming(line.input, "input", "standard input");
  {
    const auto input = CInputFile::Open(line.input, false, reason);
    if (!input) {
      status = Fail("Unable to open " + inputName + ": " + reason);
      return false;
    }
    if (!input->ReadAll(bytes, kMaxByteStringLength, reason)) {
      status = Fail("Unable to read " + inputName + ": " + reason);
      return false;
    }
  }
  std::span<const unsigned char> all = bytes.Bytes();
  if (line.hexIn) {
    // Read as the window's Hex fields read their text: up to a zero byte.
    decoded = FromHex(bytes.data.get());
    bytes = CInputBytes();
    all = decoded->Bytes();
  }

  const std::uint64_t size = all.size();
  const std::uint64_t offset = line.offset.value_or(0);
  if (offset > size) {
    status = Fail("Offset " + std::to_string(offset) +
                  " is past the end of the input (" + std::to_string(size) +
                  " bytes)");
    return false;
  }
  const std::uint64_t length = line.length.value_or(size - offset);
  if (length > size - offset) {
    status =
        Fail("Range of " + std::to_string(length) + " bytes at offset " +
             std::to_string(offset) + " reaches past the end of the input (" +
             std::to_string(size) + " bytes)");
    return false;
  }
  range = all.subspan(offset, length);
  return true;
}

// Counts the characters of a text that lose a byte, as the shortest
// insertion counts them: a character (Utf8.h) is dropped when any of its
// bytes is skipped. Skipped bytes must be reported in increasing order.
class CDroppedCharacters {
 public:
  explicit CDroppedCharacters(std::span<const unsigned char> text)
      : text_(text) {}

  void Skipped(std::size_t offset) {
    const std::size_t start = Utf8CharAt(text_, offset).start;
    if (count > 0 && start == lastStart_) return;
    lastStart_ = start;
    ++count;
  }

  std::uint64_t count = 0;

 private:
  std::span<const unsigned char> text_;
  std::size_t lastStart_ = 0;
};

// Translates `range` as dump or insert does with the options of `line`, and
// returns the characters of text that insert had to drop.
std::uint64_t Convert(const CCommandLine& line, const CCodeTable& table,
                      std::ostream& out, std::span<const unsigned char> range) {
  const bool hex = line.unknown == UnknownBytes::kHex;
  if (line.command == Command::kDump) {
    if (hex) {
      table.forward->Translate(out, range, TokenWritingHooks());
    } else {
      table.forward->Translate(out, range);
    }
    return 0;
  }
  CDroppedCharacters dropped(range);
  CTranslateHooks hooks = hex ? TokenReadingHooks() : CTranslateHooks();
  hooks.onSkip = [&dropped](std::size_t offset, unsigned char, std::string&) {
    dropped.Skipped(offset);
  };
  if (line.optimal) {
    table.reverse->TranslateShortest(out, range, hooks);
  } else {
    table.reverse->Translate(out, range, hooks);
  }
  return dropped.count;
}

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 || n == -1 ? one : many);
}

// The figures of --stats: the bytes written and the characters of text
// skipped, and with --optimal how that compares with the greedy insertion.
void PrintStats(const CCommandLine& line, const CCodeTable& table,
                std::span<const unsigned char> range, std::uint64_t written,
                std::uint64_t skipped) {
  std::cerr << "bytes written:           " << written << '\n'
            << "text characters skipped: " << skipped << '\n';
  if (line.optimal) {
    CCommandLine greedy = line;
    greedy.optimal = false;
    CCountingBuf counter(nullptr);
    std::ostream nowhere(&counter);
    const std::uint64_t greedySkipped = Convert(greedy, table, nowhere, range);
    const auto saved = static_cast<std::int64_t>(counter.count) -
                       static_cast<std::int64_t>(written);
    std::cerr << "saved against greedy:    " << Plural(saved, "byte", "bytes")
              << " (greedy writes " << counter.count;
    if (greedySkipped > skipped) {
      std::cerr << " but skips "
                << Plural(static_cast<std::int64_t>(greedySkipped - skipped),
                          "text character", "text characters")
                << " more";
    }
    std::cerr << ")\n";
  }
  std::cerr.flush();
}

// What dump, insert and roundtrip start from: the table, and the selected
// range of the input (`bytes` and `decoded` keep the data it points into).
struct CConversionInput {
  std::unique_ptr<CCodeTable> table;
  CInputBytes bytes;
  std::unique_ptr<CByteString> decoded;
  std::span<const unsigned char> range;
};

// Loads the table and reads the input's range; on failure reports it, sets
// `status` and returns false.
bool Prepare(const CCommandLine& line, CConversionInput& input, int& status) {
  input.table = LoadTable(line, nullptr, status);
  return input.table != nullptr &&
         ReadRange(line, input.bytes, input.decoded, input.range, status);
}

int RunConvert(const CCommandLine& line) {
  int status = kExitOk;
  CConversionInput input;
  if (!Prepare(line, input, status)) return status;
  const CCodeTable& table = *input.table;
  const std::span<const unsigned char> range = input.range;

  std::string reason;
  const std::string outputName =
      Naming(line.output, "output", "standard output");
  const auto output = COutputFile::Open(line.output, reason);
  if (!output) return Fail("Unable to open " + outputName + ": " + reason);
  std::uint64_t written = 0;
  std::uint64_t skipped = 0;
  {
    CHexWriteBuf hex(*output);
    CCountingBuf counter(line.hexOut ? static_cast<std::streambuf*>(&hex)
                                     : output.get());
    std::ostream out(&counter);
    skipped = Convert(line, table, out, range);
    out.flush();
    // The bytes converted, before any hex rendering.
    written = counter.count;
  }
  if (!output->Commit(reason)) {
    return Fail("Unable to write " + outputName + ": " + reason);
  }
  if (line.stats) {
    PrintStats(line, table, range, written, skipped);
  }
  return kExitOk;
}

int RunRoundTrip(const CCommandLine& line) {
  int status = kExitOk;
  CConversionInput input;
  if (!Prepare(line, input, status)) return status;
  const CCodeTable& table = *input.table;
  const std::span<const unsigned char> range = input.range;
  const CRoundTrip trip(table, range, line.offset.value_or(0),
                        line.unknown == UnknownBytes::kHex, line.optimal);
  trip.Print(std::cout);
  std::cout.flush();
  if (!std::cout) return Fail("Unable to write standard output");
  return trip.Identical() ? kExitOk : kExitDiffers;
}

const char* UsageText() {
  return "Usage: dalvren-convert -t TABLE dump [--hex-in] [--hex-out] "
         "[--offset N]\n"
         "           [--length N] [--unknown=skip|hex] [-q] [-o OUT] [INPUT]\n"
         "       dalvren-convert -t TABLE insert [--hex-in] [--hex-out]\n"
         "           [--unknown=skip|hex] [--optimal] [--stats] [-q] [-o OUT] "
         "[INPUT]\n"
         "       dalvren-convert -t TABLE check [--strict]\n"
         "       dalvren-convert -t TABLE roundtrip [--hex-in] [--offset N] "
         "[--length N]\n"
         "           [--unknown=skip|hex] [--optimal] [-q] [INPUT]\n"
         "       dalvren-convert --help | --version\n"
         "Every command also takes --table-encoding NAME.\n";
}

int Run(std::span<const char* const> args) {
  CCommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) {
    std::cerr << kProgram << ": " << error << "\n" << UsageText();
    return kExitError;
  }
  switch (line.command) {
    case Command::kHelp:
      std::cout << ManualText() << std::flush;
      return std::cout ? kExitOk : kExitError;
    case Command::kVersion:
      std::cout << kProgram << " " << DALVREN_VERSION << std::endl;
      return std::cout ? kExitOk : kExitError;
    case Command::kCheck:
      return RunCheck(line);
    case Command::kDump:
    case Command::kInsert:
      return RunConvert(line);
    case Command::kRoundTrip:
      return RunRoundTrip(line);
    case Command::kNone:
      break;
  }
  std::cerr << UsageText();
  return kExitError;
}

}  // namespace

int RunConvertTool(std::span<const char* const> args) {
  // An exception nobody catches ends the process without unwinding the
  // stack, so the temporary file of an -o output would stay behind; caught
  // here, it is removed on the way and the failure reported like any other.
  try {
    return Run(args);
  } catch (const std::bad_alloc&) {
    return Fail("Out of memory");
  } catch (const std::exception& e) {
    return Fail(e.what());
  } catch (...) {
    return Fail("Unexpected failure");
  }
}

}  // namespace dalvren
