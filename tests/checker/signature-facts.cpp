// Prints what checker/Signature.h makes of a program's signature, as one JSON object, for
// the tests that sign programs and compare with osslsigncode:
//   signature-facts FILE
#include "checker/Signature.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

nlohmann::json Seconds(const std::optional<std::chrono::sys_seconds>& time)
{
    return time ? nlohmann::json(time->time_since_epoch().count()) : nlohmann::json(nullptr);
}

const char* KeyName(autorun::check::KeyType type)
{
    switch (type) {
    case autorun::check::KeyType::Rsa:
        return "RSA";
    case autorun::check::KeyType::Ecc:
        return "ECC";
    case autorun::check::KeyType::Other:
        return "other";
    case autorun::check::KeyType::None:
        break;
    }
    return "none";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: signature-facts FILE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
    if (!file) {
        std::fprintf(stderr, "signature-facts: cannot open %s\n", argv[1]);
        return 2;
    }
    const auto size = static_cast<std::uint64_t>(file.tellg());
    const autorun::check::SignatureFacts facts = autorun::check::VerifySignature(
        [&file](std::uint64_t offset, std::size_t count, void* buffer) {
            file.clear();
            file.seekg(static_cast<std::streamoff>(offset));
            file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
            return file && static_cast<std::size_t>(file.gcount()) == count;
        },
        size);
    const nlohmann::json json = {
        {"isSigned", facts.isSigned},
        {"signer", facts.signer},
        {"keyType", KeyName(facts.keyType)},
        {"keyBits", facts.keyBits},
        {"digestAlgorithm", facts.digestAlgorithm},
        {"digestMatches", facts.digestMatches},
        {"signerVerified", facts.signerVerified},
        {"valid", facts.Valid()},
        {"timestamped", facts.timestamped},
        {"timestampTime", Seconds(facts.timestampTime)},
        {"certificateNotAfter", Seconds(facts.certificateNotAfter)},
        {"problem", facts.problem},
        {"timestampProblem", facts.timestampProblem},
    };
    std::cout << json.dump() << '\n';
    return 0;
}
