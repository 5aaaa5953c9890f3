#include "ConvertTool.h"

#include <iostream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "CodeTable.h"
#include "CommandLine.h"
#include "HexWriteBuf.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "TableCheck.h"

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
  const auto file = CInputFile::Open(line.table, true, reason);
  if (!file) {
    status =
        Fail("Unable to open table file " + Quoted(line.table) + ": " + reason);
    return nullptr;
  }
  std::istream in(file.get());
  std::unique_ptr<CCodeTable> table;
  {
    // check reports every replacement itself, with the lines involved.
    CSilencedStderr quiet(line.quiet || check != nullptr);
    table = check != nullptr ? check->Run(in) : Load(in);
  }
  if (const std::string error = file->Error(); !error.empty()) {
    status =
        Fail("Unable to read table file " + Quoted(line.table) + ": " + error);
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
  return check.Clean() ? kExitOk : kExitCheckFound;
}

int RunConvert(const CCommandLine& line) {
  int status = kExitOk;
  const auto table = LoadTable(line, nullptr, status);
  if (!table) return status;

  std::string reason;
  const std::string inputName = Naming(line.input, "input", "standard input");
  CInputBytes bytes;
  {
    const auto input = CInputFile::Open(line.input, false, reason);
    if (!input) return Fail("Unable to open " + inputName + ": " + reason);
    if (!input->ReadAll(bytes, kMaxInputBytes, reason)) {
      return Fail("Unable to read " + inputName + ": " + reason);
    }
  }
  std::unique_ptr<CByteString> decoded;
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
    return Fail("Offset " + std::to_string(offset) +
                " is past the end of the input (" + std::to_string(size) +
                " bytes)");
  }
  const std::uint64_t length = line.length.value_or(size - offset);
  if (length > size - offset) {
    return Fail("Range of " + std::to_string(length) + " bytes at offset " +
                std::to_string(offset) +
                " reaches past the end of the input (" + std::to_string(size) +
                " bytes)");
  }
  const auto range = all.subspan(offset, length);

  const std::string outputName =
      Naming(line.output, "output", "standard output");
  const auto output = COutputFile::Open(line.output, reason);
  if (!output) return Fail("Unable to open " + outputName + ": " + reason);
  {
    CHexWriteBuf hex(*output);
    std::ostream out(line.hexOut ? static_cast<std::streambuf*>(&hex)
                                 : output.get());
    const CCodeDictionary& dictionary =
        line.command == Command::kDump ? *table->forward : *table->reverse;
    dictionary.Translate(out, range);
    out.flush();
  }
  if (!output->Commit(reason)) {
    return Fail("Unable to write " + outputName + ": " + reason);
  }
  return kExitOk;
}

const char* UsageText() {
  return "Usage: dalvren-convert -t TABLE dump   [--hex-in] [--hex-out] "
         "[--offset N] [--length N]\n"
         "                                       [-q] [-o OUT] [INPUT]\n"
         "       dalvren-convert -t TABLE insert [--hex-in] [--hex-out] [-q] "
         "[-o OUT] [INPUT]\n"
         "       dalvren-convert -t TABLE check\n"
         "       dalvren-convert --help | --version\n";
}

const char* HelpText() {
  return R"(NAME
    dalvren-convert - convert between ROM bytes and text through a table

SYNOPSIS
    dalvren-convert -t TABLE dump   [--hex-in] [--hex-out] [--offset N]
                                    [--length N] [-q] [-o OUT] [INPUT]
    dalvren-convert -t TABLE insert [--hex-in] [--hex-out] [-q] [-o OUT]
                                    [INPUT]
    dalvren-convert -t TABLE check
    dalvren-convert --help | --version

DESCRIPTION
    TABLE is a character table file (.tbl): lines such as 41=A or 8283=ab,
    a code in hexadecimal digits, "=", and the text it stands for.
    Both directions cut their input greedily into the longest codes (or
    texts) the table knows; input that no entry covers is skipped.

    dump    Converts ROM bytes to text.
    insert  Converts text back to ROM bytes.
    check   Loads TABLE and lists every line that did not load as written:
            ignored lines (with the reason), lines cut at 511 characters,
            and entries that replace an earlier line (forward: the same
            code; reverse: the same text, for which insert uses the later
            line). Ends with a summary of the counts. Empty lines are fine.

    INPUT is read whole, byte for byte; it is standard input when absent or
    "-". Inputs of 2 GiB or more are refused. The output is exactly the
    converted bytes, with nothing added (no final newline); it goes to
    standard output unless -o is given.

OPTIONS
    -t TABLE      The table file to use (required).
    -o OUT        Write to OUT instead of standard output ("-"). OUT is
                  written completely or not at all: a failed run leaves an
                  existing OUT untouched. OUT may be the INPUT itself.
    --hex-in      INPUT is hexadecimal text (41 42 or 4142; white space
                  anywhere is skipped, an unpaired last digit is ignored,
                  a zero byte ends the text).
    --hex-out     Write the output as upper-case hexadecimal digits, two per
                  byte, with no separators.
    --offset N    dump only: start at byte N of the input (after hex
                  decoding with --hex-in).
    --length N    dump only: convert N bytes; the default is the rest.
                  N is decimal (010 is ten) or hexadecimal after 0x. A range
                  that reaches past the end of the input is an error.
    -q            Do not print "Replacing old value" for table entries that
                  replace earlier ones.
    --help        Show this text.
    --version     Show the version.
    Options may stand before or after the command word; "--" ends them.

EXIT STATUS
    0  success (check: every line loaded as written)
    1  check found ignored, cut or replaced lines
    2  bad usage, a table, input or output that cannot be opened, read or
       written, or a range past the end of the input

EXAMPLE
    Dump the text of a ROM, edit it, and insert it back:

        dalvren-convert -t game.tbl dump -o script.txt game.rom
        $EDITOR script.txt
        dalvren-convert -t game.tbl insert -o new.bin script.txt

    Dump 32 bytes at 0x1F00, and convert hex pasted from a hex editor:

        dalvren-convert -t game.tbl dump --offset 0x1F00 --length 32 game.rom
        echo 'C5 21 FF' | dalvren-convert -t game.tbl dump --hex-in

    Find the lines of a table that do not load:

        dalvren-convert -t game.tbl check
)";
}

}  // namespace

int RunConvertTool(std::span<const char* const> args) {
  CCommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) {
    std::cerr << kProgram << ": " << error << "\n" << UsageText();
    return kExitError;
  }
  switch (line.command) {
    case Command::kHelp:
      std::cout << HelpText() << std::flush;
      return std::cout ? kExitOk : kExitError;
    case Command::kVersion:
      std::cout << kProgram << " " << DALVREN_VERSION << std::endl;
      return std::cout ? kExitOk : kExitError;
    case Command::kCheck:
      return RunCheck(line);
    case Command::kDump:
    case Command::kInsert:
      return RunConvert(line);
    case Command::kNone:
      break;
  }
  std::cerr << UsageText();
  return kExitError;
}
