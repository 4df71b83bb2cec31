#include "gui/Resources.h"

#include <mutex>

namespace {
std::mutex& folderMutex()
{
    static std::mutex m;
    return m;
}

std::string& folderValue()
{
    static std::string folder;
    return folder;
}
} // namespace

void setResourceFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(folderMutex());
    folderValue() = folder;
}

std::string resourceFolder()
{
    std::lock_guard<std::mutex> lock(folderMutex());
    return folderValue();
}
