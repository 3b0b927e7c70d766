// The smallest window program worth comparing the viewer with: a message box,
// a standard string and an exception, linked with the same static C and C++
// runtime as the viewer.
#include <windows.h>

#include <stdexcept>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::wstring text = L"size baseline";
  try {
    if (commandLine && commandLine[0] == '!') throw std::runtime_error("requested");
  } catch (const std::exception&) {
    text += L" (exception)";
  }
  MessageBoxW(nullptr, text.c_str(), L"size baseline", MB_OK);
  return 0;
}
