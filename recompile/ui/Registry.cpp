#include "ui/Registry.h"

#include "support/platform/Utf.h"

#include <algorithm>
#include <vector>

namespace vdx {

namespace {

std::wstring KeyPath(std::string_view path) {
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1); // "\Software\..." is absolute from the root key
    return Widen(path);
}

} // namespace

UniqueKey OpenKeyForReading(HKEY root, std::string_view path, REGSAM extraAccess) {
    UniqueKey key;
    if (RegOpenKeyExW(root, KeyPath(path).c_str(), 0, KEY_READ | extraAccess, key.put()) !=
        ERROR_SUCCESS)
        key.reset();
    return key;
}

UniqueKey CreateKeyForWriting(HKEY root, std::string_view path) {
    UniqueKey key;
    if (RegCreateKeyExW(root, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

std::string ReadStringValue(HKEY key, std::string_view name) {
    std::wstring wname = Widen(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return {};
        std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        LONG rc = RegQueryValueExW(key, wname.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buf.data()), &got);
        if (rc == ERROR_MORE_DATA)
            continue; // the value grew meanwhile
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return {};
        size_t chars = std::min<size_t>(got / sizeof(wchar_t), buf.size());
        std::wstring text(buf.data(), chars);
        size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos)
            text.resize(nul);
        return Narrow(text);
    }
    return {};
}

bool WriteStringValue(HKEY key, std::string_view name, std::string_view value) {
    std::wstring wvalue = Widen(value);
    return RegSetValueExW(
               key, Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wvalue.c_str()),
               static_cast<DWORD>((wvalue.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace vdx
