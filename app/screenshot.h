// Saves the window's picture as volview-NNNN.png in the current folder,
// taking the first number whose file does not exist yet.
#pragma once

#include <string>

namespace app {

// Reads the current context's back buffer (the frame about to be shown) and
// saves it. Returns the path, or "" with `error` saying why nothing was saved.
std::string saveScreenshot(std::string& error);

// The name of screenshot `number` (1 to 9999).
std::string screenshotName(int number);

}  // namespace app
