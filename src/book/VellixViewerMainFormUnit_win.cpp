#include <windows.h>

#include "book/VellixViewerMainFormUnit.h"

#include "book/BookPaths.h"
#include "book/WindowSettings.h"
#include "commands/Dispatcher.h"
#include "os/CommandLine.h"
#include "os/Ports_win.h"
#include "popup/PopupRequest.h"
#include "popup/VellixViewerChildFormunit.h"
#include "settings/VellixTxtParser.h"
#include "ui/Application.h"

namespace vellix {

TPlayerForm* PlayerForm = nullptr;

namespace {

// A save dialog component seen through the commands' port.
class DialogPort : public SaveDialog {
 public:
  explicit DialogPort(ui::SaveDialog& dialog) : dialog_(dialog) {}
  void SetFilter(const Text& filter) override { dialog_.SetFilter(filter); }
  Text Filter() const override { return dialog_.Filter(); }
  void SetFileName(const Text& name) override { dialog_.SetFileName(name); }
  bool Execute() override { return dialog_.Execute(); }
  Text FileName() const override { return dialog_.FileName(); }

 private:
  ui::SaveDialog& dialog_;
};

class MessagePort : public Messages {
 public:
  void ShowMessage(const Text& text) override { ui::ShowMessage(text); }
};

}  // namespace

// The book window and its components as the movie commands see them.
struct TPlayerForm::Ports : BookWindow, Movie, PopupOpener {
  explicit Ports(TPlayerForm& form)
      : form(form),
        shell([&form]() -> void* { return form.Handle(); }),
        img(form.imgSaveDialog),
        file(form.fileSaveDialog) {}

  void Maximize() override { form.SetWindowState(ui::WindowState::Maximized); }

  void Close() override {
    // The request arrives inside the control's own event; closing the main
    // window tears the control down, so close once the event has returned.
    std::weak_ptr<bool> alive = form.alive_;
    TPlayerForm* target = &form;
    ui::App().Defer([alive, target] {
      if (!alive.expired()) target->Close();
    });
  }

  void BringToFront() override {
    Sleep(3000);
    HWND h = form.Handle();
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    SetForegroundWindow(h);
  }

  void SetVariable(const Text& name, const Text& value) override { form.FlashPlayer->SetVariable(name, value); }

  void ShowPopUpForm(const Text& args) override { form.ShowPopUpForm(args); }

  CommandPorts All() {
    return CommandPorts{*this, *this, *this, shell, img, file, messages, files, search, drives, environment};
  }

  TPlayerForm& form;
  Win32Shell shell;
  DialogPort img;
  DialogPort file;
  MessagePort messages;
  Win32Files files;
  Win32FileSearch search;
  Win32Drives drives;
  Win32Environment environment;
};

TPlayerForm::TPlayerForm() {
  SetCaption(u"PlayerForm");
  SetBounds(0, 0, Width(), Height());
  SetClientSize(800, 600);
  SetColor(ui::clBtnFace);

  flashPlayer_ = std::make_unique<TShockwaveFlash>(*this);
  FlashPlayer = flashPlayer_.get();
  FlashPlayer->SetAlign(ui::Align::Client);
  FlashPlayer->OnFSCommand = [this](const Text& command, const Text& args) { FlashPlayerFSCommand(command, args); };

  imgSaveDialog.SetFilter(u"ImageFile|*.jpg;*.bmp");
  fileSaveDialog.SetFilter(u"PDF \uD30C\uC77C|*.pdf");
  FileOpenDialog.SetFilter(u"\uD14D\uC2A4\uD2B8 \uD30C\uC77C|*.txt");
  sSkinManager1.SetSkinName(u"Office2007 Blue (internal)");
  sSkinManager1.SetActive(true);

  ports_ = std::make_unique<Ports>(*this);
  dispatcher_ = std::make_unique<Dispatcher>(ports_->All());

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
}

TPlayerForm::~TPlayerForm() {
  *alive_ = false;
  if (PlayerForm == this) PlayerForm = nullptr;
}

void TPlayerForm::FormCreate() {
  const BookPaths paths = MakeBookPaths(ports_->environment.ExecutablePath());

  // The settings reader serves this creation only.
  WindowDecision decision;
  {
    VellixTxtParser settings;
    const int parsed = settings.Parse(paths.settings);
    const Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    decision = DecideWindowSettings(parsed, settings, paths.baseName, screen, Size{Width(), Height()});
  }
  SetCaption(decision.title);
  if (decision.explicitGeometry) {
    SetTop(decision.top);
    SetLeft(decision.left);
    SetWidth(decision.width);
    SetHeight(decision.height);
  }
  if (decision.maximized) SetWindowState(ui::WindowState::Maximized);

  // A size that does not convert is reported as the error it is, but the
  // book still opens with its movie.
  if (decision.conversionError) ui::App().ShowException(*decision.conversionError);

  if (decision.loadMovie) FlashPlayer->SetMovie(paths.movie);
}

void TPlayerForm::FormShow() {
  const std::vector<Text> args = SplitCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()));
  if (args.size() >= 2) FlashPlayer->SetVariable(u"firstIndex", args[1]);
}

void TPlayerForm::FlashPlayerFSCommand(const Text& command, const Text& args) {
  dispatcher_->FlashPlayerFSCommand(command, args);
}

void TPlayerForm::ShowPopUpForm(const Text& args) {
  const BookPaths paths = MakeBookPaths(ports_->environment.ExecutablePath());
  std::optional<PopupRequest> request = ParsePopupRequest(args, paths);
  if (!request) return;
  // The popup belongs to this window, which deletes it with itself.
  TChildForm* popup = ui::MakeForm<TChildForm>(this);
  popup->ShockwaveFlash1->SetMovie(request->moviePath);
  popup->ShockwaveFlash1->SetVariable(u"_root.BOOKLOAD_FIRSTPAGE", request->firstPage);
  popup->Show();
}

}  // namespace vellix
