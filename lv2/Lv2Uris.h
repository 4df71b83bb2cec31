// The LV2 edition's own URIs, shared by the plug-in, its window and the
// description generator.
#pragma once

namespace lv2uris {

#define SYLVATONE_LV2_URI "https://zym-audio.net/plugins/sylvatone"

constexpr const char* kPlugin = SYLVATONE_LV2_URI;
constexpr const char* kUi = SYLVATONE_LV2_URI "#ui";
// The state property holding the program store.
constexpr const char* kProgramsKey = SYLVATONE_LV2_URI "#programs";

#undef SYLVATONE_LV2_URI

}  // namespace lv2uris
