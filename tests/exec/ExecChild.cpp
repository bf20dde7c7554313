// A small console program for the process-runner and batch tests. It works
// through its arguments in order:
//   sleep <ms>        sleeps
//   out <text>        writes text and CR LF to standard output
//   err <text>        writes text and CR LF to standard error
//   echo-stdin        copies standard input to standard output
//   pid <file>        writes its process id to <file>
//   title <file>      writes its console window's title to <file>
//   visible <file>    writes 1 or 0: whether its console window is visible
//   console <file>    writes 1 when its console window can be found by its title
// Files are written under a temporary name and then renamed, so a reader never
// sees half a file.

#include <windows.h>

#include <string>

namespace {

void Put(DWORD which, const std::wstring& text) {
    int n = WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
    bytes += "\r\n";
    DWORD wrote = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
}

void WriteWhole(const std::wstring& path, const std::string& bytes) {
    std::wstring temp = path + L".part";
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD wrote = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(f);
    MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string Utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

std::wstring ConsoleTitle() {
    wchar_t title[256] = {};
    GetConsoleTitleW(title, 256);
    return title;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        std::wstring cmd = argv[i];
        std::wstring arg = i + 1 < argc ? argv[i + 1] : L"";
        if (cmd == L"sleep") {
            Sleep(static_cast<DWORD>(_wtoi(arg.c_str())));
            ++i;
        } else if (cmd == L"out") {
            Put(STD_OUTPUT_HANDLE, arg);
            ++i;
        } else if (cmd == L"err") {
            Put(STD_ERROR_HANDLE, arg);
            ++i;
        } else if (cmd == L"echo-stdin") {
            char buf[4096];
            DWORD got = 0, wrote = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buf, sizeof buf, &got, nullptr) &&
                   got > 0)
                WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), buf, got, &wrote, nullptr);
        } else if (cmd == L"pid") {
            WriteWhole(arg, std::to_string(GetCurrentProcessId()));
            ++i;
        } else if (cmd == L"title") {
            WriteWhole(arg, Utf8(ConsoleTitle()));
            ++i;
        } else if (cmd == L"visible") {
            HWND w = GetConsoleWindow();
            WriteWhole(arg, w && IsWindowVisible(w) ? "1" : "0");
            ++i;
        } else if (cmd == L"console") {
            HWND w = FindWindowW(nullptr, ConsoleTitle().c_str());
            WriteWhole(arg, w ? "1" : "0");
            ++i;
        }
    }
    return 0;
}
