// The plug-in's own bundle, where the editor's pictures live: the library
// finds its file with dladdr and takes the bundle folder three levels up
// (Sylvatone.vst/Contents/x86_64-linux/Sylvatone.so), or the LV2 bundle
// holding it (sylvatone.lv2/sylvatone.so); pictures and the manual under
// Contents/Resources. One reference for the whole process, held while any
// editor lives; it hands the picture folder to the toolkit.
#pragma once

#include <string>

// Takes a reference: the first one finds the bundle and tells the toolkit
// where the pictures are.
void InitMachOLibrary();
// Releases a reference; the last one forgets the folder.
void ExitMachOLibrary();

// The bundle folder found, empty when there is none (no editor alive, or
// the library does not sit in a bundle).
std::string bundleFolder();

// For programs that link the plug-in's code directly instead of loading
// the bundle (tests, the snapshot command): use this bundle folder instead
// of looking for one. An empty path goes back to looking.
void useBundleFolder(const std::string& folder);

// The bundle folder of the library file at path: its folder when that is an
// LV2 bundle (NAME.lv2), else the path without its last three components,
// or empty when it has fewer.
std::string bundleFolderOf(const std::string& libraryPath);
