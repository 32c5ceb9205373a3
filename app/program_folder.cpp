#include "app/program_folder.h"

#include "platform/file_output.h"
#include "platform/process.h"

namespace app {

std::string pathInFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string chooseProgramFolder(const std::vector<std::string>& candidates,
                                const std::vector<std::string>& names) {
    for (const std::string& folder : candidates) {
        for (const std::string& name : names) {
            if (platform::pathExists(pathInFolder(folder, name))) return folder;
        }
    }
    return candidates.empty() ? std::string() : candidates.front();
}

std::vector<std::string> programFolderCandidates() {
    std::vector<std::string> folders{std::string()};
    const std::string executable = platform::executableDirectory();
    if (!executable.empty()) folders.push_back(executable);
#ifdef VOLVIEW_DATA_DIR
    folders.push_back(VOLVIEW_DATA_DIR);
#endif
    return folders;
}

std::string defaultDatasetPath() {
    const std::string name = "skewed_head.dat";
#ifdef VOLVIEW_DATA_DIR
    const std::string installed = pathInFolder(VOLVIEW_DATA_DIR, name);
    if (!platform::pathExists(name) && platform::pathExists(installed)) return installed;
#endif
    return name;
}

}  // namespace app
