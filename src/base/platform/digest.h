#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The SHA-256 of bytes given piece by piece: what a technician compares with
// the digest in an image's release notes. One digest is used on one thread.
class Sha256 {
 public:
  virtual ~Sha256() = default;
  virtual void Add(std::string_view bytes) = 0;
  // The 64 lowercase hex digits of everything added; call once, at the end.
  // Throws PlatformError when the system cannot give it.
  virtual std::string HexDigest() = 0;
};

// Makes a fresh digest. A backend's maker holds nothing of the backend, so it
// may be called on any thread (the image check reads away from the window)
// and outlive whoever gave it.
using Sha256Maker = std::function<std::unique_ptr<Sha256>()>;

// The first digits of a digest, as a short form that still tells two images
// apart at a glance.
inline constexpr std::size_t kShortDigestDigits = 12;
