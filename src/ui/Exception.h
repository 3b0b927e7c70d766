#pragma once
// Errors of the Win32 shell. Handlers throw them; the application object
// shows them and the message loop goes on.
#include <utility>

#include "os/Exception.h"
#include "text/Text.h"

namespace vellix::ui {

using vellix::Exception;

// A failed OLE/COM call; the message is the system's text for the code.
class OleError : public Exception {
 public:
  OleError(long code, Text message) : Exception(std::move(message)), code_(code) {}
  long ErrorCode() const { return code_; }

 private:
  long code_;
};

// A system message text without the line break (and blanks) that
// FormatMessage leaves at its end.
Text TrimLineBreaks(const Text& message);

// The system's text for an error code (HRESULT or Win32 error); a generic
// "OLE error XXXXXXXX" when the system has none.
Text SystemErrorMessage(long code);

// Throws OleError for a failed HRESULT.
void OleCheck(long hresult);

}  // namespace vellix::ui
