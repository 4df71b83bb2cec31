// Writes a few valid inputs for each target, so fuzzing starts from data
// that gets past the first checks: chunks, program and bank files in both
// byte orders and in the old layouts.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plugin/Sylvatone.h"
#include "editor/ADEditor.h"

namespace {

void write(const std::filesystem::path& file, const char* data, size_t size, int prefix = -1)
{
    std::ofstream out(file, std::ios::binary);
    if (prefix >= 0) {
        const char p = static_cast<char>(prefix);
        out.write(&p, 1);
    }
    out.write(data, static_cast<std::streamsize>(size));
}

void reverseWords(std::vector<char>& bytes, size_t from)
{
    for (size_t i = from; i + 4 <= bytes.size(); i += 4)
        std::swap(bytes[i], bytes[i + 3]), std::swap(bytes[i + 1], bytes[i + 2]);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "state_chunk");
    std::filesystem::create_directories(root / "preset_file");

    Sylvatone fx(nullptr);
    fx.setPresetNo(2);
    void* chunk = nullptr;
    const int32_t size = fx.getChunk(&chunk, false);
    write(root / "state_chunk" / "bank", static_cast<char*>(chunk), static_cast<size_t>(size));

    // The old chunk layout: 32-byte header and six records of 42 values.
    std::vector<char> old(32 + 6 * 192, 0);
    const int32_t header[4] = {0x01000000, fx.getUniqueID(), 6, 3};
    memcpy(old.data(), header, sizeof header);
    for (int p = 0; p < 6; ++p)
        memcpy(old.data() + 32 + p * 192, &fx.program(p), 192);
    write(root / "state_chunk" / "old", old.data(), old.size());

    auto* editor = new ADEditor(&fx);  // owned by fx
    char* buffer = nullptr;
    long length = editor->PresetToBuffer(&buffer);
    write(root / "preset_file" / "preset", buffer, static_cast<size_t>(length), 0);
    std::vector<char> swapped(buffer, buffer + length);
    delete[] buffer;
    reverseWords(swapped, 0);
    write(root / "preset_file" / "preset-reversed", swapped.data(), swapped.size(), 0);
    length = editor->BankToBuffer(&buffer);
    write(root / "preset_file" / "bank", buffer, static_cast<size_t>(length), 1);
    write(root / "preset_file" / "bank-value", buffer, static_cast<size_t>(length), 5);
    delete[] buffer;

    // Old flat layouts: ID, kind, then name and values.
    std::vector<char> single(5 + 24 + 4 * 42);
    const int32_t id = fx.getUniqueID();
    memcpy(single.data(), &id, 4);
    single[4] = 33;
    memcpy(single.data() + 5, &fx.program(1), 192);
    write(root / "preset_file" / "old-preset", single.data(), single.size(), 0);
    std::vector<char> bank(5 + 6 * 192);
    memcpy(bank.data(), &id, 4);
    bank[4] = 55;
    for (int p = 0; p < 6; ++p)
        memcpy(bank.data() + 5 + p * 192, &fx.program(p), 192);
    write(root / "preset_file" / "old-bank", bank.data(), bank.size(), 1);
    printf("seeds written under %s\n", root.c_str());
    return 0;
}
