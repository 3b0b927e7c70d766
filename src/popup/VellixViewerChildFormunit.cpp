#include "popup/VellixViewerChildFormunit.h"

#include <utility>

#include "popup/ChildCommands.h"

namespace vellix {

FormDescription ChildFormDescription() {
  FormDescription d;
  d.caption = Text();
  d.left = 0;
  d.top = 0;
  d.clientWidth = 545;
  d.clientHeight = 376;
  d.borderStyle = BorderStyle::Single;
  d.borderIcons.systemMenu = true;
  d.borderIcons.minimize = false;
  d.borderIcons.maximize = false;
  d.windowState = WindowState::Maximized;
  d.color = clBtnFace;
  return d;
}

PanelDescription BackPanelDescription() {
  PanelDescription p;
  p.color = clInfoText;
  p.parentBackground = false;
  return p;
}

TChildForm::TChildForm(std::unique_ptr<ChildWindow> window, const ChildFormPorts& ports,
                       std::function<void(TChildForm&)> release)
    : ShockwaveFlash1(window->Flash()), window_(std::move(window)), ports_(ports), release_(std::move(release)) {
  FormWindow& form = window_->Form();
  form.OnShow = [this] { FormShow(); };
  form.OnKeyPress = [this](char16_t key) { FormKeyPress(key); };
  form.OnCloseRequest = [this] { Close(); };
  ShockwaveFlash1.OnFSCommand = [this](const Text& command, const Text& args) {
    ShockwaveFlash1FSCommand(command, args);
  };
}

TChildForm::~TChildForm() {
  *alive_ = false;
  // The window goes with its handlers unbound: no close handler runs now.
  FormWindow& form = window_->Form();
  form.OnShow = nullptr;
  form.OnKeyPress = nullptr;
  form.OnCloseRequest = nullptr;
  ShockwaveFlash1.OnFSCommand = nullptr;
}

void TChildForm::FormCreate() { ShockwaveFlash1.SetMovie(u"about:blank"); }

void TChildForm::FormShow() {
  // Centres the control on the screen; its client alignment then lays it out
  // over the panel again, so the movie always fills the window.
  const Size screen = ports_.screen.ScreenSize();
  Bounds control = ShockwaveFlash1.ControlBounds();
  control.top = (screen.height - control.height) / 2;
  control.left = (screen.width - control.width) / 2;
  ShockwaveFlash1.SetControlBounds(control);
}

void TChildForm::FormKeyPress(char16_t key) {
  if (key == 13) Close();
}

void TChildForm::FormClose(CloseAction& action) {
  if (!ShockwaveFlash1.Destroyed()) {
    ShockwaveFlash1.SetFocus();
    ShockwaveFlash1.Destroy();
  }
  action = CloseAction::Free;
}

void TChildForm::ShockwaveFlash1FSCommand(const Text&, const Text& args) {
  if (RunChildCommand(args, ports_.shell) != ChildCommandResult::CloseWindow) return;
  // Closing destroys the control whose event is being delivered: close once
  // the event has returned.
  std::weak_ptr<bool> alive = alive_;
  ports_.loop.Post([alive, this] {
    if (!alive.expired()) Close();
  });
}

void TChildForm::Show() { window_->Form().Show(); }

void TChildForm::Close() {
  if (closed_) return;
  CloseAction action = CloseAction::Hide;
  FormClose(action);
  switch (action) {
    case CloseAction::None:
      break;
    case CloseAction::Hide:
      window_->Form().Hide();
      break;
    case CloseAction::Minimize:
      window_->Form().SetWindowState(WindowState::Minimized);
      break;
    case CloseAction::Free:
      closed_ = true;
      window_->Form().Hide();
      release_(*this);
      break;
  }
}

}  // namespace vellix
