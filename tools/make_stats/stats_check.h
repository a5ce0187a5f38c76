// The check of written stats files: the game's own LoadAllStats over them.
#pragma once

#include <string>
#include <vector>

namespace make_stats {

// Loads the stats files of the folder with LoadAllStats (the working
// directory is the folder meanwhile) and frees them again; the shared
// file handle must exist (CatalogStartup).  True when the
// load succeeded and showed no message box; the texts of the boxes shown go
// to *boxes.
bool CheckTables(const std::string& folder, std::vector<std::string>* boxes);

}  // namespace make_stats
