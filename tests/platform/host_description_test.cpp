#ifdef _WIN32
#include <gtest/gtest.h>

TEST(HostDescription, LinuxOnly) {
  GTEST_SKIP() << "parses /proc and os-release texts, which only the Linux layer reads";
}
#else
#include <gtest/gtest.h>

#include "platform/posix/host_description.h"

namespace {

using platform::MemoryStatus;

std::string Release(const char* text) {
  uint32_t major = 9, minor = 9, build = 9;
  platform::ParseKernelRelease(text, major, minor, build);
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

TEST(HostDescription, KernelReleaseNumbers) {
  EXPECT_EQ(Release("6.1.0-18-generic"), "6.1.0");
  EXPECT_EQ(Release("6.18.44-fc-v1422"), "6.18.44");
  EXPECT_EQ(Release("5.15"), "5.15.0");
  EXPECT_EQ(Release("4-rc1.7"), "4.0.0");
}

TEST(HostDescription, PrettyNameIsUnquoted) {
  EXPECT_EQ(platform::PrettyNameOf("NAME=\"Example OS\"\n"
                                   "PRETTY_NAME=\"Example OS 12 (sample)\"\n"
                                   "VERSION_ID=\"12\"\n"),
            "Example OS 12 (sample)");
  EXPECT_EQ(platform::PrettyNameOf("PRETTY_NAME='A \"quoted\" one'"), "A \"quoted\" one");
  EXPECT_EQ(platform::PrettyNameOf("PRETTY_NAME=\"Say \\\"hi\\\" \\\\o/ \\$x\""),
            "Say \"hi\" \\o/ $x");
  EXPECT_EQ(platform::PrettyNameOf("PRETTY_NAME=Plain"), "Plain");
  EXPECT_EQ(platform::PrettyNameOf("NAME=x\n#PRETTY_NAME=\"no\"\n"), "");
}

TEST(HostDescription, MemoryInBytesWithSwapAsTheCommitLimit) {
  MemoryStatus status{};
  ASSERT_TRUE(
      platform::ParseMemInfo("MemTotal:       16000000 kB\n"
                             "MemFree:         1000000 kB\n"
                             "MemAvailable:    8000000 kB\n"
                             "SwapTotal:       2000000 kB\n"
                             "SwapFree:        1500000 kB\n",
                             status));
  EXPECT_EQ(status.totalPhysical, 16000000ull * 1024);
  EXPECT_EQ(status.availablePhysical, 8000000ull * 1024);
  EXPECT_EQ(status.totalPageFile, 18000000ull * 1024);
  EXPECT_EQ(status.availablePageFile, 9500000ull * 1024);

  // Kernels before MemAvailable: the free memory, and no swap at all.
  ASSERT_TRUE(platform::ParseMemInfo("MemTotal: 1024 kB\nMemFree: 512 kB\n", status));
  EXPECT_EQ(status.availablePhysical, 512u * 1024);
  EXPECT_EQ(status.totalPageFile, 1024u * 1024);
  EXPECT_FALSE(platform::ParseMemInfo("", status));
}

TEST(HostDescription, FirstProcessorOfCpuInfo) {
  std::string name;
  uint32_t megahertz = 0;
  platform::ParseCpuInfo(
      "processor\t: 0\nvendor_id\t: SampleVendor\n"
      "model name\t: Example Processor 3000\ncpu MHz\t\t: 2299.998\n\n"
      "processor\t: 1\nmodel name\t: Other\ncpu MHz\t\t: 800.000\n",
      name, megahertz);
  EXPECT_EQ(name, "Example Processor 3000");
  EXPECT_EQ(megahertz, 2299u);
  platform::ParseCpuInfo("processor\t: 0\nBogoMIPS\t: 48.00\n\nprocessor\t: 1\nmodel name\t: x\n",
                         name, megahertz);
  EXPECT_EQ(name, "") << "only the first processor speaks";
  EXPECT_EQ(megahertz, 0u);
}

}  // namespace
#endif  // _WIN32
