/// The findings as a SARIF 2.1.0 log, the form code-scanning services read, which show each
/// finding on the line of autorun.inf it concerns. Like the other reports it formats the
/// facts and the findings and decides nothing; the one thing it asks besides them is the
/// folder the check runs in, to which the report's relative paths are relative.
#include "checker/ReportWriters.h"
#include "checker/Text.h"
#include "checker/Wording.h"
#include "launcher/Version.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string_view>

namespace autorun::check {

namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

/// The base of relative locations: the folder autorun-check ran in. Run from a
/// repository's root, it is the root a code-scanning service resolves paths against.
constexpr const char* kSourceRoot = "%SRCROOT%";

/// U+2026, in a rule's help where a finding names a fact.
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

const char* Level(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Info:
        break;
    }
    return "note";
}

/// A path segment as a URI holds it: every byte but the unreserved characters
/// percent-encoded, so the URI is ASCII, and a ':' in a relative one never reads as a
/// scheme.
std::string Encoded(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

/// A relative path's segments, encoded and joined by '/' whatever the platform's separator
/// (a path that ends in a separator keeps it: its last segment is empty).
std::string EncodedPath(const fs::path& path)
{
    std::string out;
    for (auto part = path.begin(); part != path.end(); ++part)
        out += (part == path.begin() ? "" : "/") + Encoded(Utf8Of(*part));
    return out;
}

/// An absolute path as a file: URI: "file:///home/...", "file:///C:/...", and a share
/// "\\server\share\..." as "file://server/share/...".
std::string FileUri(const fs::path& path)
{
    const std::string root = Utf8Of(path.root_name());
    std::string uri = "file://";
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    if (root.size() == 2 && root[1] == ':')
        uri += "/" + root;
    else if (root.size() > 2 && separator(root[0]) && separator(root[1]))
        uri += Encoded(root.substr(2));
    else if (!root.empty())
        uri += "/" + Encoded(root);
    return uri + "/" + EncodedPath(path.relative_path());
}

/// Where the log names a file the report names `shown`: relative to %SRCROOT% when it lies
/// in the folder the check ran in (as "disc/autorun.inf" given from a repository's root
/// does); else, given absolute or above that folder, as an absolute file: URI.
Json ArtifactLocation(const std::string& shown)
{
    fs::path path = PathOf(shown).lexically_normal();
    if (path.is_relative() && !path.has_root_name() && !path.empty() && *path.begin() != "..")
        return {{"uri", EncodedPath(path)}, {"uriBaseId", kSourceRoot}};
    std::error_code error;
    // A drive's own current folder ("E:setup") is the process's to resolve, not ours.
    if (!path.is_absolute())
        path = fs::absolute(path, error).lexically_normal();
    return {{"uri", error ? EncodedPath(path) : FileUri(path)}};
}

/// A catalogue entry's fix as a rule's help, a sentence like the text report's "Fix: ...":
/// each fact a finding fills in ("{key}", a word between braces, as the wordings name them)
/// shows as "…", since the rule stands for every finding of its code.
std::string GenericFix(std::string_view fix)
{
    const std::string out = "Fix: " + FillAll(fix, kEllipsis);
    // A sentence ends in a full stop, unless it ends in the ellipsis.
    return out.ends_with(kEllipsis) ? out : out + ".";
}

std::string WithoutBackticks(std::string text)
{
    std::erase(text, '`');
    return text;
}

Json Rules(const std::vector<FindingCode>& codes)
{
    Json rules = Json::array();
    for (const FindingCode& code : codes)
        rules.push_back({{"id", code.code},
                         {"shortDescription",
                          {{"text", WithoutBackticks(code.summary)}, {"markdown", code.summary}}},
                         {"help", {{"text", GenericFix(code.fix)}}},
                         {"defaultConfiguration", {{"level", Level(code.severities.front())}}}});
    return rules;
}

} // namespace

std::string SarifReport(const DiscFacts& facts, const std::vector<Finding>& findings)
{
    const std::vector<FindingCode> codes = FindingCodes();
    // An image is binary: its findings point at the image, and the line of its autorun.inf
    // goes with them as a property.
    const bool image = facts.image.has_value();
    const Json artifact = ArtifactLocation(image ? facts.image->path : facts.file.path);
    Json results = Json::array();
    for (const Finding& finding : findings) {
        Json physical = {{"artifactLocation", artifact}};
        if (finding.line > 0 && !image)
            physical["region"] = {{"startLine", finding.line}};
        Json result = {{"ruleId", finding.code}};
        for (std::size_t index = 0; index < codes.size(); ++index)
            if (finding.code == codes[index].code)
                result["ruleIndex"] = index;
        result["level"] = Level(finding.severity);
        result["message"] = {{"text", finding.message + ". Fix: " + finding.fix + "."}};
        result["locations"] = Json::array({{{"physicalLocation", std::move(physical)}}});
        if (finding.line > 0 && image)
            result["properties"] = {{"autorunInfLine", finding.line}};
        results.push_back(std::move(result));
    }
    Json run = {{"tool",
                 {{"driver",
                   {{"name", "autorun-check"},
                    {"version", KOVA_VERSION_STRING},
                    {"rules", Rules(codes)}}}}}};
    std::error_code error;
    if (const fs::path folder = fs::current_path(error); !error) {
        std::string uri = FileUri(folder);
        if (!uri.ends_with('/'))
            uri += '/';
        run["originalUriBaseIds"] = {{kSourceRoot, {{"uri", uri}}}};
    }
    run["results"] = std::move(results);
    const Json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                      {"version", "2.1.0"},
                      {"runs", Json::array({std::move(run)})}};
    return log.dump(2) + "\n";
}

} // namespace autorun::check
