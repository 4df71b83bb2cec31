#include "gui/Resources.h"

#include <atomic>
#include <cstdio>
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

struct Table {
    const EmbeddedPicture* pictures;
    size_t count;
};
std::atomic<const Table*> embedded{nullptr};
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

void setEmbeddedPictures(const EmbeddedPicture* table, size_t count)
{
    // Set once and kept for the process: a table lives as long as its library.
    static const Table held{table, count};
    const Table* none = nullptr;
    embedded.compare_exchange_strong(none, &held);
}

const EmbeddedPicture* findEmbeddedPicture(int id, double scale)
{
    const Table* t = embedded.load();
    if (!t)
        return nullptr;
    for (size_t i = 0; i < t->count; ++i)
        if (t->pictures[i].id == id && t->pictures[i].scale == scale)
            return &t->pictures[i];
    return nullptr;
}

std::string bitmapFileName(int id, double scale)
{
    char name[48];
    if (scale == 1.0)
        std::snprintf(name, sizeof name, "bmp%05d.png", id);
    else
        std::snprintf(name, sizeof name, "bmp%05d@%gx.png", id, scale);
    return name;
}
