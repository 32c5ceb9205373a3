// Writing a file so that readers never see it half written and nothing the
// user owns is replaced by accident.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Writes `size` bytes to a temporary file in the directory of `path`, flushes
// it to disk and moves it into place. Without `overwrite` an existing `path`
// (of any kind) is left alone and the call fails. On failure no temporary file
// remains and `error` describes the problem (without the path).
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, bool overwrite,
                         std::string& error);

// True when anything (a file, folder or link, even a dangling one) is at `path`.
bool pathExists(const std::string& path);

// True when both paths name the same existing file.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace platform
