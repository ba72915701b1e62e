/// The registry views of 64-bit Windows as the stand-in plays them.
#include "platform/posix/src/RegistryView.h"

#include <gtest/gtest.h>

namespace kova::posix {
namespace {

TEST(RegistryView, EachProcessSeesItsView)
{
    const REGSAM query = KEY_QUERY_VALUE;
    const REGSAM view64 = KEY_QUERY_VALUE | KEY_WOW64_64KEY;
    const REGSAM view32 = KEY_QUERY_VALUE | KEY_WOW64_32KEY;
    const ProcessKind One = ProcessKind::OneView;
    const ProcessKind P32 = ProcessKind::Process32;
    const ProcessKind P64 = ProcessKind::Process64;
    const struct {
        std::u16string path;
        REGSAM desired;
        ProcessKind kind;
        std::u16string seen;
    } cases[] = {
        // Below HKEY_LOCAL_MACHINE\Software, whatever the case of the names.
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker\\Product", query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Maker\\Product"},
        {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker", view32, P32,
         u"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker", view64, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{X}", query,
         P32,
         u"HKEY_LOCAL_"
         u"MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{X}"},
        // Without the mode, or outside the redirected places, nothing moves.
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker", query, One,
         u"HKEY_LOCAL_MACHINE\\Software\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker", view32, One,
         u"HKEY_LOCAL_MACHINE\\Software\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software", query, P32, u"HKEY_LOCAL_MACHINE\\Software"},
        {u"HKEY_LOCAL_MACHINE\\System\\Setup", query, P32, u"HKEY_LOCAL_MACHINE\\System\\Setup"},
        {u"HKEY_CURRENT_USER\\Software\\Maker", query, P32, u"HKEY_CURRENT_USER\\Software\\Maker"},
        {u"HKEY_USERS\\.DEFAULT\\Software\\Maker", query, P32,
         u"HKEY_USERS\\.DEFAULT\\Software\\Maker"},
        // A key already in the 32-bit view, and the keys the views share.
        {u"HKEY_LOCAL_MACHINE\\Software\\wow6432node\\Maker", query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\wow6432node\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe",
         query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Policies\\Maker", query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\Policies\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\PoliciesOther", query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\PoliciesOther"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt", query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt"},
        // The COM keys of the class registries have views of their own.
        {u"HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}", query, P32,
         u"HKEY_LOCAL_MACHINE\\Software\\Classes\\WOW6432Node\\CLSID\\{X}"},
        {u"HKEY_CURRENT_USER\\Software\\Classes\\Interface\\{X}", query, P32,
         u"HKEY_CURRENT_USER\\Software\\Classes\\WOW6432Node\\Interface\\{X}"},
        {u"HKEY_CLASSES_ROOT\\Media Type\\{X}", query, P32,
         u"HKEY_CLASSES_ROOT\\WOW6432Node\\Media Type\\{X}"},
        {u"HKEY_CLASSES_ROOT\\CLSID", view64, P32, u"HKEY_CLASSES_ROOT\\CLSID"},
        {u"HKEY_CLASSES_ROOT\\txtfile", query, P32, u"HKEY_CLASSES_ROOT\\txtfile"},
        // A 64-bit process sees the 32-bit view only when it asks for it.
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker", query, P64,
         u"HKEY_LOCAL_MACHINE\\Software\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker", view64, P64,
         u"HKEY_LOCAL_MACHINE\\Software\\Maker"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Maker", view32, P64,
         u"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Maker"},
    };
    for (const auto& c : cases) {
        const std::u16string seen = ViewKeyPath(c.path, c.desired, c.kind);
        EXPECT_TRUE(seen == c.seen) << std::string(c.path.begin(), c.path.end()) << " -> "
                                    << std::string(seen.begin(), seen.end());
    }
}

} // namespace
} // namespace kova::posix
