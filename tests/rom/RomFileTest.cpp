// Ranges read from ROM files and bytes written into copies of them, on real
// files: where the range may lie, what is refused, and that a refused or
// failed write leaves every file as it was.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "rom/Crc32.h"
#include "rom/RomFile.h"

namespace dalvren {
namespace {

namespace fs = std::filesystem;

class RomFileTest : public testing::Test {
 protected:
  RomFileTest() {
    dir_ = fs::temp_directory_path() /
           ("rom-file-test-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  ~RomFileTest() override {
    std::error_code error;
    fs::permissions(dir_ / "locked.rom", fs::perms::owner_all, error);
    fs::remove_all(dir_, error);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  std::string Path(const std::string& name) const {
    return (dir_ / name).string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // The names in the folder, so that a test sees no temporary file stayed.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  const std::string rom_ = "0123456789";
};

TEST_F(RomFileTest, ReadsRangesAtTheStartInTheMiddleAndAtTheEnd) {
  const std::string path = Write("game.rom", rom_);
  struct Case {
    std::uint64_t offset;
    std::optional<std::uint64_t> length;
    std::string bytes;
  };
  const Case cases[] = {
      {0, 3, "012"},           {4, 2, "45"},
      {7, 3, "789"},           {6, std::nullopt, "6789"},
      {0, std::nullopt, rom_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    std::string bytes;
    CRomFileState state;
    ASSERT_TRUE(ReadRomRange(path, c.offset, c.length, &bytes, &state).IsOk());
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(state.size, rom_.size());
    const auto* data = reinterpret_cast<const unsigned char*>(rom_.data());
    EXPECT_EQ(state.crc, Crc32({data, rom_.size()}));
  }
}

TEST_F(RomFileTest, RefusesRangesAndFilesItCannotRead) {
  const std::string path = Write("game.rom", rom_);
  fs::create_directory(dir_ / "folder.rom");
  ASSERT_EQ(::mkfifo(Path("pipe.rom").c_str(), 0600), 0);
  struct Case {
    const char* what;
    std::string path;
    std::uint64_t offset;
    std::optional<std::uint64_t> length;
    CError::Kind kind;
    const char* message;
  };
  const Case cases[] = {
      {"offset past the end", path, 11, 1, CError::Kind::kInvalid,
       "offset 11 (0xB) is past the end of the file (10 bytes)"},
      {"offset at the end", path, 10, std::nullopt, CError::Kind::kInvalid,
       "offset 10 (0xA) is the end of the file: there is nothing to load"},
      {"length 0", path, 2, 0, CError::Kind::kInvalid,
       "the length is 0: there is nothing to load"},
      {"range past the end", path, 8, 3, CError::Kind::kInvalid,
       "3 bytes at offset 8 (0x8) reach past the end of the file (10 bytes)"},
      {"huge length", path, 1, UINT64_MAX, CError::Kind::kInvalid,
       "18446744073709551615 bytes at offset 1 (0x1) reach past the end of "
       "the file (10 bytes)"},
      {"missing", Path("missing.rom"), 0, 1, CError::Kind::kIo, "no such file"},
      {"folder", Path("folder.rom"), 0, 1, CError::Kind::kIo, "it is a folder"},
      {"fifo", Path("pipe.rom"), 0, 1, CError::Kind::kIo,
       "it is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = "untouched";
    CRomFileState state;
    const CError error =
        ReadRomRange(c.path, c.offset, c.length, &bytes, &state);
    EXPECT_EQ(error.GetKind(), c.kind);
    EXPECT_EQ(error.Message(), c.message);
    EXPECT_EQ(bytes, "untouched");
  }
}

TEST_F(RomFileTest, WritesIntoACopyOrTheRomItself) {
  const std::string path = Write("game.rom", rom_);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write |
                            fs::perms::group_read);
  struct Case {
    std::uint64_t offset;
    std::string bytes;
    bool grow;
    std::string result;
  };
  const Case cases[] = {
      {0, "ab", false, "ab23456789"}, {4, "xyz", false, "0123xyz789"},
      {8, "YZ", false, "01234567YZ"}, {8, "YZ!", true, "01234567YZ!"},
      {10, "+", true, "0123456789+"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    Write("game.rom", rom_);
    const std::string copy = Path("copy.rom");
    fs::remove(copy);
    ASSERT_TRUE(WriteRomBytes({path, copy, c.offset, c.bytes, c.grow}).IsOk());
    EXPECT_EQ(Read(copy), c.result);
    EXPECT_EQ(Read(path), rom_);
    ASSERT_TRUE(WriteRomBytes({path, path, c.offset, c.bytes, c.grow}).IsOk());
    EXPECT_EQ(Read(path), c.result);
    // The ROM keeps its permissions.
    EXPECT_EQ(
        fs::status(path).permissions() & fs::perms::mask,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"copy.rom", "game.rom"}));
}

TEST_F(RomFileTest, RefusedWritesLeaveEveryFileAsItWas) {
  const std::string path = Write("game.rom", rom_);
  const std::string locked = Write("locked.rom", rom_);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
  fs::create_directory(dir_ / "folder.rom");
  struct Case {
    const char* what;
    CRomWrite write;
    const char* message;
  };
  const Case cases[] = {
      {"past the end",
       {path, path, 9, "ab", false},
       "2 bytes at offset 9 (0x9) would reach past the end of the file (10 "
       "bytes); let the file grow to write them"},
      {"offset past the end, even growing",
       {path, path, 11, "a", true},
       "offset 11 (0xB) is past the end of the file (10 bytes)"},
      {"read-only ROM", {locked, locked, 0, "a", false}, "it is read-only"},
      {"folder as the target",
       {path, Path("folder.rom"), 0, "a", false},
       "it is a folder"},
      {"missing ROM",
       {Path("missing.rom"), path, 0, "a", false},
       "no such file"},
      {"target in a missing folder",
       {path, Path("nowhere/copy.rom"), 0, "a", false},
       "No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CError error = WriteRomBytes(c.write);
    EXPECT_FALSE(error.IsOk());
    EXPECT_EQ(error.Message(), c.message);
    EXPECT_EQ(Read(path), rom_);
    EXPECT_EQ(Read(locked), rom_);
  }
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"folder.rom", "game.rom", "locked.rom"}));
}

TEST_F(RomFileTest, StateTellsAChangedFile) {
  const std::string path = Write("game.rom", rom_);
  CRomFileState first;
  ASSERT_TRUE(RomFileStateOf(path, &first).IsOk());
  CRomFileState again;
  ASSERT_TRUE(RomFileStateOf(path, &again).IsOk());
  EXPECT_EQ(first, again);
  // Same size, same time stamp, other bytes: the CRC tells.
  const auto stamp = fs::last_write_time(path);
  Write("game.rom", "0123456780");
  fs::last_write_time(path, stamp);
  CRomFileState changed;
  ASSERT_TRUE(RomFileStateOf(path, &changed).IsOk());
  EXPECT_NE(first, changed);
}

TEST(ParseByteCount, ReadsDecimalAndHexadecimal) {
  struct Case {
    const char* text;
    bool ok;
    std::uint64_t value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"4096", true, 4096},
      {" 0x1F00 ", true, 0x1F00},
      {"0XffFF", true, 0xFFFF},
      {"18446744073709551615", true, UINT64_MAX},
      {"0xFFFFFFFFFFFFFFFF", true, UINT64_MAX},
      {"18446744073709551616", false, 0},
      {"", false, 0},
      {"0x", false, 0},
      {"-1", false, 0},
      {"+1", false, 0},
      {"1F00", false, 0},
      {"12 34", false, 0},
      {"1e3", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::uint64_t value = 77;
    const CError error = ParseByteCount(c.text, &value);
    EXPECT_EQ(error.IsOk(), c.ok) << error.Message();
    EXPECT_EQ(value, c.ok ? c.value : 77);
  }
}

}  // namespace
}  // namespace dalvren
