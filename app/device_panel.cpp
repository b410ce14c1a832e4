#include "app/device_panel.h"

#include <QImageReader>
#include <QPainter>

#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "settings/ini_file.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

// The column left of the pages, below the connection box and the line that
// an Apply was not confirmed; the button of the programs is under it.
const QRect kPanelRect = RectLtrb(12, 214, 131, 604);
const QRect kStatusRect = RectLtrb(16, 162, 129, 187);
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kAccent = 0xCCFF00;
constexpr std::uint32_t kWarn = 0x40A0FF;   // orange, as COLORREF
constexpr std::uint32_t kQuiet = 0xB0B0B0;
constexpr int kNotchMs = 150;
// How long the window gives an agent it started to show itself.
constexpr int kStartWaitMs = 3000;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A window setting of its own: whether the chooser was pointed out once.
std::optional<std::string> WindowIniPath() {
  std::optional<std::string> path = AgentConfigPath();
  if (!path) return path;
  return path->substr(0, path->find_last_of('/') + 1) + "window.ini";
}

}  // namespace

ReasonText ReasonFor(const AgentState& state, bool agent_running, bool start_failed) {
  if (!agent_running || state.backend.empty()) {
    return {start_failed ? kDeviceAgentFailed : kDeviceAgentStarting, {}, {}};
  }
  if (!state.served_path.empty()) return {};
  const ServingReason reason = ClassifyServingReason(state.reason);
  const QString device = Q(reason.device);
  switch (reason.kind) {
    case ServingReason::Kind::kNoAccess:
      return {kDeviceNoAccess, Q(reason.node),
              device.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(device)};
    case ServingReason::Kind::kNoUinput: return {kDeviceNoUinput, Q(reason.node), {}};
    case ServingReason::Kind::kNoMouse:
      return {state.devices.empty() ? kDeviceNoPointer : kDeviceNoProductMouse, {}, {}};
    case ServingReason::Kind::kChosenAbsent: return {kDeviceChosenAbsent, device, {}};
    case ServingReason::Kind::kReleased: return {kDeviceReleased, {}, {}};
    case ServingReason::Kind::kHeld: return {kDeviceHeld, device, {}};
    case ServingReason::Kind::kNotMouse: return {kDeviceNotMouse, device, {}};
    case ServingReason::Kind::kDisconnected: return {kDeviceDisconnected, {}, {}};
    case ServingReason::Kind::kNone:
      return {state.devices.empty() ? kDeviceNoPointer : kDeviceNoProductMouse, {}, {}};
    case ServingReason::Kind::kOther: return {kDeviceOther, Q(state.reason), {}};
  }
  return {};
}

CBitmapBtn* NewPanelButton(QWidget* parent, const QRect& rect, const QString& caption, const MainImages& images) {
  auto* b = new CBitmapBtn(parent, rect);
  b->SetImages(images.apply_face, images.apply_hover_face, images.apply_face, images.apply_face);
  b->SetCaption(caption, 0, kCaptionCentred);
  b->SetDrawCaption(true);
  b->SetUseTextRect(true);
  b->SetTextRect(QRect(0, 0, rect.width(), rect.height()));
  b->SetTextColors(kWhite, kAccent, kAccent);
  return b;
}

CBmpMenu* NewPanelMenu(QWidget* owner, const Skin& skin, QPoint at) {
  const QString images[4] = {skin.BackgroundPath("menuitem-n.png"), skin.BackgroundPath("menuitem-d.png"),
                             skin.BackgroundPath("menuitem-d2.png"), skin.BackgroundPath("menuitem-n2.png")};
  auto* menu = new CBmpMenu(owner);
  menu->SetItemImages(images[0], images[1], images[2], images[3]);
  menu->SetSubImages(images[0], images[1], images[2], images[3]);
  menu->SetPosition(at);
  return menu;
}

void PaintPanelBox(QWidget* panel) {
  QPainter p(panel);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(0x2A, 0x4A, 0x44));
  p.setBrush(QColor(0x12, 0x15, 0x18));
  p.drawRoundedRect(QRectF(panel->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

DevicePanel::DevicePanel(QWidget* window, const Context& context)
    : QWidget(window), c_(context) {
  setObjectName(QStringLiteral("devicePanel"));
  setGeometry(kPanelRect);
  const auto label = [this](const QRect& rect, int text, std::uint32_t style) {
    auto* l = new CStaticTrans(this, text > 0 ? Text(text) : QString(), style, rect);
    l->SetFontHeight(12);
    l->SetTextColor(kWhite);
    return l;
  };
  const int w = kPanelRect.width();
  title_ = label(QRect(4, 4, w - 8, 16), kDeviceTitle, kLabelStyle | SS_SIMPLE);
  title_->SetTextColor(kAccent);
  title_->SetFontWeight(700);
  served_ = label(QRect(4, 22, w - 8, 104), 0, kLabelStyle | SS_LEFT);
  served_->setObjectName(QStringLiteral("servedMouse"));

  choose_ = NewPanelButton(this, QRect((w - 110) / 2, 130, 110, 22), Text(kDeviceChoose), c_.images);
  choose_->setObjectName(QStringLiteral("chooseMouse"));
  connect(choose_, &CBitmapBtn::clicked, this, [this] { OpenChooser(); });

  resolution_label_ = label(QRect(4, 160, w - 8, 16), kDeviceResolution, kLabelStyle | SS_SIMPLE);
  resolution_ = new CClrEdit(this, QRect(4, 178, 52, 18), 0x5101);
  resolution_->setMaxLength(5);
  resolution_->SetTextColor(kWhite);
  resolution_->SetBackColor(0x5E5E5E);
  resolution_->setObjectName(QStringLiteral("mouseResolution"));
  resolution_->setAccessibleName(Text(kDeviceReaderResolution));
  SetTakesActivationKeys(resolution_, true);
  connect(resolution_, &QLineEdit::editingFinished, this, [this] { SetResolution(resolution_->text()); });
  source_ = label(QRect(60, 178, w - 64, 18), 0, kLabelStyle | SS_SIMPLE);
  source_->SetFontHeight(11);
  source_->SetTextColor(kQuiet);

  note_ = label(QRect(4, 202, w - 8, 150), 0, kLabelStyle | SS_LEFT);
  note_->setObjectName(QStringLiteral("deviceNote"));
  note_->SetTextColor(kAccent);

  // In the connection box, in place of "Connected": a simulated mouse.
  demo_ = new CStaticTrans(window, Text(kDeviceDemo), kLabelStyle | SS_CENTER, kStatusRect);
  demo_->SetTextColor(kWarn);
  demo_->ModifyStyle(SS_RIGHT, SS_CENTER);
  demo_->setObjectName(QStringLiteral("statusDemo"));
  demo_->hide();

  start_check_.setSingleShot(true);
  start_check_.setInterval(kStartWaitMs);
  connect(&start_check_, &QTimer::timeout, this, [this] { Refresh(); });
  for (std::size_t i = 0; i < notch_timers_.size(); ++i) {
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(kNotchMs);
    connect(timer, &QTimer::timeout, this, [this, i] { Light(static_cast<int>(i), false); });
    notch_timers_[i] = timer;
  }
}

DevicePanel::~DevicePanel() {
  delete chooser_;
  Listen(false);
}

QString DevicePanel::Text(int number) const { return c_.skin.UiText("Device", number); }

void DevicePanel::Begin(bool started) {
  start_failed_ = !started;
  Refresh();
  if (!agent_running_ && started) start_check_.start();
}

void DevicePanel::Listen(bool on) {
  if (listening_ == on) return;
  // Posted: the agent needs no answer, and the window never waits for it.
  if (c_.bus.PostMessage(kAgentWindowTitle, kAgentControlListen, on ? 1 : 0, 0)) listening_ = on;
  else if (!on) listening_ = false;
}

void DevicePanel::Refresh() {
  agent_running_ = c_.agent.FindAgent();
  state_ = agent_running_ ? ReadAgentState(AgentStatePath(c_.bus.Folder()), c_.io) : AgentState{};
  if (agent_running_) {
    start_check_.stop();
    Listen(true);
  } else {
    listening_ = false;  // a new agent looks for the window itself
  }
  if (!state_.served_path.empty()) {
    served_->SetTextColor(kWhite);
    served_->setText(Demo() ? Text(kDeviceDemoName).arg(Q(state_.served_name)) : Q(state_.served_name));
    // Served: what an Apply said about no mouse is past.
    note_->setText(QString());
  } else {
    ShowReason();
  }
  demo_->setVisible(Demo());
  if (state_.resolution > 0 && !resolution_->hasFocus()) {
    resolution_->setText(QString::number(state_.resolution));
  }
  const std::string& from = state_.resolution_source;
  source_->setText(from == "set"     ? Text(kDeviceSourceUser)
                   : from == "udev"  ? Text(kDeviceSourceUdev)
                   : from == "stage" ? Text(kDeviceSourceStage)
                   : from.empty()    ? QString()
                                     : Text(kDeviceSourceDefault));
  choose_->setEnabled(agent_running_);
  // Pointed out once: the first time the window opens on no served mouse.
  if (agent_running_ && state_.served_path.empty() && note_->text().isEmpty()) {
    if (const auto path = WindowIniPath()) {
      IniFile file(*path, c_.io);
      if (file.ReadInt(0, "Hints", "Chooser") == 0) {
        note_->setText(Text(kDeviceFirstStart));
        choose_->SetHighlighted(true);
        if (!file.WriteInt("Hints", "Chooser", 1).ok()) {
          // Not kept: it is pointed out again next time, which is harmless.
        }
      }
    }
  }
  update();
}

void DevicePanel::ShowReason() {
  const ReasonText reason = ReasonFor(state_, agent_running_, start_failed_ && !start_check_.isActive());
  QString text = Text(reason.text);
  if (!reason.arg1.isNull()) text = text.arg(reason.arg1);
  if (!reason.arg2.isNull() || text.contains(QLatin1String("%2"))) text = text.arg(reason.arg2);
  served_->SetTextColor(kWarn);
  served_->setText(text);
}

void DevicePanel::AfterApply(const SendOutcome& notified) {
  if (notified.state == SendOutcome::State::kAbsent) {
    note_->setText(Text(kDeviceSavedNoAgent));
  } else if (state_.served_path.empty()) {
    note_->setText(Text(kDeviceSavedNoMouse));
  } else {
    note_->setText(QString());
  }
}

std::vector<QWidget*> DevicePanel::TabStops() const { return {choose_, resolution_}; }

bool DevicePanel::Lit(int button) const {
  return button >= 1 && button <= kButtonCount && lit_[static_cast<std::size_t>(button)];
}

void DevicePanel::Light(int button, bool on) {
  if (button < 1 || button > kButtonCount) return;
  lit_[static_cast<std::size_t>(button)] = on;
  const auto k = static_cast<std::size_t>(button - 1);
  c_.controls.assign_buttons[k]->SetHighlighted(on);
  for (CBitmapBtn* badge : {c_.controls.list_badges[k], c_.controls.picture_badges[k]}) {
    badge->SetTextColors(on ? kAccent : kWhite, kAccent, kWhite);
    badge->SetHighlighted(on);
  }
}

void DevicePanel::ShowSourceButton(std::int64_t button, std::int64_t state) {
  if (button < 1 || button > kButtonCount) return;
  const int b = static_cast<int>(button);
  Light(b, state != 0);
  // A notch has no release: it lights for a moment.
  if (state == kSourceNotch) notch_timers_[static_cast<std::size_t>(b)]->start();
}

void DevicePanel::CloseChooser() { delete std::exchange(chooser_, nullptr); }

void DevicePanel::OpenChooser() {
  CloseChooser();
  choose_->SetHighlighted(false);
  Refresh();
  CBmpMenu* menu = NewPanelMenu(this, c_.skin, choose_->mapToGlobal(QPoint(choose_->width() + 4, 0)));
  menu->setObjectName(QStringLiteral("mouseChooser"));
  // The served one is marked; the rows are the agent's own list.
  const QString mark = QStringLiteral("\u2713 ");
  menu->AddItem(Text(kDeviceAutomatic), 0);
  for (std::size_t i = 0; i < state_.devices.size() && i + 2 < kMenuMaxRows; ++i) {
    const PublishedDevice& d = state_.devices[i];
    const QString row = Text(kDeviceMenuRow).arg(Q(d.name)).arg(d.buttons);
    menu->AddItem((d.path == state_.served_path ? mark : QString()) + row, static_cast<std::int32_t>(i + 1));
  }
  menu->AddItem(Text(kDeviceNone), -1);
  connect(menu, &CBmpMenu::picked, this, [this](const MenuChoice& picked) {
    CloseChooser();
    Choose(picked.value < 0 ? static_cast<int>(state_.devices.size()) + 1 : picked.value);
  });
  menu->Create();
  chooser_ = menu;
}

void DevicePanel::Choose(int row) {
  const int devices = static_cast<int>(state_.devices.size());
  DeviceChoice choice;
  if (row <= 0) {
    choice = {};
  } else if (row > devices) {
    choice = {DeviceChoice::Kind::kNone, {}};
  } else {
    const PublishedDevice& d = state_.devices[static_cast<std::size_t>(row - 1)];
    // By name, which holds when the mouse comes back at another node,
    // unless two devices share it.
    int same = 0;
    for (const PublishedDevice& other : state_.devices) same += other.name == d.name ? 1 : 0;
    choice = same == 1 || d.path.empty() || d.path.front() != '/'
                 ? DeviceChoice{DeviceChoice::Kind::kName, d.name}
                 : DeviceChoice{DeviceChoice::Kind::kPath, d.path};
  }
  const auto path = AgentConfigPath();
  if (!path || !WriteDeviceChoice(*path, choice, c_.io).ok()) return;
  TellAgent();
}

bool DevicePanel::SetResolution(const QString& text) {
  bool ok = false;
  const int dpi = text.trimmed().toInt(&ok);
  if (!ok || dpi < kMinNativeResolution || dpi > kMaxNativeResolution) {
    resolution_->setText(state_.resolution > 0 ? QString::number(state_.resolution) : QString());
    return false;
  }
  if (dpi == state_.resolution && state_.resolution_source == "set") return true;
  const auto path = AgentConfigPath();
  if (!path || !WriteNativeResolution(*path, dpi, c_.io).ok()) return false;
  TellAgent();
  return true;
}

void DevicePanel::TellAgent() {
  // As vantixctl agent device use does: agent.ini, then the agent reads it.
  // Its new state comes back as a message, like any other change.
  c_.agent.SendToAgent(kAgentControlReconfigure, 0, 0);
  Refresh();
}

void DevicePanel::paintEvent(QPaintEvent*) { PaintPanelBox(this); }

}  // namespace vantix
