#include "shell/BundleReference.h"

#include <dlfcn.h>

#include "gui/Resources.h"
#include "resources/EmbeddedPictures.h"

namespace {

// UI thread only, like every editor operation.
int references = 0;
std::string currentFolder;
std::string overrideFolder;

std::string ownLibraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&bundleFolderOf), &info) == 0 || !info.dli_fname)
        return {};
    return info.dli_fname;
}

}  // namespace

std::string bundleFolderOf(const std::string& libraryPath)
{
    // An LV2 bundle holds its library at the top: NAME.lv2/NAME.so.
    const size_t last = libraryPath.find_last_of('/');
    if (last != std::string::npos && last >= 4 && libraryPath.compare(last - 4, 4, ".lv2") == 0)
        return libraryPath.substr(0, last);
    std::string path = libraryPath;
    for (int i = 0; i < 3; ++i) {
        size_t slash = path.find_last_of('/');
        if (slash == std::string::npos)
            return {};
        path.erase(slash);
    }
    return path.empty() ? std::string("/") : path;
}

void InitMachOLibrary()
{
    if (references++ > 0)
        return;
    registerEmbeddedPictures();
    currentFolder = overrideFolder.empty() ? bundleFolderOf(ownLibraryPath()) : overrideFolder;
    setResourceFolder(currentFolder.empty() ? std::string() : currentFolder + "/Contents/Resources");
}

void ExitMachOLibrary()
{
    if (references == 0 || --references > 0)
        return;
    currentFolder.clear();
    setResourceFolder(std::string());
}

std::string bundleFolder()
{
    return currentFolder;
}

void useBundleFolder(const std::string& folder)
{
    overrideFolder = folder;
}
