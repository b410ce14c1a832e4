// The main window's test fixture: a scratch data folder, a private endpoint
// folder, an agent starter that only records, and short ways to drive the
// window as the user and the agent do.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/vantix_dlg.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "settings/ini_file.h"
#include "tests/test_support.h"
#include "ui/bitmap_btn.h"
#include "ui/png_slider.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

using test::Exists;
using test::ScratchDir;

// Garbage of a fixed seed, so that a failure can be repeated.
[[maybe_unused]] std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// What a modal window opened during an action showed before it was closed.
struct SeenModal {
  QString name;
  QString title;
  QString message;
  QString detail;
  QImage face;  // as drawn
};

// Runs action while watching for a modal window, which is noted and ended
// with answer (a plain close when none is given).
[[maybe_unused]] std::optional<SeenModal> WatchModal(const std::function<void()>& action,
                                                     std::optional<int> answer = std::nullopt) {
  std::optional<SeenModal> seen;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    const auto text = [modal](const QString& name) {
      auto* label = modal->findChild<CStaticTrans*>(name);
      return label != nullptr ? label->text() : QString();
    };
    seen = SeenModal{modal->objectName(), text(QStringLiteral("titleLabel")),
                     text(QStringLiteral("messageLabel")), text(QStringLiteral("detailLabel")),
                     modal->grab().toImage()};
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (answer && dialog != nullptr) {
      dialog->done(*answer);
    } else {
      modal->close();
    }
  });
  watcher.start(0);
  action();
  return seen;
}

class RecordingLauncher final : public ProcessLauncher {
 public:
  bool StartDetached(const std::string& path) override {
    started.push_back(path);
    return succeed;
  }
  std::vector<std::string> started;
  bool succeed = true;
};

// The agent on a thread of its own, as its process would be: it answers
// every message and, like the real one, reports kind 15 after an Apply,
// unless it is told to stay silent about it.
class AnsweringAgent {
 public:
  explicit AnsweringAgent(const MessageBus& bus, bool confirms = true)
      : bus_(bus), confirms_(confirms) {
    endpoint_ = Endpoint::Open(kAgentWindowTitle, bus.Folder()).endpoint;
    if (endpoint_) thread_ = std::thread([this] { Run(); });
  }
  ~AnsweringAgent() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool Listening() const { return endpoint_ != nullptr; }
  int Applies() const { return applies_; }
  // How often it was told to read programs.ini again.
  int RulesTold() const { return rules_told_; }

 private:
  void Run() {
    while (!stop_) {
      pollfd p{endpoint_->Fd(), POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      endpoint_->Process([this](const WindowMessage& m) -> std::int64_t {
        if (m.message == WM_AGENT_APPLY) {
          ++applies_;
          if (confirms_) bus_.PostMessage(kMainWindowTitle, WM_AGENT_EVENT, kEventApplyDone, 0);
        }
        if (m.message == kAgentControlProgramRules) ++rules_told_;
        return 0;
      });
    }
  }

  const MessageBus& bus_;
  bool confirms_;
  std::unique_ptr<Endpoint> endpoint_;
  std::thread thread_;
  std::atomic<bool> stop_ = false;
  std::atomic<int> applies_ = 0;
  std::atomic<int> rules_told_ = 0;
};

class DlgTest : public ::testing::Test {
 protected:
  DlgTest() : data(scratch / "data/"), endpoints(scratch / "run"), bus(endpoints) {
    ::mkdir(data.c_str(), 0700);
  }

  CVantixDlg& Open(std::string program_folder = VANTIX_PROGRAM_DIR "/") {
    DlgContext context{
        Folders{program_folder, data}, live, bus, launcher, WindowFileIo(), send_limit};
    context.apply_confirm_limit = apply_confirm_limit;
    context.double_click_desktop = double_click_desktop;
    dlg = std::make_unique<CVantixDlg>(context);
    dlg->show();
    return *dlg;
  }
  const MainControls& C() const { return dlg->Controls(); }
  ProfileRecord& Profile() { return CurrentRecord(live); }

  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
  // The slider of this control id reports a value, as a click there does.
  void Slide(int id, int position) {
    for (PngSliderTrack* track : dlg->findChildren<PngSliderTrack*>()) {
      if (track->ControlId() == id) emit track->picked(id, position);
    }
  }
  // Posted, as the endpoint delivers the agent's messages.
  void Agent(std::uint32_t message, std::int64_t w, std::int64_t l) {
    PostWindowMessage(dlg.get(), message, w, l);
    QCoreApplication::sendPostedEvents(dlg.get());
  }
  void SetConnected(int setting) {
    ::mkdir((data + "MacroDB").c_str(), 0700);
    ASSERT_TRUE(
        IniFile(MacroIndexPath(data), SystemFileIo()).WriteInt("Device", "Setting", setting).ok());
  }
  bool AnyProfileFile() const {
    for (int i = 0; i < kProfileCount; ++i) {
      if (Exists(ProfilePath(data, i))) return true;
    }
    return false;
  }
  bool AllProfileFiles() const {
    for (int i = 0; i < kProfileCount; ++i) {
      if (!Exists(ProfilePath(data, i))) return false;
    }
    return true;
  }
  static bool Shown(const QWidget* w) { return !w->isHidden(); }
  bool RowEnabled() const {
    for (CBitmapBtn* b : C().BottomRow()) {
      if (!b->isEnabled()) return false;
    }
    return true;
  }
  bool RowDisabled() const {
    for (CBitmapBtn* b : C().BottomRow()) {
      if (b->isEnabled()) return false;
    }
    return true;
  }

  ScratchDir scratch;
  std::string data;
  std::string endpoints;
  MessageBus bus;
  SettingsBlock live;
  RecordingLauncher launcher;
  std::chrono::milliseconds send_limit = kSendTimeout;
  std::chrono::milliseconds apply_confirm_limit = std::chrono::seconds(10);
  // Tests never touch the desktop of whoever runs them.
  std::optional<DoubleClickDesktop> double_click_desktop = DoubleClickDesktop::kNone;
  std::unique_ptr<CVantixDlg> dlg;
};

}  // namespace
}  // namespace vantix
