#include "platform/posix/host_description.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace platform {

namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A run of digits at `text[at]`, and `at` moved past it; 0 when none is there.
uint32_t ReadNumber(const std::string& text, size_t& at) {
  uint32_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
  }
  return value;
}

// os-release values are shell words: quoted with "" (where a backslash escapes $ ` " \) or ''.
std::string UnquoteShellWord(const std::string& word) {
  if (word.size() >= 2 && word.front() == '\'' && word.back() == '\'') {
    return word.substr(1, word.size() - 2);
  }
  if (word.size() < 2 || word.front() != '"' || word.back() != '"') return word;
  std::string text;
  for (size_t i = 1; i + 1 < word.size(); ++i) {
    if (word[i] == '\\' && i + 2 < word.size() &&
        std::string("$`\"\\").find(word[i + 1]) != std::string::npos) {
      ++i;
    }
    text += word[i];
  }
  return text;
}

}  // namespace

void ParseKernelRelease(const std::string& release, uint32_t& major, uint32_t& minor,
                        uint32_t& build) {
  uint32_t* const numbers[] = {&major, &minor, &build};
  size_t at = 0;
  for (uint32_t* number : numbers) {
    *number = ReadNumber(release, at);
    // Each number but the first follows a '.' right after the one before.
    if (at < release.size() && release[at] == '.') {
      ++at;
    } else {
      at = release.size();
    }
  }
}

bool IsMachine64Bit(const std::string& machine) {
  return machine.find("64") != std::string::npos || machine == "s390x";
}

std::string PrettyNameOf(const std::string& osRelease) {
  std::istringstream lines(osRelease);
  std::string line;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.rfind("PRETTY_NAME=", 0) == 0) return UnquoteShellWord(line.substr(12));
  }
  return "";
}

bool ParseMemInfo(const std::string& memInfo, MemoryStatus& status) {
  std::map<std::string, uint64_t> kibibytes;
  std::istringstream lines(memInfo);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
      kibibytes[line.substr(0, colon)] = std::strtoull(line.c_str() + colon + 1, nullptr, 10);
    }
  }
  if (!kibibytes.count("MemTotal")) return false;
  const uint64_t available =
      kibibytes.count("MemAvailable") ? kibibytes["MemAvailable"] : kibibytes["MemFree"];
  status.totalPhysical = kibibytes["MemTotal"] * 1024;
  status.availablePhysical = available * 1024;
  status.totalPageFile = (kibibytes["MemTotal"] + kibibytes["SwapTotal"]) * 1024;
  status.availablePageFile = (available + kibibytes["SwapFree"]) * 1024;
  return true;
}

void ParseCpuInfo(const std::string& cpuInfo, std::string& modelName, uint32_t& megahertz) {
  modelName.clear();
  megahertz = 0;
  std::istringstream lines(cpuInfo);
  std::string line;
  bool inFirst = false;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    const std::string name = Trim(line.substr(0, colon));
    if (name.empty() && inFirst) break;  // the blank line after the first processor
    if (colon == std::string::npos) continue;
    if (name == "processor") {
      if (inFirst) break;
      inFirst = true;
    }
    const std::string value = Trim(line.substr(colon + 1));
    if (name == "model name") modelName = value;
    if (name == "cpu MHz") {
      size_t at = 0;
      megahertz = ReadNumber(value, at);
    }
  }
}

}  // namespace platform
