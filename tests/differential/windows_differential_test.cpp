// The posix layer against Windows itself: the same random inputs go through a small Windows
// program run under Wine (windows_oracle.c) and through our code, and the answers must agree.
// Needs wine and a prepared prefix named by ZR_WINE_PREFIX (scripts/test.sh makes one); the
// seed of the random inputs is printed and can be fixed with ZR_DIFFERENTIAL_SEED.
#include <gtest/gtest.h>
#include <locale.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/little_endian.h"
#include "platform/platform_test_support.h"
#include "platform/posix/text_compare.h"
#include "platform/posix/upper_case.h"
#include "platform/process.h"
#include "platform/profile_string.h"
#include "platform/version_resource.h"
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

  // Skips the test unless the POSIX locale `name`, which Wine takes the user's locale from, is
  // generated; then makes it the locale of this process and of the helper.
  void UseLocale(const char* name) {
    const locale_t locale = newlocale(LC_ALL_MASK, name, nullptr);
    if (!locale)
      GTEST_SKIP() << name << " is not generated (localedef -i ... -f UTF-8 " << name << ")";
    freelocale(locale);
    locale_.clear();
    locale_.emplace_back("LC_ALL", nullptr);
    locale_.emplace_back("LC_MESSAGES", nullptr);
    locale_.emplace_back("LANG", name);
  }

  size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random_); }

  std::string prefix_;
  std::list<zrtest::EnvOverride> locale_;
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

// Profile (.ini) texts that stress the reading rules: case and blanks around names, quotes,
// comment lines, lines without '=', malformed and repeated sections, repeated keys, line ends and
// encodings.
std::string RandomProfileLine(std::mt19937& random, bool header) {
  auto pick = [&random](const std::vector<std::string>& choices) {
    return choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(random)];
  };
  const std::vector<std::string> blanks = {"", "", " ", "\t", "  \t "};
  if (header) return pick({"[General]", "[general]", " [ GENERAL ] ", "[General] tail"});
  switch (std::uniform_int_distribution<int>(0, 9)(random)) {
    case 0:
      return pick({"", "; comment", "# note", ";Manufacturer=commented", "   "});
    case 1:
    case 2: {
      const std::string name = pick({"General", "General", "general", "GENERAL", " General ",
                                     "Other", "Gen eral", "General]", ""});
      const std::string close = pick({"]", "]", "]", "] tail", ""});
      return pick(blanks) + "[" + name + close + pick(blanks);
    }
    default: {
      const std::string key = pick({"Manufacturer", "Manufacturer", "manufacturer", "MODEL",
                                    "Model", "Model", "Other", ";Model", "Manu facturer", ""});
      if (std::uniform_int_distribution<int>(0, 7)(random) == 0) return pick(blanks) + key;
      std::string value = pick({"Acme", "Acme Co", "a=b", " spaced ", "x", "Model 7 Deluxe", ""});
      const std::string quote = pick({"", "", "\"", "'"});
      const std::string closing = pick({quote, quote, quote, "", "\"", "'"});
      value = quote + value + closing;
      return pick(blanks) + key + pick(blanks) + "=" + pick(blanks) + value + pick(blanks);
    }
  }
}

std::string RandomProfileBytes(std::mt19937& random) {
  auto chance = [&random](int in) {
    return std::uniform_int_distribution<int>(0, in - 1)(random) == 0;
  };
  std::string text;
  const char* const ends[] = {"\n", "\r\n", "\r\n", "\r"};
  const char* end = chance(2) ? "\n" : "\r\n";
  // Most texts start with a section, so that queries find something often enough.
  bool header = !chance(3);
  for (int lines = std::uniform_int_distribution<int>(1, 12)(random); lines > 0; --lines) {
    text += RandomProfileLine(random, header);
    header = false;
    if (chance(6)) end = ends[std::uniform_int_distribution<int>(0, 3)(random)];  // mixed ends
    if (lines > 1 || !chance(3)) text += end;  // the last line may lack its end
  }
  if (chance(6)) return "\xEF\xBB\xBF" + text;
  if (chance(5)) {
    std::string utf16 = "\xFF\xFE";
    for (char c : text) utf16 += std::string{c, '\0'};
    return utf16;
  }
  return text;
}

// "ok <count> <units in hex>", the helper's answer form.
std::string ProfileAnswer(const char16_t* value, size_t count) {
  std::string answer = "ok\t" + std::to_string(count) + "\t";
  for (size_t i = 0; i < count; ++i) {
    char unit[8];
    std::snprintf(unit, sizeof unit, "%04x", static_cast<unsigned>(value[i]));
    answer += unit;
  }
  return answer;
}

// The helper's answer cut to `units` units.
std::string CutAnswer(const std::string& answer, size_t units) {
  const std::vector<std::string> fields = Split(answer + "\t", '\t');
  if (fields.size() < 2 || std::stoul(fields[1]) <= units) return answer;
  return "ok\t" + std::to_string(units) + "\t" + fields[2].substr(0, units * 4);
}

TEST_F(WindowsDifferential, ProfileStrings) {
  zrtest::TempDir dir;
  const char* const sections[] = {"General", "General", "GENERAL", " general ", "Other", ""};
  const char* const keys[] = {"Manufacturer", "Manufacturer", "model", " Model ", "Other"};
  struct Query {
    std::string file, section, key;
    size_t capacity;
  };
  std::vector<Query> queries;
  for (int n = 0; n < 300; ++n) {
    const std::string file = "p" + std::to_string(n) + ".ini";
    dir.WriteFile(file, RandomProfileBytes(random_));
    for (int q = 0; q < 2; ++q) {
      queries.push_back({file, sections[Pick(std::size(sections))], keys[Pick(std::size(keys))],
                         Pick(3) ? 256 : 1 + Pick(10)});
    }
  }
  std::vector<std::string> questions;
  for (const Query& query : queries) {
    for (size_t capacity : {query.capacity, size_t{4096}}) {
      questions.push_back("profile\tZ:" + dir.PathOf(query.file) + "\t" + query.section + "\t" +
                          query.key + "\t" + std::to_string(capacity));
    }
  }
  const std::vector<std::string> windows = AskWindows(questions);
  size_t differences = 0;
  size_t found = 0;
  size_t quirks = 0;
  for (size_t i = 0; i < queries.size(); ++i) {
    const Query& query = queries[i];
    char16_t value[256];
    const size_t count =
        platform::ReadProfileString(Wide(query.section).c_str(), Wide(query.key).c_str(), value,
                                    query.capacity, dir.WidePathOf(query.file).c_str());
    const std::string ours = ProfileAnswer(value, count);
    std::string expected = windows[2 * i];
    const std::string whole = CutAnswer(windows[2 * i + 1], query.capacity - 1);
    // A quoted value that exactly fills the buffer loses its last character to the helper's
    // system, which takes the closing quote off after cutting; we keep the value whole.
    const bool fills = whole.rfind("ok\t" + std::to_string(query.capacity - 1) + "\t", 0) == 0;
    if (expected != ours && fills && query.capacity >= 2 &&
        expected == CutAnswer(whole, query.capacity - 2)) {
      ++quirks;
      expected = whole;
    }
    found += windows[2 * i + 1].rfind("ok\t0\t", 0) != 0;
    if (ours != expected) {
      NoteDifference(differences,
                     query.file + " [" + query.section + "] " + query.key + " capacity " +
                         std::to_string(query.capacity) + ":\n" + dir.ReadFile(query.file),
                     expected, ours);
    }
  }
  std::cout << found << " of " << queries.size() << " queries found a value; " << quirks
            << " filled the buffer with a quoted value\n";
  EXPECT_EQ(differences, 0u);
  EXPECT_GT(found, queries.size() / 8) << "too few queries found a value to tell anything";
}

// UTF-8 both ways. Texts to decode are well-formed sequences of every length and range, mixed
// with bytes that never start one; texts to encode have lone and paired surrogates. (On a
// sequence cut short, Wine's decoder makes one replacement of everything left, swallowing plain
// characters; ours replaces the longest start that could have become valid, as Unicode
// recommends, which the code page tests check.)
TEST_F(WindowsDifferential, Utf8Conversions) {
  const char* const bytePool[] = {"A",
                                  "\x7F",
                                  "\xC2\x80",
                                  "\xDF\xBF",
                                  "\xE0\xA0\x80",
                                  "\xE3\x83\x87",
                                  "\xED\x9F\xBF",
                                  "\xEE\x80\x80",
                                  "\xEF\xBF\xBF",
                                  "\xF0\x90\x80\x80",
                                  "\xF4\x8F\xBF\xBF",
                                  "\x80",
                                  "\xBF",
                                  "\xC0",
                                  "\xC1",
                                  "\xF5",
                                  "\xFF"};
  const char16_t unitPool[] = {u'a',   0x7F,   0x80,   0x7FF,  0x800,  0x30C7, 0xD7FF, 0xD800,
                               0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFE, 0xFFFF};
  const auto hex = [](const auto& values, int digits) {
    std::string text;
    char part[8];
    for (const auto value : values) {
      using Unsigned = std::make_unsigned_t<std::decay_t<decltype(value)>>;
      std::snprintf(part, sizeof part, "%0*x", digits,
                    static_cast<unsigned>(static_cast<Unsigned>(value)));
      text += part;
    }
    return text;
  };
  std::vector<std::string> questions, ours;
  for (int i = 0; i < 1500; ++i) {
    std::string bytes;
    for (size_t pieces = 1 + Pick(8); pieces > 0; --pieces)
      bytes += bytePool[Pick(std::size(bytePool))];
    std::u16string units(
        platform::MultiByteToWide(platform::kCodePageUtf8, bytes.data(),
                                  static_cast<ptrdiff_t>(bytes.size()), nullptr, 0),
        u'\0');
    platform::MultiByteToWide(platform::kCodePageUtf8, bytes.data(),
                              static_cast<ptrdiff_t>(bytes.size()), units.data(), units.size());
    questions.push_back("utf8\t" + hex(bytes, 2));
    ours.push_back("ok\t" + hex(units, 4));

    std::u16string text(1 + Pick(8), u'a');
    for (char16_t& unit : text) unit = unitPool[Pick(std::size(unitPool))];
    std::string encoded(platform::WideToMultiByte(platform::kCodePageUtf8, text.data(),
                                                  static_cast<ptrdiff_t>(text.size()), nullptr, 0),
                        '\0');
    platform::WideToMultiByte(platform::kCodePageUtf8, text.data(),
                              static_cast<ptrdiff_t>(text.size()), encoded.data(), encoded.size());
    questions.push_back("utf16\t" + hex(text, 4));
    ours.push_back("ok\t" + hex(encoded, 2));
  }
  const std::vector<std::string> windows = AskWindows(questions);
  size_t differences = 0;
  for (size_t i = 0; i < questions.size(); ++i) {
    if (windows[i] != ours[i]) NoteDifference(differences, questions[i], windows[i], ours[i]);
  }
  EXPECT_EQ(differences, 0u);
}

// The four file version numbers of a version block's root value (VS_FIXEDFILEINFO), or "err";
// in the helper's form.
std::string OurVersion(const std::string& path) {
  std::vector<uint8_t> block;
  if (!platform::LoadVersionInfo(Wide(path).c_str(), block)) return "err";
  constexpr size_t kFixed = 40;  // after the header and the key "VS_VERSION_INFO"
  if (block.size() < kFixed + 16 || LoadLe16(block.data() + 2) < 16) return "err";
  const uint32_t high = LoadLe32(block.data() + kFixed + 8);
  const uint32_t low = LoadLe32(block.data() + kFixed + 12);
  return "ok\t" + std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
         std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
}

// Every DLL of tests/data/version (built beside the helper), among them resources under other
// IDs, under names and in several languages, in an English and a Japanese user locale.
TEST_F(WindowsDifferential, VersionResourceChoice) {
  const std::filesystem::path dlls = std::filesystem::path(kOracle).parent_path() / "version_dlls";
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dlls, error)) {
    if (entry.path().extension() == ".dll") paths.push_back(entry.path().string());
  }
  if (paths.empty()) GTEST_SKIP() << "no DLLs in " << dlls << " (build zr_version_dlls)";
  for (const char* locale : {"en_US.UTF-8", "ja_JP.UTF-8"}) {
    UseLocale(locale);
    if (IsSkipped()) return;
    std::vector<std::string> questions;
    for (const std::string& path : paths) questions.push_back("version\tZ:" + path);
    const std::vector<std::string> windows = AskWindows(questions);
    size_t differences = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
      const std::string expected = windows[i].rfind("err", 0) == 0 ? "err" : windows[i];
      const std::string ours = OurVersion(paths[i]);
      if (ours != expected) NoteDifference(differences, locale + (" " + paths[i]), expected, ours);
    }
    EXPECT_EQ(differences, 0u) << locale;
  }
}

// Names of the kinds a Japanese game's files carry: ASCII letters and punctuation, full-width
// forms, hiragana, katakana, half-width katakana, kanji and Japanese punctuation.
std::vector<std::string> RandomJapaneseNames(std::mt19937& random, size_t count) {
  auto range = [](char16_t first, char16_t last) {
    std::u16string units;
    for (char16_t unit = first; unit <= last; ++unit) units += unit;
    return units;
  };
  const std::u16string pools[] = {
      range(u' ', u'~'),
      range(0xFF01, 0xFF5E),
      range(0x3041, 0x3096) + u"ゝゞ",
      range(0x30A1, 0x30FA) + u"ーヽヾ",
      range(0xFF61, 0xFF9F),
      u"一二三日本語漢字東京大阪名前新旧版更画面音声背景設定保存読込終了起動体験製品会社",
      u"、。「」『』・ー〜ｰﾞﾟ゛゜々〃〆〇（）【】〈〉《》　",
  };
  auto pick = [&random](size_t count) {
    return std::uniform_int_distribution<size_t>(0, count - 1)(random);
  };
  std::set<std::u16string> made;
  std::vector<std::string> names;
  while (names.size() < count) {
    std::u16string name;
    for (size_t length = 1 + pick(6); length > 0; --length) {
      const std::u16string& pool = pools[pick(std::size(pools))];
      name += pool[pick(pool.size())];
    }
    if (made.insert(name).second) names.push_back(Utf8(name));
  }
  return names;
}

// Every pair of a few hundred names (a fixed half and a fresh half) through lstrcmpiW and through
// our comparison, in an English and a Japanese user locale.
TEST_F(WindowsDifferential, CaseInsensitiveOrder) {
  std::mt19937 fixed(1);
  std::vector<std::string> names = RandomJapaneseNames(fixed, 150);
  for (const std::string& name : RandomJapaneseNames(random_, 150)) names.push_back(name);
  std::vector<std::string> questions;
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      questions.push_back("compare\t" + names[i] + "\t" + names[j]);
    }
  }
  for (const char* locale : {"en_US.UTF-8", "ja_JP.UTF-8"}) {
    UseLocale(locale);
    if (IsSkipped()) return;
    const bool japanese = locale[0] == 'j';
    const std::vector<std::string> windows = AskWindows(questions);
    size_t differences = 0;
    size_t question = 0;
    for (size_t i = 0; i < names.size(); ++i) {
      for (size_t j = i + 1; j < names.size(); ++j, ++question) {
        const int order = platform::CompareTextIgnoringCaseFor(Wide(names[i]).c_str(),
                                                               Wide(names[j]).c_str(), japanese);
        const std::string ours = order < 0 ? "ok\t-1" : order > 0 ? "ok\t1" : "ok\t0";
        if (ours != windows[question]) {
          NoteDifference(differences, std::string(locale) + ": " + names[i] + " | " + names[j],
                         windows[question], ours);
        }
      }
    }
    std::cout << locale << ": " << differences << " of " << questions.size() << " pairs disagree\n";
    EXPECT_EQ(differences, 0u) << locale;
  }
}

}  // namespace
