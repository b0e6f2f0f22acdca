#include "platform/win32/win32_sha256.h"

#include <array>

#include "platform/platform_error.h"
#include "platform/win32/win32_api.h"
// After windows.h, whose types it uses.
#include <bcrypt.h>

namespace {

constexpr std::size_t kDigestBytes = 32;

void Require(NTSTATUS status, const char* what) {
  if (!BCRYPT_SUCCESS(status)) {
    throw PlatformError(std::string("SHA-256: ") + what + " failed");
  }
}

// Each digest opens the algorithm for itself: a provider handle may be shared
// between threads, but one per digest keeps every digest on its own.
class Win32Sha256Digest final : public Sha256 {
 public:
  Win32Sha256Digest() {
    Require(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
            "opening the algorithm");
    const NTSTATUS created = BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0);
    if (!BCRYPT_SUCCESS(created)) {
      BCryptCloseAlgorithmProvider(algorithm_, 0);
      Require(created, "creating the digest");
    }
  }
  ~Win32Sha256Digest() override {
    BCryptDestroyHash(hash_);
    BCryptCloseAlgorithmProvider(algorithm_, 0);
  }
  Win32Sha256Digest(const Win32Sha256Digest&) = delete;
  Win32Sha256Digest& operator=(const Win32Sha256Digest&) = delete;

  void Add(std::string_view bytes) override {
    // BCryptHashData takes a ULONG count: a large piece goes in parts.
    constexpr std::size_t kMostAtOnce = 1U << 30;
    while (!bytes.empty()) {
      const std::string_view part = bytes.substr(0, kMostAtOnce);
      // The input is only read; the API's pointer is not const.
      auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(part.data()));
      Require(BCryptHashData(hash_, data, static_cast<ULONG>(part.size()), 0), "adding bytes");
      bytes.remove_prefix(part.size());
    }
  }

  std::string HexDigest() override {
    std::array<UCHAR, kDigestBytes> digest{};
    Require(BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0),
            "finishing the digest");
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const UCHAR byte : digest) {
      hex += kDigits[byte >> 4];
      hex += kDigits[byte & 0x0F];
    }
    return hex;
  }

 private:
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

Sha256Maker Win32Sha256() {
  return [] { return std::make_unique<Win32Sha256Digest>(); };
}
