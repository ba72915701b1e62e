/// advapi32's registry calls over a registry read from KOVA_REGISTRY.
#include "platform/posix/src/CodePage.h"
#include "platform/posix/src/Registry.h"
#include "tests/platform/posix/TempDirectory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace kova::posix {
namespace {

using namespace std::literals;

/// Points KOVA_REGISTRY at a file of the test's own, and back at nothing afterwards.
class Registry : public testing::Test {
protected:
    void Use(const std::string& text)
    {
        setenv("KOVA_REGISTRY", fDirectory.Write("test.reg", text).c_str(), 1);
        ReloadRegistry();
    }

    void TearDown() override
    {
        unsetenv("KOVA_REGISTRY");
        unsetenv("KOVA_CODEPAGE");
        ReloadAnsiCodePage();
        ReloadRegistry();
    }

    /// The bytes RegQueryValueExA gives for a value that must exist.
    static std::string Query(HKEY key, const char* name)
    {
        char data[256];
        DWORD size = sizeof data;
        const LONG result =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &size);
        EXPECT_EQ(result, ERROR_SUCCESS) << name;
        return result == ERROR_SUCCESS ? std::string(data, size) : std::string();
    }

    /// Opens a key that must exist; closed when the test ends.
    HKEY Open(HKEY root, const char* subKey)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS) << subKey;
        return key;
    }

    test::TempDirectory fDirectory;
};

constexpr const char* Product = "Windows Registry Editor Version 5.00\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product]\n"
                                "\"AppPath\"=\"C:\\\\Apps\\\\app.exe /s\"\n"
                                "\"Count\"=dword:00000003\n"
                                "@=\"default\"\n";

TEST_F(Registry, KeysAndValuesAreFoundWhateverTheCase)
{
    Use(Product);
    for (const char* path : {"Software\\Vendor\\Product", "SOFTWARE\\vendor\\pRODUCT",
                             "software\\\\Vendor\\Product\\"}) {
        HKEY key = Open(HKEY_LOCAL_MACHINE, path);
        for (const char* name : {"AppPath", "apppath", "APPPATH"}) {
            char data[64];
            DWORD size = sizeof data;
            DWORD type = REG_NONE;
            ASSERT_EQ(
                RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size),
                ERROR_SUCCESS);
            EXPECT_EQ(type, DWORD{REG_SZ});
            EXPECT_EQ(std::string(data, size), "C:\\Apps\\app.exe /s\0"s);
        }
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
}

TEST_F(Registry, NamesAndTextCrossTheCallsInTheCodePage)
{
    // One UTF-16 export read through two code pages: a name given in the code page's bytes,
    // in any case, finds its key or value, and text comes back in the code page's bytes,
    // with Windows' best fit for what the code page lacks.
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Société]\r\n"
                                u"\"Müller\"=\"Zoë € Łódź\"\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Kova\\Продукт]\r\n"
                                u"\"Путь\"=\"Москва Łódź\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    const struct {
        const char* codePage;
        const char* key;
        const char* name; ///< null: the key must not open
        std::string_view data;
    } cases[] = {
        {"1252", "SOFTWARE\\SOCI\xC9T\xC9", "m\xFCller",
         "Zo\xEB \x80 L\xF3"
         "dz\0"sv},
        {"1252", "Software\\Societe", nullptr, {}},
        {"1252", "Software\\Kova\\\xCF\xD0\xCE\xC4\xD3\xCA\xD2", nullptr, {}},
        {"1251", "Software\\Kova\\\xCF\xD0\xCE\xC4\xD3\xCA\xD2", "\xEF\xF3\xF2\xFC",
         "\xCC\xEE\xF1\xEA\xE2\xE0 Lodz\0"sv},
        {"1251", "Software\\Soci\xE9t\xE9", nullptr, {}},
    };
    for (const auto& c : cases) {
        setenv("KOVA_CODEPAGE", c.codePage, 1);
        ReloadAnsiCodePage();
        Use(bytes);
        HKEY key = nullptr;
        const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, c.key, 0, KEY_QUERY_VALUE, &key);
        if (!c.name) {
            EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND) << c.codePage << " " << c.key;
            continue;
        }
        ASSERT_EQ(opened, ERROR_SUCCESS) << c.codePage << " " << c.key;
        EXPECT_EQ(Query(key, c.name), c.data) << c.codePage;
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, c.data.size());
        RegCloseKey(key);
    }
}

/// The "W" calls lose nothing: names in UTF-16 of any script, string data as the registry
/// keeps it, and other data as it is, which the "A" query hands out alike.
TEST_F(Registry, WideCallsTakeAndGiveUtf16)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Kova\\Продукт Łódź 鬼]\r\n"
                                u"\"Путь\"=\"C:\\\\Users\\\\鬼\\\\app.exe\"\r\n"
                                u"\"Bytes\"=hex:61,62,63\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    Use(bytes);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\kova\\продукт łÓdŹ 鬼", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kova\\Продукт Lodz 鬼", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND)
        << "no best fit on the way in";
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kova\\Продукт Łódź 鬼", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    char16_t data[32] = {};
    DWORD type = REG_NONE;
    DWORD size = 10;
    EXPECT_EQ(RegQueryValueExW(key, u"путь", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof u"C:\\Users\\鬼\\app.exe");
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(key, u"путь", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(std::u16string(data), u"C:\\Users\\鬼\\app.exe");
    size = sizeof data;
    ASSERT_EQ(
        RegQueryValueExW(key, u"Bytes", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD{REG_BINARY});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "abc");
    RegCloseKey(key);
}

TEST_F(Registry, ParentsOpenAndAnEmptySubKeyOpensTheKeyItself)
{
    Use(Product);
    HKEY vendor = Open(HKEY_LOCAL_MACHINE, "Software\\Vendor");
    HKEY product = Open(vendor, "Product");
    HKEY again = Open(product, "");
    HKEY root = Open(HKEY_LOCAL_MACHINE, nullptr);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(again, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u); // "default" and its terminator
    EXPECT_EQ(RegQueryValueExA(again, "", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    HKEY viaRoot = Open(root, "Software\\Vendor\\Product");
    for (HKEY key : {vendor, product, again, root, viaRoot})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(Registry, OpeningFailsAsWindowsDoes)
{
    Use(Product);
    HKEY key = HKEY_CURRENT_USER;
    EXPECT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Other", 0, KEY_QUERY_VALUE, &key),
        ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Vendor", 0, KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_QUERY_VALUE, &key),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(0x1234), "Software", 0, KEY_QUERY_VALUE, &key),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_QUERY_VALUE, nullptr),
              ERROR_INVALID_PARAMETER);
    // The "A" call converts at most 260 characters of a sub-key.
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("Software\\" + std::string(251, 'x')).c_str(), 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("Software\\" + std::string(252, 'x')).c_str(), 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_MORE_DATA);

    HKEY closed = Open(HKEY_LOCAL_MACHINE, "Software");
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(closed, "x", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(closed, "Vendor", 0, KEY_QUERY_VALUE, &key), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, QueryWritesOnlyWhatFits)
{
    Use(Product);
    HKEY key = Open(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product");
    constexpr std::string_view stored = "C:\\Apps\\app.exe /s\0"sv;
    unsigned char data[32];
    std::memset(data, 0xAA, sizeof data);
    DWORD type = REG_NONE;

    DWORD size = stored.size() - 1;
    EXPECT_EQ(RegQueryValueExA(key, "AppPath", nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, stored.size());
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_TRUE(
        std::all_of(std::begin(data), std::end(data), [](unsigned char b) { return b == 0xAA; }));

    size = stored.size();
    ASSERT_EQ(RegQueryValueExA(key, "AppPath", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string_view(reinterpret_cast<char*>(data), size), stored);
    EXPECT_EQ(data[stored.size()], 0xAA);

    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, DWORD{REG_DWORD});

    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, data, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, sizeof data);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Count", &reserved, nullptr, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, nullptr, data, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, UnsetOrMissingFileGivesOnlyTheRoots)
{
    for (bool missing : {false, true}) {
        if (missing)
            setenv("KOVA_REGISTRY", (fDirectory.Path() / "absent.reg").c_str(), 1);
        else
            unsetenv("KOVA_REGISTRY");
        ReloadRegistry();
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                          HKEY_CURRENT_CONFIG}) {
            HKEY key = Open(root, "");
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
            EXPECT_EQ(RegQueryValueExA(root, nullptr, nullptr, nullptr, nullptr, nullptr),
                      ERROR_FILE_NOT_FOUND);
        }
        HKEY key;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_QUERY_VALUE, &key),
                  ERROR_FILE_NOT_FOUND);
    }
}

TEST_F(Registry, AReloadReachesKeysAlreadyOpen)
{
    Use(Product);
    HKEY product = Open(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product");
    HKEY software = Open(HKEY_LOCAL_MACHINE, "Software");
    Use("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n\"New\"=dword:1\n");
    EXPECT_EQ(RegQueryValueExA(software, "New", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(product, "AppPath", nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    RegCloseKey(product);
    RegCloseKey(software);
}

} // namespace
} // namespace kova::posix
