// A scratch directory for one test, removed with everything in it, and
// small whole-file helpers.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace testing_support {

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempDir {
public:
    TempDir() {
        // create_directory is false when the name is taken: try another.
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("volview-test-" + std::to_string(seed()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

    // Writes raw bytes to a file in the directory and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        writeBytes(file(name), bytes);
        return file(name);
    }

    // Names of the entries, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

}  // namespace testing_support
