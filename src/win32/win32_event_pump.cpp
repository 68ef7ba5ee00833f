#include "win32/win32_event_pump.h"

namespace kestrilo::win32 {

void Win32EventPump::ProcessMessagesFor(std::chrono::milliseconds wait) {
  const auto millis = static_cast<DWORD>(wait.count());
  if (quitSeen_) {
    // Nothing is dispatched once the program quits; the wait still waits.
    Sleep(millis);
    return;
  }
  MsgWaitForMultipleObjectsEx(0, nullptr, millis, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitSeen_ = true;
      quitCode_ = static_cast<int>(message.wParam);
      break;
    }
    dispatch_(message);
  }
  refresh_();
}

}  // namespace kestrilo::win32
