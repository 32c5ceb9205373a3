// The modal message box of the Win32 backend: the system's own.
#include "platform/win32_platform.h"

namespace platform {

bool win32MessageBox(const char* text, const char* caption) {
    // The viewer's window may be gone or half made; the box stands alone and
    // comes to the front so that it is seen (and Return dismisses it).
    return MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST) !=
           0;
}

}  // namespace platform
