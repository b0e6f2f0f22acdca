#include "unit_protocol.h"

#include <optional>
#include <utility>

#include "hex/intel_hex.h"

namespace {

// Longer tokens are noise; giving up on them bounds what a stream of junk
// without any ';' can make us keep.
constexpr std::size_t kMaxTokenLength = 32;
// ':' and the two digits of the length byte.
constexpr std::size_t kLengthDigitsEnd = 3;
// How much of a run of skipped bytes the diagnostics show.
constexpr std::size_t kMaxShownSkipped = 48;
// The byte at `index` of a record whose characters are all hex digits.
int ByteAt(std::string_view record, std::size_t index) {
  return *intel_hex::HexByte(record[1 + 2 * index], record[2 + 2 * index]);
}

bool IsTokenChar(char c) {
  return c > ' ' && c < 0x7f && c != ':' && c != ';';
}

bool IsAddressing(std::string_view token) {
  return token == "TB00" || token == "TB73";
}

// "data, checksum ok" and the like. The unit answers every complete record
// alike; the note only helps whoever reads the diagnostics.
std::string DescribeRecord(std::string_view text) {
  const std::optional<intel_hex::Record> record = intel_hex::ParseRecord(text);
  if (!record) {
    return "malformed";
  }
  std::string note;
  switch (record->type) {
    case intel_hex::kData:
      note = "data";
      break;
    case intel_hex::kEndOfFile:
      note = "end of file";
      break;
    case intel_hex::kExtendedSegmentAddress:
      note = "extended segment address";
      break;
    case intel_hex::kExtendedLinearAddress:
      note = "extended linear address";
      break;
    default:
      note = "type " + std::to_string(record->type);
      break;
  }
  return note + (record->checksum_ok ? ", checksum ok" : ", BAD CHECKSUM");
}

}  // namespace

UnitProtocol::UnitProtocol(UnitOptions options) : options_(std::move(options)) {}

std::vector<UnitMessage> UnitProtocol::Feed(std::string_view bytes) {
  std::vector<UnitMessage> out;
  for (const char c : bytes) {
    if (c == ':') {
      StartRecord(out);
      continue;
    }
    if (c == ';') {
      if (state_ == State::kToken) {
        FinishToken(out);
      } else {
        DiscardRecordOrNoise(out);
      }
      state_ = State::kToken;
      continue;
    }
    switch (state_) {
      case State::kToken:
        if (IsTokenChar(c) && current_.size() < kMaxTokenLength) {
          current_ += c;
        } else {
          BeginSkip(c);
        }
        break;
      case State::kRecord:
        GrowRecord(c, out);
        break;
      case State::kSkip:
        Skip(c);
        break;
    }
  }
  return out;
}

// A record is complete once it has as many characters as its length byte
// says; a character that is no hex digit spoils it.
void UnitProtocol::GrowRecord(char c, std::vector<UnitMessage>& out) {
  if (intel_hex::HexDigit(c) < 0) {
    BeginSkip(c);
    return;
  }
  current_ += c;
  if (current_.size() == kLengthDigitsEnd) {
    record_length_ = intel_hex::RecordChars(static_cast<std::size_t>(ByteAt(current_, 0)));
  }
  if (record_length_ != 0 && current_.size() == record_length_) {
    FinishRecord(out);
  }
}

// The partial token or record goes into the skipped run together with the
// byte that spoiled it, so the diagnostics show the whole of the noise.
void UnitProtocol::BeginSkip(char byte) {
  const std::string partial = std::move(current_);
  current_.clear();
  skipped_ = 0;
  for (const char p : partial) {
    Skip(p);
  }
  Skip(byte);
  state_ = State::kSkip;
}

void UnitProtocol::Skip(char byte) {
  if (current_.size() < kMaxShownSkipped) {
    current_ += byte;
  }
  ++skipped_;
}

void UnitProtocol::Discard(std::string_view why, std::vector<UnitMessage>& out) {
  UnitMessage message;
  message.kind = UnitMessage::Kind::kDiscarded;
  message.text = std::move(current_);
  message.note = std::string(why) + ", " + std::to_string(skipped_) + " byte(s)";
  out.push_back(std::move(message));
  current_.clear();
  skipped_ = 0;
}

void UnitProtocol::DropPrefix(std::vector<UnitMessage>& out) {
  if (prefix_.empty()) {
    return;
  }
  UnitMessage message;
  message.text = std::move(prefix_);
  message.note = "addressing with no command, ignored";
  out.push_back(std::move(message));
  prefix_.clear();
}

// A boundary came in the middle of a record or of a run of noise: report what
// it cut off.
void UnitProtocol::DiscardRecordOrNoise(std::vector<UnitMessage>& out) {
  if (state_ == State::kRecord) {
    skipped_ = current_.size();
    Discard("record cut short", out);
  } else if (state_ == State::kSkip) {
    Discard("skipped", out);
  }
}

void UnitProtocol::StartRecord(std::vector<UnitMessage>& out) {
  if (state_ != State::kToken) {
    DiscardRecordOrNoise(out);
  } else if (!current_.empty()) {
    skipped_ = current_.size();
    Discard("unterminated command", out);
  }
  DropPrefix(out);
  current_ = ':';
  record_length_ = 0;
  state_ = State::kRecord;
}

void UnitProtocol::FinishToken(std::vector<UnitMessage>& out) {
  std::string token = std::move(current_);
  current_.clear();
  if (token.empty()) {
    DropPrefix(out);
    return;
  }
  if (IsAddressing(token)) {
    prefix_ += token;
    prefix_ += ';';
    return;
  }
  UnitMessage message;
  message.text = prefix_ + token;
  prefix_.clear();
  if (token == "TBU") {
    message.note = "enter download";
    message.answer = 'G';
  } else if (token == "TBV") {
    message.note = "revision query";
    message.answer = "TBV" + options_.revision + ";";
  } else {
    message.note = "unknown command, ignored";
  }
  if (options_.silent && !message.answer.empty()) {
    message.answer.clear();
    message.note += ", silent";
  }
  out.push_back(std::move(message));
}

void UnitProtocol::FinishRecord(std::vector<UnitMessage>& out) {
  UnitMessage message;
  message.kind = UnitMessage::Kind::kRecord;
  message.text = std::move(current_);
  current_.clear();
  record_length_ = 0;
  state_ = State::kToken;
  ++records_received_;
  message.note =
      "record " + std::to_string(records_received_) + ", " + DescribeRecord(message.text);
  const bool over_limit = options_.stop_after >= 0 &&
                          records_answered_ >= static_cast<std::size_t>(options_.stop_after);
  if (options_.silent) {
    message.note += ", silent";
  } else if (over_limit) {
    message.note += ", silent after " + std::to_string(options_.stop_after) + " record(s)";
  } else {
    message.answer = 'G';
    ++records_answered_;
  }
  out.push_back(std::move(message));
}
