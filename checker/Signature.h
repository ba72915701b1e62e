/// Whether a program's Authenticode signature holds: whom it names, with which kind of key,
/// whether the file is still the one that was signed, and whether and when it was
/// time-stamped. The digest of the file is worked out here, from its PE headers, as the
/// Authenticode format lays it down; parsing the PKCS #7 signed data, hashing and checking
/// the signer's signature are the platform's own well-kept code: OpenSSL's on Linux,
/// crypt32's and CryptoAPI's on Windows.
///
/// Whether the signer is trusted (a chain up to a root Windows knows) is not asked: a disc
/// author's test certificate is made by themselves, and what matters here is what Windows
/// will hold against the file itself.
#ifndef KOVA_CHECKER_SIGNATURE_H
#define KOVA_CHECKER_SIGNATURE_H

#include "checker/PeManifest.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace autorun::check {

/// The most bytes of a signature that are read; real ones hold a few certificates.
constexpr std::size_t kMaxSignature = 1024 * 1024;

/// The kind of public key of the signer's certificate.
enum class KeyType { None, Rsa, Ecc, Other };

/// What a program's signature says and whether it holds. Every text is UTF-8.
struct SignatureFacts {
    /// The file carries something in its certificate table: a signature, whether or not
    /// it can be read. A file without one is unsigned and everything below is empty.
    bool isSigned = false;
    /// The simple name (the common name, as Windows shows a publisher) of the signer's
    /// certificate; empty when the signature does not tell it.
    std::string signer;
    KeyType keyType = KeyType::None;
    int keyBits = 0; ///< the key's size in bits (2048 for RSA-2048, 256 for P-256), or 0
    /// The digest the signature holds of the file: "SHA-256", "SHA-1", ..., or the
    /// algorithm's dotted number when it has no name here; empty when unread.
    std::string digestAlgorithm;
    /// The file's Authenticode digest is the one the signature holds: the file has not
    /// changed since it was signed.
    bool digestMatches = false;
    /// The signer's own signature holds: its certificate's key verifies the signed
    /// attributes, whose message digest is that of the signed content.
    bool signerVerified = false;
    /// The signature holds a time stamp (RFC 3161 or a counter-signature) that belongs to
    /// it and whose own signature holds, and the time it gives.
    bool timestamped = false;
    std::optional<std::chrono::sys_seconds> timestampTime;
    /// When the signer's certificate expires: without a time stamp, when the signature
    /// stops counting.
    std::optional<std::chrono::sys_seconds> certificateNotAfter;
    /// Why the signature does not hold, in words, when it does not (empty when it does).
    std::string problem;
    /// Why a time stamp the signature carries does not count, when one does not.
    std::string timestampProblem;

    /// The signature holds: the file is as it was signed and the signer's signature checks.
    bool Valid() const { return isSigned && digestMatches && signerVerified; }
};

/// Reads the signature of the file of `fileSize` bytes that `read` reads, and checks it.
/// Every offset and size the file holds is checked before it is used and no more than
/// kMaxSignature bytes of signature are read: a file made to mislead gives a `problem`,
/// never a read outside the file.
SignatureFacts VerifySignature(const PeRead& read, std::uint64_t fileSize);
/// The same with the file's PE facts read already.
SignatureFacts VerifySignature(const PeRead& read, std::uint64_t fileSize, const PeInfo& info);

/// A stretch of a file's bytes.
struct ByteRange {
    std::uint64_t offset;
    std::uint64_t size;
};

/// The bytes of a file that its Authenticode digest covers, in the order they are hashed:
/// the headers without the CheckSum field and the security directory's entry, the
/// sections' raw data in the order of their file offsets, then what follows them up to the
/// end of the file, without the certificate table. Empty, with `problem` set, when the
/// headers do not hold together for it.
struct DigestRanges {
    std::vector<ByteRange> ranges;
    std::string problem;
};
DigestRanges AuthenticodeRanges(const PeInfo& info, std::uint64_t fileSize);

/// The name of a digest algorithm by its dotted number ("2.16.840.1.101.3.4.2.1" is
/// "SHA-256"), or the number itself when it is none this knows.
std::string DigestName(std::string_view oid);

} // namespace autorun::check

#endif
