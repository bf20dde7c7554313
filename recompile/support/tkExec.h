#pragma once
// Process runner: starts one program with its standard streams redirected to
// files, in a console of its own, and (as a rule) waits until it has ended
// while the calling thread's window messages keep flowing.
//
// A TvdExec belongs to the thread that calls Run (the "main thread"); its two
// events are called on that thread. Each run has a worker thread of its own
// (TvdExecThread) that opens the files, creates and watches the child and
// closes everything again.

#include "support/platform/Handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace vdx {

class TvdExecThread;

// Notification event; the argument is the sender (the worker of the run).
using TExecNotifyEvent = std::function<void(TvdExecThread& sender)>;

// Hands calls from worker threads to the thread that created it and blocks the
// worker until the call has run there. The calls run wherever that thread
// retrieves messages: its message loop, modal loops, and the waits of the
// runner (which keep servicing them, so a worker blocked in a hand-over never
// deadlocks a thread that waits for it).
class MainThreadCaller {
public:
    MainThreadCaller(); // on the main thread; raises Error when no window can be made
    ~MainThreadCaller();
    MainThreadCaller(const MainThreadCaller&) = delete;
    MainThreadCaller& operator=(const MainThreadCaller&) = delete;

    // From a worker thread: runs `call` on the main thread and returns after it
    // has returned. Exceptions thrown by `call` are swallowed.
    void Call(const std::function<void()>& call) const;

private:
    UniqueWindow window_;
};

// What a worker needs from the component, copied when Run starts it.
struct ExecSettings {
    std::string CommandLine;
    int ShowWindow = SW_HIDE;
    std::string InputFile;
    std::string OutputFile;
    std::string ErrorFile;
    TExecNotifyEvent OnTerminated;
    TExecNotifyEvent OnQuitProcess;
};

class TvdExecThread {
public:
    // Creates and starts the worker. `caller` must outlive it; it may be null
    // when neither event is set.
    TvdExecThread(ExecSettings settings, const MainThreadCaller* caller);
    // Asks a worker that has not finished to terminate, then waits until it has
    // ended, carrying out its hand-over calls meanwhile.
    ~TvdExecThread();
    TvdExecThread(const TvdExecThread&) = delete;
    TvdExecThread& operator=(const TvdExecThread&) = delete;

    // True from creation until the child has ended and its files are closed.
    bool Running() const { return running_.load(); }
    // Signalled when Running turns false.
    HANDLE RunningEnded() const { return runningEnded_.get(); }
    // Signalled when the thread has ended (after both events).
    HANDLE ThreadHandle() const { return thread_.get(); }
    // The title given to the child's console window: the decimal text of a
    // pseudo-random number from 0 to 65534.
    const std::wstring& ConsoleTitle() const { return consoleTitle_; }

    // Sets the termination request: a child that still runs is ended.
    void Terminate();
    // Waits until the thread has ended, carrying out hand-over calls meanwhile.
    void WaitFor();

private:
    static unsigned __stdcall ThreadProc(void* self);
    void Execute();
    void CreateAndWatchChild(STARTUPINFOW& si);
    void EndChild(HANDLE process, HANDLE job) const;
    void HandOver(const TExecNotifyEvent& event);

    ExecSettings settings_;
    const MainThreadCaller* caller_;
    std::atomic<bool> running_{true}; // set before the thread starts
    UniqueHandle runningEnded_;
    UniqueHandle terminateRequest_;
    std::wstring consoleTitle_;
    UniqueHandle thread_;
};

class TvdExec {
public:
    TvdExec();
    // Destroys the worker of the latest run; a child that still runs is ended
    // first. Must not be called from one of this runner's own events.
    ~TvdExec();
    TvdExec(const TvdExec&) = delete;
    TvdExec& operator=(const TvdExec&) = delete;

    bool Active() const { return active_; }
    void SetActive(bool value);
    const std::string& Path() const { return path_; }
    void SetPath(std::string value) { path_ = std::move(value); }
    bool Visible() const { return showWindow_ != SW_HIDE; }
    void SetVisible(bool value) { showWindow_ = value ? SW_SHOWNORMAL : SW_HIDE; }
    const std::string& InputFile() const { return inputFile_; }
    void SetInputFile(std::string value) { inputFile_ = std::move(value); }
    const std::string& OutputFile() const { return outputFile_; }
    void SetOutputFile(std::string value) { outputFile_ = std::move(value); }
    // An error file that names the output file shares its handle: both streams
    // go into that one file, in the order they were written.
    const std::string& ErrorFile() const { return errorFile_; }
    void SetErrorFile(std::string value) { errorFile_ = std::move(value); }
    bool StillWait() const { return stillWait_; }
    void SetStillWait(bool value) { stillWait_ = value; }
    const TExecNotifyEvent& OnTerminated() const { return onTerminated_; }
    void SetOnTerminated(TExecNotifyEvent handler) { onTerminated_ = std::move(handler); }
    const TExecNotifyEvent& OnQuitProcess() const { return onQuitProcess_; }
    void SetOnQuitProcess(TExecNotifyEvent handler) { onQuitProcess_ = std::move(handler); }

    // Starts a run and returns true: with StillWait after the child has ended
    // and its files are closed, without it at once (Active stays true).
    bool Run();
    // Asks the child of a run in progress to end; does not wait.
    void Stop();

    // The worker of the latest run, if any (for tests and diagnostics).
    TvdExecThread* Worker() const { return worker_.get(); }

private:
    bool active_ = false;
    std::string path_;
    int showWindow_ = SW_HIDE;
    std::string inputFile_;
    std::string outputFile_;
    std::string errorFile_;
    bool stillWait_ = true;
    TExecNotifyEvent onTerminated_;
    TExecNotifyEvent onQuitProcess_;

    std::unique_ptr<MainThreadCaller> caller_;
    // Shared with a Run that is still waiting for it, so that a nested Run
    // started from a message handler during that wait cannot pull the worker
    // away from under it.
    std::shared_ptr<TvdExecThread> worker_;
};

} // namespace vdx
