#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Control.h"
#include "ui/Exception.h"
#include "ui/Form.h"

namespace vellix::ui {
namespace {

// What happened to a form, kept outside it so that it can be read after the
// form is gone.
struct Probe {
  int shown = 0;
  int closed = 0;
  int destroyed = 0;
};

class ProbeForm : public Form {
 public:
  ProbeForm(Form* owner, Probe* probe, std::optional<CloseAction> action = std::nullopt)
      : Form(owner), probe_(probe) {
    OnShow = [this] { ++probe_->shown; };
    OnClose = [this, action](CloseAction& a) {
      ++probe_->closed;
      if (action) a = *action;
    };
  }
  ~ProbeForm() override { ++probe_->destroyed; }

 private:
  Probe* probe_;
};

// Handles every message waiting; a WM_QUIT found here would be a stray one
// that ends the next message loop at once.
bool PumpMessages() {
  MSG msg;
  bool quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return !quit;
}

RECT BoundsInParent(HWND hwnd) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App().OnException = [this](const std::exception& e) {
      const auto* ours = dynamic_cast<const Exception*>(&e);
      errors.push_back(ours ? ToUtf8(ours->Message()) : std::string("<other>"));
    };
  }
  void TearDown() override {
    App().OnException = nullptr;
    EXPECT_EQ(App().MainForm(), nullptr);
  }
  std::vector<std::string> errors;
};

class MainProbe;
MainProbe* g_main = nullptr;

class MainProbe : public Form {
 public:
  MainProbe() {
    OnCreate = [this] {
      refWasSet = g_main == this;
      owned = MakeForm<ProbeForm>(this, &ownedProbe);
      throw Exception(u"creation failed");
    };
    OnShow = [this] {
      ++shows;
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
    };
    OnClose = [this](CloseAction&) { ++closes; };
  }
  ~MainProbe() override { ++destroyed; }

  static inline bool refWasSet = false;
  static inline int shows = 0, closes = 0, destroyed = 0;
  static inline Probe ownedProbe;
  ProbeForm* owned = nullptr;
};

TEST_F(FormTest, CreateFormThenRunUntilTheMainFormCloses) {
  App().CreateForm(g_main);
  ASSERT_NE(g_main, nullptr);
  EXPECT_TRUE(MainProbe::refWasSet) << "the reference must be set before OnCreate runs";
  EXPECT_EQ(errors, std::vector<std::string>{"creation failed"});
  EXPECT_EQ(App().MainForm(), g_main);
  EXPECT_TRUE(IsWindow(g_main->Handle()));
  EXPECT_EQ(GetWindow(g_main->owned->Handle(), GW_OWNER), g_main->Handle());

  App().Run();  // shows the main form; its OnShow posts the close

  EXPECT_EQ(MainProbe::shows, 1);
  EXPECT_EQ(MainProbe::closes, 1);
  EXPECT_EQ(MainProbe::destroyed, 1) << "Run deletes the forms it created";
  EXPECT_EQ(MainProbe::ownedProbe.destroyed, 1);
  EXPECT_EQ(MainProbe::ownedProbe.closed, 0);
  EXPECT_EQ(App().MainForm(), nullptr);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "a stray quit message is left";
}

TEST_F(FormTest, OwnedFormsAreDeletedWithTheirOwnerWithoutClosing) {
  Probe ownerProbe, first, second, grandchild;
  auto* owner = MakeForm<ProbeForm>(nullptr, &ownerProbe);
  auto* a = MakeForm<ProbeForm>(owner, &first);
  MakeForm<ProbeForm>(owner, &second);
  MakeForm<ProbeForm>(a, &grandchild);
  owner->Show();
  a->Show();
  HWND aWindow = a->Handle();
  EXPECT_EQ(GetWindow(aWindow, GW_OWNER), owner->Handle());

  delete owner;

  for (const Probe* p : {&first, &second, &grandchild}) {
    EXPECT_EQ(p->destroyed, 1);
    EXPECT_EQ(p->closed, 0);
  }
  EXPECT_FALSE(IsWindow(aWindow));
  EXPECT_TRUE(PumpMessages());
}

TEST_F(FormTest, CloseActionsTakeEffectAfterTheHandler) {
  struct Case {
    const char* name;
    std::optional<CloseAction> action;
    bool visible, minimized, deleted;
  } cases[] = {
      {"default hides", std::nullopt, false, false, false},
      {"none keeps it open", CloseAction::None, true, false, false},
      {"minimize", CloseAction::Minimize, true, true, false},
      {"free deletes later", CloseAction::Free, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Probe ownerProbe, probe;
    auto* owner = MakeForm<ProbeForm>(nullptr, &ownerProbe);
    auto* form = MakeForm<ProbeForm>(owner, &probe, c.action);
    form->Show();
    HWND window = form->Handle();

    PostMessageW(window, WM_CLOSE, 0, 0);  // as the close button does
    ASSERT_TRUE(PumpMessages());
    EXPECT_EQ(probe.closed, 1);
    EXPECT_EQ(probe.destroyed, c.deleted ? 1 : 0);
    EXPECT_EQ(IsWindow(window) != FALSE, !c.deleted);
    if (!c.deleted) {
      EXPECT_EQ(form->Visible(), c.visible);
      EXPECT_EQ(IsIconic(window) != FALSE, c.minimized);
    }
    delete owner;
    EXPECT_EQ(probe.destroyed, 1);
    EXPECT_EQ(probe.closed, 1) << "deleting the owner must not close it again";
  }
}

TEST_F(FormTest, FreeIsNeverCarriedOutInsideTheHandler) {
  Probe probe;
  bool aliveAfterClose = false;
  auto* form = MakeForm<ProbeForm>(nullptr, &probe, CloseAction::Free);
  form->OnKeyPress = [&](char16_t&) {
    form->Close();
    aliveAfterClose = probe.destroyed == 0 && IsWindow(form->Handle());
  };
  SendMessageW(form->Handle(), WM_CHAR, 13, 0);
  EXPECT_TRUE(aliveAfterClose);
  EXPECT_EQ(probe.destroyed, 0);
  ASSERT_TRUE(PumpMessages());
  EXPECT_EQ(probe.destroyed, 1);
}

TEST_F(FormTest, KeysReachTheFormOnlyWhenTypedIntoItAndErrorsStayInside) {
  Form form;
  Panel child(form);
  std::u16string keys;
  form.OnKeyPress = [&](char16_t& key) {
    keys += key;
    if (key == u'x') throw Exception(u"bad key");
    if (key == u'q') throw 42;
  };
  SendMessageW(form.Handle(), WM_CHAR, 13, 0);
  SendMessageW(child.Handle(), WM_CHAR, 'a', 0);
  SendMessageW(form.Handle(), WM_CHAR, 'x', 0);
  SendMessageW(form.Handle(), WM_CHAR, 'q', 0);
  EXPECT_EQ(keys, u"\rxq");
  EXPECT_EQ(errors, (std::vector<std::string>{"bad key", "<other>"}));
}

TEST_F(FormTest, OnShowRunsEachTimeAndTheStateSetBeforeShowingApplies) {
  Probe probe;
  ProbeForm form(nullptr, &probe);
  form.SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form.GetWindowState(), WindowState::Maximized);
  EXPECT_FALSE(form.Visible());
  form.Show();
  EXPECT_TRUE(IsZoomed(form.Handle()));
  form.Hide();
  form.Show();
  EXPECT_EQ(probe.shown, 2);
  EXPECT_EQ(form.GetWindowState(), WindowState::Maximized);
  form.SetWindowState(WindowState::Normal);
  EXPECT_FALSE(IsZoomed(form.Handle()));
  ASSERT_TRUE(PumpMessages());
}

TEST_F(FormTest, ClientAlignedControlsFillTheirParent) {
  Form form;
  form.SetClientSize(545, 376);
  Panel panel(form, 0, 0, 545, 376);
  panel.SetAlign(Align::Client);
  Panel inner(panel, 1, 1, 10, 10);
  inner.SetAlign(Align::Client);

  struct Case {
    const char* name;
    int clientWidth, clientHeight;
    bool moveInner;
  } cases[] = {
      {"design size", 545, 376, false},
      {"form grown", 800, 600, false},
      {"form shrunk", 300, 200, false},
      {"inner moved away", 640, 480, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    form.SetClientSize(c.clientWidth, c.clientHeight);
    if (c.moveInner) inner.SetBounds(10, 10, 5, 5);
    ASSERT_EQ(form.ClientWidth(), c.clientWidth);
    ASSERT_EQ(form.ClientHeight(), c.clientHeight);
    RECT p = BoundsInParent(panel.Handle());
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    EXPECT_EQ(p.right, c.clientWidth);
    EXPECT_EQ(p.bottom, c.clientHeight);
    // Inside the panel's one-pixel bevel.
    EXPECT_EQ(inner.Left(), 1);
    EXPECT_EQ(inner.Top(), 1);
    EXPECT_EQ(inner.Width(), c.clientWidth - 2);
    EXPECT_EQ(inner.Height(), c.clientHeight - 2);
  }
}

TEST_F(FormTest, OuterBoundsAndFrames) {
  struct Case {
    const char* name;
    BorderStyle style;
    BorderIcons icons;
    DWORD present, absent;
  } cases[] = {
      {"sizeable", BorderStyle::Sizeable, BorderIcons{}, WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
       0},
      {"single, system menu only", BorderStyle::Single, BorderIcons{true, false, false}, WS_SYSMENU,
       WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form form;
    form.SetBounds(10, 20, 640, 480);
    form.SetClientSize(545, 376);
    form.SetBorderStyle(c.style);
    form.SetBorderIcons(c.icons);
    DWORD style = static_cast<DWORD>(GetWindowLongW(form.Handle(), GWL_STYLE));
    EXPECT_EQ(style & c.present, c.present);
    EXPECT_EQ(style & c.absent, 0u);
    EXPECT_EQ(form.ClientWidth(), 545) << "a frame change keeps the client size";
    EXPECT_EQ(form.ClientHeight(), 376);

    RECT rc;
    GetWindowRect(form.Handle(), &rc);
    EXPECT_EQ(form.Left(), 10);
    EXPECT_EQ(form.Top(), 20);
    EXPECT_EQ(form.Width(), rc.right - rc.left);
    EXPECT_EQ(form.Height(), rc.bottom - rc.top);
    EXPECT_GT(form.Width(), 545);

    form.SetBounds(30, 40, 500, 400);
    EXPECT_EQ(form.Width(), 500);
    EXPECT_EQ(form.Height(), 400);

    // A size the program sets is kept even beyond the screen.
    const int wide = GetSystemMetrics(SM_CXSCREEN) + 300, tall = GetSystemMetrics(SM_CYSCREEN) + 200;
    form.SetBounds(-8, -19, wide, tall);
    EXPECT_EQ(form.Left(), -8);
    EXPECT_EQ(form.Top(), -19);
    EXPECT_EQ(form.Width(), wide);
    EXPECT_EQ(form.Height(), tall);

    // Bounds set while maximised are where the window returns to.
    form.SetWindowState(WindowState::Maximized);
    form.Show();
    GetWindowRect(form.Handle(), &rc);
    EXPECT_EQ(form.Width(), rc.right - rc.left);
    form.SetBounds(50, 60, 420, 300);
    EXPECT_TRUE(IsZoomed(form.Handle()));
    form.SetWindowState(WindowState::Normal);
    EXPECT_EQ(form.Left(), 50);
    EXPECT_EQ(form.Top(), 60);
    EXPECT_EQ(form.Width(), 420);
    EXPECT_EQ(form.Height(), 300);
  }
  ASSERT_TRUE(PumpMessages());
}

std::wstring TempFile(const wchar_t* name, const std::string& bytes) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + name;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return path;
}

// A 16x16 32-bit icon file: directory, one entry, the bitmap and its mask.
std::string IconFileBytes() {
  std::string b;
  auto u16 = [&](unsigned v) { b += char(v & 0xFF), b += char(v >> 8 & 0xFF); };
  auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
  const unsigned image = 40 + 16 * 16 * 4 + 16 * 4;
  u16(0), u16(1), u16(1);                         // reserved, type icon, one image
  b += char(16), b += char(16), b += char(0), b += char(0);
  u16(1), u16(32), u32(image), u32(22);           // planes, bits, size, offset
  u32(40), u32(16), u32(32), u16(1), u16(32);     // BITMAPINFOHEADER: double height
  u32(0), u32(0), u32(0), u32(0), u32(0), u32(0);
  for (int i = 0; i < 16 * 16; ++i) u32(0xFF3366CC);
  b.append(16 * 4, '\0');                          // AND mask
  return b;
}

TEST_F(FormTest, ApplicationIconFromFile) {
  Form form;
  std::wstring bad = TempFile(L"vellix-ui-not-an-icon.ico", "this is no icon");
  const Text badPath(reinterpret_cast<const char16_t*>(bad.c_str()));
  try {
    App().SetIcon(badPath);
    ADD_FAILURE() << "no exception for an invalid icon";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(badPath), Text::npos) << ToUtf8(e.Message());
  }

  std::wstring good = TempFile(L"vellix-ui-icon.ico", IconFileBytes());
  App().SetIcon(Text(reinterpret_cast<const char16_t*>(good.c_str())));
  ASSERT_NE(App().Icon(), nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(form.Handle(), WM_GETICON, ICON_BIG, 0)), App().Icon());
  Form later;
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(later.Handle(), WM_GETICON, ICON_BIG, 0)), App().Icon());

  App().SetIcon(static_cast<HICON>(nullptr));  // back to the executable's own (none here)
  DeleteFileW(bad.c_str());
  DeleteFileW(good.c_str());
}

}  // namespace
}  // namespace vellix::ui
