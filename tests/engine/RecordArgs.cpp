// Records how it was started: appends its current folder and its whole
// command line, separated by a tab and ended by CR LF (UTF-8), to calls.log
// next to itself. Stands in for the resource-unit converter in driver tests.

#include <windows.h>

#include <string>

static std::string Utf8(const std::wstring& w) {
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

int wmain() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring log(self, n);
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"calls.log";
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string line = Utf8(cwd) + "\t" + Utf8(GetCommandLineW()) + "\r\n";
    HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 1;
    DWORD wrote = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
    CloseHandle(f);
    DWORD out = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "recorded\r\n", 10, &out, nullptr);
    return 0;
}
