// Index of a tar archive held in memory: ustar headers in 512-byte blocks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace scan {

struct TarMember {
    std::string name;        // full path inside the archive
    std::size_t offset = 0;  // of the content, from the archive start
    std::size_t size = 0;    // content bytes
};

// Lists the regular files of the archive. Fails, with `error` describing the
// problem, when a header has a bad checksum or size field, or a member's
// content runs past the end of the data. The archive ends at two zero blocks
// or at the end of the data, whichever comes first.
bool listTarMembers(const unsigned char* data, std::size_t size, std::vector<TarMember>& out,
                    std::string& error);

// The part of a member name after its last '/'.
std::string baseName(const std::string& name);

// The only member whose base name is `base`. Null when there is none or when
// several match; `ambiguous` tells which.
const TarMember* findMemberByBaseName(const std::vector<TarMember>& members, const std::string& base,
                                      bool* ambiguous = nullptr);

}  // namespace scan
