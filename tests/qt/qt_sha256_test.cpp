// SHA-256 by Qt, as the window's image check and both programs' record take it.
#include <gtest/gtest.h>

#include "platform/qt/qt_sha256.h"
#include "sha256_contract.h"

namespace {

TEST(QtSha256, GivesTheStandardsDigestsInAnyPiecesOnAnyThread) {
  ExpectSha256(QtSha256());
}

}  // namespace
