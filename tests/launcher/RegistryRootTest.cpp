#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <gtest/gtest.h>

namespace {

using namespace autorun;

TEST(RegistryRoot, WholeNamesOnly)
{
    const struct {
        const char* name;
        HKEY root;
    } cases[] = {
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE ", HKEY_CURRENT_USER},
        {" HKEY_LOCAL_MACHINE", HKEY_CURRENT_USER},
        {"hkey_local_machine", HKEY_CURRENT_USER},
        {"HKLM", HKEY_CURRENT_USER},
        {"HKEY_USERS\\S-1-5-18", HKEY_CURRENT_USER},
        {"HKEY_USER", HKEY_CURRENT_USER},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegistryRoot(c.name), c.root) << '"' << c.name << '"';
    }
}

TEST(RegistryRoot, RootValues)
{
    // The roots are the predefined handles Windows documents.
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(RegistryRoot("HKEY_USERS"))),
              0x80000003u);
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(RegistryRoot("x"))), 0x80000001u);
}

TEST(RegistryTables, EachEntryReadsBothWays)
{
    for (const RegistryRootEntry& root : kRegistryRoots) {
        EXPECT_EQ(RegistryRoot(root.name), root.key) << root.name;
        EXPECT_STREQ(RootName(root.key), root.name);
    }
    for (const RegistryViewEntry& view : kRegistryViews) {
        EXPECT_EQ(&RegistryViewOf(view.setting), &view) << view.id;
        EXPECT_EQ(&RegistryViewOf(RegistryAccess(view.setting)), &view) << view.id;
    }
}

TEST(RegistryAccess, OnlyTheExactViewsChangeTheAccess)
{
    const struct {
        const char* view;
        REGSAM access;
    } cases[] = {
        {"64", 0x0101},  {"32", 0x0201}, {"", 0x0001},    {"64 ", 0x0001},
        {"x64", 0x0001}, {"6", 0x0001},  {"064", 0x0001}, {"32bit", 0x0001},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegistryAccess(c.view), c.access) << '"' << c.view << '"';
    }
}

} // namespace
