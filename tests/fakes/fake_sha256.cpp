#include "fakes/fake_sha256.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace {

// Four FNV-1a hashes from different starting points: 4 x 16 hex digits.
class FakeSha256Digest final : public Sha256 {
 public:
  void Add(std::string_view bytes) override {
    for (const char byte : bytes) {
      for (std::uint64_t& lane : lanes_) {
        lane = (lane ^ static_cast<unsigned char>(byte)) * 0x100000001B3ULL;
      }
    }
  }

  std::string HexDigest() override {
    std::string hex;
    for (const std::uint64_t lane : lanes_) {
      char digits[17];
      std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(lane));
      hex += digits;
    }
    return hex;
  }

 private:
  std::array<std::uint64_t, 4> lanes_ = {0xCBF29CE484222325ULL, 0x84222325CBF29CE4ULL,
                                         0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL};
};

}  // namespace

Sha256Maker FakeSha256() {
  return [] { return std::make_unique<FakeSha256Digest>(); };
}

std::string FakeSha256Of(std::string_view bytes) {
  FakeSha256Digest digest;
  digest.Add(bytes);
  return digest.HexDigest();
}
