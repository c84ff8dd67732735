// The self-extractor's question for the destination folder.
#pragma once

#include <windows.h>

#include <string>

namespace cab32 {

// Shows "解凍先のフォルダ" with `folder` filled in; true and the edited
// folder on OK, false on Cancel or when the window cannot be shown.
bool AskDestinationFolder(HINSTANCE instance, std::string& folder);

}  // namespace cab32
