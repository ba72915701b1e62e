/// Whose signature a signed program carries: the signer's name from its Authenticode
/// signature (PKCS #7 signed data), read by the platform's own well-kept code for it:
/// OpenSSL's on Linux, crypt32's on Windows.
#ifndef KOVA_CHECKER_SIGNATURE_H
#define KOVA_CHECKER_SIGNATURE_H

#include <string>
#include <string_view>

namespace autorun::check {

/// The most bytes of a signature that are read; real ones hold a few certificates.
constexpr std::size_t kMaxSignature = 1024 * 1024;

/// The simple name (the common name, as Windows shows a publisher) of the certificate
/// that signed `der`, in UTF-8; empty when the bytes do not tell it.
std::string SignerName(std::string_view der);

} // namespace autorun::check

#endif
