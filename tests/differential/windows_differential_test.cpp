// The posix layer against Windows itself: the same random inputs go through a small Windows
// program run under Wine (windows_oracle.c) and through our code, and the answers must agree.
// Needs wine and a prepared prefix named by ZR_WINE_PREFIX (scripts/test.sh makes one); the
// seed of the random inputs is printed and can be fixed with ZR_DIFFERENTIAL_SEED.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/platform_test_support.h"
#include "platform/posix/upper_case.h"
#include "platform/process.h"
#include "support/test_support.h"
#include "system/text_encoding.h"

namespace {

using zrtest::Utf8;
using zrtest::Wide;

#ifdef ZR_WINDOWS_ORACLE
constexpr char kOracle[] = ZR_WINDOWS_ORACLE;
#else
constexpr char kOracle[] = "";  // no mingw-w64 compiler: not built
#endif

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// Reports the first twenty differences in full and counts them all.
void NoteDifference(size_t& differences, const std::string& what, const std::string& windows,
                    const std::string& ours) {
  if (++differences <= 20) {
    ADD_FAILURE() << what << "\n  Windows: " << windows << "\n  ours:    " << ours;
  }
}

class WindowsDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* prefix = std::getenv("ZR_WINE_PREFIX");
    if (!*kOracle) GTEST_SKIP() << "no mingw-w64 compiler: the Windows helper was not built";
    if (!prefix || !*prefix) GTEST_SKIP() << "ZR_WINE_PREFIX names no Wine prefix";
    if (zrtest::RunCommand("command -v wine").status != 0) GTEST_SKIP() << "no wine";
    prefix_ = prefix;
    const char* fixed = std::getenv("ZR_DIFFERENTIAL_SEED");
    seed_ =
        fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device()();
    random_.seed(seed_);
    RecordProperty("seed", std::to_string(seed_));
    std::cout << "seed " << seed_ << " (ZR_DIFFERENTIAL_SEED)\n";
  }

  // One answer line per question, from the Windows helper started in `folder`.
  std::vector<std::string> AskWindows(const std::vector<std::string>& questions,
                                      const std::string& folder = "/") {
    zrtest::TempDir scratch;
    std::ofstream(scratch.PathOf("questions")) << [&] {
      std::string text;
      for (const std::string& question : questions) text += question + "\n";
      return text;
    }();
    // In a subshell: RunCommand gives the whole line an empty input of its own.
    const std::string command = "(cd '" + folder + "' && WINEPREFIX='" + prefix_ +
                                "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' wine " +
                                kOracle + " < " + scratch.PathOf("questions") + " > " +
                                scratch.PathOf("answers") + ")";
    EXPECT_EQ(zrtest::RunCommand(command).status, 0) << command;
    std::vector<std::string> answers = Split(scratch.ReadFile("answers"), '\n');
    for (std::string& answer : answers) {
      if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    }
    EXPECT_EQ(answers.size(), questions.size());
    answers.resize(questions.size());
    return answers;
  }

  size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random_); }

  std::string prefix_;
  unsigned seed_ = 0;
  std::mt19937 random_;
};

TEST_F(WindowsDifferential, UpperCaseOfEveryUnit) {
  const std::vector<std::string> windows = Split(AskWindows({"upcase"})[0], '\t');
  ASSERT_EQ(windows.size(), 0x10001u);
  size_t differences = 0;
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    char ours[8];
    std::snprintf(ours, sizeof ours, "%04x", platform::UpperCase(static_cast<char16_t>(unit)));
    if (windows[unit + 1] != ours) {
      char what[32];
      std::snprintf(what, sizeof what, "upper case of U+%04X", unit);
      NoteDifference(differences, what, windows[unit + 1], ours);
    }
  }
  EXPECT_EQ(differences, 0u);
}

TEST_F(WindowsDifferential, ShiftJisLeadBytes) {
  const std::vector<std::string> windows = Split(AskWindows({"lead"})[0], '\t');
  ASSERT_EQ(windows.size(), 2u);
  ASSERT_EQ(windows[1].size(), 256u);
  for (unsigned byte = 1; byte < 256; ++byte) {
    const char pair[] = {static_cast<char>(byte), '\x40', 0};
    EXPECT_EQ(IsSjisPair(pair) == 1, windows[1][byte] == '1') << std::hex << byte;
    EXPECT_EQ(platform::IsShiftJisLeadByte(static_cast<unsigned char>(byte)),
              windows[1][byte] == '1')
        << std::hex << byte;
  }
}

// Names that stress the rules: dots and spaces, "." and "..", names that "..." leaves as "..".
const char* const kPathNames[] = {"a",    "Bc",    "d.e",  ".",     "..",   "...",  "f.",
                                  "g..",  "h ",    "i . ", " j",    ".k",   "l.m.", "データ",
                                  "Café", "n . .", "o.",   "p. ..", "q..r", "...s"};

std::string RandomSeparator(std::mt19937& random) {
  const char* const separators[] = {"\\", "\\", "\\", "/", "\\\\"};
  return separators[std::uniform_int_distribution<size_t>(0, 4)(random)];
}

TEST_F(WindowsDifferential, FullPaths) {
  std::vector<std::string> paths;
  for (int n = 0; n < 3000; ++n) {
    std::string path = Pick(2) ? "C:" : "d:";
    const size_t count = Pick(7);
    for (size_t i = 0; i < count; ++i) {
      path += RandomSeparator(random_) + kPathNames[Pick(std::size(kPathNames))];
    }
    if (count == 0 || Pick(4) == 0) path += RandomSeparator(random_);
    paths.push_back(path);
  }
  std::vector<std::string> questions;
  for (const std::string& path : paths) questions.push_back("fullpath\t" + path);
  const std::vector<std::string> windows = AskWindows(questions);
  size_t differences = 0;
  for (size_t i = 0; i < paths.size(); ++i) {
    char16_t out[1024];
    const size_t length = platform::GetFullPath(Wide(paths[i]).c_str(), out, 1024);
    const std::string ours = length ? "ok\t" + Utf8(std::u16string(out, length)) : "err";
    if (ours != windows[i]) NoteDifference(differences, paths[i], windows[i], ours);
  }
  EXPECT_EQ(differences, 0u);
}

// A tree inside the prefix's drive C, where each file holds its own path: names in several
// scripts, each also spelled in other cases, a link to a folder outside the tree (as a user's
// documents folder is in a prefix) and a link to a file.
class Tree {
 public:
  struct Entry {
    std::string path;                    // as made, below the tree
    std::vector<std::string> spellings;  // of its last name, the made one first
    std::string link = "";               // for a link: what it names, below the tree
  };

  explicit Tree(const std::string& prefix)
      : name_("zr-differential-" + std::to_string(getpid())), root_(prefix + "/drive_c/" + name_) {
    std::filesystem::remove_all(root_);
    for (const Entry& entry : Entries()) {
      const std::filesystem::path path = root_ + "/" + entry.path;
      if (!entry.link.empty()) {
        std::filesystem::create_symlink(root_ + "/" + entry.link, path);
      } else if (path.filename().string().find('.') == std::string::npos) {
        std::filesystem::create_directories(path);
      } else {
        std::ofstream(path) << entry.path;
      }
    }
  }
  ~Tree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::string& Root() const { return root_; }
  const std::string& Name() const { return name_; }

  // Folders before what they hold; a name with a dot is a file.
  static const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {"Outside", {"Outside", "OUTSIDE"}},
        {"Outside/Docs", {"Docs", "docs"}},
        {"Outside/Docs/note.txt", {"note.txt", "NOTE.TXT"}},
        {"Outside/Sibling.txt", {"Sibling.txt", "sibling.TXT"}},
        {"Data", {"Data", "DATA", "data"}},
        {"Data/Script", {"Script", "SCRIPT", "script"}},
        {"Data/Script/Start.dat", {"Start.dat", "start.DAT"}},
        {"Data/Script/Ende.txt", {"Ende.txt", "ENDE.TXT"}},
        {"Data/Voice", {"Voice", "voice"}},
        {"Data/Voice/Ünï.ogg", {"Ünï.ogg", "üNÏ.OGG", "ÜNÏ.ogg"}},
        {"Data/Voice/ΣΟΦΊΑ.txt", {"ΣΟΦΊΑ.txt", "σοφία.TXT"}},
        {"Data/Docs", {"Docs", "DOCS"}, "Outside/Docs"},
        {"Data/Top.lnk", {"Top.lnk", "top.LNK"}, "top.bin"},
        {"データ", {"データ"}},
        {"データ/Café.TXT", {"Café.TXT", "CAFÉ.txt", "café.txt"}},
        {"top.bin", {"top.bin", "TOP.BIN"}},
    };
    return entries;
  }

  // The entries directly in `folder` ("" for the tree itself), through a link to a folder too.
  static std::vector<const Entry*> Children(const std::string& folder) {
    std::string inside = folder;
    for (const Entry& entry : Entries()) {
      if (entry.path == folder && !entry.link.empty()) inside = entry.link;
    }
    std::vector<const Entry*> children;
    for (const Entry& entry : Entries()) {
      const size_t slash = entry.path.rfind('/');
      if ((slash == std::string::npos ? "" : entry.path.substr(0, slash)) == inside) {
        children.push_back(&entry);
      }
    }
    return children;
  }

 private:
  std::string name_;
  std::string root_;
};

// What a file read through our layer holds, in hex, or the error; in the helper's form.
std::string ReadOurs(const std::u16string& path) {
  const platform::FileHandle file = platform::OpenFile(
      path.c_str(), platform::kGenericRead, platform::kShareRead, platform::kOpenExisting, 0);
  if (file == platform::kInvalidFileHandle) return "err\t" + std::to_string(platform::LastError());
  char bytes[256];
  uint32_t done = 0;
  const bool read = platform::ReadFile(file, bytes, sizeof bytes, &done);
  platform::CloseFile(file);
  if (!read) return "err\t" + std::to_string(platform::LastError());
  std::string hex = "ok\t";
  for (uint32_t i = 0; i < done; ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
    hex += digits;
  }
  return hex;
}

TEST_F(WindowsDifferential, FilesAPathReaches) {
  Tree tree(prefix_);
  // Walks the tree in random spellings, with steps that stress the rules on the way.
  const char* const detours[] = {"..", ".", "...", "missing", "x.", "x ", "x. .", ".."};
  std::vector<std::string> paths;
  for (int n = 0; n < 3000; ++n) {
    const size_t start = Pick(3);  // absolute, or relative to the tree (both sides start there)
    std::string path = start == 0 ? "C:\\" + tree.Name() : start == 1 ? "c:/" + tree.Name() : "";
    std::string folder;  // where the walk is, as the text names it
    for (size_t steps = 1 + Pick(5); steps > 0; --steps) {
      std::string name;
      const std::vector<const Tree::Entry*> children = Tree::Children(folder);
      if (Pick(4) == 0 || children.empty()) {
        name = detours[Pick(std::size(detours))];
        if (name == "..") {
          const size_t slash = folder.rfind('/');
          folder = slash == std::string::npos ? "" : folder.substr(0, slash);
        } else if (name != ".") {
          folder = "?";  // nowhere: only detours follow
        }
      } else {
        const Tree::Entry& child = *children[Pick(children.size())];
        name = child.spellings[Pick(child.spellings.size())];
        folder = child.path;
      }
      path += (path.empty() ? "" : RandomSeparator(random_)) + name;
    }
    if (Pick(8) == 0) path += Pick(2) ? "." : " ";
    paths.push_back(path);
  }
  std::vector<std::string> questions;
  for (const std::string& path : paths) questions.push_back("read\t" + path);
  const std::vector<std::string> windows = AskWindows(questions, tree.Root());

  zrtest::EnvOverride prefix("WINEPREFIX", prefix_.c_str());
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(tree.Root().c_str()), 0);
  size_t differences = 0;
  size_t found = 0;
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string ours = ReadOurs(Wide(paths[i]));
    found += windows[i].rfind("ok", 0) == 0;
    if (ours != windows[i]) NoteDifference(differences, paths[i], windows[i], ours);
  }
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(differences, 0u);
  EXPECT_GT(found, paths.size() / 8) << "too few paths reached a file to tell anything";
}

TEST_F(WindowsDifferential, FolderListingOrder) {
  zrtest::TempDir dir;
  const char* const pieces[] = {"a",  "B", "z", "Z", "_", "-", "~",    "0",   "9",
                                "10", ".", " ", "é", "É", "ß", "デ",   "ｶ",   "Ω",
                                "ω",  "!", "[", "{", "'", "x", ".txt", ".TXT"};
  std::map<std::u16string, std::string> made;  // by upper case, so no two differ only in case
  while (made.size() < 200) {
    std::string name;
    for (size_t length = 1 + Pick(4); length > 0; --length) name += pieces[Pick(std::size(pieces))];
    if (name.back() == '.' || name.back() == ' ' || name == "." || name == "..") continue;
    std::u16string key = Wide(name);
    for (char16_t& unit : key) unit = platform::UpperCase(unit);
    if (made.emplace(key, name).second) std::ofstream(dir.PathOf(name)) << name;
  }
  // The wildcards the library uses. Others also match the short names Windows makes up for long
  // ones ("*a" finds "10ｶ!9", "*.txt" finds "-.txt{" by short names), which are not modelled.
  const std::vector<std::string> patterns = {"*", "*.*"};
  std::vector<std::string> questions;
  for (const std::string& pattern : patterns)
    questions.push_back("list\tZ:" + dir.Path() + "/" + pattern);
  const std::vector<std::string> windows = AskWindows(questions);
  for (size_t i = 0; i < patterns.size(); ++i) {
    std::vector<std::string> ours;
    platform::FindData data;
    const platform::FindHandle search =
        platform::FindFirstFile(Wide(dir.Path() + "/" + patterns[i]).c_str(), &data);
    if (search == platform::kInvalidFindHandle) {
      ours = {"err", std::to_string(platform::LastError())};
    } else {
      ours = {"ok"};
      do {
        ours.push_back(Utf8(data.name));
      } while (platform::FindNextFile(search, &data));
      platform::FindClose(search);
    }
    EXPECT_EQ(ours, Split(windows[i], '\t')) << patterns[i];
  }
}

}  // namespace
