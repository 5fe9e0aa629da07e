// The rename dialog's reference (app/state/windows.h), kept with its window.
#include "app/state/windows.h"
#include "rename/frm_new_name.h"

namespace windows {

WindowRef<frmNewName>& new_name() {
    static auto* ref = new WindowRef<frmNewName>([] { return std::make_unique<frmNewName>(); });  // outlives exit()
    return *ref;
}

}  // namespace windows
