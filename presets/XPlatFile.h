// The preset system's file layer: splitting a chosen path, reading a whole
// file through a read-only descriptor, and saving by atomic replacement so
// that a failed save (full disk, crash, no permission) never destroys the
// file that was there before.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Splits path at its last '/': dir receives everything up to and including
// it, name everything after it. A path without '/' changes neither and
// returns false.
bool XPlatGetFileNameAndDir(const std::string& path, std::string& name, std::string& dir);

// Reads the whole regular file at path, opened read-only, into out. Fails and
// leaves out alone when the file cannot be opened or read, is not a regular
// file (a folder, a FIFO, a device), or holds more than maxBytes bytes.
bool XPlatReadFile(const std::string& path, std::vector<char>& out, size_t maxBytes);

// Replaces the file at path by the size bytes at data. The bytes go to a new
// temporary file in the same folder, are flushed to the disk, and the
// temporary file is then renamed over path, so readers see either the old
// content or the new, never a torn file. A save that fails at any step
// returns false, leaves the old file as it was and leaves no temporary file
// behind. An existing file keeps its permission bits; one this process may
// not write to, or one that is not a regular file, is not replaced. A
// symbolic link is followed: the file it names is replaced.
bool XPlatReplaceFile(const std::string& path, const void* data, size_t size);
