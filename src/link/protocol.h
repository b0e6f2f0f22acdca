#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

// What passes on the serial line between this program and a TBX4 unit.
namespace protocol {

using namespace std::chrono_literals;

// 4800 baud, no parity, 8 data bits, 1 stop bit; RTS asserted, no flow control.
inline constexpr const char* kLineSettings = "4800,N,8,1";
inline constexpr int kInputLenAll = 0;      // a read takes everything pending
inline constexpr int kNotifyEveryByte = 1;  // notify as soon as one byte waits
inline constexpr int kNoHandshaking = 0;

// Messages to the unit. The unit's commands carry their own ";" separators;
// nothing is ever added to what is sent.
inline constexpr std::string_view kEnterDownload = ";TB00;TB73;TBU;";
inline constexpr std::string_view kEndOfDownload = ";";
inline constexpr std::string_view kRevisionQuery = ";TB00;TB73;TBV;";

// Which lines of an image a download sends, and how, is intel_hex's rule.

// What comes back: every "G" is an acknowledgment; ";" ends a reply.
inline constexpr char kAck = 'G';
inline constexpr char kReplyEnd = ';';
inline constexpr std::string_view kRevisionReplyPrefix = "TBV";
inline constexpr std::string_view kRecordReplyPrefix = ":00";

// How long a line waits for its "G": a missed answer is an error within the
// first, and only paces the lines within the second.
inline constexpr std::chrono::milliseconds kAckTimeout = 500ms;
inline constexpr std::chrono::milliseconds kPaceTimeout = 250ms;

// How long the revision query's answer may take. Nothing waits for it in the
// window; it decides whether a query the session's end cut short had gone
// unanswered or was interrupted. A unit answers within milliseconds, and even
// at 4800 baud the query and its answer take a few dozen.
inline constexpr std::chrono::seconds kRevisionAnswerTime = 2s;

// Unconsumed received characters kept at most: a line that never sends "G" or
// ";" must not grow memory without bound. No real reply comes near this.
inline constexpr std::size_t kRxBufferLimit = std::size_t{64} * 1024;

}  // namespace protocol
