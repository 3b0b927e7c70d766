#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Control.h"
#include "ui/Exception.h"
#include "ui/Form.h"

namespace vellix::ui {
namespace {

FormDescription Described(BorderStyle style = BorderStyle::Sizeable, BorderIcons icons = BorderIcons{}) {
  FormDescription d;
  d.caption = u"Probe";
  d.clientWidth = 545;
  d.clientHeight = 376;
  d.borderStyle = style;
  d.borderIcons = icons;
  return d;
}

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
    App().OnException = [this](const Text& message) { errors.push_back(ToUtf8(message)); };
  }
  void TearDown() override {
    App().OnException = nullptr;
    EXPECT_EQ(App().MainForm(), nullptr);
  }
  std::vector<std::string> errors;
};

TEST_F(FormTest, RunShowsTheMainFormAndEndsWhenItCloses) {
  Form main(Described());
  Form owned(Described(), &main);
  int shows = 0;
  main.OnShow = [&] {
    ++shows;
    PostMessageW(main.Handle(), WM_CLOSE, 0, 0);  // as the close button does
  };
  EXPECT_EQ(GetWindow(owned.Handle(), GW_OWNER), main.Handle());
  // Work posted before and during the loop runs; work still queued when the
  // loop ends runs too.
  std::vector<std::string> ran;
  App().Post([&] { ran.push_back("before"); });
  main.OnCloseRequest = [&] {
    App().Post([&] { ran.push_back("at close"); });
    main.Close();
  };

  App().Run(main);

  EXPECT_EQ(shows, 1);
  EXPECT_EQ(ran, (std::vector<std::string>{"before", "at close"}));
  EXPECT_TRUE(IsWindow(main.Handle())) << "closing the main form ends the loop; the form object owns its window";
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "a stray quit message is left";
}

TEST_F(FormTest, PostedWorkRunsAfterTheCurrentMessageAndErrorsAreShown) {
  Form form(Described());
  std::vector<std::string> order;
  form.OnKeyPress = [&](char16_t) {
    App().Post([&] {
      order.push_back("posted");
      throw Exception(u"deferred failed");
    });
    order.push_back("handler");
  };
  SendMessageW(form.Handle(), WM_CHAR, 13, 0);
  EXPECT_EQ(order, std::vector<std::string>{"handler"});
  ASSERT_TRUE(PumpMessages());
  EXPECT_EQ(order, (std::vector<std::string>{"handler", "posted"}));
  EXPECT_EQ(errors, std::vector<std::string>{"deferred failed"});
}

TEST_F(FormTest, OwnedWindowsGoWithTheirOwner) {
  auto owner = std::make_unique<Form>(Described());
  Form owned(Described(), owner.get());
  owner->Show();
  owned.Show();
  HWND ownedWindow = owned.Handle();
  EXPECT_EQ(GetWindow(ownedWindow, GW_OWNER), owner->Handle());
  bool closeAsked = false;
  owned.OnCloseRequest = [&] { closeAsked = true; };

  owner.reset();

  EXPECT_FALSE(IsWindow(ownedWindow));
  EXPECT_FALSE(closeAsked) << "an owned window goes without a close request";
  EXPECT_EQ(owned.Owner(), nullptr);
  EXPECT_TRUE(PumpMessages());
}

TEST_F(FormTest, TheCloseButtonAsksTheHandlerOrHides) {
  Form owner(Described());
  Form asking(Described(), &owner);
  Form plain(Described(), &owner);
  int asked = 0;
  asking.OnCloseRequest = [&] { ++asked; };
  asking.Show();
  plain.Show();
  PostMessageW(asking.Handle(), WM_CLOSE, 0, 0);
  PostMessageW(plain.Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpMessages());
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(asking.Visible()) << "the handler decides what happens";
  EXPECT_FALSE(plain.Visible()) << "without a handler a form that is not the main form hides";
  EXPECT_TRUE(IsWindow(plain.Handle()));
}

TEST_F(FormTest, KeysReachTheFormOnlyWhenTypedIntoItAndErrorsStayInside) {
  Form form(Described());
  Panel child(form);
  std::u16string keys;
  form.OnKeyPress = [&](char16_t key) {
    keys += key;
    if (key == u'x') throw Exception(u"bad key");
    if (key == u'q') throw 42;
  };
  SendMessageW(form.Handle(), WM_CHAR, 13, 0);
  SendMessageW(child.Handle(), WM_CHAR, 'a', 0);
  SendMessageW(form.Handle(), WM_CHAR, 'x', 0);
  SendMessageW(form.Handle(), WM_CHAR, 'q', 0);
  EXPECT_EQ(keys, u"\rxq");
  EXPECT_EQ(errors, (std::vector<std::string>{"bad key", ""})) << "an error of another type shows no text";
}

TEST_F(FormTest, OnShowRunsEachTimeAndTheStateSetBeforeShowingApplies) {
  Form form(Described());
  int shown = 0;
  form.OnShow = [&] { ++shown; };
  form.SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form.GetWindowState(), WindowState::Maximized);
  EXPECT_FALSE(form.Visible());
  form.Show();
  EXPECT_TRUE(IsZoomed(form.Handle()));
  form.Hide();
  form.Show();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(form.GetWindowState(), WindowState::Maximized);
  form.SetWindowState(WindowState::Normal);
  EXPECT_FALSE(IsZoomed(form.Handle()));
  ASSERT_TRUE(PumpMessages());
}

TEST_F(FormTest, ClientAlignedControlsFillTheirParent) {
  Form form(Described());
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
    FormDescription d = Described(c.style, c.icons);
    d.left = 10;
    d.top = 20;
    Form form(d);
    DWORD style = static_cast<DWORD>(GetWindowLongW(form.Handle(), GWL_STYLE));
    EXPECT_EQ(style & c.present, c.present);
    EXPECT_EQ(style & c.absent, 0u);
    EXPECT_EQ(form.ClientWidth(), 545) << "the description's client size, whatever the frame";
    EXPECT_EQ(form.ClientHeight(), 376);

    RECT rc;
    GetWindowRect(form.Handle(), &rc);
    EXPECT_EQ(form.Left(), 10);
    EXPECT_EQ(form.Top(), 20);
    EXPECT_EQ(form.Width(), rc.right - rc.left);
    EXPECT_EQ(form.Height(), rc.bottom - rc.top);
    EXPECT_GT(form.Width(), 545);

    form.SetBounds(Bounds{30, 40, 500, 400});
    EXPECT_EQ(form.Width(), 500);
    EXPECT_EQ(form.Height(), 400);

    // A size the program sets is kept even beyond the screen.
    const int wide = GetSystemMetrics(SM_CXSCREEN) + 300, tall = GetSystemMetrics(SM_CYSCREEN) + 200;
    form.SetBounds(Bounds{-8, -19, wide, tall});
    EXPECT_EQ(form.Left(), -8);
    EXPECT_EQ(form.Top(), -19);
    EXPECT_EQ(form.Width(), wide);
    EXPECT_EQ(form.Height(), tall);

    // Bounds set while maximised are where the window returns to.
    form.SetWindowState(WindowState::Maximized);
    form.Show();
    GetWindowRect(form.Handle(), &rc);
    EXPECT_EQ(form.Width(), rc.right - rc.left);
    form.SetBounds(Bounds{50, 60, 420, 300});
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
  Form form(Described());
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
  Form later(Described());
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(later.Handle(), WM_GETICON, ICON_BIG, 0)), App().Icon());

  App().SetIcon(static_cast<HICON>(nullptr));  // back to the executable's own (none here)
  DeleteFileW(bad.c_str());
  DeleteFileW(good.c_str());
}

}  // namespace
}  // namespace vellix::ui
