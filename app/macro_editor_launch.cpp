// Opening the macro editor from the main window.
#include "app/vantix_dlg.h"

namespace vantix {

void CVantixDlg::RunMacroEditor() {
  // The editor window is not built yet.
}

}  // namespace vantix
