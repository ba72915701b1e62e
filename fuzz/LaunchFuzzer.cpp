/// Fuzzes the whole launch decision: StartApplication() against a fuzzed "autorun.inf" (in
/// any encoding) and fuzzed registry data. The registry, process and text calls below take
/// the place of the stand-in's: they serve the fuzzed data and record every call, and the
/// recording is then held against the decision worked out independently from the same
/// input. The ANSI code page here is the simplest there is: each byte is the character of
/// the same number.
///
/// Input layout (missing bytes count as zero):
///   byte 0      flags: 1 the key opens, 2/4 the first/second value exists,
///               8/16 the first/second value ends in a zero byte, 32 there is no file,
///               64 the program needs administrator rights (WinExec fails with 740),
///               128 WinExec fails with another error
///   bytes 1-4   the two values' lengths, 16-bit little-endian each, taken modulo 301
///   bytes 5-6   the two values' types
///   byte 7      the third value: 1 it exists, 2 it ends in a zero byte, 4 it is a REG_DWORD
///               (else REG_SZ)
///   bytes 8-9   its length, 16-bit little-endian, taken modulo 301
///   byte 10     the machine and the launcher's folder: bits 0-1 the native machine (x86,
///               x64, ARM64, 32-bit ARM), 4 x64 programs do not run on ARM64, 8 kernel32 has
///               no IsWow64Process2, 16 nor GetMachineTypeAttributes, 32 the file is in the
///               launcher's own folder and not in the current one, 64 the launcher's path
///               fills GetModuleFileNameW's buffer, unterminated as Windows XP leaves it
///   then        the three values' bytes, and the rest is the text of "autorun.inf"
/// The first registry query gets the first value, the second query the second, the third
/// the third.
#include "framework/gui/AppMain.h"
#include "fuzz/Settings.h"
#include "fuzz/Versions.h"

#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxRead = 32000;
constexpr std::size_t kMaxValueBytes = 600;
/// What the launcher's data buffers hold: 256 characters of text, or 256 bytes of other data.
constexpr DWORD kDataSize = 256 * sizeof(WCHAR);
constexpr DWORD kByteDataSize = 256;
/// The most UTF-16 units a setting of 256 characters takes.
constexpr std::size_t kMaxWide = 2 * kova::fuzz::kSettingLimit;

const HANDLE kProcess = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7010));
const HANDLE kThread = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7020));

const HKEY kProductKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x5150));
const HMODULE kKernel32 = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x7b000000));
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

/// The machines Windows may name, and one (32-bit ARM) that the launcher does not know.
constexpr USHORT kNativeMachines[] = {IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_AMD64,
                                      IMAGE_FILE_MACHINE_ARM64, 0x01C4};

struct FakeValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string bytes;
};

/// One input's registry, and what the launcher did with it.
struct Run {
    LONG openStatus = ERROR_FILE_NOT_FOUND;
    FakeValue values[3];

    int opens = 0;
    HKEY openedRoot = nullptr;
    REGSAM openedAccess = 0;
    std::u16string openedPath;
    std::vector<std::u16string> queried;
    int closes = 0;
    bool keyOpen = false;
    bool needsElevation = false;
    bool otherFailure = false;
    std::vector<std::u16string> started;
    int handlesClosed = 0;
    /// ShellExecuteW's program and parameters, and whether CreateProcessW had just failed
    /// with 740.
    std::vector<std::u16string> shellPrograms;
    std::vector<std::u16string> shellParameters;
    bool shellAfterElevationFailure = true;
    DWORD lastError = ERROR_SUCCESS;

    /// The machine this input plays, and what the launcher asked of it.
    USHORT nativeMachine = 0x014C;
    bool x64Emulation = true;
    bool hasIsWow64Process2 = true;
    bool hasMachineTypeAttributes = true;
    int machineQuestions = 0; ///< IsWow64Process2 and IsWow64Process calls
    /// The launcher's own folder, and whether its name fills the buffer.
    bool fileInOwnFolder = false;
    bool moduleNameCut = false;
    int moduleNameQuestions = 0;
    std::vector<std::u16string> directoriesEntered;
};

Run* gRun = nullptr;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "launch fuzzer: %s\n", what);
    std::abort();
}

void Check(bool condition, const char* what)
{
    if (!condition)
        Fail(what);
}

/// Reads a text the launcher hands over. Its length is looked at only after the whole
/// text has been read, so a missing terminator shows as a read past the buffer.
std::u16string TextArgument(const WCHAR* text, const char* what)
{
    Check(text != nullptr, what);
    std::u16string copy(text);
    Check(copy.size() <= kMaxWide, what);
    return copy;
}

int gHomeDirectory = -1;
int gWorkDirectory = -1;
std::string gWorkPath;
/// The launcher's own folder, inside the working directory.
std::string gOwnPath;

void RemoveWorkDirectory()
{
    unlink((gOwnPath + "/autorun.inf").c_str());
    rmdir(gOwnPath.c_str());
    unlink((gWorkPath + "/autorun.inf").c_str());
    rmdir(gWorkPath.c_str());
}

/// The machine the launcher must have seen, by the documented rule: IsWow64Process2's native
/// machine where kernel32 has it, an ARM64 one running x64 programs only when
/// GetMachineTypeAttributes says so; else IsWow64Process, whose yes means x64.
enum class SeenMachine { X86, X64, Arm64, Arm64WithoutX64 };

SeenMachine ExpectedMachine(const Run& run)
{
    if (!run.hasIsWow64Process2)
        return run.nativeMachine != 0x014C ? SeenMachine::X64 : SeenMachine::X86;
    switch (run.nativeMachine) {
    case 0x8664:
        return SeenMachine::X64;
    case 0xAA64:
        return run.hasMachineTypeAttributes && run.x64Emulation ? SeenMachine::Arm64
                                                                : SeenMachine::Arm64WithoutX64;
    default:
        return SeenMachine::X86;
    }
}

/// The setup's command line for the machine: ARM64 takes SetupNameArm64=, else SetupNameX64=
/// where x64 programs run, else SetupName=; x64 takes SetupNameX64=, else SetupName=.
const std::u16string& ExpectedSetup(SeenMachine machine, const std::u16string& any,
                                    const std::u16string& x64, const std::u16string& arm64)
{
    const bool onArm64 = machine == SeenMachine::Arm64 || machine == SeenMachine::Arm64WithoutX64;
    if (onArm64 && !arm64.empty())
        return arm64;
    if ((machine == SeenMachine::X64 || machine == SeenMachine::Arm64) && !x64.empty())
        return x64;
    return any;
}

std::uint16_t Little16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

HKEY ExpectedRoot(std::u16string_view appReg)
{
    if (appReg == u"HKEY_USERS")
        return HKEY_USERS;
    if (appReg == u"HKEY_CLASSES_ROOT")
        return HKEY_CLASSES_ROOT;
    if (appReg == u"HKEY_LOCAL_MACHINE")
        return HKEY_LOCAL_MACHINE;
    if (appReg == u"HKEY_CURRENT_CONFIG")
        return HKEY_CURRENT_CONFIG;
    return HKEY_CURRENT_USER;
}

/// A value as the launcher must see it: whether the query succeeds, and its text up to the
/// first zero: text types in UTF-16 into 256 characters, other data as bytes into 256.
struct Seen {
    bool ok;
    std::u16string text;
};

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

Seen SeenValue(const FakeValue& value)
{
    if (!value.exists)
        return {false, {}};
    std::u16string text;
    if (IsTextType(value.type)) {
        if (value.bytes.size() > kDataSize)
            return {false, {}};
        for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(value.bytes[i]) |
                                          static_cast<unsigned char>(value.bytes[i + 1]) << 8);
    } else {
        if (value.bytes.size() > kByteDataSize)
            return {false, {}};
        for (const char c : value.bytes)
            text += static_cast<unsigned char>(c);
    }
    return {true, text.substr(0, text.find(u'\0'))};
}

/// Works out from the input alone what the launcher must have done, and compares.
/// The shell is asked only after WinExec failed because the program needs administrator
/// rights, once, with the very program and parameters that the command line holds.
void CheckShell(const Run& run)
{
    Check(run.shellAfterElevationFailure, "ShellExecuteW without a 740 failure before it");
    const bool due = run.needsElevation && !run.started.empty();
    Check(run.shellPrograms.size() == (due ? 1u : 0u),
          "the shell was used when it was not due, or not used");
    if (!due)
        return;
    const std::u16string& line = run.started[0];
    const std::u16string& program = run.shellPrograms[0];
    const std::u16string& parameters = run.shellParameters[0];
    const bool quoted = !line.empty() && line[0] == '"';
    const std::u16string written = quoted ? u'"' + program : program;
    Check(line.compare(0, written.size(), written) == 0,
          "the shell's program is not where the line starts");
    Check(line.size() >= parameters.size() &&
              line.compare(line.size() - parameters.size(), parameters.size(), parameters) == 0,
          "the shell's parameters are not the end of the line");
}

/// A version's text as the parser reads it: a character beyond ASCII ends the numbers as
/// any other letter does.
std::string Ascii(std::u16string_view text)
{
    std::string out;
    for (const char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

void CheckDecision(const Run& run, std::string_view text, bool hasFile)
{
    CheckShell(run);
    Check(run.started.size() <= 1, "more than one program started");
    for (const std::u16string& line : run.started)
        Check(line.size() <= kMaxWide, "command line longer than 256 characters");
    Check(run.handlesClosed ==
              (run.started.size() == 1 && !run.needsElevation && !run.otherFailure ? 2 : 0),
          "the started program's handles were not closed, or closed when there were none");

    // The launcher looks in its own folder only when the current one has no file, and
    // enters it only when its name came whole.
    const bool readsOwnFolder = !hasFile || run.fileInOwnFolder;
    Check(run.moduleNameQuestions == (readsOwnFolder ? 1 : 0),
          "asked for its own name when the current folder had the file, or not once");
    const std::u16string ownFolder(gOwnPath.begin(), gOwnPath.end());
    Check(run.directoriesEntered.size() == (readsOwnFolder && !run.moduleNameCut ? 1u : 0u) &&
              (run.directoriesEntered.empty() || run.directoriesEntered[0] == ownFolder + u'/'),
          "entered another folder than its own, or a folder from a name cut short");
    if (!hasFile || (run.fileInOwnFolder && run.moduleNameCut)) {
        Check(run.opens == 0 && run.started.empty() && run.machineQuestions == 0,
              "acted without an autorun.inf");
        return;
    }
    const kova::fuzz::ExpectedText read = kova::fuzz::ReadExpectedText(text, kMaxRead);
    std::u16string setting[kova::fuzz::kSettingKeys.size()];
    for (std::size_t i = 0; i < kova::fuzz::kSettingKeys.size(); ++i)
        setting[i] =
            kova::fuzz::Utf16(kova::fuzz::ExpectedSetting(read.text, kova::fuzz::kSettingKeys[i]));
    const auto& [appReg, appKey, autoStart, autoStartValueName, autoStartValue, appPathValueName,
                 setupAny, appRegistryView, appVersion, appVersionValueName, setupX64, setupArm64] =
        setting;
    // The machine is asked only when the file names a setup for one, and a setup is due.
    const bool namesMachine = !setupX64.empty() || !setupArm64.empty();
    const std::u16string& setupName =
        namesMachine ? ExpectedSetup(ExpectedMachine(run), setupAny, setupX64, setupArm64)
                     : setupAny;
    const auto checkMachineAsked = [&](bool setupDue) {
        const bool asks = setupDue && namesMachine;
        Check(run.machineQuestions == (asks ? 1 : 0),
              asks ? "did not ask the machine once for the setup"
                   : "asked the machine when no setup for one was due");
    };

    Check(run.opens == 1, "the key was not opened exactly once");
    Check(run.openedRoot == ExpectedRoot(appReg), "wrong registry root");
    Check(run.openedPath == appKey, "wrong sub-key");
    const REGSAM view = appRegistryView == u"64"   ? KEY_WOW64_64KEY
                        : appRegistryView == u"32" ? KEY_WOW64_32KEY
                                                   : 0;
    Check(run.openedAccess == (KEY_QUERY_VALUE | view), "wrong access");

    if (run.openStatus != ERROR_SUCCESS) {
        checkMachineAsked(true);
        Check(run.queried.empty() && run.closes == 0, "used a key that did not open");
        if (setupName.empty())
            Check(run.started.empty(), "started something with no setup program named");
        else
            Check(run.started.size() == 1 && run.started[0] == setupName,
                  "did not start the setup program");
        return;
    }

    Check(run.closes == 1 && !run.keyOpen, "the key was not closed once");
    std::vector<std::u16string_view> queries;
    std::u16string expectedStart;
    bool start = false;
    std::size_t next = 0;
    // With a version on the disc, the installed one is asked for first; an older one
    // starts the setup program, if one is named, and nothing more is asked.
    if (const auto disc = kova::fuzz::ExpectedVersion(Ascii(appVersion))) {
        queries.push_back(appVersionValueName);
        const FakeValue& value = run.values[next++];
        const Seen seen = SeenValue(value);
        std::optional<std::vector<std::uint64_t>> installed;
        if (seen.ok && value.type == REG_DWORD && value.bytes.size() == 4)
            installed = std::vector<std::uint64_t>{
                static_cast<std::uint8_t>(value.bytes[0]) |
                static_cast<std::uint64_t>(static_cast<std::uint8_t>(value.bytes[1])) << 8 |
                static_cast<std::uint64_t>(static_cast<std::uint8_t>(value.bytes[2])) << 16 |
                static_cast<std::uint64_t>(static_cast<std::uint8_t>(value.bytes[3])) << 24};
        else if (seen.ok)
            installed = kova::fuzz::ExpectedVersion(Ascii(seen.text));
        const bool older = installed && kova::fuzz::ExpectedOrder(*installed, *disc) < 0;
        checkMachineAsked(older);
        if (older && !setupName.empty()) {
            Check(run.queried.size() == 1 && run.queried[0] == appVersionValueName,
                  "an upgrade asked for more than the installed version");
            Check(run.started.size() == 1 && run.started[0] == setupName,
                  "did not start the upgrade");
            return;
        }
    }
    if (!kova::fuzz::ExpectedVersion(Ascii(appVersion)))
        checkMachineAsked(false);
    bool wanted = !autoStart.empty();
    if (!wanted) {
        queries.push_back(autoStartValueName);
        const Seen seen = SeenValue(run.values[next++]);
        wanted = seen.ok && seen.text == autoStartValue;
    }
    if (wanted) {
        queries.push_back(appPathValueName);
        const Seen seen = SeenValue(run.values[next++]);
        start = seen.ok;
        expectedStart = seen.text;
    }
    Check(run.queried.size() == queries.size(), "wrong number of registry queries");
    for (std::size_t i = 0; i < queries.size(); ++i)
        Check(run.queried[i] == queries[i], "queried the wrong value name");
    if (start)
        Check(run.started.size() == 1 && run.started[0] == expectedStart,
              "did not start the installed program's command line");
    else
        Check(run.started.empty(), "started a program when nothing was due");
}

} // namespace

// --- The registry, process and text calls the launcher makes ----------------------------

LONG WINAPI RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    Check(gRun != nullptr && result != nullptr, "RegOpenKeyExW outside a run");
    Check(options == 0, "RegOpenKeyExW with options");
    ++gRun->opens;
    gRun->openedAccess = desired;
    gRun->openedRoot = root;
    gRun->openedPath = TextArgument(subKey, "RegOpenKeyExW: bad sub-key");
    if (gRun->openStatus != ERROR_SUCCESS)
        return gRun->openStatus;
    gRun->keyOpen = true;
    *result = kProductKey;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize)
{
    Check(gRun != nullptr && key == kProductKey && gRun->keyOpen, "query on a key not open");
    Check(reserved == nullptr && data != nullptr && dataSize != nullptr, "bad query arguments");
    const std::size_t index = gRun->queried.size();
    gRun->queried.push_back(TextArgument(valueName, "RegQueryValueExW: bad value name"));
    Check(index < 3, "more than three registry queries");
    const FakeValue& value = gRun->values[index];
    if (!value.exists)
        return ERROR_FILE_NOT_FOUND;
    if (type != nullptr)
        *type = value.type;
    const DWORD needed = static_cast<DWORD>(value.bytes.size());
    if (needed > *dataSize) {
        // The buffer's contents are undefined after this error: fill all of it, so that a
        // launcher that used it anyway would show.
        std::memset(data, 'G', *dataSize);
        *dataSize = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.bytes.data(), needed);
    *dataSize = needed;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    Check(gRun != nullptr && key == kProductKey && gRun->keyOpen, "closed a key not open");
    gRun->keyOpen = false;
    ++gRun->closes;
    return ERROR_SUCCESS;
}

BOOL WINAPI CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                           LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation)
{
    Check(gRun != nullptr && commandLine != nullptr, "CreateProcessW outside a run");
    Check(applicationName == nullptr && processAttributes == nullptr &&
              threadAttributes == nullptr && !inheritHandles && creationFlags == 0 &&
              environment == nullptr && currentDirectory == nullptr,
          "CreateProcessW with more than WinExec passes");
    Check(startupInfo != nullptr && startupInfo->cb == sizeof *startupInfo &&
              startupInfo->dwFlags == STARTF_USESHOWWINDOW &&
              startupInfo->wShowWindow == SW_SHOWNORMAL,
          "CreateProcessW with another show state");
    Check(processInformation != nullptr, "CreateProcessW without room for the process");
    // The whole text is copied before its length is checked: a missing terminator shows
    // as a read past the launcher's buffer.
    gRun->started.emplace_back(commandLine);
    if (gRun->needsElevation) {
        gRun->lastError = ERROR_ELEVATION_REQUIRED;
        return FALSE;
    }
    if (gRun->otherFailure) {
        gRun->lastError = ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    processInformation->hProcess = kProcess;
    processInformation->hThread = kThread;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    Check(gRun != nullptr && (handle == kProcess || handle == kThread),
          "closed a handle that was not handed out");
    ++gRun->handlesClosed;
    return TRUE;
}

DWORD WINAPI GetLastError(void)
{
    return gRun != nullptr ? gRun->lastError : ERROR_SUCCESS;
}

// Every name counts as a program: the split then takes the shortest name, which the
// checks above must hold all the same.
DWORD WINAPI SearchPathW(LPCWSTR, LPCWSTR fileName, LPCWSTR, DWORD bufferLength, LPWSTR buffer,
                         LPWSTR*)
{
    Check(fileName != nullptr && buffer != nullptr && bufferLength >= MAX_PATH,
          "bad SearchPathW arguments");
    buffer[0] = 0;
    return 1;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR fileName)
{
    Check(fileName != nullptr, "GetFileAttributesW without a name");
    return FILE_ATTRIBUTE_NORMAL;
}

HINSTANCE WINAPI ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                               LPCWSTR directory, INT showCommand)
{
    Check(gRun != nullptr && window == nullptr && directory == nullptr,
          "ShellExecuteW outside a run");
    Check(verb != nullptr && std::u16string_view(verb) == u"open" && showCommand == SW_SHOWNORMAL,
          "ShellExecuteW with another verb or show state");
    if (gRun->lastError != ERROR_ELEVATION_REQUIRED)
        gRun->shellAfterElevationFailure = false;
    gRun->shellPrograms.emplace_back(TextArgument(file, "ShellExecuteW: bad program"));
    gRun->shellParameters.emplace_back(TextArgument(parameters, "ShellExecuteW: bad parameters"));
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
}

// The code page of this run: each byte the character of its number. UTF-8: a byte outside
// a well-formed sequence is U+FFFD.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out,
                               int capacity)
{
    Check((codePage == CP_ACP || codePage == CP_UTF8) && flags == 0 && text != nullptr &&
              length == -1 && out != nullptr && capacity > 0,
          "MultiByteToWideChar with other arguments than the launcher's");
    std::u32string characters;
    const std::string_view bytes(text);
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = static_cast<unsigned char>(bytes[at]);
        std::size_t used = 1;
        if (codePage == CP_UTF8) {
            used = kova::fuzz::DecodeUtf8(bytes.substr(at), code);
            if (used == 0) {
                code = 0xFFFD;
                used = 1;
            }
        }
        characters += code;
        at += used;
    }
    const std::u16string wide = kova::fuzz::Utf16(characters);
    if (wide.size() + 1 > static_cast<std::size_t>(capacity))
        return 0;
    std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return static_cast<int>(wide.size() + 1);
}

// The machine, and the launcher's own file: kernel32's calls that not every Windows has are
// found by name, as the launcher must look them up.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    Check(moduleName != nullptr && std::string_view(moduleName) == "kernel32.dll",
          "GetModuleHandleA for another module than kernel32");
    return kKernel32;
}

HANDLE WINAPI GetCurrentProcess(void)
{
    return kCurrentProcess;
}

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64Process)
{
    Check(gRun != nullptr && process == kCurrentProcess && wow64Process != nullptr,
          "bad IsWow64Process arguments");
    ++gRun->machineQuestions;
    *wow64Process = gRun->nativeMachine != 0x014C;
    return TRUE;
}

BOOL WINAPI IsWow64Process2(HANDLE process, USHORT* processMachine, USHORT* nativeMachine)
{
    Check(gRun != nullptr && gRun->hasIsWow64Process2 && process == kCurrentProcess &&
              processMachine != nullptr && nativeMachine != nullptr,
          "bad IsWow64Process2 arguments");
    ++gRun->machineQuestions;
    *processMachine = gRun->nativeMachine != 0x014C ? 0x014C : 0;
    *nativeMachine = gRun->nativeMachine;
    return TRUE;
}

HRESULT WINAPI GetMachineTypeAttributes(USHORT machine, MACHINE_ATTRIBUTES* attributes)
{
    Check(gRun != nullptr && gRun->hasMachineTypeAttributes && attributes != nullptr,
          "bad GetMachineTypeAttributes arguments");
    const bool runs = machine == 0x014C || machine == gRun->nativeMachine ||
                      (machine == 0x8664 && gRun->nativeMachine == 0xAA64 && gRun->x64Emulation);
    *attributes = static_cast<MACHINE_ATTRIBUTES>(runs ? UserEnabled : 0);
    return S_OK;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    Check(gRun != nullptr && module == kKernel32 && name != nullptr,
          "GetProcAddress outside kernel32");
    const std::string_view wanted(name);
    const auto exported = [](auto* function) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
    };
    if (wanted == "IsWow64Process")
        return exported(&IsWow64Process);
    if (wanted == "IsWow64Process2" && gRun->hasIsWow64Process2)
        return exported(&IsWow64Process2);
    if (wanted == "GetMachineTypeAttributes" && gRun->hasMachineTypeAttributes)
        return exported(&GetMachineTypeAttributes);
    Check(wanted == "IsWow64Process2" || wanted == "GetMachineTypeAttributes",
          "GetProcAddress for a call the launcher does not make");
    return nullptr;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    Check(gRun != nullptr && module == nullptr && fileName != nullptr && size > 0,
          "bad GetModuleFileNameW arguments");
    ++gRun->moduleNameQuestions;
    if (gRun->moduleNameCut) {
        // Windows XP fills the buffer and leaves the name unterminated.
        for (DWORD i = 0; i < size; ++i)
            fileName[i] = 'A';
        return size;
    }
    const std::string path = gOwnPath + "/autorun.exe";
    Check(path.size() < size, "the launcher's path does not fit its own buffer");
    for (std::size_t i = 0; i <= path.size(); ++i)
        fileName[i] = static_cast<unsigned char>(path.c_str()[i]);
    return static_cast<DWORD>(path.size());
}

BOOL WINAPI SetCurrentDirectoryW(LPCWSTR pathName)
{
    Check(gRun != nullptr, "SetCurrentDirectoryW outside a run");
    gRun->directoriesEntered.push_back(TextArgument(pathName, "SetCurrentDirectoryW: bad path"));
    const std::u16string& path = gRun->directoriesEntered.back();
    return chdir(std::string(path.begin(), path.end()).c_str()) == 0;
}

// --- libFuzzer's entry points ------------------------------------------------------------

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // "autorun.inf" is read from the current directory, so each input's file goes into a
    // private directory that the run steps into and out of; libFuzzer's own paths stay
    // relative to where it was started.
    // A file is written for every input: memory-backed /dev/shm, where there is one, is
    // many times faster than a disk.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/kova-launch-fuzz.XXXXXX";
    gHomeDirectory = open(".", O_RDONLY | O_DIRECTORY);
    if (gHomeDirectory < 0 || mkdtemp(pattern.data()) == nullptr)
        Fail("cannot make a working directory");
    gWorkPath = pattern;
    gWorkDirectory = open(gWorkPath.c_str(), O_RDONLY | O_DIRECTORY);
    if (gWorkDirectory < 0)
        Fail("cannot open the working directory");
    gOwnPath = gWorkPath + "/own";
    if (mkdir(gOwnPath.c_str(), 0700) != 0)
        Fail("cannot make the launcher's folder");
    std::atexit(RemoveWorkDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t header[11] = {};
    const std::size_t headerSize = size < sizeof header ? size : sizeof header;
    std::memcpy(header, data, headerSize);
    std::string_view rest(reinterpret_cast<const char*>(data) + headerSize, size - headerSize);

    Run run;
    run.openStatus = header[0] & 1 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    for (int i = 0; i < 3; ++i) {
        FakeValue& value = run.values[i];
        value.exists = i < 2 ? (header[0] & (2 << i)) != 0 : (header[7] & 1) != 0;
        value.type = i < 2 ? header[5 + i] : (header[7] & 4) != 0 ? REG_DWORD : REG_SZ;
        const std::size_t length =
            Little16(header + (i < 2 ? 1 + 2 * i : 8)) % (kMaxValueBytes + 1);
        value.bytes = std::string(rest.substr(0, length));
        rest.remove_prefix(value.bytes.size());
        if (!value.bytes.empty()) {
            const bool terminated = i < 2 ? (header[0] & (8 << i)) != 0 : (header[7] & 2) != 0;
            if (terminated)
                value.bytes.back() = '\0';
            else if (value.bytes.back() == '\0')
                value.bytes.back() = 'T';
        }
    }
    const bool hasFile = (header[0] & 32) == 0;
    run.needsElevation = (header[0] & 64) != 0;
    run.otherFailure = (header[0] & 128) != 0 && !run.needsElevation;
    run.nativeMachine = kNativeMachines[header[10] & 3];
    run.x64Emulation = (header[10] & 4) == 0;
    run.hasIsWow64Process2 = (header[10] & 8) == 0;
    run.hasMachineTypeAttributes = (header[10] & 16) == 0;
    run.fileInOwnFolder = (header[10] & 32) != 0;
    run.moduleNameCut = (header[10] & 64) != 0;

    if (fchdir(gWorkDirectory) != 0)
        Fail("cannot enter the working directory");
    // The file stands in the current folder, or only in the launcher's own, or nowhere.
    const std::string here = "autorun.inf";
    const std::string own = gOwnPath + "/autorun.inf";
    unlink(here.c_str());
    unlink(own.c_str());
    if (hasFile) {
        std::FILE* file = std::fopen((run.fileInOwnFolder ? own : here).c_str(), "wb");
        Check(file != nullptr, "cannot write autorun.inf");
        Check(std::fwrite(rest.data(), 1, rest.size(), file) == rest.size(), "short write");
        std::fclose(file);
    }
    gRun = &run;
    kova::XGAppCore* core = StartApplication();
    gRun = nullptr;
    if (fchdir(gHomeDirectory) != 0)
        Fail("cannot leave the working directory");

    Check(core == nullptr, "StartApplication returned a core");
    CheckDecision(run, rest, hasFile);
    return 0;
}
