#include "common/WinTestUtil.h"

#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace vdx::test {

namespace {
std::string UnixToWindows(const char* unixPath) {
    std::string p = unixPath ? unixPath : "";
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return "Z:" + p + "\\";
}
} // namespace

ScratchDir::ScratchDir(std::string_view tag) {
    static std::atomic<unsigned> counter{0};
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path_ = Narrow(tmp) + "vdxtest-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++) + "-" + std::string(tag) + "\\";
    RemoveTree(path_);
    MakeDir(path_);
}

ScratchDir::~ScratchDir() {
    RemoveTree(path_);
}

void WriteFile(const std::string& path, std::string_view bytes) {
    UniqueFile f(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        throw std::runtime_error("test: cannot write " + path);
    DWORD wrote = 0;
    if (!bytes.empty())
        ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
}

std::string ReadFile(const std::string& path) {
    if (!FileExists(path))
        return {};
    return ReadFileBytes(path);
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDir(const std::string& path) {
    CreateDirectoryW(WidePath(path).c_str(), nullptr);
}

void SetAttributes(const std::string& path, unsigned long attrs) {
    SetFileAttributesW(WidePath(path).c_str(), attrs);
}

void RemoveTree(const std::string& path) {
    std::string dir = path;
    if (!dir.empty() && dir.back() != '\\')
        dir += '\\';
    WIN32_FIND_DATAW fd;
    UniqueFind h(FindFirstFileW(WidePath(dir + "*").c_str(), &fd));
    if (h) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::string full = dir + Narrow(name);
            SetFileAttributesW(WidePath(full).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(WidePath(full).c_str());
        } while (FindNextFileW(h.get(), &fd));
    }
    h.reset();
    RemoveDirectoryW(WidePath(dir).c_str());
}

std::string SourceDir() {
    return UnixToWindows(std::getenv("VDX_SOURCE_DIR"));
}
std::string BinaryDir() {
    return UnixToWindows(std::getenv("VDX_BINARY_DIR"));
}

} // namespace vdx::test
