#include "checker/Signature.h"

#include "checker/Text.h"
#include "tests/checker/PeBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// data/signed-timestamped.exe is tests/checker/test-pe.py's program signed once with
// certificates made for it (RSA 2048, 100 years) and a time stamp of 2026-12-10 00:00 UTC:
//   openssl req -x509 -newkey rsa:2048 -nodes -days 36500 -subj "/CN=Kova test signer"
//     -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem
//   openssl req -x509 -newkey rsa:2048 -nodes -days 36500 -subj "/CN=Kova test time stamps"
//     -addext extendedKeyUsage=critical,timeStamping -keyout tsakey.pem -out tsacert.pem
//   osslsigncode sign -certs cert.pem -key key.pem -h sha256 -TSA-certs tsacert.pem
//     -TSA-key tsakey.pem -TSA-time 1796860800 -in unsigned.exe -out signed-timestamped.exe
// Its layout: the CheckSum field at 152, the security directory's entry at 216, headers
// up to 512, two sections of 512 bytes, 18 bytes after them and 6 of padding, and the
// certificate table at 1560, 3872 bytes long, to the end of the file.

namespace {

using autorun::check::ByteRange;
using autorun::check::DigestRanges;
using autorun::check::PeInfo;
using autorun::check::SignatureFacts;
using autorun::check::test::Put32;

constexpr std::uint64_t kChecksum = 152;
constexpr std::uint64_t kTable = 1560;
constexpr std::uint64_t kFileSize = 5432;
// Each check takes crypt32 some 15 ms under Wine and OpenSSL under a millisecond: the
// byte-by-byte loops below take every byte on Linux and a sample of them on Windows.
#ifdef _WIN32
constexpr std::size_t kStride = 29;
#else
constexpr std::size_t kStride = 1;
#endif

std::string SignedProgram()
{
    std::ifstream file(KOVA_SIGNED_PROGRAM, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

SignatureFacts Verify(const std::string& bytes)
{
    return autorun::check::VerifySignature(
        [&bytes](std::uint64_t offset, std::size_t size, void* buffer) {
            if (offset > bytes.size() || size > bytes.size() - offset)
                return false;
            std::memcpy(buffer, bytes.data() + offset, size);
            return true;
        },
        bytes.size());
}

/// What every answer holds to, whatever the file: a signature holds exactly when nothing
/// is said against it, and no text is anything but UTF-8.
void ExpectConsistent(const SignatureFacts& facts, const std::string& what)
{
    EXPECT_EQ(facts.Valid(), facts.isSigned && facts.problem.empty())
        << what << ": " << facts.problem;
    EXPECT_TRUE(facts.isSigned || (facts.signer.empty() && facts.problem.empty())) << what;
    EXPECT_EQ(facts.timestamped, facts.timestampTime.has_value()) << what;
    EXPECT_TRUE(autorun::check::IsUtf8(facts.signer) && autorun::check::IsUtf8(facts.problem) &&
                autorun::check::IsUtf8(facts.timestampProblem))
        << what;
}

/// The layout of data/signed-timestamped.exe, as ReadPeInfo finds it.
PeInfo Layout()
{
    PeInfo info;
    info.isPe = true;
    info.checksumOffset = kChecksum;
    info.securityEntryOffset = 216;
    info.headersSize = 512;
    info.sections = {{512, 512}, {1024, 512}};
    info.securityOffset = kTable;
    info.securitySize = kFileSize - kTable;
    return info;
}

TEST(Signature, DigestCoversWhatAuthenticodeHashes)
{
    const std::vector<ByteRange> linked = {{0, 152},   {156, 60},   {224, 288},
                                           {512, 512}, {1024, 512}, {1536, 24}};
    const struct {
        const char* what;
        void (*change)(PeInfo&, std::uint64_t&);
        std::vector<ByteRange> ranges; ///< empty: the headers do not hold together for it
    } cases[] = {
        {"as a linker lays it out", [](PeInfo&, std::uint64_t&) {}, linked},
        {"sections listed out of order",
         [](PeInfo& info, std::uint64_t&) { std::swap(info.sections[0], info.sections[1]); },
         linked},
        {"a section without raw data",
         [](PeInfo& info, std::uint64_t&) {
             info.sections.push_back({0, 0});
         },
         linked},
        {"bytes after the certificate table",
         [](PeInfo&, std::uint64_t& size) { size += 7; },
         {{0, 152}, {156, 60}, {224, 288}, {512, 512}, {1024, 512}, {1536, 24}, {kFileSize, 7}}},
        {"unsigned",
         [](PeInfo& info, std::uint64_t& size) {
             info.securityOffset = info.securitySize = 0;
             size = 1554;
         },
         {{0, 152}, {156, 60}, {224, 288}, {512, 512}, {1024, 512}, {1536, 18}}},
        {"the table among the sections",
         [](PeInfo& info, std::uint64_t&) { info.securityOffset = 1500; },
         {}},
        {"the table past the end", [](PeInfo&, std::uint64_t& size) { size -= 1; }, {}},
        {"a section past the end",
         [](PeInfo& info, std::uint64_t&) {
             info.sections[1] = {5000, 512};
         },
         {}},
        {"overlapping sections, unsigned",
         [](PeInfo& info, std::uint64_t& size) {
             info.sections = {{512, 1000}, {600, 1000}};
             info.securityOffset = info.securitySize = 0;
             size = 1554;
         },
         {}},
        {"SizeOfHeaders short of the security entry",
         [](PeInfo& info, std::uint64_t&) { info.headersSize = 220; },
         {}},
        {"SizeOfHeaders past the end",
         [](PeInfo& info, std::uint64_t&) { info.headersSize = 6000; },
         {}},
        {"no security entry",
         [](PeInfo& info, std::uint64_t&) { info.securityEntryOffset = 0; },
         {}},
        {"not a PE file", [](PeInfo& info, std::uint64_t&) { info.isPe = false; }, {}},
    };
    for (const auto& test : cases) {
        PeInfo info = Layout();
        std::uint64_t size = kFileSize;
        test.change(info, size);
        const DigestRanges digest = autorun::check::AuthenticodeRanges(info, size);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> got, want;
        for (const ByteRange& range : digest.ranges)
            got.emplace_back(range.offset, range.size);
        for (const ByteRange& range : test.ranges)
            want.emplace_back(range.offset, range.size);
        EXPECT_EQ(got, want) << test.what;
        EXPECT_EQ(digest.problem.empty(), !test.ranges.empty()) << test.what;
    }
}

TEST(Signature, ReadsAKnownSignedProgram)
{
    const std::string program = SignedProgram();
    ASSERT_EQ(program.size(), kFileSize);
    const SignatureFacts facts = Verify(program);
    EXPECT_TRUE(facts.Valid()) << facts.problem;
    EXPECT_TRUE(facts.digestMatches);
    EXPECT_TRUE(facts.signerVerified);
    EXPECT_EQ(facts.problem, "");
    EXPECT_EQ(facts.signer, "Kova test signer");
    EXPECT_EQ(facts.keyType, autorun::check::KeyType::Rsa);
    EXPECT_EQ(facts.keyBits, 2048);
    EXPECT_EQ(facts.digestAlgorithm, "SHA-256");
    EXPECT_TRUE(facts.timestamped) << facts.timestampProblem;
    ASSERT_TRUE(facts.timestampTime);
    EXPECT_EQ(facts.timestampTime->time_since_epoch().count(), 1796860800); // 2026-12-10
    ASSERT_TRUE(facts.certificateNotAfter);
    EXPECT_EQ(facts.certificateNotAfter->time_since_epoch().count(), 4950422822); // 2126-11-15
}

TEST(Signature, AnyByteChangedButTheCheckSumBreaksIt)
{
    // Every byte before the certificate table is the file's own: the digest covers all of
    // them but the CheckSum field, which signing writes afterwards (and the security
    // directory's entry, which no change leaves pointing at the same signature).
    const std::string program = SignedProgram();
    for (std::uint64_t at = 0; at < kTable; ++at) {
        const bool checksum = at >= kChecksum && at < kChecksum + 4;
        if (at % kStride != 0 && !checksum)
            continue;
        std::string changed = program;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        const SignatureFacts facts = Verify(changed);
        EXPECT_EQ(facts.Valid(), checksum) << "byte " << at << ": " << facts.problem;
        ExpectConsistent(facts, "byte " + std::to_string(at));
    }
}

TEST(Signature, SpoiltSignaturesAreSaidToBeSo)
{
    const std::string program = SignedProgram();
    const auto facts = [&](void (*change)(std::string&)) {
        std::string changed = program;
        change(changed);
        return Verify(changed);
    };
    // The certificate table's header says what it holds: type 1 is an X.509 certificate.
    const SignatureFacts certificate = facts([](std::string& bytes) { bytes[kTable + 6] = 1; });
    EXPECT_TRUE(certificate.isSigned);
    EXPECT_EQ(certificate.problem, "its certificate table holds no signature Windows can read");
    const SignatureFacts huge = facts([](std::string& bytes) {
        Put32(bytes, 220, 2 * autorun::check::kMaxSignature);
        Put32(bytes, kTable, 2 * autorun::check::kMaxSignature);
    });
    EXPECT_TRUE(huge.isSigned);
    EXPECT_NE(huge.problem.find("larger than any real one"), std::string::npos) << huge.problem;
    const SignatureFacts garbage =
        facts([](std::string& bytes) { bytes.replace(kTable + 8, 4, "junk"); });
    EXPECT_EQ(garbage.problem,
              "its certificate table holds no PKCS #7 signed data that can be read");
    EXPECT_FALSE(garbage.digestMatches);

    // Cut short anywhere in the table, the file still says that it is signed; whatever byte
    // of the signature is changed, the answer holds together.
    for (std::size_t size = kTable; size < program.size(); size += kStride) {
        const SignatureFacts cut = Verify(program.substr(0, size));
        EXPECT_TRUE(cut.isSigned && !cut.Valid() && !cut.problem.empty()) << "cut at " << size;
    }
    for (std::size_t at = kTable + 8; at < program.size(); at += kStride) {
        std::string changed = program;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        ExpectConsistent(Verify(changed), "signature byte " + std::to_string(at));
    }
}

TEST(Signature, UnsignedAndForeignFilesHaveNoSignature)
{
    std::string program = SignedProgram();
    Put32(program, 216, 0);
    Put32(program, 220, 0);
    const SignatureFacts unsignedFacts = Verify(program.substr(0, kTable));
    EXPECT_FALSE(unsignedFacts.isSigned);
    EXPECT_EQ(unsignedFacts.problem, "");
    ExpectConsistent(unsignedFacts, "unsigned");
    const SignatureFacts text = Verify("MZ, but no more than that");
    EXPECT_FALSE(text.isSigned);
    ExpectConsistent(text, "text");
}

} // namespace
