#include "cli/ConvertTool.h"

#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Manual.h"

#ifndef DALVREN_VERSION
#define DALVREN_VERSION "unknown"
#endif

namespace dalvren {

namespace {

constexpr const char* kProgram = "dalvren-convert";

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
         "       dalvren-convert search --relative WORD [--width 1|2] "
         "[--alphabet LETTERS]\n"
         "           [--context N] [--table-out TABLE [--hit K]] ROM\n"
         "       dalvren-convert -t TABLE search [--context N] TEXT ROM\n"
         "       dalvren-convert -t TABLE extract [-q] [-o SCRIPT] LAYOUT ROM\n"
         "       dalvren-convert -t TABLE build -o NEW_ROM [--patch PATCH] "
         "[--stats]\n"
         "           [--force] [--strict] [-q] SCRIPT ROM\n"
         "       dalvren-convert diff -o PATCH ORIGINAL NEW\n"
         "       dalvren-convert patch -o NEW PATCH ORIGINAL\n"
         "       dalvren-convert --help | --version\n"
         "Every command with -t TABLE also takes --table-encoding NAME and\n"
         "--table-syntax=plain|extended.\n";
}

CStatus Run(std::span<const char* const> args) {
  CCommandLine line;
  if (CStatus status = ParseCommandLine(args, &line); !status.IsOk()) {
    return status;
  }
  // A standard output that cannot be written fails without a word: there
  // is nowhere left to say it.
  const CStatus unwritten = CStatus::Failure(kExitError, "");
  switch (line.command) {
    case Command::kHelp:
      std::cout << ManualText() << std::flush;
      return std::cout ? CStatus() : unwritten;
    case Command::kVersion:
      std::cout << kProgram << " " << DALVREN_VERSION << std::endl;
      return std::cout ? CStatus() : unwritten;
    case Command::kCheck:
      return RunCheck(line);
    case Command::kDump:
    case Command::kInsert:
      return RunConvert(line);
    case Command::kRoundTrip:
      return RunRoundTrip(line);
    case Command::kSearch:
      return line.relative ? RunRelativeSearch(line) : RunTableSearch(line);
    case Command::kExtract:
      return RunExtract(line);
    case Command::kBuild:
      return RunBuild(line);
    case Command::kDiff:
      return RunDiff(line);
    case Command::kPatch:
      return RunPatch(line);
    case Command::kNone:
      break;
  }
  return CStatus::UsageError("no command given");
}

// The one place where a failure reaches the user and becomes the exit
// status.
int Report(const CStatus& status) {
  if (status.IsUsageError()) {
    std::cerr << kProgram << ": " << status.Message() << "\n" << UsageText();
  } else if (!status.Message().empty()) {
    std::cerr << "Error! " << status.Message() << std::endl;
  }
  return status.ExitStatus();
}

}  // namespace

int RunConvertTool(std::span<const char* const> args) {
  // An exception nobody catches ends the process without unwinding the
  // stack, so the temporary file of an -o output would stay behind; caught
  // here, it is removed on the way and the failure reported like any other.
  CStatus status;
  try {
    status = Run(args);
  } catch (const std::bad_alloc&) {
    status = CStatus::Failure(kExitError, "Out of memory");
  } catch (const std::exception& e) {
    status = CStatus::Failure(kExitError, e.what());
  } catch (...) {
    status = CStatus::Failure(kExitError, "Unexpected failure");
  }
  return Report(status);
}

CStatus FlushStandardOutput() {
  std::cout.flush();
  if (!std::cout) {
    return CStatus::Failure(kExitError, "Unable to write standard output");
  }
  return {};
}

}  // namespace dalvren
