#include "app/startup.h"

#include "app/mdi_form.h"
#include "app/windows.h"

void start_glimmerbox() { windows::frame().MDIForm_Load(); }
