#pragma once
// A popup page window: a further movie of the book, opened at the movie's
// request, owned by the book window. It closes on its movie's
// "function_close", on Enter, or by its close button, and hands every other
// command of its movie to the shell.
#include <memory>

#include "flash/ShockwaveFlash.h"
#include "text/Text.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace vellix {

class TChildForm : public ui::Form {
 public:
  explicit TChildForm(ui::Form* owner);
  ~TChildForm() override;

  ui::Panel* BackPanel = nullptr;
  TShockwaveFlash* ShockwaveFlash1 = nullptr;

  void FormCreate();
  void FormShow();
  void FormKeyPress(char16_t& key);
  void FormClose(ui::CloseAction& action);
  void ShockwaveFlash1FSCommand(const Text& command, const Text& args);

 private:
  std::unique_ptr<ui::Panel> backPanel_;
  std::unique_ptr<TShockwaveFlash> flash_;
  // Cleared when the form is destroyed, so that a close posted from inside
  // the control's event never reaches a form that is already gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vellix
