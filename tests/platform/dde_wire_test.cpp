#ifdef _WIN32
#include <gtest/gtest.h>

TEST(DdeWire, LinuxOnly) {
  GTEST_SKIP() << "the frames of the Linux layer's DDE transport; Windows carries DDE itself";
}
#else
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/dde_wire.h"

namespace {

using namespace platform::dde_wire;

ParseResult Parse(const std::vector<uint8_t>& bytes, Frame& frame, size_t& consumed) {
  return ParseFrame(bytes.data(), bytes.size(), frame, consumed);
}

// A header as a peer might send it.
std::vector<uint8_t> Header(uint32_t magic, uint32_t kind, uint32_t length) {
  std::vector<uint8_t> bytes;
  for (uint32_t word : {magic, kind, 7u, length}) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(word >> shift));
  }
  return bytes;
}

TEST(DdeWireTest, FramesArriveWholeWhateverTheSplit) {
  std::vector<uint8_t> stream = EncodeName(Kind::kRequest, 9, u"ZRCAPS_DDE_CPU");
  const size_t first = stream.size();
  const std::string bytes = "payload";
  const auto data =
      Encode(Kind::kData, 9, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  stream.insert(stream.end(), data.begin(), data.end());

  Frame frame;
  size_t consumed = 0;
  for (size_t cut = 0; cut < first; ++cut) {
    EXPECT_EQ(ParseFrame(stream.data(), cut, frame, consumed), ParseResult::kIncomplete) << cut;
  }
  ASSERT_EQ(Parse(stream, frame, consumed), ParseResult::kFrame);
  EXPECT_EQ(consumed, first);
  EXPECT_EQ(frame.kind, Kind::kRequest);
  EXPECT_EQ(frame.serial, 9u);
  EXPECT_EQ(NameOf(frame), u"ZRCAPS_DDE_CPU");
  ASSERT_EQ(ParseFrame(stream.data() + first, stream.size() - first, frame, consumed),
            ParseResult::kFrame);
  EXPECT_EQ(std::string(frame.body.begin(), frame.body.end()), bytes);
}

TEST(DdeWireTest, ImpossibleHeadersAreRefusedBeforeTheirBody) {
  Frame frame;
  size_t consumed = 0;
  EXPECT_EQ(ParseFrame(reinterpret_cast<const uint8_t*>("G"), 1, frame, consumed),
            ParseResult::kInvalid)
      << "a wrong first byte is enough";
  EXPECT_EQ(Parse(Header(kMagic ^ 0x01000000, 1, 0), frame, consumed), ParseResult::kInvalid);
  EXPECT_EQ(Parse(Header(kMagic, 7, 0), frame, consumed), ParseResult::kInvalid);
  EXPECT_EQ(Parse(Header(kMagic, 0, 0), frame, consumed), ParseResult::kInvalid);
  EXPECT_EQ(Parse(Header(kMagic, 2, 3), frame, consumed), ParseResult::kInvalid) << "half a unit";
  EXPECT_EQ(Parse(Header(kMagic, 2, 512), frame, consumed), ParseResult::kInvalid);
  EXPECT_EQ(Parse(Header(kMagic, 5, kMaxDataBytes + 1), frame, consumed), ParseResult::kInvalid);
  EXPECT_EQ(Parse(Header(kMagic, 3, 2), frame, consumed), ParseResult::kInvalid);
  // The largest of each is only waited for.
  EXPECT_EQ(Parse(Header(kMagic, 2, 510), frame, consumed), ParseResult::kIncomplete);
  EXPECT_EQ(Parse(Header(kMagic, 5, kMaxDataBytes), frame, consumed), ParseResult::kIncomplete);
}

TEST(DdeWireTest, LongNamesAreCutAtTheLimit) {
  const std::u16string name(300, u'n');
  Frame frame;
  size_t consumed = 0;
  ASSERT_EQ(Parse(EncodeName(Kind::kConnect, 0, name.c_str()), frame, consumed),
            ParseResult::kFrame);
  EXPECT_EQ(NameOf(frame), name.substr(0, kMaxNameUnits));
}

}  // namespace
#endif  // _WIN32
