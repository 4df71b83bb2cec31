// Where bitmap resources come from: the process-wide folder the plug-in sets
// from its bundle before building a window, and pictures a library may hold
// in its own data for when a file is missing. Resource n at scale s is the
// file "bmp%05d.png" (scale 1) or "bmp%05d@<s>x.png".
#pragma once

#include <cstddef>
#include <string>

void setResourceFolder(const std::string& folder);
std::string resourceFolder();

// A PNG file's bytes held in memory, for resource id at a scale.
struct EmbeddedPicture {
    int id;
    double scale;
    const unsigned char* begin;
    const unsigned char* end;
};
// The table stays where it is for the life of the process.
void setEmbeddedPictures(const EmbeddedPicture* table, size_t count);
const EmbeddedPicture* findEmbeddedPicture(int id, double scale);

// The file name of resource id at a scale.
std::string bitmapFileName(int id, double scale);
