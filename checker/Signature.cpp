#include "checker/Signature.h"

#include "checker/Text.h"

#ifdef _WIN32
#include <windows.h>
#include <wincrypt.h>
#else
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#endif

#include <memory>
#include <string_view>
#include <vector>

namespace autorun::check {

#ifdef _WIN32

std::string SignerName(std::string_view der)
{
    CERT_BLOB blob{static_cast<DWORD>(der.size()),
                   reinterpret_cast<BYTE*>(const_cast<char*>(der.data()))};
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_BLOB, &blob, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &store,
                          &message, nullptr))
        return {};
    std::string name;
    DWORD size = 0;
    if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) && size > 0) {
        std::vector<BYTE> buffer(size);
        if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, buffer.data(), &size)) {
            const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());
            CERT_INFO wanted{};
            wanted.Issuer = signer->Issuer;
            wanted.SerialNumber = signer->SerialNumber;
            if (PCCERT_CONTEXT certificate =
                    CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                               CERT_FIND_SUBJECT_CERT, &wanted, nullptr)) {
                WCHAR text[256];
                if (CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, text,
                                       256) > 1)
                    name = WideToUtf8(text);
                CertFreeCertificateContext(certificate);
            }
        }
    }
    CryptMsgClose(message);
    CertCloseStore(store, 0);
    return name;
}

#else

std::string SignerName(std::string_view der)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    const std::unique_ptr<PKCS7, decltype(&PKCS7_free)> signature(
        d2i_PKCS7(nullptr, &bytes, static_cast<long>(der.size())), PKCS7_free);
    if (!signature || !PKCS7_type_is_signed(signature.get()))
        return {};
    // The signers' certificates, found among those the signature carries; the stack is the
    // signature's own but must be freed.
    STACK_OF(X509)* signers = PKCS7_get0_signers(signature.get(), nullptr, 0);
    if (signers == nullptr)
        return {};
    std::string name;
    if (sk_X509_num(signers) > 0) {
        const X509_NAME* subject = X509_get_subject_name(sk_X509_value(signers, 0));
        const int at = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
        if (at >= 0) {
            unsigned char* text = nullptr;
            const int length = ASN1_STRING_to_UTF8(
                &text, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at)));
            if (length > 0)
                name = ToUtf8(std::string_view(reinterpret_cast<const char*>(text),
                                               static_cast<std::size_t>(length)),
                              TextEncoding::Utf8);
            OPENSSL_free(text);
        }
    }
    sk_X509_free(signers);
    return name;
}

#endif

} // namespace autorun::check
