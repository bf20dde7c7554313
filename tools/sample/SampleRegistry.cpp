#include "SampleRegistry.h"

#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <stdexcept>

namespace vdx::sample {

namespace {

struct KeyRow {
    int ver;
    const char* key;
};

// Package version number -> registry key of the environment.
constexpr KeyRow kKeys[] = {
    {7, "Software\\Borland\\Delphi\\7.0"},    {9, "Software\\Borland\\BDS\\3.0"},
    {10, "Software\\Borland\\BDS\\4.0"},      {11, "Software\\Borland\\BDS\\5.0"},
    {12, "SOFTWARE\\CodeGear\\BDS\\6.0"},     {14, "SOFTWARE\\CodeGear\\BDS\\7.0"},
    {15, "SOFTWARE\\Embarcadero\\BDS\\8.0"},  {16, "SOFTWARE\\Embarcadero\\BDS\\9.0"},
    {17, "SOFTWARE\\Embarcadero\\BDS\\10.0"}, {18, "SOFTWARE\\Embarcadero\\BDS\\11.0"},
    {19, "SOFTWARE\\Embarcadero\\BDS\\12.0"}, {20, "SOFTWARE\\Embarcadero\\BDS\\14.0"},
    {21, "SOFTWARE\\Embarcadero\\BDS\\15.0"}, {22, "SOFTWARE\\Embarcadero\\BDS\\16.0"},
    {23, "SOFTWARE\\Embarcadero\\BDS\\17.0"}, {24, "SOFTWARE\\Embarcadero\\BDS\\18.0"},
    {25, "SOFTWARE\\Embarcadero\\BDS\\19.0"}, {26, "SOFTWARE\\Embarcadero\\BDS\\20.0"},
    {27, "SOFTWARE\\Embarcadero\\BDS\\21.0"}, {28, "SOFTWARE\\Embarcadero\\BDS\\22.0"},
};

UniqueKey CreateKey32(std::string_view key) {
    UniqueKey k;
    LONG rc =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WOW64_32KEY | KEY_WRITE, nullptr, k.put(), nullptr);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("Cannot create registry key HKLM\\" + std::string(key) + ". " +
                                 SysErrorMessage(static_cast<unsigned long>(rc)));
    return k;
}

void SetString(std::string_view key, std::string_view name, const std::string& value) {
    UniqueKey k = CreateKey32(key);
    std::wstring w = Widen(value);
    LONG rc = RegSetValueExW(k.get(), Widen(name).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(w.c_str()),
                             static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("Cannot write registry value " + std::string(name) + " of HKLM\\" +
                                 std::string(key) + ". " +
                                 SysErrorMessage(static_cast<unsigned long>(rc)));
}

void DeleteValue(std::string_view key, std::string_view name) {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, KEY_WOW64_32KEY | KEY_SET_VALUE,
                      k.put()) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(k.get(), Widen(name).c_str());
}

} // namespace

std::string CompilerRegistryKey(int ver) {
    for (const KeyRow& row : kKeys)
        if (row.ver == ver)
            return row.key;
    throw std::invalid_argument("no environment has the package version " + std::to_string(ver));
}

std::string CompilerKeyVersion(int ver) {
    std::string key = CompilerRegistryKey(ver);
    return key.substr(key.find_last_of('\\') + 1);
}

void RegisterCompiler(int ver, const std::string& rootDir) {
    SetString(CompilerRegistryKey(ver), "RootDir", rootDir);
}

void UnregisterCompiler(int ver) {
    DeleteValue(CompilerRegistryKey(ver), "RootDir");
}

void WriteShellFolder(std::string_view valueName, const std::string& path) {
    SetString(ShellFoldersKey, valueName, path);
}

void DeleteShellFolder(std::string_view valueName) {
    DeleteValue(ShellFoldersKey, valueName);
}

std::optional<std::string> ReadMachineString32(std::string_view key, std::string_view valueName) {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, KEY_WOW64_32KEY | KEY_READ,
                      k.put()) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring name = Widen(valueName);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    buf.resize(size / sizeof(wchar_t));
    while (!buf.empty() && buf.back() == L'\0')
        buf.pop_back();
    return Narrow(buf);
}

} // namespace vdx::sample
