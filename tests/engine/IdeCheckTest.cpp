// A running Delphi/C++Builder (a window of class "TAppBuilder", here made by
// a helper process) stops a request before it touches anything. Runs alone:
// the window would stop every other test's requests in the same Wine prefix.

#include "EngineTestUtil.h"
#include "RecordingFrontEnd.h"

#include "engine/Driver.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

using namespace vdx;
using namespace vdx::test;
using testing::ElementsAre;

TEST(IdeCheck, ARunningIdeStopsTheRequest) {
    CurrentFolderKeeper keeper;
    sample::SampleOptions o;
    o.libDirs = {"LibD28"};
    o.compilers = {28};
    EngineSample s(o);
    WriteFile(s.InstallDir() + "recompile.log", "earlier");
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::All);

    std::wstring cmd = L"\"" + Widen(BinaryDir() + "tests\\engine\\fake_ide.exe") + L"\" 60";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    HWND ide = nullptr;
    for (int i = 0; i < 200 && !ide; ++i) {
        ide = FindWindowW(L"TAppBuilder", nullptr);
        if (!ide)
            Sleep(50);
    }
    ASSERT_NE(ide, nullptr);

    RecordingFrontEnd frontEnd;
    CompileBClick(r, frontEnd);

    PostMessageW(ide, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);

    EXPECT_THAT(frontEnd.events,
                ElementsAre("height 597", "clear",
                            "box running Information|Delphi/C++Builder is running!\n\rCompile is "
                            "not possible.\n\rClose Delphi/C++Builder to continue!"));
    EXPECT_EQ(ReadFile(s.InstallDir() + "recompile.log"), "earlier");
    EXPECT_TRUE(sample::ReadStandinCalls(s.Root(28)).empty());

    // With the IDE gone the same request runs.
    frontEnd = RecordingFrontEnd();
    r.Task = TaskKind::None;
    CompileBClick(r, frontEnd);
    EXPECT_EQ(frontEnd.log, std::vector<std::string>{"Done"});
}
