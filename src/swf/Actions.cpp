#include "swf/Actions.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "swf/ByteWriter.h"

namespace vellix::swf {

namespace {

// Action codes.
enum : std::uint8_t {
  kEnd = 0x00,
  kNextFrame = 0x04,
  kPrevFrame = 0x05,
  kPlay = 0x06,
  kStop = 0x07,
  kNot = 0x12,
  kPop = 0x17,
  kGetVariable = 0x1C,
  kSetVariable = 0x1D,
  kStringAdd = 0x21,
  kTrace = 0x26,
  kGetTime = 0x34,
  kDefineLocal = 0x3C,
  kCallFunction = 0x3D,
  kReturn = 0x3E,
  kNewObject = 0x40,
  kInitObject = 0x43,
  kAdd2 = 0x47,
  kLess2 = 0x48,
  kEquals2 = 0x49,
  kPushDuplicate = 0x4C,
  kGetMember = 0x4E,
  kSetMember = 0x4F,
  kCallMethod = 0x52,
  kStrictEquals = 0x66,
  kGotoFrame = 0x81,
  kGetUrl = 0x83,
  kStoreRegister = 0x87,
  kConstantPool = 0x88,
  kPush = 0x96,
  kJump = 0x99,
  kGetUrl2 = 0x9A,
  kDefineFunction = 0x9B,
  kIf = 0x9D,
};

// Push value types.
enum : std::uint8_t {
  kPushString = 0,
  kPushNull = 2,
  kPushUndefined = 3,
  kPushRegister = 4,
  kPushBool = 5,
  kPushDouble = 6,
  kPushInteger = 7,
  kPushConstant8 = 8,
  kPushConstant16 = 9,
};

constexpr std::size_t kJumpRecordSize = 5;


}  // namespace

Actions::Label Actions::NewLabel() {
  labelItem_.push_back(-1);
  return Label{static_cast<int>(labelItem_.size() - 1)};
}

Actions& Actions::Bind(Label label) {
  if (label.id < 0 || static_cast<std::size_t>(label.id) >= labelItem_.size())
    throw std::invalid_argument("binding a label of another action list");
  if (labelItem_[label.id] != -1) throw std::invalid_argument("a label is bound twice");
  labelItem_[label.id] = static_cast<long>(items_.size());
  return *this;
}

Actions& Actions::Simple(std::uint8_t code) {
  items_.push_back({std::string(1, static_cast<char>(code)), -1});
  return *this;
}

Actions& Actions::Record(std::uint8_t code, const std::string& payload) {
  if (payload.size() > 0xFFFF) throw std::invalid_argument("an action record is longer than 65535 bytes");
  ByteWriter w;
  w.U8(code);
  w.U16(static_cast<std::uint32_t>(payload.size()));
  w.Raw(payload);
  items_.push_back({w.bytes(), -1});
  return *this;
}

Actions& Actions::PushTyped(std::uint8_t type, const std::string& value) {
  return Record(kPush, std::string(1, static_cast<char>(type)) + value);
}

Actions& Actions::PushString(std::string_view utf8) {
  ByteWriter w;
  w.CString(utf8);
  return PushTyped(kPushString, w.bytes());
}

Actions& Actions::PushNumber(double value) {
  ByteWriter w;
  const bool integral = std::isfinite(value) && value == std::floor(value) &&
                        value >= std::numeric_limits<std::int32_t>::min() &&
                        value <= std::numeric_limits<std::int32_t>::max() && !(value == 0 && std::signbit(value));
  if (integral) {
    w.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
    return PushTyped(kPushInteger, w.bytes());
  }
  // Doubles are stored as two little-endian 32-bit halves, high half first.
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  w.U32(static_cast<std::uint32_t>(bits >> 32));
  w.U32(static_cast<std::uint32_t>(bits));
  return PushTyped(kPushDouble, w.bytes());
}

Actions& Actions::PushBool(bool value) { return PushTyped(kPushBool, std::string(1, value ? '\1' : '\0')); }
Actions& Actions::PushNull() { return PushTyped(kPushNull, std::string()); }
Actions& Actions::PushUndefined() { return PushTyped(kPushUndefined, std::string()); }
Actions& Actions::PushRegister(std::uint8_t index) {
  return PushTyped(kPushRegister, std::string(1, static_cast<char>(index)));
}

Actions& Actions::PushConstant(std::uint16_t index) {
  ByteWriter w;
  if (index < 256) {
    w.U8(index);
    return PushTyped(kPushConstant8, w.bytes());
  }
  w.U16(index);
  return PushTyped(kPushConstant16, w.bytes());
}

Actions& Actions::ConstantPool(const std::vector<std::string>& texts) {
  if (texts.size() > 0xFFFF) throw std::invalid_argument("a constant pool holds at most 65535 texts");
  ByteWriter w;
  w.U16(static_cast<std::uint32_t>(texts.size()));
  for (const auto& t : texts) w.CString(t);
  return Record(kConstantPool, w.bytes());
}

Actions& Actions::StoreRegister(std::uint8_t index) { return Record(kStoreRegister, std::string(1, static_cast<char>(index))); }

Actions& Actions::GetVariable() { return Simple(kGetVariable); }
Actions& Actions::SetVariable() { return Simple(kSetVariable); }
Actions& Actions::GetMember() { return Simple(kGetMember); }
Actions& Actions::SetMember() { return Simple(kSetMember); }
Actions& Actions::CallFunction() { return Simple(kCallFunction); }
Actions& Actions::CallMethod() { return Simple(kCallMethod); }
Actions& Actions::NewObject() { return Simple(kNewObject); }
Actions& Actions::InitObject() { return Simple(kInitObject); }
Actions& Actions::DefineLocal() { return Simple(kDefineLocal); }
Actions& Actions::Pop() { return Simple(kPop); }
Actions& Actions::PushDuplicate() { return Simple(kPushDuplicate); }
Actions& Actions::Add2() { return Simple(kAdd2); }
Actions& Actions::StringAdd() { return Simple(kStringAdd); }
Actions& Actions::Equals2() { return Simple(kEquals2); }
Actions& Actions::StrictEquals() { return Simple(kStrictEquals); }
Actions& Actions::Less2() { return Simple(kLess2); }
Actions& Actions::Not() { return Simple(kNot); }
Actions& Actions::Return() { return Simple(kReturn); }
Actions& Actions::Trace() { return Simple(kTrace); }
Actions& Actions::GetTime() { return Simple(kGetTime); }
Actions& Actions::Stop() { return Simple(kStop); }
Actions& Actions::Play() { return Simple(kPlay); }
Actions& Actions::NextFrame() { return Simple(kNextFrame); }
Actions& Actions::PrevFrame() { return Simple(kPrevFrame); }

Actions& Actions::GotoFrame(std::uint16_t frameIndex) {
  ByteWriter w;
  w.U16(frameIndex);
  return Record(kGotoFrame, w.bytes());
}

Actions& Actions::GetUrl(std::string_view url, std::string_view target) {
  ByteWriter w;
  w.CString(url);
  w.CString(target);
  return Record(kGetUrl, w.bytes());
}

Actions& Actions::GetUrl2(std::uint8_t flags) { return Record(kGetUrl2, std::string(1, static_cast<char>(flags))); }

std::string Actions::FsCommandUrl(std::string_view command) { return "FSCommand:" + std::string(command); }

Actions& Actions::FsCommand(std::string_view command, std::string_view args) {
  return GetUrl(FsCommandUrl(command), args);
}

Actions& Actions::LoadMovieNum(int level) {
  PushString("_level" + std::to_string(level));
  return GetUrl2(kGetUrlPlain);
}

Actions& Actions::LoadVariablesNum(int level) {
  PushString("_level" + std::to_string(level));
  return GetUrl2(kGetUrlLoadVariables);
}

Actions& Actions::Jump(Label target) {
  if (target.id < 0 || static_cast<std::size_t>(target.id) >= labelItem_.size())
    throw std::invalid_argument("a jump to a label of another action list");
  items_.push_back({std::string(1, static_cast<char>(kJump)), target.id});
  return *this;
}

Actions& Actions::If(Label target) {
  if (target.id < 0 || static_cast<std::size_t>(target.id) >= labelItem_.size())
    throw std::invalid_argument("a jump to a label of another action list");
  items_.push_back({std::string(1, static_cast<char>(kIf)), target.id});
  return *this;
}

Actions& Actions::DefineFunction(std::string_view name, const std::vector<std::string>& params, const Actions& body) {
  const std::string code = body.Assemble(false);
  if (code.size() > 0xFFFF) throw std::invalid_argument("a function body is longer than 65535 bytes");
  ByteWriter w;
  w.CString(name);
  w.U16(static_cast<std::uint32_t>(params.size()));
  for (const auto& p : params) w.CString(p);
  w.U16(static_cast<std::uint32_t>(code.size()));
  Record(kDefineFunction, w.bytes());
  // The body follows the record; its length is counted in the record.
  items_.back().record += code;
  return *this;
}

std::string Actions::Assemble(bool terminate) const {
  std::vector<long> offset(items_.size() + 1, 0);
  for (std::size_t i = 0; i < items_.size(); ++i)
    offset[i + 1] = offset[i] + static_cast<long>(items_[i].jumpTo >= 0 ? kJumpRecordSize : items_[i].record.size());
  ByteWriter w;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    if (item.jumpTo < 0) {
      w.Raw(item.record);
      continue;
    }
    const long at = labelItem_[item.jumpTo];
    if (at < 0) throw std::invalid_argument("a jump to a label that is never bound");
    const long distance = offset[at] - offset[i + 1];
    if (distance < -32768 || distance > 32767) throw std::invalid_argument("a jump is longer than 32767 bytes");
    w.Raw(item.record);
    w.U16(2);
    w.U16(static_cast<std::uint32_t>(distance) & 0xFFFF);
  }
  if (terminate) w.U8(kEnd);
  return w.bytes();
}

}  // namespace vellix::swf
