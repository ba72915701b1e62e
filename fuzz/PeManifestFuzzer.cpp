/// Fuzzes the checker's reader of Windows programs with any bytes. The reader sees the
/// file only through a callback that refuses anything past its end, and the file lies in
/// a buffer of exactly its size, so a read outside it shows under AddressSanitizer. What
/// it reports must hold together: a manifest only in a PE file, a level only with a
/// manifest, and the level only as text the manifest holds.
#include "checker/PeManifest.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "pe fuzzer: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<std::uint8_t[]> file(new std::uint8_t[size]);
    std::memcpy(file.get(), data, size);
    std::size_t reads = 0;
    const autorun::check::PeInfo info =
        autorun::check::ReadPeInfo([&](std::uint64_t offset, std::size_t count, void* buffer) {
            ++reads;
            if (offset > size || count > size - offset)
                return false;
            std::memcpy(buffer, file.get() + offset, count);
            return true;
        });
    Check(reads < 10000, "too many reads for one file");
    Check(!info.hasManifest || info.isPe, "a manifest outside a PE file");
    Check(info.level.empty() || info.hasManifest, "a level without a manifest");
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string level = autorun::check::ManifestLevel(text);
    Check(level.size() <= size, "a level longer than the text");
    return 0;
}
