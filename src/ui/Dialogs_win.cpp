#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Filter.h"
#include "ui/Form.h"
#include "os/Handles_win.h"

namespace vellix::ui {

using win::FromWide;
using win::Wide;

bool CommonFileDialog::Execute() {
  const Text filter = FilterList(filter_);
  std::vector<wchar_t> file(32768, L'\0');
  std::size_t preset = std::min(fileName_.size(), file.size() - 1);
  std::copy(fileName_.begin(), fileName_.begin() + static_cast<std::ptrdiff_t>(preset), file.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ActiveDialogOwner();
  ofn.lpstrFilter = filter.empty() ? nullptr : Wide(filter);
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

  auto run = [&] { return save_ ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn); };
  BOOL ok = run();
  // A preset name the dialog refuses (say, one with ":" in it) would keep the
  // dialog from opening at all; open it empty instead.
  if (!ok && CommDlgExtendedError() == FNERR_INVALIDFILENAME && file[0] != L'\0') {
    file[0] = L'\0';
    ok = run();
  }
  if (!ok) return false;
  fileName_ = FromWide(file.data(), std::wcslen(file.data()));
  return true;
}

}  // namespace vellix::ui
