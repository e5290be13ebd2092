#include "file/zrProtect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Published vectors give each half big-endian; this cipher reads and stores halves little-endian.
Bytes ReverseHalves(Bytes block) {
  std::swap(block[0], block[3]);
  std::swap(block[1], block[2]);
  std::swap(block[4], block[7]);
  std::swap(block[5], block[6]);
  return block;
}

Bytes Patterned(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

TEST(ZrProtectTest, PublishedVectorsThroughLittleEndianHalves) {
  const Vector vectors[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
      {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
      // Shorter and longer keys are folded cyclically.
      {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
      {"F0E1D2", "FEDCBA9876543210", "E9C2B70A1BC65CF3"},
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
  };
  for (const Vector& vector : vectors) {
    SCOPED_TRACE(vector.key);
    const Bytes key = FromHex(vector.key);
    zrProtect protect;
    protect.SetKey(key.data(), static_cast<uint32_t>(key.size()));
    const Bytes plain = ReverseHalves(FromHex(vector.plain));
    Bytes block(8);
    ASSERT_EQ(protect.Encrypt(block.data(), plain.data(), 8), 8u);
    EXPECT_EQ(ReverseHalves(block), FromHex(vector.cipher));
    ASSERT_EQ(protect.Decrypt(block.data(), block.data(), 8), 8u);
    EXPECT_EQ(block, plain);
  }
}

TEST(ZrProtectTest, RoundTripsInPlaceAndOutOfPlaceBlockByBlock) {
  const Bytes key = FromHex("0123456789ABCDEF0F1E2D3C");
  zrProtect protect;
  protect.SetKey(key.data(), static_cast<uint32_t>(key.size()));
  Bytes plain = Patterned(64);
  std::copy(plain.begin(), plain.begin() + 8, plain.begin() + 24);  // blocks 0 and 3 equal
  const Bytes source = plain;

  Bytes sealed(64);
  ASSERT_EQ(protect.Encrypt(sealed.data(), source.data(), 64), 64u);
  EXPECT_NE(sealed, plain);
  EXPECT_EQ(source, plain);
  // No chaining: equal blocks give equal blocks, and one block alone gives the same.
  EXPECT_TRUE(std::equal(sealed.begin(), sealed.begin() + 8, sealed.begin() + 24));
  Bytes in_place = plain;
  ASSERT_EQ(protect.Encrypt(in_place.data() + 16, in_place.data() + 16, 8), 8u);
  EXPECT_TRUE(std::equal(sealed.begin() + 16, sealed.begin() + 24, in_place.begin() + 16));

  Bytes opened(64);
  ASSERT_EQ(protect.Decrypt(opened.data(), sealed.data(), 64), 64u);
  EXPECT_EQ(opened, plain);
  ASSERT_EQ(protect.Decrypt(sealed.data(), sealed.data(), 64), 64u);
  EXPECT_EQ(sealed, plain);
}

TEST(ZrProtectTest, RefusalsChangeNothing) {
  zrtest::TraceCapture traces;
  const Bytes plain = Patterned(16);
  Bytes data = plain;
  zrProtect protect;
  EXPECT_EQ(protect.Encrypt(data.data(), data.data(), 16), 0u);  // no key
  EXPECT_EQ(protect.Decrypt(data.data(), data.data(), 12), 0u);
  EXPECT_TRUE(traces.Texts().empty());
  protect.SetKey("k", 0);  // no key byte: still no key
  EXPECT_EQ(protect.Encrypt(data.data(), data.data(), 16), 0u);

  protect.SetKey("key", 3);
  const std::string message = "zrProtect : データサイズは8バイト単位である必要があります";
  EXPECT_EQ(protect.Encrypt(data.data(), data.data(), 12), 0u);
  EXPECT_EQ(protect.Decrypt(data.data(), data.data(), 12), 0u);
  EXPECT_EQ(traces.Texts(), (std::vector<std::string>{message, message}));
  EXPECT_EQ(protect.Encrypt(nullptr, data.data(), 8), 0u);
  EXPECT_EQ(protect.Decrypt(data.data(), nullptr, 8), 0u);
  EXPECT_EQ(protect.Encrypt(data.data(), data.data(), 0), 0u);
  EXPECT_EQ(traces.Texts().size(), 2u);
  EXPECT_EQ(data, plain);
}

// The ciphertext of one block under `key`.
Bytes Sealed(const Bytes& key) {
  zrProtect protect;
  protect.SetKey(key.data(), static_cast<uint32_t>(key.size()));
  Bytes block = Patterned(8);
  protect.Encrypt(block.data(), block.data(), 8);
  return block;
}

TEST(ZrProtectTest, KeysCountWithTheirFirstSeventyTwoBytes) {
  const Bytes key = Patterned(80);
  const Bytes first72(key.begin(), key.begin() + 72);
  const Bytes first71(key.begin(), key.begin() + 71);
  EXPECT_EQ(Sealed(key), Sealed(first72));
  EXPECT_NE(Sealed(first72), Sealed(first71));

  // A new key starts again from the initial tables.
  zrProtect rekeyed;
  rekeyed.SetKey(key.data(), 80);
  rekeyed.SetKey(first71.data(), 71);
  Bytes block = Patterned(8);
  rekeyed.Encrypt(block.data(), block.data(), 8);
  EXPECT_EQ(block, Sealed(first71));
  rekeyed.SetKey(nullptr, 0);  // ignored: the key stays
  block = Patterned(8);
  rekeyed.Encrypt(block.data(), block.data(), 8);
  EXPECT_EQ(block, Sealed(first71));
}

}  // namespace
