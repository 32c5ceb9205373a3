#include "scan/read_watch.h"

namespace scan {
namespace {

ReadWatcher currentWatcher = nullptr;
void* currentContext = nullptr;

}  // namespace

void setReadWatcher(ReadWatcher watcher, void* context) {
    currentWatcher = watcher;
    currentContext = context;
}

void announceRead(const std::string& path) {
    if (currentWatcher != nullptr) currentWatcher(path, currentContext);
}

}  // namespace scan
