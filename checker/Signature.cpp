#include "checker/Signature.h"

#include "checker/Text.h"
#include "checker/SignatureCrypto.h"

#include <algorithm>
#include <array>
#include <vector>

namespace autorun::check {

namespace detail {

void AddProblem(std::string& problem, std::string_view reason)
{
    if (!problem.empty())
        problem += "; ";
    problem += reason;
}

bool TakeTimestamp(SignatureFacts& facts, const std::string& problem,
                   const std::optional<std::chrono::sys_seconds>& time)
{
    if (problem.empty()) {
        facts.timestamped = true;
        facts.timestampTime = time;
        facts.timestampProblem.clear();
        return true;
    }
    if (facts.timestampProblem.empty())
        facts.timestampProblem = problem;
    return false;
}

} // namespace detail

namespace {

/// How much of the file is read at a time while it is hashed.
constexpr std::size_t kChunk = 64 * 1024;

/// Adds the range to `ranges` unless it is empty.
void Add(std::vector<ByteRange>& ranges, std::uint64_t from, std::uint64_t to)
{
    if (to > from)
        ranges.push_back({from, to - from});
}

} // namespace

DigestRanges AuthenticodeRanges(const PeInfo& info, std::uint64_t fileSize)
{
    DigestRanges digest;
    const auto fail = [&digest](std::string text) {
        digest.ranges.clear();
        digest.problem = std::move(text);
        return digest;
    };
    if (!info.isPe || info.securityEntryOffset == 0)
        return fail("the file's headers have no place for a signature");
    // The headers, up to SizeOfHeaders, less the two fields that signing writes.
    const std::uint64_t headers = info.headersSize;
    if (info.checksumOffset + 4 > info.securityEntryOffset ||
        info.securityEntryOffset + 8 > headers || headers > fileSize)
        return fail("the file's headers are not as large as SizeOfHeaders says");
    Add(digest.ranges, 0, info.checksumOffset);
    Add(digest.ranges, info.checksumOffset + 4, info.securityEntryOffset);
    Add(digest.ranges, info.securityEntryOffset + 8, headers);

    // The sections' raw data, by where it stands in the file.
    std::vector<PeInfo::RawData> sections;
    std::copy_if(info.sections.begin(), info.sections.end(), std::back_inserter(sections),
                 [](const PeInfo::RawData& section) { return section.size != 0; });
    std::stable_sort(
        sections.begin(), sections.end(),
        [](const PeInfo::RawData& a, const PeInfo::RawData& b) { return a.offset < b.offset; });
    std::uint64_t hashed = headers;
    for (const PeInfo::RawData& section : sections) {
        if (std::uint64_t{section.offset} + section.size > fileSize)
            return fail("a section reaches past the end of the file");
        Add(digest.ranges, section.offset, std::uint64_t{section.offset} + section.size);
        hashed += section.size;
    }

    // What follows the sections (the bytes counted so far, as the digest counts them) is
    // hashed too, up to the end of the file, leaving out the certificate table alone. A
    // table that does not lie after the sections and wholly within the file cannot be
    // left out that way.
    const std::uint64_t table = info.securityOffset;
    const std::uint64_t tableEnd = table + info.securitySize;
    const bool hasTable = info.securityOffset != 0 || info.securitySize != 0;
    if (!hasTable) {
        if (hashed > fileSize)
            return fail("the file's sections overlap");
        Add(digest.ranges, hashed, fileSize);
        return digest;
    }
    if (tableEnd > fileSize)
        return fail("the certificate table reaches past the end of the file");
    if (table < hashed)
        return fail("the certificate table does not follow the file's headers and sections");
    Add(digest.ranges, hashed, table);
    Add(digest.ranges, tableEnd, fileSize);
    return digest;
}

std::string DigestName(std::string_view oid)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kNames = {{
        {"1.2.840.113549.2.5", "MD5"},
        {"1.3.14.3.2.26", "SHA-1"},
        {"2.16.840.1.101.3.4.2.1", "SHA-256"},
        {"2.16.840.1.101.3.4.2.2", "SHA-384"},
        {"2.16.840.1.101.3.4.2.3", "SHA-512"},
    }};
    for (const auto& [number, name] : kNames)
        if (number == oid)
            return std::string(name);
    return std::string(oid);
}

SignatureFacts VerifySignature(const PeRead& read, std::uint64_t fileSize)
{
    return VerifySignature(read, fileSize, ReadPeInfo(read));
}

SignatureFacts VerifySignature(const PeRead& read, std::uint64_t fileSize, const PeInfo& info)
{
    SignatureFacts facts;
    // A certificate table that is there at all makes the file signed in Windows' eyes,
    // however unreadable what it holds.
    if (!info.isPe || (info.securityOffset == 0 && info.securitySize == 0))
        return facts;
    facts.isSigned = true;
    if (!info.isSigned) {
        facts.problem = "its certificate table holds no signature Windows can read";
        return facts;
    }
    if (info.signatureSize > kMaxSignature) {
        facts.problem = "its signature is larger than any real one (" +
                        std::to_string(info.signatureSize) + " bytes)";
        return facts;
    }
    std::string der(info.signatureSize, '\0');
    if (!read(info.signatureOffset, der.size(), der.data())) {
        facts.problem = "its signature reaches past the end of the file";
        return facts;
    }
    const detail::FileFeed feed = [&](const detail::ByteSink& sink) -> std::string {
        const DigestRanges digest = AuthenticodeRanges(info, fileSize);
        if (!digest.problem.empty())
            return digest.problem;
        std::vector<char> buffer(kChunk);
        for (const ByteRange& range : digest.ranges)
            for (std::uint64_t at = range.offset; at < range.offset + range.size;) {
                const std::size_t size = static_cast<std::size_t>(
                    std::min<std::uint64_t>(kChunk, range.offset + range.size - at));
                if (!read(at, size, buffer.data()))
                    return "the file could not be read whole";
                sink(buffer.data(), size);
                at += size;
            }
        return {};
    };
    detail::ExamineSignedData(der, feed, facts);
    return facts;
}

} // namespace autorun::check
