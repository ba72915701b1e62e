/// Fuzzes the checker's signature check with any bytes. The first byte says what the rest
/// is: when even, a whole file; when odd, the DER of a signature, which goes into the
/// certificate table of a small program made here, so that the fuzzer spends its time on
/// the PKCS #7 signed data, its certificates and time stamps rather than on finding a PE
/// layout. The file lies in a buffer of exactly its size, read only through a callback
/// that refuses anything past its end, so a read outside it shows under AddressSanitizer.
/// What the check answers must hold together: a signature holds exactly when nothing is
/// said against it, an unsigned file has no other facts, a time stamp has its time, and
/// every text is UTF-8.
#include "checker/Signature.h"
#include "checker/Text.h"
#include "tests/checker/PeBytes.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using autorun::check::test::Put16;
using autorun::check::test::Put32;

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "signature fuzzer: %s\n", what);
        std::abort();
    }
}

/// A 32-bit program of one section whose certificate table holds `der`.
std::string Program(const std::uint8_t* der, std::size_t size)
{
    constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kHeaders = 0x200, kRaw = 0x200;
    std::string bytes(kHeaders + kRaw, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, 0x3C, kPe);
    std::memcpy(&bytes[kPe], "PE\0\0", 4);
    Put16(bytes, kPe + 4, 0x014C);
    Put16(bytes, kPe + 6, 1);
    Put16(bytes, kPe + 20, 224);
    Put16(bytes, kOptional, 0x010B);
    Put32(bytes, kOptional + 60, kHeaders);
    Put32(bytes, kOptional + 92, 16);
    const std::size_t section = kOptional + 224;
    std::memcpy(&bytes[section], ".text", 5);
    Put32(bytes, section + 8, kRaw);
    Put32(bytes, section + 12, 0x1000);
    Put32(bytes, section + 16, kRaw);
    Put32(bytes, section + 20, kHeaders);
    bytes[kHeaders] = '\xC3';
    const std::size_t table = bytes.size();
    const std::size_t length = (8 + size + 7) & ~std::size_t{7};
    bytes.resize(table + length, '\0');
    Put32(bytes, table, static_cast<std::uint32_t>(length));
    Put16(bytes, table + 4, 0x0200);
    Put16(bytes, table + 6, 2);
    std::memcpy(&bytes[table + 8], der, size);
    Put32(bytes, kOptional + 96 + 32, static_cast<std::uint32_t>(table));
    Put32(bytes, kOptional + 96 + 36, static_cast<std::uint32_t>(length));
    return bytes;
}

} // namespace

// The stand-in's text conversions, which name the signer in the ANSI code page, report
// their failures here; nothing reads them back.
void WINAPI SetLastError(DWORD)
{
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes = (data[0] & 1) != 0
                                  ? Program(data + 1, size - 1)
                                  : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    // A copy of exactly the file's size, so that AddressSanitizer sees a read past it.
    const std::unique_ptr<char[]> file(new char[bytes.size()]);
    std::memcpy(file.get(), bytes.data(), bytes.size());
    const std::size_t fileSize = bytes.size();
    const autorun::check::SignatureFacts facts = autorun::check::VerifySignature(
        [&](std::uint64_t offset, std::size_t count, void* buffer) {
            if (offset > fileSize || count > fileSize - offset)
                return false;
            std::memcpy(buffer, file.get() + offset, count);
            return true;
        },
        fileSize);
    Check(facts.Valid() == (facts.isSigned && facts.problem.empty()),
          "a signature said to hold with a problem, or not to hold without one");
    Check(facts.isSigned || (facts.signer.empty() && facts.problem.empty() &&
                             !facts.digestMatches && !facts.timestamped),
          "facts of a signature in an unsigned file");
    Check(facts.timestamped == facts.timestampTime.has_value(), "a time stamp without a time");
    Check(autorun::check::IsUtf8(facts.signer) && autorun::check::IsUtf8(facts.problem) &&
              autorun::check::IsUtf8(facts.timestampProblem),
          "a text that is not UTF-8");
    return 0;
}
