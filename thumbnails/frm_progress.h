#pragma once
// The small progress window with its Cancel button.
#include <string>

#include "platform/form.h"

class frmProgress {
public:
    frmProgress();
    ~frmProgress();
    platform::Form& form() { return form_; }

private:
    platform::Form form_;
};
