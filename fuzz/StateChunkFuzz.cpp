// Arbitrary bytes as a state chunk from a host.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedInstance instance;
    // The chunk in a buffer of exactly its size, so any overread is caught.
    std::vector<uint8_t> chunk(data, data + size);
    const int32_t result = instance.fx.setChunk(chunk.data(), static_cast<int32_t>(size), false);
    if (result != 0 && result != -1)
        abort();
    instance.check(result == 0);
    return 0;
}
