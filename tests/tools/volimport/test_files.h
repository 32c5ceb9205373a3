// Scratch folders and small file builders for the import tests.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/temp_dir.h"

namespace testfiles {

using ScratchDir = testing_support::TempDir;
using testing_support::readBytes;
using testing_support::writeBytes;

inline void writeGzip(const std::string& path, const std::string& bytes) {
    gzFile f = gzopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(gzwrite(f, bytes.data(), static_cast<unsigned>(bytes.size())),
              static_cast<int>(bytes.size()));
    gzclose(f);
}

// Rewrites the checksum of the header block at the start of `tar`.
inline void fixChecksum(std::string& tar) {
    std::memset(&tar[148], ' ', 8);
    unsigned sum = 0;
    for (int i = 0; i < 512; ++i) sum += static_cast<unsigned char>(tar[i]);
    std::snprintf(&tar[148], 8, "%06o", sum);
}

// One ustar member: header block plus content padded to 512 bytes.
inline std::string tarMember(const std::string& name, const std::string& content,
                             char type = '0') {
    std::string header(512, '\0');
    std::memcpy(&header[0], name.data(), std::min<std::size_t>(name.size(), 100));
    std::snprintf(&header[100], 8, "%07o", 0644);
    std::snprintf(&header[124], 12, "%011o", static_cast<unsigned>(content.size()));
    header[156] = type;
    std::memcpy(&header[257], "ustar\0" "00", 8);
    fixChecksum(header);
    std::string padded = content;
    padded.resize((content.size() + 511) / 512 * 512, '\0');
    return header + padded;
}

inline std::string tarEnd() { return std::string(1024, '\0'); }

// Little-endian int16 samples as bytes.
inline std::string int16Bytes(const std::vector<int>& values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v & 0xff);
        out += static_cast<char>((v >> 8) & 0xff);
    }
    return out;
}

// The description of a project archive; `matrix` and `spacing` are the
// inner XML of the "matrix" dict and of the "spacing" array.
inline std::string projectPlist(const std::string& matrix, const std::string& spacing) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>matrix</key><dict>" + matrix + "</dict>\n"
           "<key>spacing</key><array>" + spacing + "</array>\n</dict>\n</plist>\n";
}

// A 3 x 2 x 2 int16 CT (shape 2, 2, 3 in z, y, x) with spacing 1, 1, 2.
inline std::string tinyMatrixDict() {
    return "<key>dtype</key><string>int16</string>"
           "<key>filename</key><string>matrix.dat</string>"
           "<key>shape</key><array><integer>2</integer><integer>2</integer>"
           "<integer>3</integer></array>";
}
inline std::string tinySpacing() { return "<real>1.0</real><real>1</real><real>2.0</real>"; }
inline std::vector<int> tinySamples() {
    return {-2000, -1000, 0, 100, 200, 300,   // z = 0
            1000, 1100, 1200, 1300, 3000, 3100};  // z = 1
}

// Writes a gzip-compressed project archive with the given description and
// sample file in a folder "proj".
inline void writeProject(const std::string& path, const std::string& plist,
                         const std::string& matrix) {
    writeGzip(path, tarMember("proj/", "", '5') + tarMember("proj/main.plist", plist) +
                        tarMember("proj/matrix.dat", matrix) + tarEnd());
}

}  // namespace testfiles
