// Opening files for reading so that a read always ends: only regular files
// are taken. A directory, a device (/dev/zero never ends, /dev/urandom has no
// length) or a pipe (its open would wait for a writer) is refused before
// anything is read.
#pragma once

#include <cstdio>

namespace platform {

enum class InputFileStatus {
    ok,
    cannotOpen,      // missing, unreadable: errorNumber says why
    directory,       // a folder, not a file
    notRegularFile,  // a device, a pipe or a socket
};

// Opens `path` for binary reading ("rb"). On failure returns null, sets
// `status` and, for cannotOpen, `errorNumber` (otherwise 0).
std::FILE* openRegularFile(const char* path, InputFileStatus& status, int& errorNumber);

// The same as a file descriptor (blocking, close-on-exec); -1 on failure.
int openRegularFileDescriptor(const char* path, InputFileStatus& status, int& errorNumber);

// A short description of a failed open for messages: "cannot open",
// "is a directory", "is not a regular file (a device or a pipe)".
const char* describeInputFileStatus(InputFileStatus status);

}  // namespace platform
