#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The TBX4 unit's side of the wire, with no I/O in it: bytes go in as they
// arrive, in chunks of any size, and complete messages come out with the
// answer the unit sends for each. The simulated unit and its tests share it.
//
// A real unit sees one undivided byte stream, so message boundaries come from
// the bytes alone:
//  - Commands are ';'-separated tokens. "TB00" and "TB73" address the unit and
//    are kept only as a prefix of the next command; "TBU" (enter download) is
//    answered "G"; "TBV" (revision query) is answered "TBV<revision>;". Empty
//    tokens (the end-of-download ";", or the ';' that opens every command)
//    and unknown tokens get no answer.
//  - An Intel HEX record starts at ':' and is complete after 11 + 2 * LL
//    characters, LL being its first two hex digits. Every complete record is
//    answered "G", the end-of-file record included.
//  - Anything else (line ends, noise, a record broken by a foreign byte) is
//    skipped up to the next ':' or ';'.
struct UnitOptions {
  std::string revision = "1.04";
  // Answer nothing at all.
  bool silent = false;
  // Answer only this many records, then stay silent to records (commands are
  // still answered). Negative: no limit.
  long stop_after = -1;
};

struct UnitMessage {
  enum class Kind {
    kCommand,    // a non-empty command token
    kRecord,     // a complete Intel HEX record
    kDiscarded,  // bytes skipped because they fit neither
  };
  Kind kind = Kind::kCommand;
  // kCommand: the addressing prefixes and the token joined by ';', such as
  // "TB00;TB73;TBU". kRecord: the whole record from ':'. kDiscarded: the bytes.
  std::string text;
  // What the unit sends back; empty when it sends nothing.
  std::string answer;
  // A short human explanation for diagnostics.
  std::string note;
};

class UnitProtocol {
 public:
  explicit UnitProtocol(UnitOptions options = {});

  // Consumes the bytes and returns every message they complete, in order.
  std::vector<UnitMessage> Feed(std::string_view bytes);

  // Complete records seen so far, and how many of them were answered.
  std::size_t RecordsReceived() const { return records_received_; }
  std::size_t RecordsAnswered() const { return records_answered_; }

 private:
  enum class State { kToken, kRecord, kSkip };

  void FinishToken(std::vector<UnitMessage>& out);
  void FinishRecord(std::vector<UnitMessage>& out);
  void Discard(std::string_view why, std::vector<UnitMessage>& out);
  void DiscardRecordOrNoise(std::vector<UnitMessage>& out);
  void StartRecord(std::vector<UnitMessage>& out);
  void GrowRecord(char c, std::vector<UnitMessage>& out);
  void DropPrefix(std::vector<UnitMessage>& out);
  void BeginSkip(char byte);
  void Skip(char byte);

  UnitOptions options_;
  State state_ = State::kToken;
  std::string current_;            // the token, record or skipped bytes being gathered
  std::size_t skipped_ = 0;        // bytes skipped so far; current_ keeps only the first few
  std::string prefix_;             // addressing tokens waiting for their command
  std::size_t record_length_ = 0;  // total characters of the current record, 0 = not known yet
  std::size_t records_received_ = 0;
  std::size_t records_answered_ = 0;
};
