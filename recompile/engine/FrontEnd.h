#pragma once
// What the build engine asks of the window during a request. The main window
// implements it; tests use a recording implementation.

#include <string_view>

namespace vdx {

enum class MessageKind {
    RunningInfo, // the platform's information dialog with one OK button (standard caption)
    Error,       // message box, error icon, OK
    Information, // message box, information icon, OK
};

struct FrontEnd {
    virtual ~FrontEnd() = default;
    virtual void setClientHeight(int height) = 0;
    virtual void clearLog() = 0;
    virtual void appendLog(std::string_view line) = 0; // one MessageLog line, UTF-8
    // Modal; returns when the user has confirmed it.
    virtual void showMessage(MessageKind kind, std::string_view caption, std::string_view text) = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void focusTeePath() = 0;
};

} // namespace vdx
