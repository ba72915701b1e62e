/// advapi32's read-only registry calls over the registry loaded from a ".reg" file. Names
/// and string data cross the "A" calls in the ANSI code page and the "W" calls in UTF-16.
#include "Registry.h"

#include "CallRecord.h"
#include "CodePage.h"
#include "RegFile.h"
#include "RegistryView.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace kova::posix {

namespace {

/// RegOpenKeyExA turns its sub-key into UTF-16 in a buffer of the thread's that holds 260
/// characters; a longer one fails with ERROR_MORE_DATA, as with Wine.
constexpr std::size_t MaxAnsiSubKey = 260;

/// Open keys get handles counted up from here in steps of four, as Windows hands out
/// handles; they never meet the roots' values, which have the top bit set.
constexpr ULONG_PTR FirstKeyHandle = 0x100;

/// The loaded registry and the keys opened in it. Any thread may call the registry, so
/// one lock guards both.
struct RegistryState {
    std::mutex lock;
    std::optional<RegTree> tree;
    std::map<ULONG_PTR, std::u16string> openKeys;
    ULONG_PTR nextHandle = FirstKeyHandle;
};

/// NOTE: never destroyed, so that destructors of other globals can still close keys.
RegistryState& State()
{
    static RegistryState* const state = new RegistryState;
    return *state;
}

std::optional<std::string> ReadWholeFile(const char* path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file)
        return std::nullopt;
    std::string bytes;
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.append(chunk, count);
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
}

/// The tree as `reg import /reg:32` leaves it on 64-bit Windows: every key that has a view
/// of its own goes to the 32-bit one.
RegTree ImportedInto32BitView(RegTree tree)
{
    RegTree viewed = EmptyRegistry();
    for (auto& [path, values] : tree.keys) {
        const std::u16string target = ViewKeyPath(path, KEY_WOW64_32KEY, ProcessKind::Process64);
        // An import creates every key on the way down, so each parent exists too.
        for (std::size_t at = target.find(u'\\'); at != std::u16string::npos;
             at = target.find(u'\\', at + 1))
            viewed.keys.try_emplace(target.substr(0, at));
        viewed.keys[target].merge(values);
    }
    return viewed;
}

RegTree LoadRegistry()
{
    const char* path = std::getenv("KOVA_REGISTRY");
    if (!path || !*path)
        return EmptyRegistry();
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes)
        return EmptyRegistry();
    // KOVA_REGISTRY_VIEW=32: the file was imported into the 32-bit view of 64-bit Windows.
    const char* view = std::getenv("KOVA_REGISTRY_VIEW");
    RegTree tree = ParseRegFile(*bytes);
    return view && std::string_view(view) == "32" ? ImportedInto32BitView(std::move(tree)) : tree;
}

/// What the "A" query hands out: the string types in the code page, others as kept.
std::string AnsiData(const RegValue& value)
{
    if (!IsStringType(value.type))
        return value.data;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(value.data[i]) |
                                      static_cast<unsigned char>(value.data[i + 1]) << 8);
    return WideToAnsi(text);
}

const RegTree& Tree(RegistryState& state)
{
    if (!state.tree)
        state.tree = LoadRegistry();
    return *state.tree;
}

/// The full path of a root or an open key; nothing for any other handle.
std::optional<std::u16string> KeyPath(const RegistryState& state, HKEY key)
{
    if (const std::u16string_view root = RootName(key); !root.empty())
        return std::u16string(root);
    const auto open = state.openKeys.find(reinterpret_cast<ULONG_PTR>(key));
    if (open == state.openKeys.end())
        return std::nullopt;
    return open->second;
}

} // namespace

void ReloadRegistry()
{
    RegistryState& state = State();
    const std::lock_guard guard(state.lock);
    state.tree = LoadRegistry();
}

} // namespace kova::posix

using namespace kova::posix;

/// The sub-key of an "A" call, or why it cannot be one.
static std::optional<std::u16string> AnsiSubKey(LPCSTR subKey)
{
    const std::string_view name = subKey ? subKey : "";
    if (name.size() > MaxAnsiSubKey)
        return std::nullopt;
    return AnsiToWide(name);
}

static std::u16string WideName(LPCWSTR name)
{
    return name ? std::u16string(name) : std::u16string();
}

static LONG OpenKey(HKEY key, const std::optional<std::u16string>& subKey, REGSAM desired,
                    PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    RegistryState& state = State();
    const std::lock_guard guard(state.lock);
    std::optional<std::u16string> path = KeyPath(state, key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    if (!subKey)
        return ERROR_MORE_DATA;
    path = JoinKeyPath(std::move(*path), *subKey);
    if (!path)
        return ERROR_BAD_PATHNAME;
    path = ViewKeyPath(*path, desired, CurrentProcessKind());
    if (!Tree(state).keys.contains(*path))
        return ERROR_FILE_NOT_FOUND;

    // An empty sub-key opens a new handle to the same key, as Windows documents.
    const ULONG_PTR handle = state.nextHandle;
    state.openKeys.emplace(handle, std::move(*path));
    state.nextHandle += 4;
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

/// The "A" query hands out the string types in the code page, the "W" one as kept.
enum class DataForm { Ansi, Wide };

static LONG QueryValue(HKEY key, const std::u16string& valueName, DataForm form, LPDWORD reserved,
                       LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    RegistryState& state = State();
    const std::lock_guard guard(state.lock);
    const std::optional<std::u16string> path = KeyPath(state, key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    const RegTree& tree = Tree(state);
    const auto found = tree.keys.find(*path);
    // Only a reload can take an open key away.
    if (found == tree.keys.end())
        return ERROR_KEY_DELETED;
    const auto value = found->second.find(valueName);
    if (value == found->second.end())
        return ERROR_FILE_NOT_FOUND;

    if (type)
        *type = value->second.type;
    if (!dataSize)
        return ERROR_SUCCESS;
    const std::string bytes = form == DataForm::Ansi ? AnsiData(value->second) : value->second.data;
    const auto needed = static_cast<DWORD>(bytes.size());
    if (data) {
        if (needed > *dataSize) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.data(), needed);
    }
    *dataSize = needed;
    return ERROR_SUCCESS;
}

static LONG CloseKey(HKEY key)
{
    // Closing a root is allowed and changes nothing.
    if (!RootName(key).empty())
        return ERROR_SUCCESS;
    RegistryState& state = State();
    const std::lock_guard guard(state.lock);
    return state.openKeys.erase(reinterpret_cast<ULONG_PTR>(key)) ? ERROR_SUCCESS
                                                                  : ERROR_INVALID_HANDLE;
}

// The entry points, each recorded when a record of the calls is kept.

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    return CallRecord::Returned("RegOpenKeyExA", OpenKey(key, AnsiSubKey(subKey), desired, result),
                                key, CallRecord::Text{subKey}, options, desired,
                                CallRecord::Out<HKEY>{result});
}

LONG WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    return CallRecord::Returned("RegOpenKeyExW", OpenKey(key, WideName(subKey), desired, result),
                                key, CallRecord::WideText{subKey}, options, desired,
                                CallRecord::Out<HKEY>{result});
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize)
{
    const LONG status = QueryValue(key, AnsiToWide(valueName ? valueName : ""), DataForm::Ansi,
                                   reserved, type, data, dataSize);
    return CallRecord::Returned("RegQueryValueExA", status, key, CallRecord::Text{valueName},
                                reserved, CallRecord::Out<DWORD>{type}, CallRecord::Buffer{data},
                                CallRecord::Out<DWORD>{dataSize});
}

LONG WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize)
{
    const LONG status =
        QueryValue(key, WideName(valueName), DataForm::Wide, reserved, type, data, dataSize);
    return CallRecord::Returned("RegQueryValueExW", status, key, CallRecord::WideText{valueName},
                                reserved, CallRecord::Out<DWORD>{type}, CallRecord::Buffer{data},
                                CallRecord::Out<DWORD>{dataSize});
}

LONG WINAPI RegCloseKey(HKEY key)
{
    return CallRecord::Returned("RegCloseKey", CloseKey(key), key);
}
