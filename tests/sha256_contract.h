#pragma once

// What every backend's SHA-256 must do, checked the same way for each: the
// standard's own test vectors, bytes given in pieces of any size, and digests
// made and used on several threads at once, as the image check and the
// record use them.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/digest.h"

inline std::string DigestOf(const Sha256Maker& sha256, const std::vector<std::string>& pieces) {
  const std::unique_ptr<Sha256> digest = sha256();
  for (const std::string& piece : pieces) {
    digest->Add(piece);
  }
  return digest->HexDigest();
}

inline void ExpectSha256(const Sha256Maker& sha256) {
  EXPECT_EQ(DigestOf(sha256, {}),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestOf(sha256, {"abc"}),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestOf(sha256, {"abcdbcdecdefdefgefghfghighijhijk", "", "ijkljklmklmnlmnomnopnopq"}),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // A million "a"s, in pieces of 1, 63, 64, 65 bytes and the rest.
  std::vector<std::string> million = {"a", std::string(63, 'a'), std::string(64, 'a'),
                                      std::string(65, 'a')};
  million.push_back(std::string(1000000 - 193, 'a'));
  const std::string expected = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
  EXPECT_EQ(DigestOf(sha256, million), expected);

  std::vector<std::string> found(4);
  std::vector<std::thread> threads;
  for (std::string& result : found) {
    threads.emplace_back([&sha256, &million, &result] { result = DigestOf(sha256, million); });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(found, std::vector<std::string>(4, expected));
}
