#pragma once
// An assembler for ActionScript 2 (AVM1) actions, the byte code of DoAction
// tags and button events. Each action record is
//
//   code     1 byte; codes of 0x80 and above carry a payload:
//   length   unsigned 16-bit little-endian, the payload's length
//   payload  per action: Push holds typed values, Jump and If a signed 16-bit
//            offset counted from the end of their own record, GetURL two
//            zero-terminated texts, GotoFrame a 16-bit frame index, ...
//
// and a list ends with the code 0. Texts are UTF-8 (movies of version 6 and
// later). Jumps go to labels, forward or backward; Assemble() resolves them.
// Misuse (an unbound label, a text holding a zero byte, a jump or a record
// beyond 16 bits) throws std::invalid_argument: it is a fault of the program
// that builds the movie, not of any input.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellix::swf {

// Flags of GetURL2: how variables are sent, and what the target names.
// Players read the flag byte with the method in its low bits and the two
// flags at the top, the opposite of the order some format notes draw.
enum GetUrlFlags : std::uint8_t {
  kGetUrlPlain = 0x00,          // the target names a window or a level ("_level0")
  kGetUrlSendGet = 0x01,        // send the clip's variables with GET
  kGetUrlSendPost = 0x02,       // ... or with POST
  kGetUrlTargetIsClip = 0x40,   // the target is a clip's path
  kGetUrlLoadVariables = 0x80,  // load variables instead of a movie
};

class Actions {
 public:
  // A place in the action list, bound once, jumped to any number of times.
  struct Label {
    int id = -1;
  };

  Label NewLabel();
  // The label stands before the next action added.
  Actions& Bind(Label label);

  // Push one value onto the stack.
  Actions& PushString(std::string_view utf8);
  Actions& PushNumber(double value);  // as an integer when it is one
  Actions& PushBool(bool value);
  Actions& PushNull();
  Actions& PushUndefined();
  Actions& PushRegister(std::uint8_t index);
  Actions& PushConstant(std::uint16_t index);  // from the constant pool

  Actions& ConstantPool(const std::vector<std::string>& texts);
  Actions& StoreRegister(std::uint8_t index);

  // Stack operations, each one action.
  Actions& GetVariable();   // name -> value; a name may be a path such as "_level0.x"
  Actions& SetVariable();   // name, value ->
  Actions& GetMember();     // object, name -> value
  Actions& SetMember();     // object, name, value ->
  Actions& CallFunction();  // args (last first), count, name -> result
  Actions& CallMethod();    // args (last first), count, object, name -> result
  Actions& NewObject();     // args (last first), count, name -> object
  Actions& InitObject();    // pairs of value and name, count -> object
  Actions& DefineLocal();   // name, value -> (a variable of the running function)
  Actions& Pop();
  Actions& PushDuplicate();
  Actions& Add2();          // a + b, strings joined when either is one
  Actions& StringAdd();     // a & b as texts
  Actions& Equals2();
  Actions& StrictEquals();
  Actions& Less2();
  Actions& Not();
  Actions& Return();
  Actions& Trace();
  Actions& GetTime();       // -> milliseconds since the movie started (getTimer())

  // Timeline.
  Actions& Stop();
  Actions& Play();
  Actions& NextFrame();
  Actions& PrevFrame();
  Actions& GotoFrame(std::uint16_t frameIndex);  // 0 is the first frame
  Actions& GotoAndStop(std::uint16_t frameIndex) { return GotoFrame(frameIndex).Stop(); }

  // Loading and commands.
  Actions& GetUrl(std::string_view url, std::string_view target);
  Actions& GetUrl2(std::uint8_t flags);  // url, target ->
  // fscommand(command, args) with both texts known.
  Actions& FsCommand(std::string_view command, std::string_view args);
  // fscommand(command, <the text on top of the stack>): the caller pushes
  // FsCommandUrl(command) first, then computes the args.
  static std::string FsCommandUrl(std::string_view command);
  Actions& FsCommandFromStack() { return GetUrl2(kGetUrlPlain); }
  // loadMovieNum(<url on the stack>, level) and loadVariablesNum(...).
  Actions& LoadMovieNum(int level);
  Actions& LoadVariablesNum(int level);

  // Control flow.
  Actions& Jump(Label target);
  Actions& If(Label target);  // jumps when the popped value is true

  // A function literal; with an empty name it is pushed onto the stack,
  // otherwise it is defined under that name. The body sees its parameters as
  // variables.
  Actions& DefineFunction(std::string_view name, const std::vector<std::string>& params, const Actions& body);

  // The encoded records; with `terminate` the closing End action follows.
  std::string Assemble(bool terminate = true) const;

 private:
  struct Item {
    std::string record;  // a complete action record, or the code of a jump
    int jumpTo = -1;     // label id for Jump and If
  };
  Actions& Simple(std::uint8_t code);
  Actions& Record(std::uint8_t code, const std::string& payload);
  Actions& PushTyped(std::uint8_t type, const std::string& value);

  std::vector<Item> items_;
  std::vector<long> labelItem_;  // label id -> index of the item it precedes, -1 unbound
};

}  // namespace vellix::swf
