// Which file a reader is in: the DICOM and NIfTI readers announce each file
// before a library reads it, so that a reader process that dies can be
// named by the file it was reading.
#pragma once

#include <string>

namespace scan {

using ReadWatcher = void (*)(const std::string& path, void* context);

// Calls `watcher` for every file announced from now on; nullptr stops.
void setReadWatcher(ReadWatcher watcher, void* context);

// Says that `path` is about to be read.
void announceRead(const std::string& path);

}  // namespace scan
