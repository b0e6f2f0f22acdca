#include "platform/qt/qt_sha256.h"

#include <QCryptographicHash>

namespace {

class QtSha256Digest final : public Sha256 {
 public:
  void Add(std::string_view bytes) override {
    hash_.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  }

  std::string HexDigest() override { return hash_.result().toHex().toStdString(); }

 private:
  QCryptographicHash hash_{QCryptographicHash::Sha256};
};

}  // namespace

Sha256Maker QtSha256() {
  return [] { return std::make_unique<QtSha256Digest>(); };
}
