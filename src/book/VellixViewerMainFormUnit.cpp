#include "book/VellixViewerMainFormUnit.h"

#include <algorithm>
#include <utility>

#include "book/WindowSettings.h"
#include "commands/Dispatcher.h"
#include "os/Exception.h"
#include "popup/PopupRequest.h"
#include "settings/VellixTxtParser.h"

namespace vellix {

TPlayerForm* PlayerForm = nullptr;

namespace {
constexpr int kBringToFrontDelayMs = 3000;
}  // namespace

FormDescription PlayerFormDescription() {
  FormDescription d;
  d.caption = u"PlayerForm";
  d.left = 0;
  d.top = 0;
  d.clientWidth = 800;
  d.clientHeight = 600;
  d.borderStyle = BorderStyle::Sizeable;
  d.windowState = WindowState::Normal;
  d.color = clBtnFace;
  return d;
}

TPlayerForm::TPlayerForm(const BookPaths& paths, PlayerWindow& window, const PlayerFormPorts& ports)
    : FlashPlayer(window.Flash()),
      imgSaveDialog(window.ImgSaveDialog()),
      fileSaveDialog(window.FileSaveDialog()),
      FileOpenDialog(window.FileOpenDialog()),
      paths_(paths),
      window_(window),
      ports_(ports),
      commands_{paths,         *this,         window.Flash(), *this,        ports.shell,  window.ImgSaveDialog(),
                window.FileSaveDialog(), ports.messages, ports.files, ports.search, ports.drives, ports.environment} {
  imgSaveDialog.SetFilter(u"ImageFile|*.jpg;*.bmp");
  fileSaveDialog.SetFilter(u"PDF \uD30C\uC77C|*.pdf");
  FileOpenDialog.SetFilter(u"\uD14D\uC2A4\uD2B8 \uD30C\uC77C|*.txt");
  window_.Form().OnShow = [this] { FormShow(); };
  // The control's event goes straight to the command dispatcher.
  const CommandPorts* commands = &commands_;
  FlashPlayer.OnFSCommand = [commands](const Text& command, const Text& args) {
    FlashPlayerFSCommand(*commands, command, args);
  };
}

TPlayerForm::~TPlayerForm() {
  *alive_ = false;
  popups_.clear();
  window_.Form().OnShow = nullptr;
  FlashPlayer.OnFSCommand = nullptr;
  if (PlayerForm == this) PlayerForm = nullptr;
}

void TPlayerForm::FormCreate() {
  FormWindow& form = window_.Form();
  // The settings reader serves this creation only.
  WindowDecision decision;
  {
    VellixTxtParser settings;
    const int parsed = settings.Parse(paths_.settings);
    decision = DecideWindowSettings(parsed, settings, paths_.baseName, ports_.screen.ScreenSize(), form.OuterSize());
  }
  form.SetCaption(decision.title);
  if (decision.explicitGeometry)
    form.SetBounds(Bounds{decision.left, decision.top, decision.width, decision.height});
  if (decision.maximized) form.SetWindowState(WindowState::Maximized);

  // A size that does not convert is reported as the error it is, but the
  // book still opens with its movie.
  if (decision.conversionError) ports_.exceptions.ShowException(*decision.conversionError);

  if (decision.loadMovie) FlashPlayer.SetMovie(paths_.movie);
}

void TPlayerForm::FormShow() {
  const Text argument = ports_.environment.Argument1();
  if (!argument.empty()) FlashPlayer.SetVariable(u"firstIndex", argument);
}

void TPlayerForm::ShowPopUpForm(const Text& args) {
  std::optional<PopupRequest> request = ParsePopupRequest(args, paths_);
  if (!request) return;
  std::unique_ptr<ChildWindow> window =
      window_.CreateChildWindow(ChildFormDescription(), BackPanelDescription());
  auto popup = std::make_unique<TChildForm>(std::move(window), ChildFormPorts{ports_.screen, ports_.shell, ports_.loop},
                                            [this](TChildForm& closed) { ReleasePopup(closed); });
  TChildForm& form = *popup;
  popups_.push_back(std::move(popup));
  // The blank movie at creation, then the book's movie, then its first page,
  // then the window.
  RunGuarded(ports_.exceptions, [&form] { form.FormCreate(); });
  form.ShockwaveFlash1.SetMovie(request->moviePath);
  form.ShockwaveFlash1.SetVariable(u"_root.BOOKLOAD_FIRSTPAGE", request->firstPage);
  form.Show();
}

void TPlayerForm::ReleasePopup(TChildForm& popup) {
  // The popup closed inside one of its own events: delete it once that has
  // returned.
  std::weak_ptr<bool> alive = alive_;
  TChildForm* closed = &popup;
  ports_.loop.Post([this, alive, closed] {
    if (alive.expired()) return;
    auto it = std::find_if(popups_.begin(), popups_.end(),
                           [closed](const std::unique_ptr<TChildForm>& p) { return p.get() == closed; });
    if (it != popups_.end()) popups_.erase(it);
  });
}

std::vector<TChildForm*> TPlayerForm::Popups() const {
  std::vector<TChildForm*> open;
  for (const auto& p : popups_)
    if (!p->Closed()) open.push_back(p.get());
  return open;
}

void TPlayerForm::Maximize() { window_.Form().SetWindowState(WindowState::Maximized); }

void TPlayerForm::Close() {
  // The request arrives inside the control's own event; closing the book
  // window tears the control down, so close once the event has returned.
  std::weak_ptr<bool> alive = alive_;
  ports_.loop.Post([this, alive] {
    if (!alive.expired()) window_.Form().Close();
  });
}

void TPlayerForm::BringToFront() { window_.Form().BringToFront(kBringToFrontDelayMs); }

}  // namespace vellix
