#pragma once
// Errors of the window layer. Handlers throw them; the application object
// shows them (Application::ShowException) and the message loop goes on.
#include <exception>
#include <string>

#include "text/Text.h"

namespace vellix::ui {

// The error type of the window layer, carrying a UTF-16 message.
class Exception : public std::exception {
 public:
  explicit Exception(Text message);
  const Text& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
};

// A failed OLE/COM call; the message is the system's text for the code.
class OleError : public Exception {
 public:
  OleError(long code, Text message);
  long ErrorCode() const { return code_; }

 private:
  long code_;
};

// The text the exception display shows: a full stop is appended when the
// message's last character code is above that of ".".
Text DisplayMessage(const Text& message);

// A system message text without the line break (and blanks) that
// FormatMessage leaves at its end.
Text TrimLineBreaks(const Text& message);

// The system's text for an error code (HRESULT or Win32 error); a generic
// "OLE error XXXXXXXX" when the system has none. Windows only.
Text SystemErrorMessage(long code);

// Throws OleError for a failed HRESULT. Windows only.
void OleCheck(long hresult);

}  // namespace vellix::ui
