#include "app/frame/startup.h"

#include "app/frame/mdi_form.h"
#include "app/state/windows.h"

void start_glimmerbox() { windows::frame().MDIForm_Load(); }
