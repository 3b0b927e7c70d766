#include <windows.h>

#include "popup/VellixViewerChildFormunit.h"

#include "os/Ports_win.h"
#include "popup/ChildCommands.h"
#include "ui/Application.h"

namespace vellix {

TChildForm::TChildForm(ui::Form* owner) : ui::Form(owner) {
  SetBorderStyle(ui::BorderStyle::Single);
  ui::BorderIcons icons;
  icons.systemMenu = true;
  icons.minimize = false;
  icons.maximize = false;
  SetBorderIcons(icons);
  SetBounds(0, 0, Width(), Height());
  SetClientSize(545, 376);
  SetColor(ui::clBtnFace);
  SetWindowState(ui::WindowState::Maximized);

  backPanel_ = std::make_unique<ui::Panel>(*this, 0, 0, 545, 376);
  BackPanel = backPanel_.get();
  BackPanel->SetAlign(ui::Align::Client);
  BackPanel->SetColor(ui::clInfoText);
  BackPanel->SetParentBackground(false);

  flash_ = std::make_unique<TShockwaveFlash>(*BackPanel);
  ShockwaveFlash1 = flash_.get();
  ShockwaveFlash1->SetAlign(ui::Align::Client);
  ShockwaveFlash1->OnFSCommand = [this](const Text& command, const Text& args) {
    ShockwaveFlash1FSCommand(command, args);
  };

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnKeyPress = [this](char16_t& key) { FormKeyPress(key); };
  OnClose = [this](ui::CloseAction& action) { FormClose(action); };
}

TChildForm::~TChildForm() { *alive_ = false; }

void TChildForm::FormCreate() { ShockwaveFlash1->SetMovie(u"about:blank"); }

void TChildForm::FormShow() {
  // Centres the control on the screen; its client alignment then lays it out
  // over the panel again, so the movie always fills the window.
  const int top = (GetSystemMetrics(SM_CYSCREEN) - ShockwaveFlash1->Height()) / 2;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - ShockwaveFlash1->Width()) / 2;
  ShockwaveFlash1->SetBounds(left, top, ShockwaveFlash1->Width(), ShockwaveFlash1->Height());
}

void TChildForm::FormKeyPress(char16_t& key) {
  if (key == 13) Close();
}

void TChildForm::FormClose(ui::CloseAction& action) {
  if (!ShockwaveFlash1->Destroyed()) {
    ShockwaveFlash1->SetFocus();
    ShockwaveFlash1->Destroy();
  }
  action = ui::CloseAction::Free;
}

void TChildForm::ShockwaveFlash1FSCommand(const Text&, const Text& args) {
  Win32Shell shell([]() -> void* { return nullptr; });
  if (RunChildCommand(args, shell) != ChildCommandResult::CloseWindow) return;
  // Closing destroys the control whose event is being delivered: close once
  // the event has returned.
  std::weak_ptr<bool> alive = alive_;
  ui::App().Defer([alive, this] {
    if (!alive.expired()) Close();
  });
}

}  // namespace vellix
