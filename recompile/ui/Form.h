#pragma once
// Base of the wizard's windows: a top-level window with a fixed single border,
// system menu and minimise button, a fixed client size in pixels (not scaled
// with the screen's DPI), Tahoma at 11 pixels, and child controls built from
// one table. Every message is handled inside a guard: an error raised by a
// handler is shown in the application's error box and never leaves the
// window procedure.

#include "ui/Application.h"
#include "ui/Control.h"
#include "support/platform/Handles.h"

#include <string>
#include <vector>

namespace vdx {

class Button;

class Form {
public:
    Form(Application& app, std::string caption, int clientWidth, int clientHeight);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND Handle() const { return hwnd_; }
    Application& App() const { return app_; }
    const std::vector<Control*>& Controls() const { return controls_; }

    // Runs the show handler, then shows the window (centred on the screen
    // the first time) and activates it.
    void Show();
    void Hide();
    bool Visible() const;
    // Asks CloseQuery, runs the close handler, then hides the window; closing
    // the application's main form ends the application.
    void Close();
    // Destroys the window without closing it (no close handler runs).
    void DestroyHandle();

    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientHeight(int height);

    // The form a top-level window belongs to, or nullptr.
    static Form* FromHandle(HWND hwnd);

protected:
    // Creates the window, hidden.
    void CreateHandle();
    // Creates the controls of the table in keyboard order, each with its
    // first state and the form's font.
    void BuildControls(std::vector<ControlRow> rows);
    // The button that Esc presses (the cancel button); none by default.
    void SetCancelButton(Button* button) { cancelButton_ = button; }

    virtual void DoShow() {}
    virtual bool CloseQuery() { return true; }
    virtual void DoClose() {}

    // Messages the form does not handle itself go here; the default is the
    // system's processing.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void Reflect(WPARAM wParam, LPARAM lParam);
    HFONT FontFor(const ControlRow& row);

    Application& app_;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    HWND hwnd_ = nullptr;
    bool positioned_ = false;
    HWND lastFocus_ = nullptr;
    Button* cancelButton_ = nullptr;
    std::vector<Control*> controls_;
    UniqueFont font_;
    UniqueFont boldFont_;
    UniqueFont memoFont_;
};

// Tahoma at 11 pixels; Courier New at 11 pixels for the message box.
UniqueFont CreateUiFont(const wchar_t* face, bool bold);

} // namespace vdx
