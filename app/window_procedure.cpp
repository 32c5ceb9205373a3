#include "app/window_procedure.h"

#include <GL/gl.h>

#include "app/interactor_style.h"
#include "app/view_controls.h"
#include "app/viewer_state.h"

namespace app {

using namespace platform::win;

DrawRequest drawRequest;

namespace {

CursorAngleStyle cursorAngleStyle;
DragStyle dragStyle;
InteractorStyle* currentStyle = &cursorAngleStyle;

PointerButton buttonOf(unsigned message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return PointerButton::left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return PointerButton::right;
    default:
        return PointerButton::middle;
    }
}

}  // namespace

DragStyle& useDragStyle() {
    currentStyle = &dragStyle;
    return dragStyle;
}

intptr_t windowProcedure(platform::Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_SIZE:
        glViewport(0, 0, static_cast<GLsizei>(platform::loWord(lParam)),
                   static_cast<GLsizei>(platform::hiWord(lParam)));
        break;
    case WM_CLOSE:
        // The window stays; the frame loop ends when it takes WM_QUIT.
        platform::postQuitMessage(0);
        return 0;
    case WM_CHAR:
        if (wParam == '1') viewerState.showIsosurface = !viewerState.showIsosurface;
        if (wParam == '2') viewerState.showTransparent = !viewerState.showTransparent;
        if (wParam == '3') viewerState.wobble = !viewerState.wobble;
        handleViewCharacter(static_cast<int>(wParam));
        break;
    case WM_KEYDOWN:
        currentStyle->onKey(static_cast<unsigned>(wParam));
        break;
    case WM_MOUSEWHEEL:
        currentStyle->onWheel(static_cast<int16_t>(platform::hiWord(static_cast<intptr_t>(wParam))));
        break;
    case WM_MOUSEMOVE:
        currentStyle->onMouseMove(static_cast<int>(platform::loWord(lParam)),
                                  static_cast<int>(platform::hiWord(lParam)), static_cast<unsigned>(wParam));
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        const bool second =
            message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
        currentStyle->onButtonDown(buttonOf(message), static_cast<int16_t>(platform::loWord(lParam)),
                                   static_cast<int16_t>(platform::hiWord(lParam)),
                                   static_cast<unsigned>(wParam), second);
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        currentStyle->onButtonUp(buttonOf(message));
        break;
    default:
        break;
    }
    return platform::defWindowProc(window, message, wParam, lParam);
}

}  // namespace app
