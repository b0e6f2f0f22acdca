// The receive path against its plain reading (ReferenceReceiver), however the
// unit's bytes are split into notifications. The input is a series of chunks,
// each a length byte and then that many bytes. A length byte of 0 is followed
// by a byte and a count and stands for a long run of that byte, line noise
// that reaches the bound on unconsumed input; a run of "G" or ";" would only
// be consumed as it came, at a cost per character, so it is a single one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fakes/harness.h"
#include "fakes/reference_receiver.h"
#include "fuzz_support.h"

namespace {

// Runs come in steps of 256 bytes, up to 64 KiB; an input delivers at most
// 160 KiB, enough to pass the 64 KiB bound on unconsumed input while keeping
// each input to milliseconds.
constexpr std::size_t kRunUnit = 256;
constexpr std::size_t kMostBytesPerInput = 160 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Harness h(ProgramDir());
  h.dld.Form_Load();
  ReferenceReceiver reference;
  std::size_t at = 0;
  std::size_t delivered = 0;
  while (at < size && delivered < kMostBytesPerInput) {
    const std::size_t length = data[at++];
    std::string chunk;
    if (length == 0) {
      if (size - at < 2) {
        break;
      }
      const char noise = static_cast<char>(data[at]);
      const bool consumed = noise == 'G' || noise == ';';
      chunk.assign(consumed ? 1 : (data[at + 1] + 1u) * kRunUnit, noise);
      at += 2;
    } else {
      const std::size_t taken = std::min(length, size - at);
      chunk.assign(reinterpret_cast<const char*>(data + at), taken);
      at += taken;
    }
    chunk.resize(std::min(chunk.size(), kMostBytesPerInput - delivered));
    delivered += chunk.size();

    reference.Notify(chunk);
    h.comm1.Arrive(chunk);
    h.platform.RunUntilIdle();
    Require(h.Text(TextArea::kDebugBox) == reference.window);
    Require(h.Caption(Label::kRevision) == reference.label);
    Require(h.dld.Globals().ReplyReceived == reference.flag);
    Require(h.dld.RxBuffer() == reference.buffer);
  }
  return 0;
}
