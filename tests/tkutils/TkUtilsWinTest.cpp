#include "common/WinTestUtil.h"
#include "support/Errors.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace vdx;
using vdx::test::ScratchDir;
using Names = std::set<std::string>;

namespace {

// Every entry of a folder, hidden and system ones included ("name/" for folders).
Names Entries(const std::string& folder) {
    Names names;
    WIN32_FIND_DATAW fd;
    UniqueFind h(FindFirstFileW(WidePath(folder + "*").c_str(), &fd));
    if (!h)
        return names;
    do {
        std::string n = Narrow(fd.cFileName);
        if (n == "." || n == "..")
            continue;
        names.insert((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? n + "/" : n);
    } while (FindNextFileW(h.get(), &fd));
    return names;
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(WidePath(path).c_str());
}

ULONGLONG WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data);
    return (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

void SetOldWriteTime(const std::string& path) {
    UniqueFile f(CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    SYSTEMTIME st{2001, 1, 0, 1, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(f.get(), nullptr, nullptr, &ft);
}

// Opened for reading without any sharing, as a running program may hold it.
UniqueFile HoldExclusively(const std::string& path) {
    return UniqueFile(
        CreateFileW(WidePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

// A source folder with every kind of entry the mask operations meet.
void MakeMixedFolder(const std::string& dir) {
    test::WriteFile(dir + "a.pas", "unit a;");
    test::WriteFile(dir + "b.dfm", "object b");
    test::WriteFile(dir + "c.dcu", "dcu");
    test::WriteFile(dir + "d.BAK", "bak");
    test::WriteFile(dir + "README", "no extension");
    test::WriteFile(dir + "ro.pas", "read-only");
    test::SetAttributes(dir + "ro.pas", FILE_ATTRIBUTE_READONLY);
    test::WriteFile(dir + "arch.pas", "archived");
    test::SetAttributes(dir + "arch.pas", FILE_ATTRIBUTE_ARCHIVE);
    test::WriteFile(dir + "hidden.pas", "hidden");
    test::SetAttributes(dir + "hidden.pas", FILE_ATTRIBUTE_HIDDEN);
    test::WriteFile(dir + "sys.pas", "system");
    test::SetAttributes(dir + "sys.pas", FILE_ATTRIBUTE_SYSTEM);
    test::MakeDir(dir + "sub.pas");
    test::WriteFile(dir + "sub.pas\\inner.pas", "inner");
}

} // namespace

TEST(DirExists, FoldersOnly) {
    ScratchDir dir;
    test::WriteFile(dir / "file.txt", "x");
    test::MakeDir(dir / "folder");
    EXPECT_TRUE(DirExists(dir.Path()));
    EXPECT_TRUE(DirExists(dir / "folder"));
    EXPECT_TRUE(DirExists(dir / "folder\\"));
    EXPECT_FALSE(DirExists(dir / "file.txt"));
    EXPECT_FALSE(DirExists(dir / "missing"));
    EXPECT_FALSE(DirExists(""));
}

TEST(CopyFilesByMask, CopiesVisibleRegularFilesExceptTheExceptions) {
    ScratchDir src("src"), dst("dst");
    MakeMixedFolder(src.Path());
    CopyFilesByMask(src.Path(), dst.Path(), "*.*", "*.dcu *.bak");
    EXPECT_EQ(Entries(dst.Path()), (Names{"a.pas", "b.dfm", "README", "ro.pas", "arch.pas"}));
    EXPECT_EQ(test::ReadFile(dst / "a.pas"), "unit a;");
    // Each copy is a new file with plain attributes: not read-only like its
    // source, and not hidden like the temporary file it was written to.
    for (const std::string& name : Entries(dst.Path()))
        EXPECT_EQ(Attributes(dst / name) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
            << name;
    EXPECT_EQ(test::ReadFile(dst / "ro.pas"), "read-only");
    // The source stays as it was, sub-folder included.
    EXPECT_EQ(test::ReadFile(src / "sub.pas\\inner.pas"), "inner");
}

TEST(CopyFilesByMask, FolderWithoutTrailingSeparatorAndFileMatchedTwice) {
    ScratchDir src("src"), dst("dst");
    MakeMixedFolder(src.Path());
    std::string from = src.Path(), to = dst.Path();
    from.pop_back();
    to.pop_back();
    CopyFilesByMask(from, to, "*.pas *.p*", "");
    EXPECT_EQ(Entries(dst.Path()), (Names{"a.pas", "ro.pas", "arch.pas"}));
    EXPECT_EQ(test::ReadFile(dst / "a.pas"), "unit a;");
}

TEST(CopyFilesByMask, MissingFoldersAreSilentNoOps) {
    ScratchDir src("src"), dst("dst");
    test::WriteFile(src / "a.pas", "a");
    EXPECT_NO_THROW(CopyFilesByMask(src / "missing", dst.Path(), "*.*", ""));
    EXPECT_NO_THROW(CopyFilesByMask(src.Path(), dst / "missing", "*.*", ""));
    EXPECT_NO_THROW(CopyOneFile(src / "a.pas", dst / "missing\\a.pas"));
    EXPECT_NO_THROW(CopyOneFile(src / "a.pas", "a.pas")); // no folder part at all
    EXPECT_TRUE(Entries(dst.Path()).empty());
    EXPECT_FALSE(test::Exists("a.pas"));
}

TEST(CopyOneFile, ReplacesNewerTargetWithNewFileAndExactBytes) {
    ScratchDir src("src"), dst("dst");
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 3);
    test::WriteFile(src / "big.bpl", big);
    test::WriteFile(src / "empty.dcp", "");
    SetOldWriteTime(src / "big.bpl");
    test::WriteFile(dst / "big.bpl", "newer target");
    test::SetAttributes(dst / "big.bpl", FILE_ATTRIBUTE_ARCHIVE);
    test::WriteFile(dst / "empty.dcp", "not empty before");

    CopyOneFile(src / "big.bpl", dst / "big.bpl");
    CopyOneFile(src / "empty.dcp", dst / "empty.dcp");

    EXPECT_TRUE(test::ReadFile(dst / "big.bpl") == big);
    EXPECT_EQ(test::ReadFile(dst / "empty.dcp"), "");
    EXPECT_GT(WriteTime(dst / "big.bpl"), WriteTime(src / "big.bpl"));
    EXPECT_EQ(Entries(dst.Path()), (Names{"big.bpl", "empty.dcp"})); // no temporary file left
}

TEST(CopyOneFile, OntoItselfKeepsTheContent) {
    ScratchDir dir;
    test::WriteFile(dir / "same.pas", "unit same;");
    CopyOneFile(dir / "same.pas", dir / "same.pas");
    EXPECT_EQ(test::ReadFile(dir / "same.pas"), "unit same;");
    EXPECT_EQ(Entries(dir.Path()), Names{"same.pas"});
}

TEST(CopyOneFile, UnreadableSourceKeepsTheTarget) {
    ScratchDir src("src"), dst("dst");
    test::WriteFile(src / "a.bpl", "new");
    test::WriteFile(dst / "a.bpl", "old");
    struct Case {
        std::string source;
        bool hold;
    };
    for (const Case& c : {Case{src / "missing.bpl", false}, Case{src / "a.bpl", true}}) {
        UniqueFile held = c.hold ? HoldExclusively(c.source) : UniqueFile();
        try {
            CopyOneFile(c.source, dst / "a.bpl");
            ADD_FAILURE() << "no error for " << c.source;
        } catch (const FileError& e) {
            EXPECT_TRUE(StartsWith(e.what(), "Cannot open file \"" + c.source + "\". "))
                << e.what();
        }
        EXPECT_EQ(test::ReadFile(dst / "a.bpl"), "old");
        EXPECT_EQ(Entries(dst.Path()), Names{"a.bpl"});
    }
}

TEST(CopyOneFile, TargetThatCannotBeReplacedStaysAndNoTemporaryFileIsLeft) {
    ScratchDir src("src"), dst("dst");
    test::WriteFile(src / "a.bpl", "new");
    enum class Obstacle { ReadOnly, InUse, Folder };
    struct Case {
        Obstacle obstacle;
        std::string name; // of the obstacle; the copy goes to "a.bpl"
        DWORD attributes;
    };
    const Case cases[] = {
        {Obstacle::ReadOnly, "a.bpl", FILE_ATTRIBUTE_READONLY},
        {Obstacle::ReadOnly, "A.BPL", FILE_ATTRIBUTE_READONLY},
        {Obstacle::ReadOnly, "a.bpl", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
        {Obstacle::InUse, "a.bpl", FILE_ATTRIBUTE_NORMAL},
        {Obstacle::Folder, "A.bpl", FILE_ATTRIBUTE_DIRECTORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(int(c.obstacle)));
        const std::string target = dst / "a.bpl";
        UniqueFile held;
        if (c.obstacle == Obstacle::Folder) {
            test::MakeDir(dst / c.name);
        } else {
            test::WriteFile(dst / c.name, "old");
            test::SetAttributes(dst / c.name, c.attributes);
            if (c.obstacle == Obstacle::InUse)
                held = HoldExclusively(target);
        }
        try {
            CopyOneFile(src / "a.bpl", target);
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_TRUE(StartsWith(e.what(), "Cannot create file \"" + target + "\". "))
                << e.what();
        }
        held.reset();
        if (c.obstacle == Obstacle::Folder) {
            EXPECT_TRUE(DirExists(target));
            EXPECT_EQ(Entries(dst.Path()), Names{c.name + "/"});
        } else {
            EXPECT_EQ(test::ReadFile(target), "old");
            EXPECT_EQ(Entries(dst.Path()), Names{c.name});
            constexpr DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
            EXPECT_EQ(Attributes(dst / c.name) & kept, c.attributes & kept);
            test::SetAttributes(dst / c.name, FILE_ATTRIBUTE_NORMAL);
        }
        test::RemoveTree(dst.Path());
        test::MakeDir(dst.Path());
    }
}

TEST(CopyFilesByMask, ErrorStopsTheOperationAndKeepsEarlierCopies) {
    ScratchDir src("src"), dst("dst");
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        test::WriteFile(src / n, std::string("new ") + n);
    test::WriteFile(dst / "b.txt", "old b");
    test::SetAttributes(dst / "b.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_THROW(CopyFilesByMask(src.Path(), dst.Path(), "a.txt b.txt c.txt", ""), FileError);
    EXPECT_EQ(test::ReadFile(dst / "a.txt"), "new a.txt");
    EXPECT_EQ(test::ReadFile(dst / "b.txt"), "old b");
    EXPECT_FALSE(test::Exists(dst / "c.txt"));
    EXPECT_EQ(Entries(dst.Path()), (Names{"a.txt", "b.txt"})); // no temporary file or folder
}

TEST(CopyFilesByMask, RemovesTemporaryFoldersLeftByAKilledWizardOnly) {
    ScratchDir src("src"), dst("dst");
    test::WriteFile(src / "a.pas", "a");
    // Left by a wizard that was ended while it copied: nobody holds it.
    test::MakeDir(dst / "~vdx77-3.tmp");
    test::WriteFile(dst / "~vdx77-3.tmp\\~vdx77-9.tmp", "cut sh");
    // In use by a wizard that is copying into the same folder, between two
    // files: the folder is empty.
    TempFolder running(dst.Path());
    ASSERT_FALSE(running.Path().empty());
    // Not made by the wizard at all.
    test::MakeDir(dst / "~vdxmine.tmp");
    test::WriteFile(dst / "~vdxmine.tmp\\keep.txt", "mine");

    CopyFilesByMask(src.Path(), dst.Path(), "*.pas", "");

    std::string own = running.Path().substr(dst.Path().size());
    own.back() = '/'; // a folder, as Entries names it
    EXPECT_EQ(Entries(dst.Path()), (Names{"a.pas", own, "~vdxmine.tmp/"}))
        << "the running wizard's folder is " << own;
    AtomicFile next(dst / "b.pas", &running);
    next.Write("next file");
    EXPECT_EQ(Entries(running.Path()).size(), 1u) << "written in the running wizard's folder";
    next.Commit();
    EXPECT_EQ(test::ReadFile(dst / "b.pas"), "next file");
    EXPECT_EQ(test::ReadFile(dst / "~vdxmine.tmp\\keep.txt"), "mine");
}

TEST(DeleteFilesByMask, DeletesVisibleMatchesAndLeavesTheRest) {
    ScratchDir dir;
    MakeMixedFolder(dir.Path());
    test::WriteFile(dir / "x.tds", "");
    test::WriteFile(dir / "Y.TDS", "");
    test::WriteFile(dir / "z.tdsx", "");
    test::WriteFile(dir / "busy.tds", "");
    test::WriteFile(dir / "ro.tds", "");
    test::SetAttributes(dir / "ro.tds", FILE_ATTRIBUTE_READONLY);
    test::WriteFile(dir / "h.tds", "");
    test::SetAttributes(dir / "h.tds", FILE_ATTRIBUTE_HIDDEN);
    test::MakeDir(dir / "folder.tds");
    {
        UniqueFile held = HoldExclusively(dir / "busy.tds");
        EXPECT_NO_THROW(DeleteFilesByMask(dir.Path(), "  *.tds  "));
    }
    Names left = Entries(dir.Path());
    for (const char* gone : {"x.tds", "Y.TDS"})
        EXPECT_EQ(left.count(gone), 0u) << gone;
    for (const char* kept : {"z.tdsx", "busy.tds", "ro.tds", "h.tds", "folder.tds/", "a.pas"})
        EXPECT_EQ(left.count(kept), 1u) << kept;

    DeleteFilesByMask(dir.Path(), "*.*");
    EXPECT_EQ(Entries(dir.Path()), (Names{"ro.pas", "hidden.pas", "sys.pas", "sub.pas/", "ro.tds",
                                          "h.tds", "folder.tds/"}));
    EXPECT_EQ(test::ReadFile(dir / "sub.pas\\inner.pas"), "inner");
}

TEST(DeleteAllFilesExcept, KeepsEveryFileThatAnyMaskMatches) {
    ScratchDir dir;
    MakeMixedFolder(dir.Path());
    test::WriteFile(dir / "pkg.dpk", "package");
    EXPECT_NO_THROW(DeleteAllFilesExcept(dir.Path(), "*.pas *.p*"));
    // ro.pas matches, and would stay anyway; hidden and system files and the
    // sub-folder are never selected.
    EXPECT_EQ(Entries(dir.Path()),
              (Names{"a.pas", "ro.pas", "arch.pas", "hidden.pas", "sys.pas", "sub.pas/"}));
    DeleteAllFilesExcept(dir.Path(), "");
    EXPECT_EQ(Entries(dir.Path()), (Names{"ro.pas", "hidden.pas", "sys.pas", "sub.pas/"}));
}

TEST(MaskOperations, LongAndNonAsciiPaths) {
    ScratchDir root;
    std::string deep = root.Path();
    for (int i = 0; i < 5; ++i) {
        deep += std::string(48, static_cast<char>('a' + i)) + "\xC3\xA4\xD0\x96\\";
        test::MakeDir(deep);
    }
    const std::string from = deep + "Quelle\\", to = deep + "\xE7\x9B\xAE\xE6\xA8\x99\\";
    test::MakeDir(from);
    test::MakeDir(to);
    ASSERT_GT(to.size(), 270u);
    const std::string name = "\xC3\x9C"
                             "bersicht-\xE6\x97\xA5\xE6\x9C\xAC.pas";
    test::WriteFile(from + name, "unit u;");
    test::WriteFile(from + "other.dcu", "dcu");
    EXPECT_TRUE(DirExists(to));

    CopyFilesByMask(from, to, "\xC3\xBC*.PAS", "");
    EXPECT_EQ(Entries(to), Names{name});
    EXPECT_EQ(test::ReadFile(to + name), "unit u;");
    CopyOneFile(from + "other.dcu", to + "other.dcu");
    EXPECT_EQ(test::ReadFile(to + "other.dcu"), "dcu");

    DeleteAllFilesExcept(to, "*.dcu");
    EXPECT_EQ(Entries(to), Names{"other.dcu"});
    DeleteFilesByMask(to, "*.dcu");
    EXPECT_TRUE(Entries(to).empty());
}

TEST(SystemDirectory, IsTheFolderOf32BitSystemDlls) {
    const std::string dir = SystemDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    wchar_t buffer[MAX_PATH];
    GetSystemDirectoryW(buffer, MAX_PATH);
    const std::string native = Narrow(buffer);
#ifdef _WIN64
    // A 64-bit process must not answer with its own (64-bit) system folder but
    // with its 32-bit sibling in the Windows folder. (A 64-bit-only Wine prefix
    // reports that folder without creating it.)
    EXPECT_NE(ToLowerAscii(dir), ToLowerAscii(native));
    const size_t cut = native.find_last_of('\\');
    ASSERT_NE(cut, std::string::npos);
    EXPECT_EQ(ToLowerAscii(dir.substr(0, cut + 1)), ToLowerAscii(native.substr(0, cut + 1)));
#else
    EXPECT_EQ(dir, native);
    EXPECT_TRUE(DirExists(dir));
#endif
}

TEST(AtomicFile, WriteAbandonedBeforeCommitLeavesTheOldFile) {
    ScratchDir dir;
    test::WriteFile(dir / "vdx.bpl", "old");
    {
        AtomicFile file(dir / "vdx.bpl");
        file.Write("half of the new");
        EXPECT_EQ(Entries(dir.Path()).size(), 2u); // the temporary file is beside it
    }
    EXPECT_EQ(test::ReadFile(dir / "vdx.bpl"), "old");
    EXPECT_EQ(Entries(dir.Path()), Names{"vdx.bpl"});
}
