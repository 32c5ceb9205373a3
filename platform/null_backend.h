// Test hooks of the null backend: synthetic input for its windows and the
// strings its pretend contexts report. Pairs with platform::Backend::null.
#pragma once

#include <cstdint>

#include "platform/message_queue.h"
#include "platform/platform.h"

namespace platform::null {

void pushMotion(Window* window, int x, int y, uint32_t time);
void pushButton(Window* window, MouseButton button, bool pressed, int x, int y, uint32_t time);
void pushKey(Window* window, const KeyInput& key, uint32_t time);
void pushResize(Window* window, int width, int height, uint32_t time);
// The window manager's close request.
void pushClose(Window* window, uint32_t time);

// GL_VERSION and GL_EXTENSIONS of every context made after this call.
void setGlStrings(const char* version, const char* extensions);

// How many message boxes the backend was asked to show since init.
int messageBoxCount();

}  // namespace platform::null
