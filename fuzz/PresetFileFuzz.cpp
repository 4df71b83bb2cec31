// Arbitrary bytes as a preset or bank file (the first byte picks which, and
// the byte order variant), read as the file loaders read them.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzStore.h"
#include "presets/PresetFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool bank = data[0] & 1;
    const bool reversed = data[0] & 2;
    const bool fromFile = !(data[0] & 4);
    FuzzedInstance instance;
    const size_t length = size - 1;
    std::unique_ptr<char[]> bytes(new char[length ? length : 1]);
    memcpy(bytes.get(), data + 1, length);
    const bool taken = readPresetData(instance.fx.presetStore(), bytes.get(), length, bank, reversed, fromFile);
    instance.check(taken);
    return 0;
}
