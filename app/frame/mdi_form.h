#pragma once
// The frame window: holds the browser windows.
#include <memory>

#include "platform/controls/form.h"

class frmBMPView;

class MDIForm1 {
public:
    MDIForm1();
    ~MDIForm1();
    platform::Form& form() { return form_; }
    frmBMPView* start_browser() const { return start_browser_.get(); }

    void MDIForm_Load();
    void MDIForm_Click();

private:
    platform::Form form_;
    std::unique_ptr<frmBMPView> start_browser_;
};
