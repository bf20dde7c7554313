#include "common/WinTestUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/tkExec.h"
#include "support/tkUtils.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace vdx;
using vdx::test::ScratchDir;

namespace {

std::string Child() {
    return "\"" + test::BinaryDir() + "tests\\exec\\vdx_exec_child.exe\"";
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Polls for a file the child writes (it renames it into place when complete).
bool WaitForFile(const std::string& path, DWORD timeoutMs = 20000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (test::Exists(path))
            return true;
        Sleep(20);
    }
    return false;
}

// Dispatches this thread's messages until `done` holds or the time is up.
template <typename Pred> bool PumpUntil(Pred done, DWORD timeoutMs = 20000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= end)
            return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

UniqueHandle OpenChild(const std::string& pidFile) {
    DWORD pid = static_cast<DWORD>(std::stoul(test::ReadFile(pidFile)));
    return UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, pid));
}

bool HasEnded(HANDLE process, DWORD timeoutMs = 0) {
    return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

// Records the events of a runner: which event, on which thread, whether the
// worker was still running.
struct EventLog {
    struct Entry {
        std::string Name;
        DWORD Thread;
        bool WorkerRunning;
        TvdExecThread* Sender;
    };
    std::vector<Entry> Entries;

    void Attach(TvdExec& exec) {
        exec.SetOnQuitProcess([this](TvdExecThread& s) {
            Entries.push_back({"quit", GetCurrentThreadId(), s.Running(), &s});
        });
        exec.SetOnTerminated([this](TvdExecThread& s) {
            Entries.push_back({"terminated", GetCurrentThreadId(), s.Running(), &s});
        });
    }
};

} // namespace

TEST(RunAndWait, MissingProgramLeavesAnEmptyOutputFileAndReturns) {
    ScratchDir dir;
    const std::string out = dir / "log.txt";
    test::WriteFile(out, "earlier output\r\n");
    RunAndWait(Quoted(dir / "no such tool.exe") + " -x", out);
    EXPECT_TRUE(test::Exists(out));
    EXPECT_EQ(test::ReadFile(out), "");
}

TEST(RunAndWait, CapturesStandardOutputAndOptionallyStandardError) {
    ScratchDir dir;
    const std::string out = dir / "log.txt";
    const std::string cmd = Child() + " out one err two out three";
    RunAndWait(cmd, out);
    EXPECT_EQ(test::ReadFile(out), "one\r\nthree\r\n");
    RunAndWait(cmd, out, /*captureErrors=*/true);
    EXPECT_EQ(test::ReadFile(out), "one\r\ntwo\r\nthree\r\n");
}

// A file that cannot be opened or created starts no process; the other named
// files are still created (and emptied).
TEST(TvdExec, UnopenableFileStartsNoProcessButCreatesTheOthers) {
    struct Case {
        const char* name;
        bool missingInput;
        bool lockOutput;
    };
    for (const Case& c : {Case{"missing input", true, false}, Case{"locked output", false, true}}) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string in = dir / "in.txt", out = dir / "out.txt", err = dir / "err.txt";
        const std::string pid = dir / "pid.txt";
        if (!c.missingInput)
            test::WriteFile(in, "input\r\n");
        test::WriteFile(out, "old out");
        test::WriteFile(err, "old err");
        UniqueFile holder;
        if (c.lockOutput)
            holder.reset(CreateFileW(WidePath(out).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, 0, nullptr));

        TvdExec exec;
        exec.SetPath(Child() + " pid " + Quoted(pid));
        exec.SetInputFile(in);
        exec.SetOutputFile(out);
        exec.SetErrorFile(err);
        EXPECT_TRUE(exec.Run());
        EXPECT_FALSE(exec.Active());
        holder.reset();
        EXPECT_FALSE(test::Exists(pid)); // Run would have waited for a child
        EXPECT_EQ(test::ReadFile(err), "");
        EXPECT_EQ(test::ReadFile(out), c.lockOutput ? "old out" : "");
    }
}

TEST(TvdExec, RedirectsAllThreeStreams) {
    ScratchDir dir;
    const std::string in = dir / "in.txt", out = dir / "out.txt", err = dir / "err.txt";
    test::WriteFile(in, "from input\r\n");
    TvdExec exec;
    exec.SetPath(Child() + " echo-stdin out o err e");
    exec.SetInputFile(in);
    exec.SetOutputFile(out);
    exec.SetErrorFile(err);
    exec.Run();
    EXPECT_EQ(test::ReadFile(out), "from input\r\no\r\n");
    EXPECT_EQ(test::ReadFile(err), "e\r\n");
    EXPECT_EQ(test::ReadFile(in), "from input\r\n");
}

// An error file naming the output file (spelled differently) shares its
// handle: both streams interleave in order instead of overwriting each other.
TEST(TvdExec, ErrorFileNamingTheOutputFileSharesIt) {
    ScratchDir dir;
    test::MakeDir(dir / "sub");
    TvdExec exec;
    exec.SetPath(Child() + " out first err second out third err fourth");
    exec.SetOutputFile(dir / "LOG.TXT");
    exec.SetErrorFile(dir / "sub\\..\\log.txt");
    exec.Run();
    EXPECT_EQ(test::ReadFile(dir / "log.txt"), "first\r\nsecond\r\nthird\r\nfourth\r\n");
}

TEST(TvdExec, ConsoleTitleAndVisibility) {
    for (bool visible : {false, true}) {
        SCOPED_TRACE(visible ? "visible" : "hidden");
        ScratchDir dir;
        TvdExec exec;
        exec.SetVisible(visible);
        EXPECT_EQ(exec.Visible(), visible);
        exec.SetPath(Child() + " title " + Quoted(dir / "title.txt") + " visible " +
                     Quoted(dir / "visible.txt") + " console " + Quoted(dir / "found.txt"));
        exec.Run();
        ASSERT_NE(exec.Worker(), nullptr);
        const std::wstring title = exec.Worker()->ConsoleTitle();
        const int number = std::stoi(title);
        EXPECT_EQ(std::to_wstring(number), title);
        EXPECT_GE(number, 0);
        EXPECT_LE(number, 65534);
        EXPECT_EQ(test::ReadFile(dir / "title.txt"), std::string(title.begin(), title.end()));
        EXPECT_EQ(test::ReadFile(dir / "visible.txt"), visible ? "1" : "0");
        EXPECT_EQ(test::ReadFile(dir / "found.txt"), "1");
    }
}

TEST(TvdExec, WithoutStillWaitReturnsAtOnceAndEventsArriveLaterOnTheMainThread) {
    ScratchDir dir;
    const std::string out = dir / "out.txt";
    TvdExec exec;
    EventLog events;
    events.Attach(exec);
    exec.SetStillWait(false);
    exec.SetPath(Child() + " sleep 300 out done");
    exec.SetOutputFile(out);
    EXPECT_TRUE(exec.Run());
    EXPECT_TRUE(exec.Active());
    ASSERT_NE(exec.Worker(), nullptr);
    EXPECT_TRUE(exec.Worker()->Running());
    EXPECT_TRUE(events.Entries.empty());

    ASSERT_TRUE(PumpUntil([&] { return events.Entries.size() == 2; }));
    EXPECT_EQ(events.Entries[0].Name, "quit");
    EXPECT_EQ(events.Entries[1].Name, "terminated");
    for (const auto& e : events.Entries) {
        EXPECT_EQ(e.Thread, GetCurrentThreadId());
        EXPECT_FALSE(e.WorkerRunning);
        EXPECT_EQ(e.Sender, exec.Worker());
    }
    EXPECT_EQ(test::ReadFile(out), "done\r\n");
    EXPECT_TRUE(exec.Active()); // until Stop or the next Run
    exec.Stop();
    EXPECT_FALSE(exec.Active());
}

// A worker blocked in handing an event to the main thread must not deadlock a
// main thread that waits for it: the destructor and the next Run carry out
// the pending calls while they wait.
TEST(TvdExec, WaitsForAWorkerCarryOutItsPendingEvents) {
    ScratchDir dir;
    EventLog events;
    {
        TvdExec exec;
        events.Attach(exec);
        exec.SetStillWait(false);
        exec.SetPath(Child() + " sleep 1");
        exec.Run();
        WaitForSingleObject(exec.Worker()->RunningEnded(), 20000);
        exec.Run(); // step one destroys the finished worker, whose events are pending
        EXPECT_EQ(events.Entries.size(), 2u);
        WaitForSingleObject(exec.Worker()->RunningEnded(), 20000);
    } // the destructor, with the second worker's events pending
    ASSERT_EQ(events.Entries.size(), 4u);
    EXPECT_EQ(events.Entries[2].Name, "quit");
    EXPECT_EQ(events.Entries[3].Name, "terminated");
}

TEST(TvdExec, StillWaitRunsBothEventsBeforeTheRunnerGoes) {
    EventLog events;
    {
        TvdExec exec;
        events.Attach(exec);
        exec.SetPath(Child() + " sleep 1");
        EXPECT_TRUE(exec.Run());
        EXPECT_FALSE(exec.Active());
    }
    ASSERT_EQ(events.Entries.size(), 2u);
    EXPECT_EQ(events.Entries[0].Name, "quit");
    EXPECT_EQ(events.Entries[1].Name, "terminated");
}

// Destroying the runner, starting a new run or Stop while the child still runs
// ends that child, and also what it started (a program run from a batch).
TEST(TvdExec, EndsAChildThatStillRuns) {
    enum class How { Destroy, NewRun, Stop };
    struct Case {
        const char* name;
        How how;
        bool throughCmd;
    };
    const Case cases[] = {{"destroy", How::Destroy, false},
                          {"destroy, grandchild of cmd", How::Destroy, true},
                          {"new run", How::NewRun, false},
                          {"stop", How::Stop, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string pid = dir / "pid.txt";
        std::string cmd = Child() + " pid " + Quoted(pid) + " sleep 60000";
        if (c.throughCmd) {
            test::WriteFile(dir / "job.bat", cmd + "\r\n");
            cmd = Quoted(dir / "job.bat");
        }
        auto exec = std::make_unique<TvdExec>();
        exec->SetStillWait(false);
        exec->SetPath(cmd);
        exec->SetOutputFile(dir / "out.txt");
        exec->Run();
        ASSERT_TRUE(WaitForFile(pid));
        UniqueHandle child = OpenChild(pid);
        ASSERT_TRUE(child);
        EXPECT_FALSE(HasEnded(child.get()));
        switch (c.how) {
        case How::Destroy:
            exec.reset();
            EXPECT_TRUE(HasEnded(child.get()));
            break;
        case How::NewRun:
            exec->SetStillWait(true);
            exec->SetPath(Child() + " out second");
            exec->Run();
            EXPECT_TRUE(HasEnded(child.get()));
            EXPECT_EQ(test::ReadFile(dir / "out.txt"), "second\r\n");
            break;
        case How::Stop:
            exec->Stop();
            EXPECT_FALSE(exec->Active());
            EXPECT_TRUE(HasEnded(child.get(), 20000));
            exec.reset();
            break;
        }
    }
}

namespace {
int g_ticks = 0;
void CALLBACK QuitOnTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    PostQuitMessage(3);
}
} // namespace

// While Run waits, the thread's messages are dispatched and a quit message is
// taken and dropped, whether posted by a handler or by another thread.
TEST(TvdExec, QuitMessageDuringTheWaitIsDropped) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // make sure this thread has a queue
    const DWORD self = GetCurrentThreadId();
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, QuitOnTick);
    ASSERT_NE(timer, 0u);
    std::thread poster([self] {
        Sleep(200);
        PostThreadMessageW(self, WM_QUIT, 7, 0);
    });
    TvdExec exec;
    exec.SetPath(Child() + " sleep 800");
    EXPECT_TRUE(exec.Run());
    poster.join();
    KillTimer(nullptr, timer);
    EXPECT_GT(g_ticks, 0); // messages were dispatched during the wait
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "quit message left for the program's loop, code " << msg.wParam;
}
