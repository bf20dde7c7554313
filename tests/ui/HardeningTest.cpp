// The start-up hardening of a program that is run as administrator: after it,
// a DLL beside the program (or in the current folder) is no longer loaded by
// its bare name; system DLLs still are.

#include "ui/Startup.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(Hardening, DllsAreSearchedInSystem32Only) {
    HMODULE probe = LoadLibraryW(L"vdx_probe.dll");
    ASSERT_NE(probe, nullptr) << "the probe lies beside the test program";
    FreeLibrary(probe);

    ASSERT_TRUE(vdx::RestrictDllSearchToSystem32());

    EXPECT_EQ(LoadLibraryW(L"vdx_probe.dll"), nullptr);
    HMODULE system = LoadLibraryW(L"version.dll");
    EXPECT_NE(system, nullptr);
    if (system)
        FreeLibrary(system);
}
