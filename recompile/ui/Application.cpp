#include "ui/Application.h"

#include "ui/Form.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <commctrl.h>

namespace vdx {

namespace {

std::string ModuleBaseName() {
    std::string path = ModuleFileName();
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

} // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return text;
}

Application::Application() : title_(ModuleBaseName()) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

bool Application::DispatchOne(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // Tab, Esc and Enter work in every form as in a dialog.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && Form::FromHandle(root) && IsDialogMessageW(root, &msg))
        return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void Application::Run() {
    MSG msg;
    while (!terminated_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            terminated_ = true;
            break;
        }
        DispatchOne(msg);
    }
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!DispatchOne(msg))
            break;
    }
}

void Application::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::SetBusy(bool busy) {
    busyCount_ += busy ? 1 : -1;
    if (busyCount_ < 0)
        busyCount_ = 0;
    SetCursor(LoadCursorW(nullptr, Busy() ? IDC_WAIT : IDC_ARROW));
}

int Application::ShowMessageBox(HWND owner, std::string_view text, std::string_view caption,
                                unsigned flags) {
    if (messageBox_)
        return messageBox_(owner, text, caption, flags);
    // Without a visible owner (the hidden run) the box is modal for the whole
    // program and comes to the front.
    if (!owner || !IsWindowVisible(owner)) {
        owner = nullptr;
        flags |= MB_TASKMODAL | MB_SETFOREGROUND;
    }
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

void Application::ShowException(const std::exception& e) {
    ShowException(e.what());
}

void Application::ShowException(std::string_view message) {
    HWND owner = GetActiveWindow();
    ShowMessageBox(owner, ErrorBoxText(message), title_, MB_OK | MB_ICONERROR);
}

} // namespace vdx
