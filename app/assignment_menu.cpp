// The assignment menu of the main window and the handling of its choice.
#include "app/vantix_dlg.h"

namespace vantix {

void CVantixDlg::CloseAssignmentMenu() {
  // No assignment menu exists yet; nothing to close.
}

}  // namespace vantix
