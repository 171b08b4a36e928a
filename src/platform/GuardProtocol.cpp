#include "platform/GuardProtocol.h"

namespace zq {
namespace {
void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

uint32_t GetU32(std::string_view in) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(in[static_cast<size_t>(i)]);
  return v;
}

bool KnownType(uint8_t t) {
  return t >= static_cast<uint8_t>(GuardFrameType::kRegister) &&
         t <= static_cast<uint8_t>(GuardFrameType::kReply);
}
}  // namespace

std::string EncodeGuardFrame(const GuardFrame& frame) {
  std::string out;
  out.reserve(kGuardLengthSize + kGuardHeaderSize + frame.payload.size());
  PutU32(out, static_cast<uint32_t>(kGuardHeaderSize + frame.payload.size()));
  out.push_back(static_cast<char>(frame.type));
  PutU32(out, frame.id);
  out += frame.payload;
  return out;
}

std::string EncodeGuardNumberFrame(GuardFrameType type, uint32_t id, uint32_t number) {
  GuardFrame frame{type, id, {}};
  PutU32(frame.payload, number);
  return EncodeGuardFrame(frame);
}

std::optional<uint32_t> GuardFrameNumber(const GuardFrame& frame) {
  if (frame.payload.size() != 4) return std::nullopt;
  return GetU32(frame.payload);
}

void GuardFrameReader::Append(std::string_view bytes) {
  if (!failed_) buffer_.append(bytes);
}

size_t GuardFrameReader::BytesWanted() const {
  if (buffer_.size() < kGuardLengthSize) return kGuardLengthSize - buffer_.size();
  const size_t total = kGuardLengthSize + GetU32(buffer_);
  return total > buffer_.size() ? total - buffer_.size() : 1;
}

std::optional<GuardFrame> GuardFrameReader::Next() {
  if (failed_ || buffer_.size() < kGuardLengthSize) return std::nullopt;
  const uint32_t length = GetU32(buffer_);
  if (length < kGuardHeaderSize || length > kGuardHeaderSize + kGuardMaxPayload) {
    failed_ = true;
    buffer_.clear();
    return std::nullopt;
  }
  if (buffer_.size() < kGuardLengthSize + length) return std::nullopt;
  const auto type = static_cast<uint8_t>(buffer_[kGuardLengthSize]);
  if (!KnownType(type)) {
    failed_ = true;
    buffer_.clear();
    return std::nullopt;
  }
  GuardFrame frame;
  frame.type = static_cast<GuardFrameType>(type);
  frame.id = GetU32(std::string_view(buffer_).substr(kGuardLengthSize + 1, 4));
  frame.payload = buffer_.substr(kGuardLengthSize + kGuardHeaderSize, length - kGuardHeaderSize);
  buffer_.erase(0, kGuardLengthSize + length);
  return frame;
}

std::string BuildStartPayload(std::string_view path, std::string_view commandLine) {
  std::string out;
  out.reserve(path.size() + commandLine.size() + 2);
  out.append(path);
  out.push_back('$');
  out.append(commandLine);
  out.push_back('$');
  return out;
}

}  // namespace zq
