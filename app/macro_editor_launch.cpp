// Opening the macro editor from the main window.
#include "app/vantix_dlg.h"
#include "macro/editor/macro_dlg.h"

namespace vantix {

void CVantixDlg::RunMacroEditor() {
  // The window's file layer: a macro that cannot be saved because another
  // writer holds the folder says so instead of freezing the editor.
  const MacroEditorContext context{skin_, folders_.DataFolder, agent_, live_, io_, nullptr, {}};
  CMacroDlg editor(this, context);
  editor.DoModal();
  // A macro deleted or renamed in the editor changes the labels of the
  // buttons that use it.
  RepairMacroAssignments();
  LabelRefresh();
}

}  // namespace vantix
