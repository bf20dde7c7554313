#pragma once
// The warning window: what must be true before packages are rebuilt.
// Continue shows the main window; Exit (or the close box) ends the wizard
// without storing anything.

#include "ui/Controls.h"
#include "ui/Form.h"

namespace vdx {

class TSplashForm : public Form {
public:
    // Creates the window, hidden.
    explicit TSplashForm(Application& app);
    ~TSplashForm() override;

    Label Label1;
    Label Label2;
    Label Label3;
    Label Label4;
    Label Label5;
    Button Button1; // Continue
    Button Button2; // Exit

    // The window that Continue shows.
    Form* MainForm = nullptr;

    void Button1Click(Control* sender);
    void Button2Click(Control* sender);
};

} // namespace vdx
