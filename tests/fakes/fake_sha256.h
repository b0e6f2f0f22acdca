#pragma once

#include <string>
#include <string_view>

#include "platform/digest.h"

// Stands in for the backends' SHA-256 in the tests over the fakes: a digest of
// the same form, 64 lowercase hex digits, that changes with every byte and
// with their order, so a test can tell which bytes were digested, and that
// all of them were. It is not SHA-256; the backends' own tests check theirs.
Sha256Maker FakeSha256();

// What the fake gives for `bytes`, added in one piece or in many.
std::string FakeSha256Of(std::string_view bytes);
