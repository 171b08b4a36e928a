#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zq {

// Replies to a start request: the program may start, or it is blocked.
inline constexpr uint32_t kStartAllowed = 915;
inline constexpr uint32_t kStartBlocked = 0;

// Default Unix-domain socket of zq-guard; ZQ_GUARD_SOCKET overrides it.
inline constexpr char kGuardSocketPath[] = "/run/zq-guard.sock";

// Frames between zq-guard and the program. On the wire: a 32-bit
// little-endian length of what follows, then the type (one byte), the
// request id (32-bit little-endian) and the payload.
enum class GuardFrameType : uint8_t {
  kRegister = 1,        // program -> guard, payload: process id (u32)
  kRegisterResult = 2,  // guard -> program, payload: 1 registered, 0 refused
  kDeregister = 3,      // program -> guard
  kRequest = 4,         // guard -> program, payload: path "$" command line "$"
  kTaken = 5,           // program -> guard: the program is deciding the request
  kReply = 6,           // program -> guard, payload: 915 or 0 (u32)
};

struct GuardFrame {
  GuardFrameType type = GuardFrameType::kRequest;
  uint32_t id = 0;
  std::string payload;
};

// Size of the length prefix and of the fixed part of a frame body.
inline constexpr size_t kGuardLengthSize = 4;
inline constexpr size_t kGuardHeaderSize = 5;
// Longest payload either side accepts: a path and a command line fit easily;
// anything longer is a broken or hostile peer.
inline constexpr size_t kGuardMaxPayload = 64 * 1024;

std::string EncodeGuardFrame(const GuardFrame& frame);

// Frames with a 32-bit number as payload.
std::string EncodeGuardNumberFrame(GuardFrameType type, uint32_t id, uint32_t number);
std::optional<uint32_t> GuardFrameNumber(const GuardFrame& frame);

// Collects bytes from a stream and cuts them into frames. A frame with an
// unknown type or an oversized length puts the reader into a failed state
// for good: the connection cannot be resynchronised and must be closed.
class GuardFrameReader {
 public:
  void Append(std::string_view bytes);
  // The next complete frame, if one is buffered.
  std::optional<GuardFrame> Next();
  bool Failed() const { return failed_; }
  // Bytes still needed to complete the frame being read (at least 1), so a
  // caller can read exactly one frame and leave the rest in the socket.
  size_t BytesWanted() const;
  bool Empty() const { return buffer_.empty(); }

 private:
  std::string buffer_;
  bool failed_ = false;
};

// The path and the command line as the program reads them from a payload.
std::string BuildStartPayload(std::string_view path, std::string_view commandLine);

}  // namespace zq
