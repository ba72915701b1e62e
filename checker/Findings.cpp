#include "checker/Findings.h"

#include "checker/ProgramSearch.h"
#include "checker/Quote.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace kova::check {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t LineStart(std::string_view bytes, std::size_t offset)
{
    while (offset > 0 && !IsLineEnd(bytes[offset - 1]))
        --offset;
    return offset;
}

/// How a line that seems to set a key is written.
enum class KeyLine { Exact, BlankBeforeEquals, OtherCase };

struct KeyLineFound {
    KeyLine kind;
    std::size_t offset; ///< where the key's name starts
};

/// Every line whose first word is `name` in any case, followed by "=" perhaps after
/// blanks: the lines the author meant to set the key with.
std::vector<KeyLineFound> KeyLines(std::string_view bytes, std::string_view name)
{
    std::vector<KeyLineFound> found;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = start;
        while (end < bytes.size() && !IsLineEnd(bytes[end]))
            ++end;
        std::size_t at = start;
        while (at < end && IsBlank(bytes[at]))
            ++at;
        const std::string_view line = bytes.substr(at, end - at);
        if (StartsWithIgnoringCase(line, name)) {
            std::size_t equals = name.size();
            while (equals < line.size() && IsBlank(line[equals]))
                ++equals;
            if (equals < line.size() && line[equals] == '=') {
                const bool sameCase = line.substr(0, name.size()) == name;
                found.push_back({!sameCase              ? KeyLine::OtherCase
                                 : equals > name.size() ? KeyLine::BlankBeforeEquals
                                                        : KeyLine::Exact,
                                 at});
            }
        }
        start = end + 1;
    }
    return found;
}

class TrapFinder {
public:
    explicit TrapFinder(CheckReport& report) : fReport(report), fBytes(report.bytes) {}

    void Run()
    {
        if (!fReport.fileFound) {
            Add("no-autorun-inf", Severity::Error, 0,
                "there is no autorun.inf in " + fReport.folder + ", so the launcher does nothing",
                "put autorun.inf beside the launcher, at the disc's root");
            return;
        }
        if (IsUtf16()) {
            Add("utf16-file", Severity::Error, 1,
                "autorun.inf is UTF-16 (Unicode) text; the launcher searches 8-bit text and "
                "finds no key in it",
                "save the file as ANSI (8-bit) text");
            return;
        }
        if (fReport.bytesSeen < fReport.bytesRead)
            Add("zero-byte", Severity::Warning, LineOf(fBytes, fReport.bytesSeen),
                "a zero byte at byte " + std::to_string(fReport.bytesSeen + 1) +
                    " ends the text the launcher searches; nothing after it is seen",
                "remove the zero byte");
        for (const LaunchKey& key : kLaunchKeys)
            CheckKey(key);
        CheckSettings();
        CheckMachine();
    }

private:
    void Add(std::string code, Severity severity, int line, std::string message, std::string fix)
    {
        fReport.findings.push_back({std::move(code), severity, line, std::move(message), std::move(fix)});
    }

    bool IsUtf16() const
    {
        const std::string_view bytes = fBytes;
        if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
            return true;
        // Without a byte-order mark: ASCII text with every second byte zero.
        return bytes.size() >= 4 && bytes[0] != '\0' && bytes[1] == '\0' && bytes[2] != '\0' &&
               bytes[3] == '\0';
    }

    int Line(std::size_t offset) const { return LineOf(fBytes, offset); }

    /// The value a key standing just before `start` would have, read as the launcher reads.
    std::string_view ValueAfter(std::size_t start) const
    {
        std::size_t end = start;
        while (end < fBytes.size() && end - start < kMaxValueLength && fBytes[end] != '\0' &&
               !IsLineEnd(fBytes[end]))
            ++end;
        return std::string_view(fBytes).substr(start, end - start);
    }

    /// Whether a key's occurrence stands where a reader would look for it: at the start of
    /// a line that is not a comment.
    bool StandsAlone(std::size_t offset) const
    {
        const std::size_t start = LineStart(fBytes, offset);
        return std::all_of(fBytes.begin() + static_cast<std::ptrdiff_t>(start),
                           fBytes.begin() + static_cast<std::ptrdiff_t>(offset), IsBlank);
    }

    bool InComment(std::size_t offset) const
    {
        const std::string_view line = Trim(std::string_view(fBytes).substr(LineStart(fBytes, offset)));
        return line.starts_with(';');
    }

    void CheckKey(const LaunchKey& key)
    {
        const std::string_view name = key.name;
        const std::string_view bare = name.substr(0, name.size() - 1);
        const char* seen = std::strstr(fReport.text->buf, key.name);
        const std::vector<KeyLineFound> lines = KeyLines(fBytes, bare);
        const std::string quotedName = "\"" + std::string(name) + "\"";
        if (seen == nullptr) {
            CheckUnseenKey(name, lines);
            return;
        }
        const auto offset = static_cast<std::size_t>(seen - fReport.text->buf);
        const std::string& value = fReport.launch.*key.value;
        const bool misplaced = !StandsAlone(offset) || InComment(offset);
        if (misplaced) {
            const auto meant = std::find_if(lines.begin(), lines.end(), [&](const KeyLineFound& line) {
                return line.kind == KeyLine::Exact && line.offset > offset && !InComment(line.offset);
            });
            const std::string where = InComment(offset) ? "inside a comment" : "inside another line";
            if (meant != lines.end())
                Add("key-first-occurrence", Severity::Error, Line(offset),
                    quotedName + " first occurs " + where + " on line " + std::to_string(Line(offset)) +
                        "; the launcher reads " + Quote(value) + " from there, not the line " +
                        std::to_string(Line(meant->offset)) + " that looks right",
                    "reword the earlier text so that it does not contain " + quotedName);
            else
                Add("key-inside-line", Severity::Warning, Line(offset),
                    quotedName + " stands " + where + " on line " + std::to_string(Line(offset)) +
                        "; the launcher reads it all the same",
                    "put the key at the start of a line of its own, or remove it");
        }
        for (const KeyLineFound& line : lines)
            if (!misplaced && line.kind == KeyLine::Exact && line.offset > offset && !InComment(line.offset) &&
                ValueAfter(line.offset + name.size()) != value) {
                Add("key-repeated", Severity::Warning, Line(line.offset),
                    "line " + std::to_string(Line(line.offset)) + " sets " + quotedName +
                        " again; the launcher reads only its first occurrence, on line " +
                        std::to_string(Line(offset)),
                    "keep one line for " + quotedName);
                break;
            }
        CheckValue(name, offset, value);
    }

    void CheckUnseenKey(std::string_view name, const std::vector<KeyLineFound>& lines)
    {
        const std::string quotedName = "\"" + std::string(name) + "\"";
        const std::size_t beyond = fBytes.find(name);
        if (beyond != std::string::npos && beyond + name.size() > fReport.bytesRead) {
            Add("key-beyond-32000", Severity::Error, Line(beyond),
                quotedName + " begins at byte " + std::to_string(beyond + 1) +
                    ", beyond the first 32000 bytes, which are all the launcher reads",
                "move the key to the start of the file");
            return;
        }
        if (beyond != std::string::npos) {
            Add("key-after-zero-byte", Severity::Error, Line(beyond),
                quotedName + " on line " + std::to_string(Line(beyond)) + " comes after a zero byte (byte " +
                    std::to_string(fReport.bytesSeen + 1) + "), where the launcher's text ends",
                "remove the zero byte");
            return;
        }
        for (const KeyLineFound& line : lines) {
            const std::string written(std::string_view(fBytes).substr(
                line.offset, fBytes.find('=', line.offset) + 1 - line.offset));
            if (line.kind == KeyLine::OtherCase) {
                Add("key-wrong-case", Severity::Error, Line(line.offset),
                    Quote(written) + " on line " + std::to_string(Line(line.offset)) +
                        " is not read: keys are case-sensitive, and the launcher looks for " + quotedName,
                    "write it as " + quotedName);
                return;
            }
            if (line.kind == KeyLine::BlankBeforeEquals) {
                Add("key-blank-before-equals", Severity::Error, Line(line.offset),
                    Quote(written) + " on line " + std::to_string(Line(line.offset)) +
                        " is not read: the launcher looks for " + quotedName +
                        ", with nothing between the name and \"=\"",
                    "remove the blanks before \"=\"");
                return;
            }
        }
    }

    void CheckValue(std::string_view name, std::size_t offset, const std::string& value)
    {
        const std::string quotedName = "\"" + std::string(name) + "\"";
        const int line = Line(offset);
        const std::size_t start = offset + name.size();
        std::size_t end = start;
        while (end < fBytes.size() && fBytes[end] != '\0' && !IsLineEnd(fBytes[end]))
            ++end;
        const std::size_t valueEnd = start + value.size();
        if (valueEnd == fReport.bytesRead && end > valueEnd)
            Add("value-cut-at-32000", Severity::Error, line,
                "the value of " + quotedName + " runs past byte 32000; the launcher reads only " +
                    Quote(value),
                "move the key to the start of the file");
        else if (valueEnd == fReport.bytesSeen && fReport.bytesSeen < fReport.bytesRead)
            Add("value-cut-at-zero-byte", Severity::Error, line,
                "the value of " + quotedName + " ends at a zero byte; the launcher reads only " +
                    Quote(value),
                "remove the zero byte");
        else if (end - start > kMaxValueLength)
            Add("value-too-long", Severity::Error, line,
                "the value of " + quotedName + " has " + std::to_string(end - start) +
                    " characters; the launcher keeps only the first 256",
                "shorten the value to 256 characters or fewer");
        if (!value.empty() && IsBlank(value.back()))
            Add("value-trailing-blank", Severity::Warning, line,
                "the value of " + quotedName + " ends in blanks or tabs, which are part of it: " + Quote(value),
                "remove the blanks at the end of line " + std::to_string(line));
        if (!value.empty() && IsBlank(value.front()))
            Add("value-leading-blank", Severity::Warning, line,
                "the value of " + quotedName + " begins with blanks or tabs, which are part of it: " +
                    Quote(value),
                "remove the blanks after \"=\"");
    }

    int SettingLine(const char* key) const
    {
        for (const SettingReport& setting : fReport.settings)
            if (std::strcmp(setting.key, key) == 0)
                return setting.line;
        return 0;
    }

    void CheckSettings()
    {
        const LaunchSettings& settings = fReport.launch;
        CheckRoot(settings.appReg);
        CheckView(settings.appRegistryView);
        const std::string_view appKey = settings.appKey;
        const int keyLine = SettingLine("AppKey=");
        if (appKey.empty())
            Add("appkey-empty", Severity::Error, keyLine,
                "AppKey= is empty or missing: the root itself opens, so the product always counts "
                "as installed and setup never starts",
                "set AppKey= to the product's key, e.g. Software\\Maker\\Product");
        else if (appKey.front() == '\\')
            Add("appkey-leading-backslash", Severity::Error, keyLine,
                "AppKey= begins with a backslash; Windows does not open such a path, so the product "
                "always counts as absent and setup starts every time",
                "remove the leading backslash");
        else if (RepeatsRoot(appKey))
            Add("appkey-repeats-root", Severity::Error, keyLine,
                "AppKey= begins with a root's name; the key is looked for below the root that "
                "AppRegistry= names, so it never opens and setup starts every time",
                "give the root in AppRegistry= and only the path below it in AppKey=");

        if (settings.autoStart[0] == '\0' && settings.autoStartValueName[0] == '\0')
            Add("autostart-default-value", Severity::Warning, 0,
                "neither AutoStart= nor AutoStartValueName= is set: the installed program starts "
                "only if the key's default value equals AutoStartValue= (" +
                    Quote(settings.autoStartValue) + ")",
                "set AutoStartValueName= and AutoStartValue=, or AutoStart=1");
        static constexpr std::array<std::string_view, 5> kNoes = {"0", "no", "false", "off", "n"};
        const std::string_view autoStart = Trim(settings.autoStart);
        if (std::any_of(kNoes.begin(), kNoes.end(),
                        [&](std::string_view no) { return EqualIgnoringCase(autoStart, no); }))
            Add("autostart-any-value", Severity::Warning, SettingLine("AutoStart="),
                "AutoStart= is " + Quote(settings.autoStart) +
                    ": any value that is not empty forces the start of the installed program, this one too",
                "remove the AutoStart= line to let the registry decide");
        if (settings.appPathValueName[0] == '\0')
            Add("apppath-default-value", Severity::Warning, 0,
                "AppPathValueName= is not set: the installed program's command line is read from "
                "the key's default value",
                "set AppPathValueName= to the value that holds the program's command line");

        if (settings.setupName[0] == '\0') {
            Add("setup-not-set", Severity::Warning, 0,
                "SetupName= is not set: on a machine without the product nothing starts",
                "set SetupName= to the setup program on the disc");
        } else {
            const ProgramReport setup = FindCommandProgram(settings.setupName, fReport.folder);
            if (!setup.path)
                Add("setup-not-found", Severity::Error, SettingLine("SetupName="),
                    "SetupName= names " + Quote(setup.name) +
                        ", which is not on the disc (nor anywhere else the launcher looks)",
                    "copy the setup program to the disc, or correct SetupName=");
        }
    }

    void CheckView(const std::string& view)
    {
        if (view.empty() || view == "64" || view == "32")
            return;
        const std::string_view trimmed = Trim(view);
        const char* meant = trimmed.find("64") != std::string_view::npos   ? "64"
                            : trimmed.find("32") != std::string_view::npos ? "32"
                                                                           : nullptr;
        Add("view-unknown", Severity::Warning, SettingLine("AppRegistryView="),
            "AppRegistryView= is " + Quote(view) +
                ", which is neither 64 nor 32, so the launcher opens the key in its own view",
            meant != nullptr ? std::string("write AppRegistryView=") + meant + " exactly"
                             : "write AppRegistryView=64 or AppRegistryView=32, or remove the line");
    }

    void CheckRoot(const std::string& appReg)
    {
        static constexpr std::array<std::array<std::string_view, 2>, 5> kRoots = {{
            {"HKEY_USERS", "HKU"},
            {"HKEY_CLASSES_ROOT", "HKCR"},
            {"HKEY_LOCAL_MACHINE", "HKLM"},
            {"HKEY_CURRENT_CONFIG", "HKCC"},
            {"HKEY_CURRENT_USER", "HKCU"},
        }};
        if (appReg.empty())
            return;
        for (const auto& root : kRoots)
            if (appReg == root[0])
                return;
        const std::string_view trimmed = Trim(appReg);
        std::string_view meant;
        for (const auto& root : kRoots)
            if (EqualIgnoringCase(trimmed, root[0]) || EqualIgnoringCase(trimmed, root[1]))
                meant = root[0];
        const bool currentUser = meant == "HKEY_CURRENT_USER";
        Add("root-unknown", currentUser ? Severity::Warning : Severity::Error, SettingLine("AppRegistry="),
            "AppRegistry= is " + Quote(appReg) +
                ", which is not exactly a root's name, so the current user's root "
                "(HKEY_CURRENT_USER) is used instead",
            meant.empty() ? "write HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS, "
                            "HKEY_CLASSES_ROOT or HKEY_CURRENT_CONFIG exactly"
                          : "write AppRegistry=" + std::string(meant) + " exactly");
    }

    static bool RepeatsRoot(std::string_view appKey)
    {
        static constexpr std::array<std::string_view, 6> kPrefixes = {"HKEY_", "HKLM\\", "HKCU\\",
                                                                       "HKU\\", "HKCR\\", "HKCC\\"};
        return std::any_of(kPrefixes.begin(), kPrefixes.end(),
                           [&](std::string_view prefix) { return StartsWithIgnoringCase(appKey, prefix); });
    }

    void CheckMachine()
    {
        const LaunchDecision& decision = fReport.decision;
        const LaunchSettings& settings = fReport.launch;
        if (decision.openStatus != ERROR_SUCCESS && fReport.otherView) {
            const bool is64 = (*fReport.otherView & KEY_WOW64_64KEY) != 0;
            Add("key-in-other-view", Severity::Error, SettingLine("AppKey="),
                std::string("on this machine the product's key is not in ") + ViewName(decision.access) +
                    " but in " + ViewName(*fReport.otherView) +
                    " (a 64-bit installer writes there), so setup starts although the product is installed",
                is64 ? "add the line AppRegistryView=64" : "add the line AppRegistryView=32");
            return;
        }
        if (decision.openStatus != ERROR_SUCCESS) {
            if (decision.openStatus != ERROR_FILE_NOT_FOUND && decision.openStatus != ERROR_BAD_PATHNAME)
                Add("key-open-failed", Severity::Warning, SettingLine("AppKey="),
                    "on this machine the product's key does not open (" + ErrorText(decision.openStatus) +
                        "), so the product counts as absent even if it is installed",
                    "check the key's permissions, or choose a key every user can read");
            return;
        }
        int query = 0;
        if (settings.autoStart[0] == '\0') {
            const LaunchQuery& autoStart = decision.queries[query++];
            const int line = SettingLine("AutoStartValueName=");
            if (autoStart.status == ERROR_FILE_NOT_FOUND)
                Add("autostart-value-missing", Severity::Warning, line,
                    "on this machine the product's key has no value " + Quote(settings.autoStartValueName) +
                        ", so the installed program does not start",
                    "have the installer write that value, or correct AutoStartValueName=");
            else if (autoStart.status != ERROR_SUCCESS)
                Add("autostart-value-unreadable", Severity::Warning, line,
                    "on this machine the value " + Quote(settings.autoStartValueName) +
                        " cannot be read (" + ErrorText(autoStart.status) +
                        "), so the installed program does not start",
                    "keep the value a short text");
            else if (decision.reason == LaunchReason::AutoStartDiffers)
                Add("autostart-value-differs", Severity::Warning, SettingLine("AutoStartValue="),
                    "on this machine the value " + Quote(settings.autoStartValueName) + " holds " +
                        Quote(autoStart.data) + ", not " + Quote(settings.autoStartValue) +
                        ", so the installed program does not start",
                    Trim(settings.autoStartValue) == std::string_view(autoStart.data)
                        ? "remove the blanks around AutoStartValue='s value"
                        : "make AutoStartValue= what the installer writes");
        }
        if (query < decision.queryCount) {
            const LaunchQuery& path = decision.queries[query];
            const int line = SettingLine("AppPathValueName=");
            if (path.status == ERROR_FILE_NOT_FOUND)
                Add("app-path-missing", Severity::Error, line,
                    "on this machine the product's key has no value " + Quote(settings.appPathValueName) +
                        ", so the installed program cannot start",
                    "have the installer write that value, or correct AppPathValueName=");
            else if (path.status == ERROR_MORE_DATA)
                Add("app-path-too-long", Severity::Error, line,
                    "on this machine the value " + Quote(settings.appPathValueName) + " holds " +
                        std::to_string(path.lenKeyValue) +
                        " bytes, more than the launcher's 256-byte buffer, so the installed program "
                        "cannot start",
                    "keep the program's command line under 256 bytes");
            else if (path.status != ERROR_SUCCESS)
                Add("app-path-unreadable", Severity::Error, line,
                    "on this machine the value " + Quote(settings.appPathValueName) +
                        " cannot be read (" + ErrorText(path.status) + ")",
                    "check the value in the registry");
        }
        if (decision.action == LaunchAction::Installed && fReport.program && !fReport.program->path)
            Add("installed-program-not-found", Severity::Error, 0,
                "on this machine the installed program " + Quote(fReport.program->name) +
                    " does not exist, so the launcher starts nothing",
                "correct the command line the installer writes, or reinstall the product");
    }

    CheckReport& fReport;
    const std::string& fBytes;
};

} // namespace

int LineOf(std::string_view bytes, std::size_t offset)
{
    int line = 1;
    offset = std::min(offset, bytes.size());
    for (std::size_t i = 0; i < offset; ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

void FindTraps(CheckReport& report)
{
    TrapFinder(report).Run();
}

} // namespace kova::check
