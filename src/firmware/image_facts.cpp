#include "firmware/image_facts.h"

#include <array>

#include "platform/platform_error.h"
#include "ui/texts.h"

namespace {

// Hands a stream's bytes on as they are read, and adds each block to a digest
// on the way: the summary reads line by line, the digest sees every byte, and
// the file is read once.
class DigestingReader final : public std::streambuf {
 public:
  DigestingReader(std::istream& source, Sha256* digest) : source_(source), digest_(digest) {}

 protected:
  int_type underflow() override {
    source_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
    const auto got = static_cast<std::size_t>(source_.gcount());
    if (got == 0) {
      return traits_type::eof();
    }
    if (digest_ != nullptr) {
      digest_->Add(std::string_view(block_.data(), got));
    }
    setg(block_.data(), block_.data(), block_.data() + got);
    return traits_type::to_int_type(block_[0]);
  }

 private:
  std::istream& source_;
  Sha256* digest_;
  std::array<char, std::size_t{64} * 1024> block_{};
};

// A digest the system cannot give leaves the facts without one; the summary
// stands on its own.
std::string DigestOrNothing(Sha256* digest) {
  if (digest == nullptr) {
    return {};
  }
  try {
    return digest->HexDigest();
  } catch (const PlatformError&) {
    return {};
  }
}

}  // namespace

std::optional<ImageFacts> ExamineImage(std::istream& image, const Sha256Maker& sha256) {
  const std::unique_ptr<Sha256> digest = sha256 ? sha256() : nullptr;
  DigestingReader reader(image, digest.get());
  std::istream lines(&reader);
  ImageFacts facts{SummarizeImage(lines), {}};
  if (image.bad()) {
    return std::nullopt;
  }
  facts.sha256 = DigestOrNothing(digest.get());
  return facts;
}

std::optional<ImageFacts> ExamineImageFile(const TextFiles::WholeFileOpener& open,
                                           const Sha256Maker& sha256, const std::string& path) {
  try {
    const std::unique_ptr<std::istream> image = open(path);
    return ExamineImage(*image, sha256);
  } catch (const PlatformError&) {
    return std::nullopt;
  }
}

std::string DescribeImageFacts(const ImageFacts& facts, std::size_t digits) {
  std::string text = DescribeImage(facts.summary);
  if (!facts.sha256.empty()) {
    text += ui::kImageSha256 + facts.sha256.substr(0, digits);
  }
  return text;
}
