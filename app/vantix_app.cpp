#include "app/vantix_app.h"

#include <QEvent>
#include <QIcon>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include <cstdio>

#include "app/main_images.h"
#include "app/vantix_dlg.h"
#include "devicelink/device_link.h"
#include "settings/folders.h"
#include "ui/hook_event_filter.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

// How long deferred start-up work waits after the first paint. The server
// exposes the new window a moment after Qt has painted it, and Qt flushes the
// frame once more for that; work run right behind the paint held that flush
// back, so the window took longer to settle on screen.
constexpr int kSettleMs = 150;

// Runs `work` after the window's first paint is done, delay_ms later. It is
// queued: the paint event starts a pass that paints every child and flushes
// the frame before the event loop runs the timer.
class AfterFirstPaint final : public QObject {
 public:
  AfterFirstPaint(CVantixDlg& dlg, int delay_ms, std::function<void()> work)
      : dlg_(dlg), delay_ms_(delay_ms), work_(std::move(work)) {
    dlg.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &dlg_ && event->type() == QEvent::Paint && !armed_) {
      armed_ = true;
      QTimer::singleShot(delay_ms_, &dlg_, work_);
    }
    return false;
  }

 private:
  CVantixDlg& dlg_;
  int delay_ms_;
  std::function<void()> work_;
  bool armed_ = false;
};

}  // namespace

// Found directly rather than through QIcon::fromTheme, which parses the
// theme's whole index for it (most of a megabyte at start). Larger sizes are
// left out: window managers draw window icons small, and the X property
// carries every size given.
QIcon InstalledWindowIcon(const QString& app_id) {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
    const QString file = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation,
        QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(app_id));
    if (!file.isEmpty()) icon.addFile(file, QSize(size, size));
  }
  return icon;
}

CVantixApp::CVantixApp(std::string endpoint_folder) : endpoint_folder_(std::move(endpoint_folder)) {}

CVantixApp::~CVantixApp() = default;

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
  // The window waits only briefly for another writer's lock, and says so.
  if (!folders_) folders_ = ResolveFolders();
  DlgContext context{*folders_, live, bus, SystemProcessLauncher(), WindowFileIo()};
  context.images = images_.get();
  CVantixDlg dlg(context);
  std::unique_ptr<AfterFirstPaint> later;
  if (after_first_paint_) {
    later = std::make_unique<AfterFirstPaint>(dlg, kSettleMs, after_first_paint_);
  }
  std::unique_ptr<AfterFirstPaint> closer;
  if (exit_after_first_paint_) {
    closer = std::make_unique<AfterFirstPaint>(dlg, 0, [&dlg] { dlg.done(IDCANCEL); });
  }
  dlg.show();
  dlg.exec();
  return 0;
}

void CVantixApp::StartEarlyWork() {
  // Qt takes the first thread that asks which thread it is for its main
  // thread: this one asks now, so that nothing on the threads below can.
  QThread::currentThread();
  folders_ = ResolveFolders();
  // Parsing fontconfig's configuration files is most of the cost of Qt's
  // first font; the configuration is process-wide, so Qt finds it loaded.
  fonts_ = std::async(std::launch::async, [] { FcInit(); });
  images_ = std::make_unique<MainImagesLoad>(SkinPaths(folders_->ProgramFolder));
}

void CVantixApp::WaitForFonts() {
  if (fonts_.valid()) fonts_.get();
}

void CVantixApp::ExitInstance() { lock_.reset(); }

}  // namespace vantix
