#include "support/tkExec.h"

#include "support/Errors.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <process.h>

#include <mutex>
#include <random>
#include <utility>

namespace vdx {

namespace {

// --- hand-over of calls to the main thread ---

constexpr UINT WM_VDX_CALL = WM_APP + 0x2E1;
constexpr WPARAM kCallTag = 0x7664; // marks our own sends
const wchar_t kCallerClass[] = L"VdxExecMainThreadCaller";

LRESULT CALLBACK CallerWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_VDX_CALL && wp == kCallTag) {
        try {
            (*reinterpret_cast<const std::function<void()>*>(lp))();
        } catch (...) {
            // An event handler's error must not unwind through the window
            // procedure; the run itself is not affected by it.
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterCallerClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = CallerWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kCallerClass;
        RegisterClassExW(&wc); // a failure shows when the window is created
    });
}

// --- waits of the main thread ---

// Waits until `ended` is signalled, carrying out only the calls other threads
// send to this thread's windows (the hand-over of events); posted messages and
// input stay queued.
void WaitServicingCalls(HANDLE ended) {
    for (;;) {
        DWORD r =
            MsgWaitForMultipleObjectsEx(1, &ended, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0)
            return;
        MSG msg;
        // Peeking delivers pending sent messages; nothing is removed.
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (r == WAIT_FAILED && WaitForSingleObject(ended, 10) == WAIT_OBJECT_0)
            return;
    }
}

// Waits until `ended` is signalled while taking every message of this thread's
// queue and translating and dispatching it, except a quit message, which is
// taken and dropped. Blocks while there is nothing to do.
void WaitDispatchingMessages(HANDLE ended) {
    for (;;) {
        DWORD r =
            MsgWaitForMultipleObjectsEx(1, &ended, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0)
            return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (r == WAIT_FAILED && WaitForSingleObject(ended, 10) == WAIT_OBJECT_0)
            return;
    }
}

// --- worker helpers ---

constexpr int kReleasePollMs = 1;
constexpr int kReleaseTries = 3000; // 3 s

std::wstring DrawConsoleTitle() {
    static std::mutex lock;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    return std::to_wstring(std::uniform_int_distribution<int>(0, 65534)(generator));
}

UniqueHandle MakeEvent(bool manualReset) {
    UniqueHandle h(CreateEventW(nullptr, manualReset, FALSE, nullptr));
    if (!h)
        throw Error("Cannot create event. " + LastErrorMessage());
    return h;
}

bool SameFile(const std::string& a, const std::string& b) {
    auto full = [](const std::string& p) {
        std::wstring w = WidePath(p);
        DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
        if (n == 0)
            return w;
        std::wstring r(n, L'\0');
        n = GetFullPathNameW(w.c_str(), n, r.data(), nullptr);
        r.resize(n);
        return r;
    };
    std::wstring fa = full(a), fb = full(b);
    return CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(),
                                static_cast<int>(fb.size()), TRUE) == CSTR_EQUAL;
}

// Waits (at most a few seconds) until no handle of the file is left open
// elsewhere, that is until it can be opened without sharing.
void WaitUntilReleased(const std::string& path) {
    const std::wstring wide = WidePath(path);
    for (int tries = 0; tries < kReleaseTries; ++tries) {
        UniqueFile probe(CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe || GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        Sleep(kReleasePollMs);
    }
}

// How long a child gets to end after its console window was asked to close
// before it (and everything it started) is ended by force.
constexpr DWORD kCloseGraceMs = 2000;
constexpr UINT kForcedExitCode = 1;

} // namespace

// --- MainThreadCaller ---

MainThreadCaller::MainThreadCaller() {
    RegisterCallerClass();
    window_.reset(CreateWindowExW(0, kCallerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    if (!window_)
        throw Error("Cannot create window. " + LastErrorMessage());
}

MainThreadCaller::~MainThreadCaller() = default;

void MainThreadCaller::Call(const std::function<void()>& call) const {
    SendMessageW(window_.get(), WM_VDX_CALL, kCallTag, reinterpret_cast<LPARAM>(&call));
}

// --- TvdExecThread ---

TvdExecThread::TvdExecThread(ExecSettings settings, const MainThreadCaller* caller)
    : settings_(std::move(settings)), caller_(caller), runningEnded_(MakeEvent(true)),
      terminateRequest_(MakeEvent(true)), consoleTitle_(DrawConsoleTitle()) {
    // running_ is already true: a wait begun right after construction cannot
    // miss the run.
    thread_.reset(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &TvdExecThread::ThreadProc, this, 0, nullptr)));
    if (!thread_)
        throw Error("Cannot start thread. " + LastErrorMessage());
}

TvdExecThread::~TvdExecThread() {
    Terminate();
    WaitFor();
}

void TvdExecThread::Terminate() {
    SetEvent(terminateRequest_.get());
}

void TvdExecThread::WaitFor() {
    WaitServicingCalls(thread_.get());
}

unsigned __stdcall TvdExecThread::ThreadProc(void* self) {
    auto* t = static_cast<TvdExecThread*>(self);
    t->Execute();
    try {
        t->HandOver(t->settings_.OnTerminated);
    } catch (...) {
    }
    return 0;
}

void TvdExecThread::HandOver(const TExecNotifyEvent& event) {
    if (!event || !caller_)
        return;
    caller_->Call([this, &event] { event(*this); });
}

void TvdExecThread::Execute() {
    running_ = true;
    try {
        STARTUPINFOW own{};
        own.cb = sizeof own;
        GetStartupInfoW(&own);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.lpDesktop = own.lpDesktop;
        if (own.dwFlags & STARTF_USESTDHANDLES) {
            si.hStdInput = own.hStdInput;
            si.hStdOutput = own.hStdOutput;
            si.hStdError = own.hStdError;
        } else {
            si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
            si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        }
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = static_cast<WORD>(settings_.ShowWindow);
        si.lpTitle = consoleTitle_.data();
        CreateAndWatchChild(si);
    } catch (...) {
        // Nothing leaves the thread body; the run simply ends.
    }
    running_ = false;
    SetEvent(runningEnded_.get());
    try {
        HandOver(settings_.OnQuitProcess);
    } catch (...) {
    }
}

void TvdExecThread::CreateAndWatchChild(STARTUPINFOW& si) {
    SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    bool ok = true;
    bool childStarted = false;
    UniqueFile input, output, error;
    if (!settings_.InputFile.empty()) {
        input.reset(CreateFileW(WidePath(settings_.InputFile).c_str(), GENERIC_READ, 0, &sa,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (input)
            si.hStdInput = input.get();
        else
            ok = false;
    }
    if (!settings_.OutputFile.empty()) {
        output.reset(CreateFileW(WidePath(settings_.OutputFile).c_str(), GENERIC_WRITE, 0, &sa,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (output)
            si.hStdOutput = output.get();
        else
            ok = false;
    }
    if (!settings_.ErrorFile.empty()) {
        if (!settings_.OutputFile.empty() && SameFile(settings_.ErrorFile, settings_.OutputFile)) {
            // One handle for both streams (a second handle would have a file
            // position of its own and overwrite the other stream's text).
            if (output)
                si.hStdError = output.get();
            else
                ok = false;
        } else {
            error.reset(CreateFileW(WidePath(settings_.ErrorFile).c_str(), GENERIC_WRITE, 0, &sa,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (error)
                si.hStdError = error.get();
            else
                ok = false;
        }
    }

    if (ok) {
        // The child runs in a job of its own, so that a termination can also
        // end the programs it started; it is created suspended so that it
        // cannot start any before it is in the job.
        UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
        std::wstring commandLine = Widen(settings_.CommandLine);
        PROCESS_INFORMATION pi{};
        childStarted =
            CreateProcessW(nullptr, commandLine.data(), &sa, &sa, TRUE,
                           CREATE_NEW_CONSOLE | CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
        if (childStarted) {
            UniqueHandle process(pi.hProcess), thread(pi.hThread);
            if (job && !AssignProcessToJobObject(job.get(), process.get()))
                job.reset();
            ResumeThread(thread.get());
            HANDLE waits[2] = {process.get(), terminateRequest_.get()};
            DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (r != WAIT_OBJECT_0)
                EndChild(process.get(), job.get());
        }
    }

    if (output)
        FlushFileBuffers(output.get());
    if (error)
        FlushFileBuffers(error.get());
    input.reset();
    output.reset();
    error.reset();
    if (childStarted) {
        // A console host may have inherited the child's standard handles and
        // close them a moment after the child; the files count as closed once
        // nobody holds them any more.
        for (const std::string* name :
             {&settings_.InputFile, &settings_.OutputFile, &settings_.ErrorFile})
            if (!name->empty())
                WaitUntilReleased(*name);
    }
}

void TvdExecThread::EndChild(HANDLE process, HANDLE job) const {
    // First the polite way: closing the child's console window asks every
    // program attached to that console to end. (Wine creates the window of a
    // hidden console only a moment after the child starts, and a plain console
    // program there survives the close; cmd.exe with its batch ends.)
    if (HWND console = FindWindowW(nullptr, consoleTitle_.c_str())) {
        PostMessageW(console, WM_CLOSE, 0, 0);
        WaitForSingleObjectEx(process, kCloseGraceMs, TRUE);
    }
    // Then by force: the child if it is still there, and whatever it started
    // that is still running.
    if (!job || !TerminateJobObject(job, kForcedExitCode))
        TerminateProcess(process, kForcedExitCode);
    WaitForSingleObjectEx(process, INFINITE, TRUE);
}

// --- TvdExec ---

TvdExec::TvdExec() = default;

TvdExec::~TvdExec() {
    worker_.reset();
    caller_.reset();
}

void TvdExec::SetActive(bool value) {
    if (value)
        Run();
    else
        Stop();
}

bool TvdExec::Run() {
    if (worker_) {
        worker_->Terminate();
        worker_.reset(); // waits for that worker, unless an outer Run still does
    }
    active_ = true;
    try {
        if ((onTerminated_ || onQuitProcess_) && !caller_)
            caller_ = std::make_unique<MainThreadCaller>();
        ExecSettings settings{path_,      showWindow_,   inputFile_,    outputFile_,
                              errorFile_, onTerminated_, onQuitProcess_};
        worker_ = std::make_shared<TvdExecThread>(std::move(settings), caller_.get());
    } catch (...) {
        active_ = false;
        throw;
    }
    if (!stillWait_)
        return true;
    std::shared_ptr<TvdExecThread> worker = worker_;
    WaitDispatchingMessages(worker->RunningEnded());
    Sleep(1);
    active_ = false;
    return true;
}

void TvdExec::Stop() {
    if (active_ && worker_)
        worker_->Terminate();
    active_ = false;
}

} // namespace vdx
