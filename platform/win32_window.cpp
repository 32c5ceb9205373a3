// The Win32 backend: window classes, windows and the messages Windows
// delivers to them, and the operations table that ties in the WGL half.
// Windows' own messages (double clicks, characters of the keypad under Num
// Lock, WM_CLOSE from the close box) reach the layer's queue as they are.
#include <windowsx.h>

#include <string>
#include <vector>

#include "platform/win32_platform.h"

namespace platform {

namespace {

LibraryWin32 library;

Window* windowOf(HWND handle) { return reinterpret_cast<Window*>(GetWindowLongPtrA(handle, GWLP_USERDATA)); }

uint32_t messageTime() { return static_cast<uint32_t>(GetMessageTime()); }

LRESULT CALLBACK windowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = windowOf(handle);
    if (!window) return DefWindowProcA(handle, message, wParam, lParam);
    MessageQueue& messages = queue();
    switch (message) {
    case WM_CLOSE:
        messages.close(window, messageTime());
        return 0;  // the viewer's procedure decides
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            window->width = LOWORD(lParam);
            window->height = HIWORD(lParam);
            messages.resize(window, window->width, window->height, messageTime());
        }
        return 0;
    case WM_MOUSEMOVE:
        messages.motion(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<unsigned>(wParam),
                        messageTime());
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        messages.post({window, message, wParam, lParam, messageTime()});
        return 0;
    case WM_ERASEBKGND:
        return 1;  // every frame covers the whole client area
    case WM_PAINT:
        ValidateRect(handle, nullptr);
        messages.paint(window, messageTime());
        return 0;
    default:
        return DefWindowProcA(handle, message, wParam, lParam);
    }
}

// The system class behind a layer class; registered on first use.
bool registerSystemClass(const Window& window) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(library.instance, window.className.c_str(), &existing)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    // CS_OWNDC always: a GL window keeps one device context for its life.
    wc.style = CS_OWNDC | (window.classStyle & (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    wc.lpfnWndProc = windowProcedure;
    wc.hInstance = library.instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.lpszClassName = window.className.c_str();
    if (!RegisterClassExA(&wc)) {
        reportError("Win32", "Failed to register window class \"%s\" (error %lu)", window.className.c_str(),
                    GetLastError());
        return false;
    }
    return true;
}

bool win32Init() {
    library = LibraryWin32{};
    library.instance = GetModuleHandleA(nullptr);
    if (!wglInit()) {
        library = LibraryWin32{};
        return false;
    }
    return true;
}

void win32Terminate() {
    wglTerminate();
    library = LibraryWin32{};
}

bool win32CreateWindow(Window& window) {
    if (!registerSystemClass(window)) return false;
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    RECT frame{0, 0, window.width, window.height};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND handle = CreateWindowExA(0, window.className.c_str(), window.title.c_str(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, library.instance, nullptr);
    if (!handle) {
        reportError("Win32", "Failed to create a %d x %d window (error %lu)", window.width, window.height,
                    GetLastError());
        return false;
    }
    auto native = new WindowWin32;
    native->handle = handle;
    native->dc = GetDC(handle);
    window.win32 = native;
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&window));
    return true;
}

void win32DestroyWindow(Window& window) {
    if (!window.win32) return;
    // Detach first: what Windows sends while destroying is not the viewer's.
    SetWindowLongPtrA(window.win32->handle, GWLP_USERDATA, 0);
    ReleaseDC(window.win32->handle, window.win32->dc);
    DestroyWindow(window.win32->handle);
    delete window.win32;
    window.win32 = nullptr;
}

void win32ShowWindow(Window& window, bool show) {
    ShowWindow(window.win32->handle, show ? SW_SHOW : SW_HIDE);
    if (show) {
        SetForegroundWindow(window.win32->handle);
        UpdateWindow(window.win32->handle);
    }
}

void win32PollEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);  // WM_CHAR after its WM_KEYDOWN, keypad included
        DispatchMessageA(&msg);
    }
}

void win32WaitEvents(int timeoutMilliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              timeoutMilliseconds < 0 ? INFINITE : static_cast<DWORD>(timeoutMilliseconds),
                              QS_ALLINPUT);
    win32PollEvents();
}

// Null releases the capture.
void win32SetCapture(Window* window) {
    if (window && window->win32) {
        SetCapture(window->win32->handle);
    } else {
        ReleaseCapture();
    }
}

bool win32ReadWindowPixels(Window& window, int& width, int& height, std::vector<unsigned char>& rgb) {
    width = window.width;
    height = window.height;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ::HDC memory = CreateCompatibleDC(window.win32->dc);
    HBITMAP bitmap = CreateDIBSection(window.win32->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = memory && bitmap;
    if (ok) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, window.win32->dc, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
    }
    if (ok) {
        rgb.resize(static_cast<size_t>(width) * height * 3);
        const auto* in = static_cast<const unsigned char*>(bits);  // B, G, R, unused
        for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
            rgb[i * 3 + 0] = in[i * 4 + 2];
            rgb[i * 3 + 1] = in[i * 4 + 1];
            rgb[i * 3 + 2] = in[i * 4 + 0];
        }
    } else {
        reportError("Win32", "Failed to read the window's pixels");
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return ok;
}

}  // namespace

LibraryWin32& win32() { return library; }

::HDC win32DeviceContext(const DeviceContext& dc) {
    if (dc.window && dc.window->win32) return dc.window->win32->dc;
    if (dc.pbuffer && dc.pbuffer->wgl) return dc.pbuffer->wgl->dc;
    return library.helperDC;
}

const BackendOps& win32Backend() {
    static const BackendOps ops = {
        "Win32",
        win32Init,
        win32Terminate,
        win32CreateWindow,
        win32DestroyWindow,
        win32ShowWindow,
        win32PollEvents,
        win32WaitEvents,
        win32SetCapture,
        win32ReadWindowPixels,
        win32MessageBox,
        wglFormatCount,
        wglFormatAttribute,
        wglFormatFitsWindow,
        wglCreateContextFor,
        wglDestroyContextOf,
        wglMakeCurrentOn,
        wglSwapBuffersOf,
        wglCreatePbufferFor,
        wglDestroyPbufferOf,
        wglBindTexImageOf,
        wglReleaseTexImageOf,
        wglGetGlProc,
        wglGlString,
    };
    return ops;
}

}  // namespace platform
