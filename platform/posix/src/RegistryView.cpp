#include "RegistryView.h"

#include "CodePage.h"
#include "SplitFields.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace kova::posix {

namespace {

constexpr std::u16string_view Wow6432Node = u"WOW6432Node";

/// The keys below HKEY_LOCAL_MACHINE\Software that both views share, as Windows 7 and later
/// list them.
constexpr std::u16string_view SharedKeys[] = {
    u"Classes",
    u"Clients",
    u"Microsoft\\COM3",
    u"Microsoft\\Cryptography\\Calais\\Current",
    u"Microsoft\\Cryptography\\Calais\\Readers",
    u"Microsoft\\Cryptography\\Services",
    u"Microsoft\\CTF\\SystemShared",
    u"Microsoft\\CTF\\TIP",
    u"Microsoft\\DFS",
    u"Microsoft\\Driver Signing",
    u"Microsoft\\EnterpriseCertificates",
    u"Microsoft\\EventSystem",
    u"Microsoft\\MSMQ",
    u"Microsoft\\Non-Driver Signing",
    u"Microsoft\\Notepad\\DefaultFonts",
    u"Microsoft\\OLE",
    u"Microsoft\\RAS",
    u"Microsoft\\RPC",
    u"Microsoft\\SOFTWARE\\Microsoft\\Shared Tools\\MSInfo",
    u"Microsoft\\SystemCertificates",
    u"Microsoft\\TermServLicensing",
    u"Microsoft\\Transaction Server",
    u"Microsoft\\Windows\\CurrentVersion\\App Paths",
    u"Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes",
    u"Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
    u"Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons",
    u"Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap",
    u"Microsoft\\Windows\\CurrentVersion\\Group Policy",
    u"Microsoft\\Windows\\CurrentVersion\\Policies",
    u"Microsoft\\Windows\\CurrentVersion\\PreviewHandlers",
    u"Microsoft\\Windows\\CurrentVersion\\Setup",
    u"Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations",
    u"Microsoft\\Windows NT\\CurrentVersion\\Console",
    u"Microsoft\\Windows NT\\CurrentVersion\\FontDpi",
    u"Microsoft\\Windows NT\\CurrentVersion\\FontLink",
    u"Microsoft\\Windows NT\\CurrentVersion\\FontMapper",
    u"Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    u"Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
    u"Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize",
    u"Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    u"Microsoft\\Windows NT\\CurrentVersion\\LanguagePack",
    u"Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
    u"Microsoft\\Windows NT\\CurrentVersion\\Perflib",
    u"Microsoft\\Windows NT\\CurrentVersion\\Ports",
    u"Microsoft\\Windows NT\\CurrentVersion\\Print",
    u"Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    u"Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
    u"Policies",
    u"RegisteredApplications",
};

/// The COM keys of a class registry that each view has of its own.
constexpr std::u16string_view ClassKeys[] = {u"CLSID", u"DirectShow", u"Interface", u"Media Type",
                                             u"MediaFoundation"};

using Components = std::vector<std::u16string_view>;

bool Same(std::u16string_view left, std::u16string_view right)
{
    return CompareIgnoringCase(left, right) == 0;
}

/// Whether `components` from `at` on begin with the components of `prefix`.
bool StartsWith(const Components& components, std::size_t at, std::u16string_view prefix)
{
    const Components wanted = SplitFields(prefix, u'\\');
    if (components.size() - at < wanted.size())
        return false;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        if (!Same(components[at + i], wanted[i]))
            return false;
    return true;
}

/// Where WOW6432Node goes in, or nothing when the key is the same in both views.
std::optional<std::size_t> Redirection(const Components& c)
{
    const auto classKey = [&c](std::size_t at) -> std::optional<std::size_t> {
        if (c.size() > at && std::any_of(std::begin(ClassKeys), std::end(ClassKeys),
                                         [&](std::u16string_view key) { return Same(c[at], key); }))
            return at;
        return std::nullopt;
    };
    const bool software = c.size() > 1 && Same(c[1], u"Software");
    if (Same(c[0], u"HKEY_LOCAL_MACHINE") && software && c.size() > 2) {
        if (Same(c[2], Wow6432Node))
            return std::nullopt;
        if (Same(c[2], u"Classes"))
            return classKey(3);
        for (const std::u16string_view shared : SharedKeys)
            if (StartsWith(c, 2, shared))
                return std::nullopt;
        return 2;
    }
    if (Same(c[0], u"HKEY_CURRENT_USER") && software && c.size() > 2 && Same(c[2], u"Classes"))
        return classKey(3);
    if (Same(c[0], u"HKEY_CLASSES_ROOT"))
        return classKey(1);
    return std::nullopt;
}

struct KindState {
    std::mutex lock;
    std::optional<ProcessKind> kind;
};

KindState& State()
{
    static KindState* const state = new KindState;
    return *state;
}

ProcessKind ReadKind()
{
    const char* const value = std::getenv("KOVA_WINDOWS64");
    if (value && std::strcmp(value, "32") == 0)
        return ProcessKind::Process32;
    if (value && std::strcmp(value, "64") == 0)
        return ProcessKind::Process64;
    // A 64-bit machine named alone runs the program under WoW64, as a 32-bit one.
    const char* const machine = std::getenv("KOVA_NATIVE_MACHINE");
    if (machine && (std::strcmp(machine, "x64") == 0 || std::strcmp(machine, "arm64") == 0))
        return ProcessKind::Process32;
    return ProcessKind::OneView;
}

} // namespace

ProcessKind CurrentProcessKind()
{
    KindState& state = State();
    const std::lock_guard guard(state.lock);
    if (!state.kind)
        state.kind = ReadKind();
    return *state.kind;
}

void ReloadProcessKind()
{
    KindState& state = State();
    const std::lock_guard guard(state.lock);
    state.kind = ReadKind();
}

std::u16string ViewKeyPath(const std::u16string& path, REGSAM desired, ProcessKind kind)
{
    const bool view32 = kind == ProcessKind::Process32   ? (desired & KEY_WOW64_64KEY) == 0
                        : kind == ProcessKind::Process64 ? (desired & KEY_WOW64_32KEY) != 0
                                                         : false;
    if (!view32)
        return path;
    const Components components = SplitFields(path, u'\\');
    const std::optional<std::size_t> at = Redirection(components);
    if (!at)
        return path;
    std::u16string viewed;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i == *at)
            viewed += std::u16string(Wow6432Node) + u'\\';
        viewed += components[i];
        if (i + 1 < components.size())
            viewed += u'\\';
    }
    return viewed;
}

} // namespace kova::posix
