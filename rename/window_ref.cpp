// The rename dialog's reference (app/state/windows.h), kept with its window.
#include "app/state/windows.h"
#include "rename/frm_new_name.h"

namespace windows {

WindowRef<frmNewName>& new_name() {
    static WindowRef<frmNewName> ref([] { return std::make_unique<frmNewName>(); });
    return ref;
}

}  // namespace windows
