// The process-wide folder that bitmap resources are loaded from. The plug-in
// sets it from its bundle before building a window. UI thread.
#pragma once

#include <string>

void setResourceFolder(const std::string& folder);
std::string resourceFolder();
