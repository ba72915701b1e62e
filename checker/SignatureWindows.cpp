// A signature's check on Windows, by crypt32 (its PKCS #7 and ASN.1 decoders, its message
// signature verification) and CryptoAPI's digests: the code Windows itself checks
// signatures with, and nothing a supported Windows lacks.
#include "checker/SignatureCrypto.h"

#include "checker/Text.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace autorun::check::detail {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr std::string_view kRfc3161Token = "1.3.6.1.4.1.311.3.3.1";
constexpr std::string_view kRsaPss = "1.2.840.113549.1.1.10";

/// A decoded PKCS #7 signed message and the certificates it carries.
class Message {
public:
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;
    explicit Message(std::string_view der)
    {
        if (der.empty() || der.size() > kMaxSignature)
            return;
        CERT_BLOB blob{static_cast<DWORD>(der.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(der.data()))};
        if (!CryptQueryObject(CERT_QUERY_OBJECT_BLOB, &blob, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED,
                              CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &fStore,
                              &fMessage, nullptr)) {
            fStore = nullptr;
            fMessage = nullptr;
        }
    }
    ~Message()
    {
        if (fMessage != nullptr)
            CryptMsgClose(fMessage);
        if (fStore != nullptr)
            CertCloseStore(fStore, 0);
    }
    explicit operator bool() const { return fMessage != nullptr && fStore != nullptr; }

    /// A parameter of the message, or empty when it has none.
    std::vector<BYTE> Param(DWORD type) const
    {
        DWORD size = 0;
        if (!CryptMsgGetParam(fMessage, type, 0, nullptr, &size) || size == 0)
            return {};
        std::vector<BYTE> value(size);
        if (!CryptMsgGetParam(fMessage, type, 0, value.data(), &size))
            return {};
        value.resize(size);
        return value;
    }

    std::string Text(DWORD type) const
    {
        const std::vector<BYTE> value = Param(type);
        return std::string(reinterpret_cast<const char*>(value.data()),
                           strnlen(reinterpret_cast<const char*>(value.data()), value.size()));
    }

    /// The certificate among those the message carries that the issuer and serial number
    /// name; to be freed.
    PCCERT_CONTEXT Certificate(const CMSG_SIGNER_INFO& signer) const
    {
        CERT_INFO wanted{};
        wanted.Issuer = signer.Issuer;
        wanted.SerialNumber = signer.SerialNumber;
        return CertFindCertificateInStore(fStore, kEncoding, 0, CERT_FIND_SUBJECT_CERT, &wanted,
                                          nullptr);
    }

    /// Whether the signer's signature over its signed attributes verifies with the key of
    /// `certificate`.
    bool VerifySigner(PCCERT_CONTEXT certificate) const
    {
        CMSG_CTRL_VERIFY_SIGNATURE_EX_PARA para{};
        para.cbSize = sizeof para;
        para.dwSignerIndex = 0;
        para.dwSignerType = CMSG_VERIFY_SIGNER_CERT;
        para.pvSigner = const_cast<CERT_CONTEXT*>(certificate);
        return CryptMsgControl(fMessage, 0, CMSG_CTRL_VERIFY_SIGNATURE_EX, &para) != FALSE;
    }

private:
    HCERTSTORE fStore = nullptr;
    HCRYPTMSG fMessage = nullptr;
};

struct FreeCertificate {
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};
using Certificate = std::unique_ptr<const CERT_CONTEXT, FreeCertificate>;

std::string_view View(const CRYPT_DATA_BLOB& blob)
{
    return std::string_view(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
}

std::string_view View(const std::vector<BYTE>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

/// The structure crypt32 decodes `der` into, in a buffer it lays out itself (pointers
/// into the same buffer, which must therefore be moved, never copied); empty when the
/// bytes are not one.
std::vector<BYTE> Decode(LPCSTR type, std::string_view der)
{
    if (der.empty() || der.size() > kMaxSignature)
        return {};
    const auto* bytes = reinterpret_cast<const BYTE*>(der.data());
    const auto length = static_cast<DWORD>(der.size());
    DWORD size = 0;
    if (!CryptDecodeObjectEx(kEncoding, type, bytes, length, 0, nullptr, nullptr, &size) ||
        size == 0)
        return {};
    std::vector<BYTE> decoded(size);
    if (!CryptDecodeObjectEx(kEncoding, type, bytes, length, 0, nullptr, decoded.data(), &size))
        return {};
    return decoded;
}

template <typename T>
const T* As(const std::vector<BYTE>& decoded)
{
    return decoded.size() < sizeof(T) ? nullptr : reinterpret_cast<const T*>(decoded.data());
}

/// The contents of the DER element `der`, without its tag and length: what a PKCS #7
/// signer's message digest covers of content that is not plain data. Short and long
/// definite lengths; anything else is not DER.
std::optional<std::string_view> ElementContents(std::string_view der)
{
    if (der.size() < 2 || (static_cast<unsigned char>(der[0]) & 0x1F) == 0x1F)
        return std::nullopt;
    const auto first = static_cast<unsigned char>(der[1]);
    std::size_t header = 2;
    std::size_t length = first;
    if ((first & 0x80) != 0) {
        const std::size_t count = first & 0x7F;
        if (count == 0 || count > 4 || der.size() < 2 + count)
            return std::nullopt;
        length = 0;
        for (std::size_t i = 0; i < count; ++i)
            length = length << 8 | static_cast<unsigned char>(der[2 + i]);
        header += count;
    }
    if (length > der.size() - header)
        return std::nullopt;
    return der.substr(header, length);
}

/// A CryptoAPI digest of the algorithm an object identifier names.
class Hash {
public:
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    explicit Hash(const char* oid)
    {
        const ALG_ID algorithm = oid == nullptr ? 0 : CertOIDToAlgId(oid);
        if (algorithm == 0 || GET_ALG_CLASS(algorithm) != ALG_CLASS_HASH)
            return;
        if (!CryptAcquireContextW(&fProvider, nullptr, nullptr, PROV_RSA_AES,
                                  CRYPT_VERIFYCONTEXT)) {
            fProvider = 0;
            return;
        }
        if (!CryptCreateHash(fProvider, algorithm, 0, 0, &fHash))
            fHash = 0;
    }
    ~Hash()
    {
        if (fHash != 0)
            CryptDestroyHash(fHash);
        if (fProvider != 0)
            CryptReleaseContext(fProvider, 0);
    }
    explicit operator bool() const { return fHash != 0; }

    void Add(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        while (fGood && size > 0) {
            const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
            fGood = CryptHashData(fHash, bytes, part, 0) != FALSE;
            bytes += part;
            size -= part;
        }
    }

    std::optional<std::string> Finish()
    {
        BYTE digest[64];
        DWORD size = sizeof digest;
        if (!fGood || !CryptGetHashParam(fHash, HP_HASHVAL, digest, &size, 0))
            return std::nullopt;
        return std::string(reinterpret_cast<const char*>(digest), size);
    }

private:
    HCRYPTPROV fProvider = 0;
    HCRYPTHASH fHash = 0;
    bool fGood = true;
};

std::optional<std::string> Digest(const char* oid, std::string_view bytes)
{
    Hash hash(oid);
    if (!hash)
        return std::nullopt;
    hash.Add(bytes.data(), bytes.size());
    return hash.Finish();
}

std::optional<std::chrono::sys_seconds> Time(const FILETIME& time)
{
    // 100-nanosecond ticks since 1601.
    const std::int64_t ticks =
        static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
    constexpr std::int64_t kTicksTo1970 = 116444736000000000;
    return std::chrono::sys_seconds(std::chrono::seconds((ticks - kTicksTo1970) / 10000000));
}

std::optional<std::chrono::sys_seconds> DecodeTime(std::string_view der)
{
    FILETIME time{};
    DWORD size = sizeof time;
    if (der.empty() || der.size() > kMaxSignature ||
        !CryptDecodeObjectEx(kEncoding, X509_CHOICE_OF_TIME,
                             reinterpret_cast<const BYTE*>(der.data()),
                             static_cast<DWORD>(der.size()), 0, nullptr, &time, &size))
        return std::nullopt;
    return Time(time);
}

std::string DecodeOid(std::string_view der)
{
    const std::vector<BYTE> decoded = Decode(X509_OBJECT_IDENTIFIER, der);
    const LPSTR* oid = As<LPSTR>(decoded);
    return oid == nullptr || *oid == nullptr ? std::string() : std::string(*oid);
}

/// The first value of the attribute `oid`, or empty.
std::string_view Attribute(const CRYPT_ATTRIBUTES& attributes, const char* oid)
{
    for (DWORD i = 0; i < attributes.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = attributes.rgAttr[i];
        if (attribute.pszObjId != nullptr && std::strcmp(attribute.pszObjId, oid) == 0 &&
            attribute.cValue > 0)
            return View(attribute.rgValue[0]);
    }
    return {};
}

/// Whether the message digest among the signer's signed attributes is that of `content`.
bool DigestAttributeMatches(const CMSG_SIGNER_INFO& signer, std::string_view content)
{
    const std::vector<BYTE> decoded =
        Decode(X509_OCTET_STRING, Attribute(signer.AuthAttrs, szOID_PKCS_9_MESSAGE_DIGEST));
    const CRYPT_DATA_BLOB* messageDigest = As<CRYPT_DATA_BLOB>(decoded);
    const std::optional<std::string> digest = Digest(signer.HashAlgorithm.pszObjId, content);
    return messageDigest != nullptr && digest && View(*messageDigest) == *digest;
}

/// Whether the message's one signer's signature over `content` holds. Empty when it
/// does, else why not.
std::string CheckSigner(const Message& message, const CMSG_SIGNER_INFO& signer,
                        PCCERT_CONTEXT certificate, std::string_view content)
{
    if (signer.AuthAttrs.cAttr == 0)
        return "it carries no signed attributes";
    if (Hash(signer.HashAlgorithm.pszObjId).operator bool() == false)
        return "its digest algorithm is not one the checker knows";
    if (!DigestAttributeMatches(signer, content))
        return "the digest it signed is not that of the content";
    if (!message.VerifySigner(certificate))
        return "its signature does not verify with its certificate's key";
    return {};
}

/// The message's signer, decoded, when it has exactly one.
std::vector<BYTE> OnlySigner(const Message& message)
{
    const std::vector<BYTE> count = message.Param(CMSG_SIGNER_COUNT_PARAM);
    const DWORD* signers = As<DWORD>(count);
    if (signers == nullptr || *signers != 1)
        return {};
    // Returned as it is, never copied: the structure points into its own buffer.
    std::vector<BYTE> signer = message.Param(CMSG_SIGNER_INFO_PARAM);
    if (As<CMSG_SIGNER_INFO>(signer) == nullptr)
        signer.clear();
    return signer;
}

/// An RFC 3161 time stamp token over `signature`: its time, or why it does not count.
std::string CheckToken(std::string_view der, std::string_view signature,
                       std::optional<std::chrono::sys_seconds>& time)
{
    const Message token(der);
    const std::vector<BYTE> signerBytes = token ? OnlySigner(token) : std::vector<BYTE>();
    const auto* signer = As<CMSG_SIGNER_INFO>(signerBytes);
    if (signer == nullptr || token.Text(CMSG_INNER_CONTENT_TYPE_PARAM) != szOID_TIMESTAMP_TOKEN)
        return "the time stamp is not a token that can be read";
    // The token's info (TSTInfo), as crypt32 hands it over: in its OCTET STRING or not.
    const std::vector<BYTE> content = token.Param(CMSG_CONTENT_PARAM);
    std::vector<BYTE> unwrapped;
    std::string_view info = View(content);
    if (!info.empty() && info[0] == 0x04) {
        unwrapped = Decode(X509_OCTET_STRING, info);
        const CRYPT_DATA_BLOB* octets = As<CRYPT_DATA_BLOB>(unwrapped);
        info = octets == nullptr ? std::string_view() : View(*octets);
    }
    // TSTInfo: version, policy, messageImprint, serialNumber, genTime, ...
    const std::vector<BYTE> partsBytes = Decode(X509_SEQUENCE_OF_ANY, info);
    const auto* parts = As<CRYPT_SEQUENCE_OF_ANY>(partsBytes);
    if (parts == nullptr || parts->cValue < 5)
        return "the time stamp is not a token that can be read";
    // messageImprint: an algorithm identifier and the digest.
    const std::vector<BYTE> imprintBytes = Decode(X509_SEQUENCE_OF_ANY, View(parts->rgValue[2]));
    const auto* imprint = As<CRYPT_SEQUENCE_OF_ANY>(imprintBytes);
    const std::vector<BYTE> algorithmBytes =
        imprint == nullptr || imprint->cValue != 2
            ? std::vector<BYTE>()
            : Decode(X509_SEQUENCE_OF_ANY, View(imprint->rgValue[0]));
    const auto* algorithm = As<CRYPT_SEQUENCE_OF_ANY>(algorithmBytes);
    const std::vector<BYTE> digestBytes =
        imprint == nullptr || imprint->cValue != 2
            ? std::vector<BYTE>()
            : Decode(X509_OCTET_STRING, View(imprint->rgValue[1]));
    const auto* digest = As<CRYPT_DATA_BLOB>(digestBytes);
    const std::string oid = algorithm == nullptr || algorithm->cValue < 1
                                ? std::string()
                                : DecodeOid(View(algorithm->rgValue[0]));
    const std::optional<std::string> expected =
        oid.empty() ? std::nullopt : Digest(oid.c_str(), signature);
    if (digest == nullptr || !expected || View(*digest) != *expected)
        return std::string(kNotThisSignature);
    const Certificate certificate(token.Certificate(*signer));
    if (!certificate)
        return "the time stamp does not carry its signer's certificate";
    const std::string problem = CheckSigner(token, *signer, certificate.get(), info);
    if (!problem.empty())
        return "the time stamp's signer: " + problem;
    time = DecodeTime(View(parts->rgValue[4]));
    return time ? std::string() : "the time stamp gives no time that can be read";
}

/// A counter-signature of the signer `encodedSigner` (a signer of its signature, with its
/// signing time) whose certificate is among those of `message`.
std::string CheckCounterSignature(std::string_view der, const Message& message,
                                  const std::vector<BYTE>& encodedSigner,
                                  std::string_view signature,
                                  std::optional<std::chrono::sys_seconds>& time)
{
    const std::vector<BYTE> decoded = Decode(PKCS7_SIGNER_INFO, der);
    const auto* signer = As<CMSG_SIGNER_INFO>(decoded);
    if (signer == nullptr)
        return "the counter-signature cannot be read";
    const Certificate certificate(message.Certificate(*signer));
    if (!certificate)
        return "the signature does not carry the counter-signer's certificate";
    if (signer->AuthAttrs.cAttr == 0)
        return "the counter-signature: it carries no signed attributes";
    if (!DigestAttributeMatches(*signer, signature))
        return "the counter-signature: the digest it signed is not that of the content";
    if (encodedSigner.empty() ||
        !CryptMsgVerifyCountersignatureEncodedEx(
            0, kEncoding, const_cast<BYTE*>(encodedSigner.data()),
            static_cast<DWORD>(encodedSigner.size()),
            reinterpret_cast<BYTE*>(const_cast<char*>(der.data())), static_cast<DWORD>(der.size()),
            CMSG_VERIFY_SIGNER_CERT, const_cast<CERT_CONTEXT*>(certificate.get()), 0, nullptr))
        return "the counter-signature: its signature does not verify with its certificate's key";
    time = DecodeTime(Attribute(signer->AuthAttrs, szOID_RSA_signingTime));
    return time ? std::string() : "the counter-signature gives no time that can be read";
}

void ReadTimestamp(const Message& message, const CMSG_SIGNER_INFO& signer, SignatureFacts& facts)
{
    const std::string_view signature = View(signer.EncryptedHash);
    const std::vector<BYTE> encodedSigner = message.Param(CMSG_ENCODED_SIGNER);
    for (DWORD i = 0; i < signer.UnauthAttrs.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = signer.UnauthAttrs.rgAttr[i];
        const std::string_view oid = attribute.pszObjId == nullptr ? "" : attribute.pszObjId;
        const bool token = oid == kRfc3161Token;
        if (!token && oid != szOID_RSA_counterSign)
            continue;
        for (DWORD j = 0; j < attribute.cValue; ++j) {
            std::optional<std::chrono::sys_seconds> time;
            const std::string problem =
                token ? CheckToken(View(attribute.rgValue[j]), signature, time)
                      : CheckCounterSignature(View(attribute.rgValue[j]), message, encodedSigner,
                                              signature, time);
            if (TakeTimestamp(facts, problem, time))
                return;
        }
    }
}

/// The size of an elliptic curve key by its curve, where crypt32 does not tell it.
int CurveBits(const CERT_PUBLIC_KEY_INFO& key)
{
    const std::string curve = DecodeOid(View(key.Algorithm.Parameters));
    return curve == szOID_ECC_CURVE_P256   ? 256
           : curve == szOID_ECC_CURVE_P384 ? 384
           : curve == szOID_ECC_CURVE_P521 ? 521
                                           : 0;
}

void ReadCertificate(PCCERT_CONTEXT certificate, SignatureFacts& facts)
{
    WCHAR name[256];
    if (CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256) > 1)
        facts.signer = WideToUtf8(name);
    facts.certificateNotAfter = Time(certificate->pCertInfo->NotAfter);
    CERT_PUBLIC_KEY_INFO& key = certificate->pCertInfo->SubjectPublicKeyInfo;
    const std::string_view algorithm =
        key.Algorithm.pszObjId == nullptr ? "" : key.Algorithm.pszObjId;
    facts.keyType = algorithm == szOID_RSA_RSA || algorithm == kRsaPss ? KeyType::Rsa
                    : algorithm == szOID_ECC_PUBLIC_KEY                ? KeyType::Ecc
                                                                       : KeyType::Other;
    facts.keyBits = static_cast<int>(CertGetPublicKeyLength(kEncoding, &key));
    if (facts.keyBits == 0 && facts.keyType == KeyType::Ecc)
        facts.keyBits = CurveBits(key);
}

} // namespace

void ExamineSignedData(std::string_view der, const FileFeed& feed, SignatureFacts& facts)
{
    const Message message(der);
    if (!message)
        return AddProblem(facts.problem, kNotSignedData);
    const std::vector<BYTE> signerBytes = OnlySigner(message);
    const auto* signer = As<CMSG_SIGNER_INFO>(signerBytes);
    if (signer == nullptr)
        return AddProblem(facts.problem, "the signature does not have the one signer Authenticode "
                                         "has");
    const Certificate certificate(message.Certificate(*signer));
    if (certificate)
        ReadCertificate(certificate.get(), facts);

    // The content: Authenticode's SpcIndirectDataContent, which wintrust's decoder reads.
    const std::vector<BYTE> content =
        message.Text(CMSG_INNER_CONTENT_TYPE_PARAM) == SPC_INDIRECT_DATA_OBJID
            ? message.Param(CMSG_CONTENT_PARAM)
            : std::vector<BYTE>();
    const std::vector<BYTE> indirectBytes = Decode(SPC_INDIRECT_DATA_CONTENT_STRUCT, View(content));
    const auto* indirect = As<SPC_INDIRECT_DATA_CONTENT>(indirectBytes);
    if (indirect == nullptr || indirect->Data.pszObjId == nullptr ||
        std::strcmp(indirect->Data.pszObjId, SPC_PE_IMAGE_DATA_OBJID) != 0 ||
        indirect->DigestAlgorithm.pszObjId == nullptr) {
        AddProblem(facts.problem, kNotPeSignature);
    } else {
        facts.digestAlgorithm = DigestName(indirect->DigestAlgorithm.pszObjId);
        Hash hash(indirect->DigestAlgorithm.pszObjId);
        const std::string failure =
            hash ? feed([&hash](const void* data, std::size_t size) { hash.Add(data, size); })
                 : "its digest algorithm (" + facts.digestAlgorithm +
                       ") is not one the checker can compute";
        const std::optional<std::string> digest =
            failure.empty() ? hash.Finish() : std::optional<std::string>();
        if (!failure.empty()) {
            AddProblem(facts.problem, failure);
        } else if (!digest) {
            AddProblem(facts.problem, "the file's digest could not be made");
        } else {
            facts.digestMatches = *digest == View(indirect->Digest);
            if (!facts.digestMatches)
                AddProblem(facts.problem, kChanged);
        }
    }

    // Content that cannot be read has been said to be so above.
    if (!certificate) {
        AddProblem(facts.problem, kNoSignerCertificate);
    } else if (const std::optional<std::string_view> signedContent =
                   ElementContents(View(content))) {
        const std::string problem =
            CheckSigner(message, *signer, certificate.get(), *signedContent);
        facts.signerVerified = problem.empty();
        if (!problem.empty())
            AddProblem(facts.problem, "the signer's signature does not hold: " + problem);
    }
    ReadTimestamp(message, *signer, facts);
}

} // namespace autorun::check::detail
