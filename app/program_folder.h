// Where the viewer reads its seven program texts: the current folder when
// it holds them, else the executable's folder, else the installed data
// folder. One folder serves all seven, so texts of two installations are
// never mixed. The default dataset is looked for in the current folder,
// then in the installed data folder.
#pragma once

#include <string>
#include <vector>

namespace app {

// The first of `candidates` that holds at least one of `names`; "" (the
// current folder) is a candidate like any other. When none holds any,
// the first candidate, so the chain's message names the file it missed there.
std::string chooseProgramFolder(const std::vector<std::string>& candidates,
                                const std::vector<std::string>& names);

// The folders the viewer looks in, in order: "", the executable's folder,
// the installed data folder.
std::vector<std::string> programFolderCandidates();

// The dataset the viewer shows when none is named: skewed_head.dat in the
// current folder, else the one installed in the data folder; when neither
// is there, the current folder's, so the loader's message names it there.
std::string defaultDatasetPath();

// `name` inside `folder` ("" is the current folder).
std::string pathInFolder(const std::string& folder, const std::string& name);

}  // namespace app
