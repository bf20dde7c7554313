#include "common/WinTestUtil.h"
#include "engine/IncludeEdits.h"
#include "engine/IncludeFiles.h"
#include "support/Errors.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace vdx;
using vdx::test::ScratchDir;

namespace {

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAW fd;
    UniqueFind h(FindFirstFileW(WidePath(folder + "*").c_str(), &fd));
    if (!h)
        return names;
    do {
        std::string n = Narrow(fd.cFileName);
        if (n != "." && n != "..")
            names.insert(n);
    } while (FindNextFileW(h.get(), &fd));
    return names;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

using Edit = std::function<void(const std::string&)>;
const Edit Lattix = [](const std::string& p) { SetLattixDefine(p); };
const Edit Tee = [](const std::string& p) { SetTeeDefines(p, "TeeChart8", "TeeChartSeriesEx"); };
const Edit Make = [](const std::string& p) { EditMakeFile(p, "LATTIX", "\"C:\\P\\Source\""); };

} // namespace

TEST(IncludeFiles, EditedLinesChangeOtherBytesStay) {
    ScratchDir dir;
    // Single-byte text in the system code page, mixed line ends, no final one.
    test::WriteFile(dir / "vdx.inc", "// K\xE4se\n{$I x.inc}\r\n\xC0\xFF end");
    SetLattixDefine(dir / "vdx.inc");
    EXPECT_EQ(test::ReadFile(dir / "vdx.inc"),
              "{$DEFINE LATTIX}\r\n// K\xE4se\r\n{$I x.inc}\r\n\xC0\xFF end\r\n");

    test::WriteFile(dir / "tee.inc", "// one\r\n// two\r\n");
    SetTeeDefines(dir / "tee.inc", "TeeChart8", "TeeChartSeriesEx");
    SetTeeDefines(dir / "tee.inc", "TeeChart7", "");
    EXPECT_EQ(test::ReadFile(dir / "tee.inc"),
              "{$DEFINE TeeChart7}\r\n{$DEFINE TeeChartSeriesEx}\r\n// one\r\n// two\r\n");

    test::WriteFile(dir / "vdx28.mak", "PFLAGS = -Od \\\r\n  -v\r\nUSERDEFINES = _DEBUG\r\n"
                                       "INCLUDEPATH = $(BCB)\\include\r\n\xE9\r\n");
    EditMakeFile(dir / "vdx28.mak", "TeeChart9;LATTIX", "\"P\"");
    EXPECT_EQ(test::ReadFile(dir / "vdx28.mak"),
              "PFLAGS = -Od  -U\"P\" -I\"P\" -DTeeChart9;LATTIX \\\r\n  -v\r\n"
              "USERDEFINES = _DEBUG;TeeChart9;LATTIX\r\nINCLUDEPATH = $(BCB)\\include;\"P\"\r\n"
              "\xE9\r\n");
    EXPECT_EQ(Entries(dir.Path()), (std::set<std::string>{"vdx.inc", "tee.inc", "vdx28.mak"}));
}

TEST(IncludeFiles, MissingFiles) {
    ScratchDir dir;
    test::MakeDir(dir / "folder.inc");
    for (const std::string& path : {dir / "missing.inc", dir / "folder.inc"}) {
        EXPECT_NO_THROW(SetLattixDefine(path));
        EXPECT_NO_THROW(SetTeeDefines(path, "TeeChart9", ""));
    }
    EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"folder.inc"});
    try {
        EditMakeFile(dir / "vdx28.mak", "D", "\"P\"");
        FAIL() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_TRUE(StartsWith(e.what(), "Cannot open file \"" + dir / "vdx28.mak" + "\". "))
            << e.what();
    }
}

TEST(IncludeFiles, FileThatCannotBeReplacedKeepsItsContent) {
    ScratchDir dir;
    const std::string original = "// keep\r\nPFLAGS = -Od\r\n";
    for (const Edit* edit : {&Lattix, &Tee, &Make}) {
        for (bool readOnly : {true, false}) {
            const std::string path = dir / "file.inc";
            test::WriteFile(path, original);
            UniqueFile held;
            if (readOnly)
                test::SetAttributes(path, FILE_ATTRIBUTE_READONLY);
            else // an editor that has it open and lets others read it
                held.reset(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
            try {
                (*edit)(path);
                ADD_FAILURE() << "no error raised";
            } catch (const FileError& e) {
                EXPECT_TRUE(StartsWith(e.what(), "Cannot create file \"" + path + "\". "))
                    << e.what();
            }
            held.reset();
            test::SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
            EXPECT_EQ(test::ReadFile(path), original);
            EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"file.inc"}); // no temporary file
        }
    }
}

TEST(IncludeFiles, LongAndNonAsciiPaths) {
    ScratchDir root;
    std::string deep = root.Path();
    for (int i = 0; i < 6; ++i) {
        deep += std::string(45, static_cast<char>('k' + i)) + "\xD0\x96\\";
        test::MakeDir(deep);
    }
    ASSERT_GT(deep.size(), 280u);
    const std::string path = deep + "\xC3\xBC"
                                    "ber.inc";
    test::WriteFile(path, "x\r\n");
    SetLattixDefine(path);
    EXPECT_EQ(test::ReadFile(path), "{$DEFINE LATTIX}\r\nx\r\n");
}
