#pragma once
// The application object of the wizard: its title, the message loop, the
// busy cursor, the standard error box and the message boxes. One per process
// run of the windows; the forms keep a reference to it.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace vdx {

class Form;

class Application {
public:
    // Shows a message box and returns the button pressed (IDOK, ...).
    using MessageBoxFn = std::function<int(HWND owner, std::string_view text,
                                           std::string_view caption, unsigned flags)>;

    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The program's file name without extension ("recompile").
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // The window whose closing ends the program.
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* form) { mainForm_ = form; }

    // Takes and dispatches messages until Terminate; keyboard navigation and
    // Esc are handled for the active form.
    void Run();
    // Dispatches the messages that are waiting, then returns.
    void ProcessMessages();
    // Ends Run (posts the quit message).
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Application-wide busy cursor; nests.
    void SetBusy(bool busy);
    bool Busy() const { return busyCount_ > 0; }

    int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, unsigned flags);
    // Replaces the system's message box (tests answer the boxes themselves).
    void SetMessageBoxFn(MessageBoxFn fn) { messageBox_ = std::move(fn); }

    // The standard handling of an error raised in an event handler: its
    // message in an error box captioned with the title.
    void ShowException(const std::exception& e);
    void ShowException(std::string_view message);

private:
    bool DispatchOne(MSG& msg);

    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    int busyCount_ = 0;
    MessageBoxFn messageBox_;
};

// The text an error box shows for an error message: a message that does not
// end in a punctuation mark gets a full stop.
std::string ErrorBoxText(std::string_view message);

} // namespace vdx
