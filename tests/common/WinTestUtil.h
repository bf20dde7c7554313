#pragma once
// Helpers for tests that run under Wine: scratch folders and file fixtures.

#include <string>
#include <string_view>

namespace vdx::test {

// A fresh, empty folder below the test temp folder, removed (with everything
// inside) when the object goes away. Path() ends in a backslash.
class ScratchDir {
public:
    explicit ScratchDir(std::string_view tag = "t");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(std::string_view rel) const { return path_ + std::string(rel); }

private:
    std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path); // "" when missing
bool Exists(const std::string& path);
void MakeDir(const std::string& path);
void SetAttributes(const std::string& path, unsigned long attrs);
void RemoveTree(const std::string& path);

// Windows form of a folder of the source or build tree (VDX_SOURCE_DIR, VDX_BINARY_DIR).
std::string SourceDir();
std::string BinaryDir();

} // namespace vdx::test
