#include "SampleFiles.h"

#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"

#include <windows.h>

#include <stdexcept>

namespace vdx::sample {

std::string WithoutSeparator(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

void MakeFolders(const std::string& path) {
    std::string p = WithoutSeparator(path);
    for (size_t i = 0; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '\\')
            continue;
        std::string part = p.substr(0, i);
        // Skip the drive ("C:") and the server and share of a UNC path.
        bool uncHead = false;
        if (part.rfind("\\\\", 0) == 0) {
            size_t server = part.find('\\', 2);
            uncHead =
                server == std::string::npos || part.find('\\', server + 1) == std::string::npos;
        }
        if (part.empty() || part.back() == ':' || uncHead)
            continue;
        if (!CreateDirectoryW(WidePath(part).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("Cannot create folder " + part + ". " + LastErrorMessage());
    }
}

void PutFile(const std::string& path, std::string_view bytes, unsigned long attributes) {
    std::wstring w = WidePath(path);
    if (GetFileAttributesW(w.c_str()) != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
    UniqueFile f(CreateFileW(w.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        throw std::runtime_error("Cannot create file " + path + ". " + LastErrorMessage());
    DWORD wrote = 0;
    if (!bytes.empty() &&
        (!::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) ||
         wrote != bytes.size()))
        throw std::runtime_error("Cannot write file " + path + ". " + LastErrorMessage());
    f.reset();
    if (attributes)
        SetFileAttributesW(w.c_str(), attributes);
}

void CopyFileReplacing(const std::string& from, const std::string& to) {
    std::wstring w = WidePath(to);
    if (GetFileAttributesW(w.c_str()) != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileW(WidePath(from).c_str(), w.c_str(), FALSE))
        throw std::runtime_error("Cannot copy " + from + " to " + to + ". " + LastErrorMessage());
}

bool WildMatch(std::string_view name, std::string_view mask) {
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace vdx::sample
