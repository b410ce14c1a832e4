// The main window's panel of the served mouse, in the column left of the
// pages: which mouse the agent serves, or why none and what to do; the
// chooser of the mouse; its own resolution; what an Apply did when nothing
// took it; and the live test of its buttons. Everything it shows comes from
// the state the agent publishes, read when the agent says it changed.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/main_layout.h"
#include "devicelink/agent_channel.h"
#include "devicelink/agent_config.h"
#include "devicelink/serving_reason.h"
#include "settings/file_io.h"
#include "ui/window_message.h"

namespace vantix {

class CBitmapBtn;
class CBmpMenu;
class CClrEdit;
class CStaticTrans;
class MessageBus;
class Skin;

// Texts of the panel: section "Device" of the skin's strings.
enum DeviceText : int {
  kDeviceTitle = 1,
  kDeviceChoose = 2,
  kDeviceAutomatic = 3,
  kDeviceNone = 4,
  kDeviceMenuRow = 5,      // "%1 (%2)": name, buttons
  kDeviceResolution = 6,
  kDeviceDemo = 7,         // the status box while the simulated mouse serves
  kDeviceDemoName = 8,     // "%1": the simulated device
  kDeviceAgentStarting = 10,
  kDeviceAgentFailed = 11,
  kDeviceNoAccess = 12,    // %1 node, %2 " (name)"
  kDeviceNoUinput = 13,    // %1 node
  kDeviceNoPointer = 14,
  kDeviceNoProductMouse = 15,
  kDeviceChosenAbsent = 16,  // %1 the choice
  kDeviceReleased = 17,
  kDeviceHeld = 18,        // %1 name
  kDeviceNotMouse = 19,    // %1 name
  kDeviceDisconnected = 20,
  kDeviceOther = 21,       // %1 the agent's words
  kDeviceSavedNoMouse = 30,
  kDeviceSavedNoAgent = 31,
  kDeviceSourceUser = 35,
  kDeviceSourceUdev = 36,
  kDeviceSourceStage = 37,
  kDeviceSourceDefault = 38,
  kDeviceFirstStart = 40,
  kDeviceReaderResolution = 42,
};

// What the panel says when no mouse is served: the text and its arguments.
struct ReasonText {
  int text = 0;  // DeviceText; 0: nothing to say
  QString arg1, arg2;
};
// agent_running: the endpoint exists; start_failed: the window could not
// start it. The device list tells "no mouse at all" from "none of ours".
ReasonText ReasonFor(const AgentState& state, bool agent_running, bool start_failed);

// The pieces the window's panels share: a button on the bottom row's face
// with its caption, a menu of the skin's rows, and the panel's box.
CBitmapBtn* NewPanelButton(QWidget* parent, const QRect& rect, const QString& caption, const MainImages& images);
CBmpMenu* NewPanelMenu(QWidget* owner, const Skin& skin, QPoint at);
void PaintPanelBox(QWidget* panel);

class DevicePanel final : public QWidget {
 public:
  struct Context {
    const Skin& skin;
    AgentChannel& agent;
    const MessageBus& bus;
    FileIo& io;
    const MainControls& controls;  // the rows and badges the live test lights
    const MainImages& images;      // the bottom row's face for the chooser's button
  };
  DevicePanel(QWidget* window, const Context& context);
  ~DevicePanel() override;

  // After the window tried to start the agent (started: it runs or was
  // launched).
  void Begin(bool started);
  // The agent's state may have changed: read it again and show it.
  void Refresh();
  // After an Apply: says so when nothing took the settings.
  void AfterApply(const SendOutcome& notified);
  // A source button (WM_AGENT_SOURCE_BUTTON).
  void ShowSourceButton(std::int64_t button, std::int64_t state);
  // Whether the simulated mouse serves: the window shows a demo.
  bool Demo() const { return state_.Simulated() && !state_.served_path.empty(); }

  void OpenChooser();
  void CloseChooser();
  CBmpMenu* Chooser() const { return chooser_; }
  void Choose(int row);  // a row of the chooser: 0 automatic, then devices, last none
  bool SetResolution(const QString& text);

  const AgentState& State() const { return state_; }
  CStaticTrans* Served() const { return served_; }
  CStaticTrans* Note() const { return note_; }
  CStaticTrans* DemoLabel() const { return demo_; }
  CBitmapBtn* ChooseButton() const { return choose_; }
  CClrEdit* ResolutionEdit() const { return resolution_; }
  CStaticTrans* ResolutionSource() const { return source_; }
  bool Lit(int button) const;
  // In the window's reading order: the chooser, then the resolution.
  std::vector<QWidget*> TabStops() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString Text(int number) const;
  void ShowReason();
  void Light(int button, bool on);
  void TellAgent();
  void Listen(bool on);

  Context c_;
  AgentState state_;
  bool agent_running_ = false;
  bool start_failed_ = false;
  CStaticTrans* title_ = nullptr;
  CStaticTrans* served_ = nullptr;
  CBitmapBtn* choose_ = nullptr;
  CStaticTrans* resolution_label_ = nullptr;
  CClrEdit* resolution_ = nullptr;
  CStaticTrans* source_ = nullptr;
  CStaticTrans* note_ = nullptr;
  CStaticTrans* demo_ = nullptr;
  CBmpMenu* chooser_ = nullptr;
  QTimer start_check_;
  std::array<bool, 13> lit_{};
  std::array<QTimer*, 13> notch_timers_{};
  bool listening_ = false;
};

}  // namespace vantix
