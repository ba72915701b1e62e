/// The platform's half of a signature's check (checker/Signature.h): parsing the PKCS #7
/// signed data, hashing and verifying, by OpenSSL on Linux and crypt32 on Windows. What the
/// file's digest covers is worked out once, for both, in Signature.cpp.
#ifndef KOVA_CHECKER_SIGNATURECRYPTO_H
#define KOVA_CHECKER_SIGNATURECRYPTO_H

#include "checker/Signature.h"

#include <functional>
#include <string>
#include <string_view>

namespace autorun::check::detail {

/// Takes the next bytes of what is hashed.
using ByteSink = std::function<void(const void* bytes, std::size_t size)>;
/// Streams the bytes the file's Authenticode digest covers to a sink, in order; gives
/// empty, or why they cannot be had (headers that do not hold together, a failed read).
using FileFeed = std::function<std::string(const ByteSink& sink)>;

/// Reads the Authenticode signature `der` and fills every fact of `facts` but isSigned,
/// hashing the file through `feed` with the digest algorithm the signature names.
void ExamineSignedData(std::string_view der, const FileFeed& feed, SignatureFacts& facts);

/// Adds a reason to those in `problem`.
void AddProblem(std::string& problem, std::string_view reason);

/// Weighs one of the signer's time stamps, checked to `problem` (empty: it holds) at `time`:
/// the first that holds is the signature's, and until one does the first reason one did not
/// is kept. True when this one holds, so that the caller stops looking.
bool TakeTimestamp(SignatureFacts& facts, const std::string& problem,
                   const std::optional<std::chrono::sys_seconds>& time);

/// The parts of the wording both platforms share.
constexpr std::string_view kNotSignedData =
    "its certificate table holds no PKCS #7 signed data that can be read";
constexpr std::string_view kChanged =
    "the file has changed since it was signed: its digest is not the one the signature holds";
constexpr std::string_view kNotPeSignature =
    "the signature's content is not the Authenticode digest of a Windows program";
constexpr std::string_view kNoSignerCertificate =
    "the signature does not carry the certificate of its signer";
constexpr std::string_view kNotThisSignature = "the time stamp is not of this signature";

} // namespace autorun::check::detail

#endif
