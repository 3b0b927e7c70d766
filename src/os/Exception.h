#pragma once
// The program's own error type, and the guard that shows errors escaping an
// event handler instead of letting them end the program.
#include <exception>
#include <functional>
#include <string>

#include "os/Forms.h"
#include "text/Text.h"

namespace vellix {

// An error with a UTF-16 message for the exception display.
class Exception : public std::exception {
 public:
  explicit Exception(Text message);
  const Text& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
};

// Shows the exception being handled (call it inside a catch block): ours
// with its message, any other with an empty one. Never throws.
void ShowCurrentException(ExceptionDisplay& display) noexcept;

// Runs `handler`; an exception it throws is shown and the caller goes on.
template <class F>
void RunGuarded(ExceptionDisplay& display, F&& handler) noexcept {
  try {
    handler();
  } catch (...) {
    ShowCurrentException(display);
  }
}

}  // namespace vellix
