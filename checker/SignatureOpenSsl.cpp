// A signature's check on Linux, by OpenSSL: its PKCS #7 and time stamp parsers, its
// digests and its signature verification.
#include "checker/SignatureCrypto.h"

#include "checker/Text.h"

#include <openssl/asn1.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <climits>
#include <ctime>
#include <memory>

namespace autorun::check::detail {

namespace {

template <auto Free>
struct Deleter {
    template <typename T>
    void operator()(T* object) const
    {
        Free(object);
    }
};
template <typename T, auto Free>
using Owned = std::unique_ptr<T, Deleter<Free>>;

void FreeSequence(ASN1_SEQUENCE_ANY* sequence)
{
    sk_ASN1_TYPE_pop_free(sequence, ASN1_TYPE_free);
}
using Sequence = Owned<ASN1_SEQUENCE_ANY, FreeSequence>;

void FreeBytes(unsigned char* bytes)
{
    OPENSSL_free(bytes);
}

/// Authenticode's own object identifiers.
constexpr std::string_view kIndirectData = "1.3.6.1.4.1.311.2.1.4";
constexpr std::string_view kPeImageData = "1.3.6.1.4.1.311.2.1.15";
constexpr std::string_view kRfc3161Token = "1.3.6.1.4.1.311.3.3.1";

std::string Oid(const ASN1_OBJECT* object)
{
    char text[128];
    const int length = object == nullptr ? -1 : OBJ_obj2txt(text, sizeof text, object, 1);
    return length > 0 && static_cast<std::size_t>(length) < sizeof text ? std::string(text)
                                                                        : std::string();
}

std::string_view Bytes(const ASN1_STRING* string)
{
    return string == nullptr
               ? std::string_view()
               : std::string_view(reinterpret_cast<const char*>(ASN1_STRING_get0_data(string)),
                                  static_cast<std::size_t>(ASN1_STRING_length(string)));
}

/// The parts of a DER SEQUENCE, or null when the bytes are none.
Sequence ReadSequence(std::string_view der)
{
    if (der.size() > LONG_MAX)
        return nullptr;
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    return Sequence(d2i_ASN1_SEQUENCE_ANY(nullptr, &bytes, static_cast<long>(der.size())));
}

/// The contents of the DER element `der` without its tag and length: what a PKCS #7
/// signer's message digest covers of content that is not plain data.
std::optional<std::string_view> ElementContents(std::string_view der)
{
    const auto* start = reinterpret_cast<const unsigned char*>(der.data());
    const unsigned char* at = start;
    long length = 0;
    int tag = 0;
    int tagClass = 0;
    if (der.size() > LONG_MAX ||
        (ASN1_get_object(&at, &length, &tag, &tagClass, static_cast<long>(der.size())) & 0x80) != 0)
        return std::nullopt;
    const auto header = static_cast<std::size_t>(at - start);
    if (length < 0 || static_cast<std::size_t>(length) > der.size() - header)
        return std::nullopt;
    return der.substr(header, static_cast<std::size_t>(length));
}

std::optional<std::string> Digest(const EVP_MD* algorithm, std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, algorithm, nullptr) != 1)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(digest), size);
}

std::optional<std::chrono::sys_seconds> Time(const ASN1_TIME* time)
{
    std::tm parts{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1)
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{parts.tm_year + 1900},
                              month{static_cast<unsigned>(parts.tm_mon + 1)},
                              day{static_cast<unsigned>(parts.tm_mday)}};
    if (!date.ok())
        return std::nullopt;
    return sys_days{date} + hours{parts.tm_hour} + minutes{parts.tm_min} + seconds{parts.tm_sec};
}

std::string CommonName(X509* certificate)
{
    const X509_NAME* subject = X509_get_subject_name(certificate);
    const int at = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (at < 0)
        return {};
    unsigned char* text = nullptr;
    const int length =
        ASN1_STRING_to_UTF8(&text, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at)));
    std::string name;
    if (length > 0)
        name = ToUtf8(
            std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)),
            TextEncoding::Utf8);
    OPENSSL_free(text);
    return name;
}

/// The certificate among `certificates` that the signer's issuer and serial number name.
X509* SignerCertificate(STACK_OF(X509) * certificates, const PKCS7_SIGNER_INFO* signer)
{
    if (certificates == nullptr || signer->issuer_and_serial == nullptr)
        return nullptr;
    return X509_find_by_issuer_and_serial(certificates, signer->issuer_and_serial->issuer,
                                          signer->issuer_and_serial->serial);
}

/// Whether one signer's signature over `content` holds: the message digest among its
/// signed attributes is the content's, and the certificate's key verifies those
/// attributes. Empty when it holds, else why not.
std::string CheckSigner(PKCS7_SIGNER_INFO* signer, X509* certificate, std::string_view content)
{
    STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_signed_attributes(signer);
    if (sk_X509_ATTRIBUTE_num(attributes) <= 0)
        return "it carries no signed attributes";
    // (PKCS7_digest_from_attributes would take a value of any type for an OCTET STRING.)
    const ASN1_TYPE* messageDigest = PKCS7_get_signed_attribute(signer, NID_pkcs9_messageDigest);
    const EVP_MD* algorithm = signer->digest_alg == nullptr
                                  ? nullptr
                                  : EVP_get_digestbyobj(signer->digest_alg->algorithm);
    if (algorithm == nullptr)
        return "its digest algorithm is not one the checker knows";
    const std::optional<std::string> digest = Digest(algorithm, content);
    if (messageDigest == nullptr || messageDigest->type != V_ASN1_OCTET_STRING || !digest ||
        Bytes(messageDigest->value.octet_string) != *digest)
        return "the digest it signed is not that of the content";
    unsigned char* encoded = nullptr;
    const int size = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(attributes), &encoded,
                                   ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    const Owned<unsigned char, FreeBytes> hold(encoded);
    const Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
    EVP_PKEY* key = X509_get0_pubkey(certificate);
    if (size <= 0 || !context || key == nullptr || signer->enc_digest == nullptr ||
        EVP_DigestVerifyInit(context.get(), nullptr, algorithm, nullptr, key) != 1 ||
        EVP_DigestVerify(context.get(), signer->enc_digest->data,
                         static_cast<std::size_t>(signer->enc_digest->length), encoded,
                         static_cast<std::size_t>(size)) != 1)
        return "its signature does not verify with its certificate's key";
    return {};
}

/// An RFC 3161 time stamp token over `signature`: its time, or why it does not count.
std::string CheckToken(std::string_view der, std::string_view signature,
                       std::optional<std::chrono::sys_seconds>& time)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    const Owned<PKCS7, PKCS7_free> token(d2i_PKCS7(nullptr, &bytes, static_cast<long>(der.size())));
    if (!token || !PKCS7_type_is_signed(token.get()) || token->d.sign == nullptr)
        return "the time stamp is not a token that can be read";
    const Owned<TS_TST_INFO, TS_TST_INFO_free> info(PKCS7_to_TS_TST_INFO(token.get()));
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(token.get());
    if (!info || sk_PKCS7_SIGNER_INFO_num(signers) != 1)
        return "the time stamp is not a token that can be read";
    TS_MSG_IMPRINT* imprint = TS_TST_INFO_get_msg_imprint(info.get());
    const X509_ALGOR* imprintAlgorithm = TS_MSG_IMPRINT_get_algo(imprint);
    const EVP_MD* algorithm =
        imprintAlgorithm == nullptr ? nullptr : EVP_get_digestbyobj(imprintAlgorithm->algorithm);
    const std::optional<std::string> digest =
        algorithm == nullptr ? std::nullopt : Digest(algorithm, signature);
    if (!digest || Bytes(TS_MSG_IMPRINT_get_msg(imprint)) != *digest)
        return std::string(kNotThisSignature);
    PKCS7_SIGNER_INFO* signer = sk_PKCS7_SIGNER_INFO_value(signers, 0);
    X509* certificate = SignerCertificate(token->d.sign->cert, signer);
    if (certificate == nullptr)
        return "the time stamp does not carry its signer's certificate";
    // PKCS7_to_TS_TST_INFO has made sure that the content is the token's info in an
    // OCTET STRING.
    const std::string problem = CheckSigner(
        signer, certificate, Bytes(token->d.sign->contents->d.other->value.octet_string));
    if (!problem.empty())
        return "the time stamp's signer: " + problem;
    time = Time(TS_TST_INFO_get_time(info.get()));
    return time ? std::string() : "the time stamp gives no time that can be read";
}

/// A counter-signature (a signer of the signature's own signature, with its signing time)
/// whose certificate is among `certificates`.
std::string CheckCounterSignature(std::string_view der, std::string_view signature,
                                  STACK_OF(X509) * certificates,
                                  std::optional<std::chrono::sys_seconds>& time)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    const Owned<PKCS7_SIGNER_INFO, PKCS7_SIGNER_INFO_free> signer(
        d2i_PKCS7_SIGNER_INFO(nullptr, &bytes, static_cast<long>(der.size())));
    if (!signer)
        return "the counter-signature cannot be read";
    X509* certificate = SignerCertificate(certificates, signer.get());
    if (certificate == nullptr)
        return "the signature does not carry the counter-signer's certificate";
    const std::string problem = CheckSigner(signer.get(), certificate, signature);
    if (!problem.empty())
        return "the counter-signature: " + problem;
    const ASN1_TYPE* signingTime = PKCS7_get_signed_attribute(signer.get(), NID_pkcs9_signingTime);
    if (signingTime != nullptr &&
        (signingTime->type == V_ASN1_UTCTIME || signingTime->type == V_ASN1_GENERALIZEDTIME))
        time = Time(signingTime->value.utctime);
    return time ? std::string() : "the counter-signature gives no time that can be read";
}

/// The first time stamp among the signer's unsigned attributes that counts.
void ReadTimestamp(PKCS7_SIGNER_INFO* signer, STACK_OF(X509) * certificates, SignatureFacts& facts)
{
    const std::string_view signature = Bytes(signer->enc_digest);
    STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_attributes(signer);
    for (int i = 0; i < sk_X509_ATTRIBUTE_num(attributes); ++i) {
        X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, i);
        const std::string oid = Oid(X509_ATTRIBUTE_get0_object(attribute));
        const bool token = oid == kRfc3161Token;
        if (!token && OBJ_txt2nid(oid.c_str()) != NID_pkcs9_countersignature)
            continue;
        for (int j = 0; j < X509_ATTRIBUTE_count(attribute); ++j) {
            const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, j);
            std::optional<std::chrono::sys_seconds> time;
            const std::string problem =
                value == nullptr || value->type != V_ASN1_SEQUENCE ? "the time stamp cannot be read"
                : token ? CheckToken(Bytes(value->value.sequence), signature, time)
                        : CheckCounterSignature(Bytes(value->value.sequence), signature,
                                                certificates, time);
            if (TakeTimestamp(facts, problem, time))
                return;
        }
    }
}

/// The digest algorithm (its dotted number) and value that an Authenticode signature's
/// content (its SpcIndirectDataContent) holds of a Windows program.
struct IndirectData {
    std::string algorithm;
    std::string digest;
};

std::optional<IndirectData> ReadIndirectData(std::string_view der)
{
    const Sequence content = ReadSequence(der);
    if (!content || sk_ASN1_TYPE_num(content.get()) < 2)
        return std::nullopt;
    // SpcAttributeTypeAndOptionalValue: what was signed, here a PE image.
    const ASN1_TYPE* data = sk_ASN1_TYPE_value(content.get(), 0);
    const ASN1_TYPE* digestInfo = sk_ASN1_TYPE_value(content.get(), 1);
    if (data->type != V_ASN1_SEQUENCE || digestInfo->type != V_ASN1_SEQUENCE)
        return std::nullopt;
    const Sequence dataParts = ReadSequence(Bytes(data->value.sequence));
    if (!dataParts || sk_ASN1_TYPE_num(dataParts.get()) < 1 ||
        sk_ASN1_TYPE_value(dataParts.get(), 0)->type != V_ASN1_OBJECT ||
        Oid(sk_ASN1_TYPE_value(dataParts.get(), 0)->value.object) != kPeImageData)
        return std::nullopt;
    // A DigestInfo, as PKCS #1 has it (OpenSSL's X509_SIG).
    const std::string_view digestDer = Bytes(digestInfo->value.sequence);
    const auto* bytes = reinterpret_cast<const unsigned char*>(digestDer.data());
    const Owned<X509_SIG, X509_SIG_free> sig(
        d2i_X509_SIG(nullptr, &bytes, static_cast<long>(digestDer.size())));
    if (!sig)
        return std::nullopt;
    const X509_ALGOR* algorithm = nullptr;
    const ASN1_OCTET_STRING* digest = nullptr;
    X509_SIG_get0(sig.get(), &algorithm, &digest);
    const ASN1_OBJECT* object = nullptr;
    X509_ALGOR_get0(&object, nullptr, nullptr, algorithm);
    IndirectData indirect{Oid(object), std::string(Bytes(digest))};
    if (indirect.algorithm.empty())
        return std::nullopt;
    return indirect;
}

/// OpenSSL's queue of errors is left as it was found.
struct ClearErrors {
    ~ClearErrors() { ERR_clear_error(); }
};

} // namespace

void ExamineSignedData(std::string_view der, const FileFeed& feed, SignatureFacts& facts)
{
    const ClearErrors clear;
    if (der.size() > LONG_MAX)
        return AddProblem(facts.problem, kNotSignedData);
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    const Owned<PKCS7, PKCS7_free> signature(
        d2i_PKCS7(nullptr, &bytes, static_cast<long>(der.size())));
    if (!signature || !PKCS7_type_is_signed(signature.get()) || signature->d.sign == nullptr)
        return AddProblem(facts.problem, kNotSignedData);
    PKCS7_SIGNED* signedData = signature->d.sign;
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(signature.get());
    if (sk_PKCS7_SIGNER_INFO_num(signers) != 1)
        return AddProblem(facts.problem, "the signature does not have the one signer Authenticode "
                                         "has");
    PKCS7_SIGNER_INFO* signer = sk_PKCS7_SIGNER_INFO_value(signers, 0);

    X509* certificate = SignerCertificate(signedData->cert, signer);
    if (certificate != nullptr) {
        facts.signer = CommonName(certificate);
        facts.certificateNotAfter = Time(X509_get0_notAfter(certificate));
        if (EVP_PKEY* key = X509_get0_pubkey(certificate)) {
            const int type = EVP_PKEY_get_base_id(key);
            facts.keyType = type == EVP_PKEY_RSA || type == EVP_PKEY_RSA_PSS ? KeyType::Rsa
                            : type == EVP_PKEY_EC                            ? KeyType::Ecc
                                                                             : KeyType::Other;
            facts.keyBits = EVP_PKEY_get_bits(key);
        }
    }

    // The content: Authenticode's SpcIndirectDataContent, which OpenSSL keeps as a
    // SEQUENCE of a type it does not know.
    PKCS7* content = signedData->contents;
    const ASN1_TYPE* other =
        content != nullptr && PKCS7_type_is_other(content) && Oid(content->type) == kIndirectData
            ? content->d.other
            : nullptr;
    const std::string_view contentDer = other != nullptr && other->type == V_ASN1_SEQUENCE
                                            ? Bytes(other->value.sequence)
                                            : std::string_view();
    const std::optional<IndirectData> indirect =
        contentDer.empty() ? std::nullopt : ReadIndirectData(contentDer);
    if (!indirect) {
        AddProblem(facts.problem, kNotPeSignature);
    } else {
        facts.digestAlgorithm = DigestName(indirect->algorithm);
        const Owned<ASN1_OBJECT, ASN1_OBJECT_free> object(
            OBJ_txt2obj(indirect->algorithm.c_str(), 1));
        const EVP_MD* algorithm = object ? EVP_get_digestbyobj(object.get()) : nullptr;
        const Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
        std::string failure;
        if (algorithm == nullptr || !context ||
            EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1)
            failure = "its digest algorithm (" + facts.digestAlgorithm +
                      ") is not one the checker can compute";
        else
            failure = feed([&context](const void* data, std::size_t size) {
                EVP_DigestUpdate(context.get(), data, size);
            });
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        if (!failure.empty()) {
            AddProblem(facts.problem, failure);
        } else if (EVP_DigestFinal_ex(context.get(), digest, &size) != 1) {
            AddProblem(facts.problem, "the file's digest could not be made");
        } else {
            facts.digestMatches =
                std::string_view(reinterpret_cast<const char*>(digest), size) == indirect->digest;
            if (!facts.digestMatches)
                AddProblem(facts.problem, kChanged);
        }
    }

    // Content that cannot be read has been said to be so above.
    if (certificate == nullptr) {
        AddProblem(facts.problem, kNoSignerCertificate);
    } else if (const std::optional<std::string_view> signedContent = ElementContents(contentDer)) {
        const std::string problem = CheckSigner(signer, certificate, *signedContent);
        facts.signerVerified = problem.empty();
        if (!problem.empty())
            AddProblem(facts.problem, "the signer's signature does not hold: " + problem);
    }
    ReadTimestamp(signer, signedData->cert, facts);
}

} // namespace autorun::check::detail
