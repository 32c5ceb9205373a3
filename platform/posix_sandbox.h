// The confinement of a child that reads untrusted files (Linux): limits on
// memory, processor time, files and descriptors, and a system-call filter
// that leaves it reading, computing and writing to the descriptors it was
// given. Used by posix_child_process.cpp only.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/child_process.h"

namespace platform {

// Confines the calling process for good; false with `problem` when the
// host refuses part of it. Writes stay possible to `writable` only.
bool enterSandbox(const ChildLimits& limits, std::initializer_list<int> writable, std::string& problem);

}  // namespace platform
