#include "support/Errors.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "common/WinTestUtil.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace vdx;
using vdx::test::ScratchDir;

TEST(Utf, WidenNarrowRoundTrip) {
    const std::string s = "Gr\xC3\xBC\xC3\x9F"
                          "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(Narrow(Widen(s)), s);
    EXPECT_EQ(Widen("a\xC3\xA4"), L"a\u00e4");
    EXPECT_EQ(OemToUtf8(Utf8ToOem("plain ascii")), "plain ascii");
}

TEST(FileIo, AtomicWriteReplacesContentAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    const std::string f = dir / "vdx.inc";
    WriteFileAtomic(f, "old\r\n");
    WriteFileAtomic(f, "new\r\n");
    EXPECT_EQ(ReadFileBytes(f), "new\r\n");
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(WidePath(dir / "*.tmp").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

TEST(FileIo, AtomicWriteOnReadOnlyFileKeepsItAndRaises) {
    ScratchDir dir;
    const std::string f = dir / "tee.inc";
    test::WriteFile(f, "keep");
    test::SetAttributes(f, FILE_ATTRIBUTE_READONLY);
    try {
        WriteFileAtomic(f, "lost");
        FAIL() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + f + "\". ", 0), 0u)
            << e.what();
    }
    test::SetAttributes(f, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(f), "keep");
}

TEST(FileIo, MissingFileRaisesCannotOpen) {
    ScratchDir dir;
    EXPECT_THROW(ReadFileBytes(dir / "missing.txt"), FileError);
}

TEST(FileIo, LongAndNonAsciiPaths) {
    ScratchDir dir;
    std::string deep = dir.Path();
    for (int i = 0; i < 6; ++i) {
        deep += std::string(50, static_cast<char>('a' + i)) + "\xC3\xA4\\";
        test::MakeDir(deep);
    }
    ASSERT_GT(deep.size(), 300u);
    const std::string f = deep + "\xE6\x97\xA5\xE6\x9C\xAC.pas";
    WriteFileAtomic(f, "unit x;");
    EXPECT_TRUE(FileExists(f));
    EXPECT_EQ(ReadFileBytes(f), "unit x;");
}
