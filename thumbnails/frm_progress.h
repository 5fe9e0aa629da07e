#pragma once
// The small progress window with its Cancel button.
#include <string>

#include "platform/controls/form.h"

class frmProgress {
public:
    // Creates the window, hidden, and runs its load step.
    frmProgress();
    ~frmProgress();
    frmProgress(const frmProgress&) = delete;
    frmProgress& operator=(const frmProgress&) = delete;

    platform::Form& form() { return form_; }

    // Public procedure: the message shown.
    void Label_Changed(std::string& message_a);

    // Event handlers.
    void Form_Load();
    void cmdCancel_Click();

private:
    platform::Form form_;

public:
    platform::Label& lbl_1;
    platform::CommandButton& cmdCancel;

private:
    void destroy();
};

// Sets the progress message, creating the window (hidden) when it does not
// exist.
void progress_message(std::string& message_a);
