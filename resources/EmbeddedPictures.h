// The editor's pictures held by the library itself (generated at build time
// from the same drawings as the bundle's files).
#pragma once

// Hands the library's pictures to the toolkit, which takes them when the
// bundle's Resources folder lacks a picture. Any thread before the first
// window; repeated calls change nothing.
void registerEmbeddedPictures();
