// Deployment copies with a record of the copies made during one request.

#include "common/WinTestUtil.h"
#include "engine/Deployment.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace vdx;
using namespace vdx::test;

namespace {

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetWriteTime(const std::string& path, FILETIME time) {
    UniqueFile f(CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                             0, nullptr));
    SetFileTime(f.get(), nullptr, nullptr, &time);
}

} // namespace

TEST(Deployment, CopiesWhatIsMissingOrChangedAndNothingElse) {
    ScratchDir d("deploy");
    const std::string pkg = d / "LibD28\\", bpl = d / "BPL\\", dcp = d / "DCP\\";
    MakeDir(pkg);
    MakeDir(bpl);
    MakeDir(dcp);
    WriteFile(pkg + "a.bpl", "A1");
    WriteFile(pkg + "b.bpl", "B1");
    WriteFile(pkg + "a.dcp", "a");
    WriteFile(pkg + "h.bpl", "hidden");
    SetAttributes(pkg + "h.bpl", FILE_ATTRIBUTE_HIDDEN);
    const std::vector<DeployCopy> copies = {
        {d / "BPL", "*.bpl"}, {d / "DCP", "*.dcp"}, {d / "Missing", "*.bpl"}};
    DeployRecord record;

    DeployFiles(pkg, copies, &record);
    EXPECT_EQ(ReadFile(bpl + "a.bpl"), "A1");
    EXPECT_EQ(ReadFile(bpl + "b.bpl"), "B1");
    EXPECT_EQ(ReadFile(dcp + "a.dcp"), "a");
    EXPECT_FALSE(Exists(bpl + "a.dcp"));
    EXPECT_FALSE(Exists(bpl + "h.bpl"));
    EXPECT_FALSE(Exists(d / "Missing"));

    // A copy changed or removed behind the record's back is made again.
    WriteFile(bpl + "a.bpl", "changed");
    DeleteFileW(Widen(bpl + "b.bpl").c_str());
    DeployFiles(pkg, copies, &record);
    EXPECT_EQ(ReadFile(bpl + "a.bpl"), "A1");
    EXPECT_EQ(ReadFile(bpl + "b.bpl"), "B1");

    // A package file built again is copied again, even when size and time
    // stamp look the same (coarse file-system clocks): the compile action
    // forgets the copies of the package it has just built.
    FILETIME before = WriteTime(pkg + "a.bpl");
    WriteFile(pkg + "a.bpl", "A2");
    SetWriteTime(pkg + "a.bpl", before);
    record.ForgetSources(pkg + "a.");
    DeployFiles(pkg, copies, &record);
    EXPECT_EQ(ReadFile(bpl + "a.bpl"), "A2");

    // A newer package file with a new time stamp is copied without help.
    WriteFile(pkg + "b.bpl", "B2");
    FILETIME later = WriteTime(pkg + "b.bpl");
    later.dwHighDateTime += 1;
    SetWriteTime(pkg + "b.bpl", later);
    DeployFiles(pkg, copies, &record);
    EXPECT_EQ(ReadFile(bpl + "b.bpl"), "B2");
}
