// Kestrilo: finds identical files in the folders the user adds and helps to
// delete the surplus copies.

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>

#include "platform/file_system.h"
#include "win32/main_window.h"
#include "win32/wide.h"
#include "win32/win32_dialogs.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The folder chooser needs COM in a single-threaded apartment.
  OleInitialize(nullptr);
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    kestrilo::win32::Win32Dialogs dialogs;
    kestrilo::win32::TForm1 form1(dialogs, kestrilo::SystemFileSystem());
    dialogs.SetOwner(form1.Handle());
    form1.Show();
    form1.Run();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, kestrilo::win32::Wide(error.what()).c_str(), L"Kestrilo", MB_OK | MB_ICONERROR);
  }
  OleUninitialize();
  return 0;
}
