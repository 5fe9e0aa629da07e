#pragma once
// The rename dialog: asks for a new name for the file double-clicked in the
// browser and renames it in the folder recorded then. Not modal.
#include <string>

#include "platform/controls/form.h"

class frmNewName {
public:
    // Creates the dialog, hidden, and runs its load step.
    frmNewName();
    ~frmNewName();
    frmNewName(const frmNewName&) = delete;
    frmNewName& operator=(const frmNewName&) = delete;

    platform::Form& form() { return form_; }

    // Takes the file to rename (folder and name) from the shared variables;
    // every double-click calls it.
    void Record_File();
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void close_dialog();
    platform::Form form_;
    std::string folder_;
    std::string name_;

public:
    platform::Label& Label1;
    platform::TextBox& txtNewName;
    platform::CommandButton& cmdOK;
    platform::CommandButton& cmdCancel;
};
