#include "app/vantix_app.h"

#include <cstdio>

#include "app/vantix_dlg.h"
#include "devicelink/device_link.h"
#include "settings/folders.h"
#include "ui/hook_event_filter.h"

namespace vantix {

bool CVantixApp::InitInstance() {
  const Status folder = PrepareEndpointFolder(endpoint_folder_);
  if (!folder.ok()) {
    // Without a private folder there is no lock to take; run anyway rather
    // than refuse to start, and say why.
    std::fprintf(stderr, "vantix: %s\n", folder.reason().c_str());
    return true;
  }
  lock_ = InstanceLock::Acquire(endpoint_folder_, kMainInstanceLockName);
  return lock_ != nullptr;
}

int CVantixApp::Run() {
  HookEventFilter::Install();
  SettingsBlock live;
  const MessageBus bus(endpoint_folder_);
  const DlgContext context{ResolveFolders(), live, bus, SystemProcessLauncher()};
  CVantixDlg dlg(context);
  dlg.show();
  dlg.exec();
  return 0;
}

void CVantixApp::ExitInstance() { lock_.reset(); }

}  // namespace vantix
