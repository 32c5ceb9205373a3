// What the running process knows of itself: where its executable lies and
// whether a stream reaches a terminal; and the processor time of a process. One implementation per host.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// The folder holding the running executable, without a trailing separator;
// empty when the host cannot tell.
std::string executableDirectory();

// True when `stream` writes to an interactive terminal (not a file or pipe).
bool isTerminal(std::FILE* stream);

// The processor time (user and system) process `pid` has used so far, in
// seconds; negative when the host cannot tell (no such process).
double processorSeconds(long pid);

}  // namespace platform
