#include "app/program_rules_panel.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>

#include "app/desktop_double_click.h"
#include "app/device_panel.h"
#include "app/main_images.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "macro/editor/list_box_accessible.h"
#include "macro/editor/list_box_ex.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

// The foot of the left column, under the mouse's panel.
const QRect kOpenRect(16, 612, 110, 22);
// Over the page, beside the left column, above the bottom row.
const QRect kPanelRect(140, 272, 400, 364);
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 22;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kAccent = 0xCCFF00;
constexpr std::uint32_t kWarn = 0x40A0FF;  // orange, as COLORREF
constexpr std::uint32_t kRowText = 0xFFFFFF;
constexpr std::uint32_t kSelectedRowText = 0x000000;
constexpr std::uint32_t kListColour = 0x2A2A2A;
constexpr int kListId = 0x5201;
constexpr int kNameId = 0x5202;

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

GnomeExtension GnomeExtensionState(const std::string& focus_problem) {
  // The agent's words for the extension (one problem among several,
  // separated by "; ").
  const std::string about = std::string("gnome: the extension ") + kFocusExtensionUuid;
  const std::size_t at = focus_problem.find(about);
  if (at == std::string::npos) return GnomeExtension::kFine;
  const std::string_view rest = std::string_view(focus_problem).substr(at + about.size());
  if (rest.starts_with(" is not installed")) return GnomeExtension::kMissing;
  if (rest.starts_with(" is not enabled")) return GnomeExtension::kDisabled;
  return GnomeExtension::kFine;
}

Status EnableWithGnomeExtensionsTool(const std::string& uuid) {
  return RunDesktopTool(QStringLiteral("gnome-extensions"), {QStringLiteral("enable"), Q(uuid)});
}

ProgramRulesPanel::ProgramRulesPanel(QWidget* window, const Context& context)
    : QWidget(window), c_(context) {
  // Before the first list exists: Qt keeps the first interface it makes.
  InstallListBoxAccessibility();
  setObjectName(QStringLiteral("programRules"));
  setGeometry(kPanelRect);
  const auto button = [this](QWidget* parent, const QRect& rect, const QString& caption,
                             const char* name) {
    CBitmapBtn* b = NewPanelButton(parent, rect, caption, c_.images);
    b->setObjectName(QLatin1String(name));
    return b;
  };
  const auto label = [this](const QRect& rect, std::uint32_t style, const char* name) {
    auto* l = new CStaticTrans(this, QString(), kLabelStyle | style, rect);
    l->SetFontHeight(12);
    l->SetTextColor(kWhite);
    l->setObjectName(QLatin1String(name));
    return l;
  };

  open_ = button(window, kOpenRect, QString(), "openPrograms");
  connect(open_, &CBitmapBtn::clicked, this, [this] { IsOpen() ? Close() : Open(); });

  const int w = kPanelRect.width();
  const int right = w - 10 - kButtonWidth;
  title_ = label(QRect(10, 8, w - 20, 18), SS_SIMPLE, "programsTitle");
  title_->SetTextColor(kAccent);
  title_->SetFontWeight(700);

  list_ = new CListBoxEx(this, QRect(10, 32, 250, 6 * CListBoxEx::kRowHeight), kListId, true);
  list_->setObjectName(QStringLiteral("programList"));
  list_->SetOwner(this, c_.skin);
  list_->selection_highlight = true;
  list_->click_notify = false;
  list_->text_colour = kRowText;
  list_->selected_text_colour = kSelectedRowText;
  list_->SetListBackground(kListColour);
  list_->installEventFilter(this);
  empty_ = label(QRect(16, 36, 238, 60), SS_LEFT, "programsEmpty");
  empty_->SetTextColor(0xB0B0B0);
  empty_->setAttribute(Qt::WA_TransparentForMouseEvents);
  remove_ = button(this, QRect(right, 32, kButtonWidth, kButtonHeight), Text(kProgramsRemove),
                   "removeProgram");
  connect(remove_, &CBitmapBtn::clicked, this, [this] { RemoveSelected(); });

  name_label_ = label(QRect(10, 178, 250, 16), SS_SIMPLE, "programNameLabel");
  name_label_->setText(Text(kProgramsNameLabel));
  name_ = new CClrEdit(this, QRect(10, 196, 250, 20), kNameId);
  name_->setMaxLength(static_cast<int>(kMaxProgramNameBytes));
  name_->SetTextColor(kWhite);
  name_->SetBackColor(0x5E5E5E);
  name_->setObjectName(QStringLiteral("programName"));
  name_->setAccessibleName(Text(kProgramsReaderName));
  SetTakesActivationKeys(name_, true);
  connect(name_, &QLineEdit::returnPressed, this, [this] { Add(name_->text().trimmed()); });
  add_ = button(this, QRect(right, 195, kButtonWidth, kButtonHeight), Text(kProgramsAdd),
                "addProgram");
  connect(add_, &CBitmapBtn::clicked, this, [this] { Add(name_->text().trimmed()); });
  recent_ = button(this, QRect(right, 221, kButtonWidth, kButtonHeight), Text(kProgramsRecent),
                   "recentPrograms");
  connect(recent_, &CBitmapBtn::clicked, this, [this] { OpenRecent(); });

  message_ = label(QRect(10, 222, 250, 46), SS_LEFT, "programsMessage");
  gnome_ = label(QRect(10, 274, 250, 84), SS_LEFT, "gnomeExtension");
  gnome_->SetTextColor(kWarn);
  enable_ = button(this, QRect(right, 274, kButtonWidth, kButtonHeight), Text(kProgramsGnomeEnable),
                   "enableExtension");
  connect(enable_, &CBitmapBtn::clicked, this, [this] { EnableExtension(); });
  close_ = button(
      this, QRect(right, kPanelRect.height() - 8 - kButtonHeight, kButtonWidth, kButtonHeight),
      Text(kProgramsClose), "closePrograms");
  connect(close_, &CBitmapBtn::clicked, this, [this] { Close(); });

  hide();
  Refresh();
}

ProgramRulesPanel::~ProgramRulesPanel() { CloseRecent(); }

QString ProgramRulesPanel::Text(int number) const { return c_.skin.UiText("PROGRAMS", number); }

std::vector<QWidget*> ProgramRulesPanel::TabStops() const { return {open_}; }

void ProgramRulesPanel::ShowProfile(int profile) {
  if (profile < 0 || profile > 4 || profile == profile_) return;
  profile_ = profile;
  Say(QString(), false);
  ShowRules();
}

void ProgramRulesPanel::Refresh() {
  const std::optional<std::string> path = ProgramRulesPath();
  rules_ = path ? ReadProgramRules(*path, c_.io) : ProgramRules{};
  // No agent, no programs in front and nothing to say about GNOME.
  state_ =
      c_.agent.FindAgent() ? ReadAgentState(AgentStatePath(c_.bus.Folder()), c_.io) : AgentState{};
  ShowRules();
  ShowGnome();
}

void ProgramRulesPanel::ShowRules() {
  const int profile = profile_ + 1;
  std::vector<QString> rows;
  for (const ProgramRule& rule : rules_.rules) {
    if (rule.profile == profile) rows.push_back(Q(rule.program));
  }
  const QString selected = list_->GetCurSel() >= 0 ? list_->GetText(list_->GetCurSel()) : QString();
  list_->ResetContent();
  for (const QString& row : rows) {
    const int i = list_->AddString(row);
    if (row == selected) list_->SetCurSel(i);
  }
  if (list_->GetCurSel() < 0 && !rows.empty()) list_->SetCurSel(0);
  const QString title = Text(kProgramsTitle).arg(profile);
  title_->setText(title);
  list_->setAccessibleName(title);
  empty_->setText(Text(kProgramsEmpty));
  empty_->setVisible(rows.empty());
  remove_->setEnabled(!rows.empty());
  recent_->setEnabled(!state_.recent.empty());
  const QString caption = Text(kProgramsButton).arg(rows.size());
  open_->SetCaption(caption, 0, kCaptionCentred);
  open_->setAccessibleName(caption);
  open_->update();
}

void ProgramRulesPanel::ShowGnome() {
  const GnomeExtension extension = GnomeExtensionState(state_.focus_problem);
  const bool offered =
      extension == GnomeExtension::kDisabled && enabled_for_ != state_.focus_problem;
  QString text;
  if (extension == GnomeExtension::kMissing) {
    text = Text(kProgramsGnomeMissing).arg(QLatin1String(kFocusExtensionFolder));
  } else if (offered) {
    text = Text(kProgramsGnomeOff);
  }
  if (enabled_for_ != state_.focus_problem) enabled_for_.clear();
  gnome_->setText(text);
  gnome_->setVisible(!text.isEmpty());
  enable_->setVisible(offered);
}

void ProgramRulesPanel::Say(const QString& text, bool warn) {
  message_->SetTextColor(warn ? kWarn : kAccent);
  message_->setText(text);
  message_->setAccessibleName(text);
}

void ProgramRulesPanel::Open() {
  Refresh();
  Say(QString(), false);
  show();
  raise();
  SetTabChain({open_, list_, name_, add_, recent_, remove_, enable_, close_});
  name_->setFocus(Qt::OtherFocusReason);
}

void ProgramRulesPanel::Close() {
  CloseRecent();
  const bool had_focus = isAncestorOf(QApplication::focusWidget());
  hide();
  if (had_focus) open_->setFocus(Qt::OtherFocusReason);
}

QString ProgramRulesPanel::RefusalOf(const std::string& name) const {
  switch (FindProgramNameFault(name)) {
    case ProgramNameFault::kNone:
      return {};
    case ProgramNameFault::kEmpty:
      return Text(kProgramsNameEmpty);
    case ProgramNameFault::kTooLong:
      return Text(kProgramsNameTooLong).arg(kMaxProgramNameBytes);
    case ProgramNameFault::kControl:
      return Text(kProgramsNameControl);
    case ProgramNameFault::kSpaceAtEnd:
      return Text(kProgramsNameSpace);
    case ProgramNameFault::kQuoted:
      return Text(kProgramsNameQuoted);
  }
  return {};
}

bool ProgramRulesPanel::Add(const QString& typed) {
  const std::string name = typed.toStdString();
  if (const QString refusal = RefusalOf(name); !refusal.isEmpty()) {
    Say(refusal, true);
    return false;
  }
  const std::optional<std::string> path = ProgramRulesPath();
  if (!path) {
    Say(Text(kProgramsNotSaved).arg(QStringLiteral("$HOME")), true);
    return false;
  }
  // What the file holds now, not what the panel read last: vantixctl may
  // have changed it meanwhile.
  rules_ = ReadProgramRules(*path, c_.io);
  const int profile = profile_ + 1;
  const ProgramRule* had = rules_.Find(name);
  if (had != nullptr && had->profile == profile && had->program == name) {
    Say(Text(kProgramsAlready).arg(typed), false);
    return true;
  }
  if (had == nullptr && rules_.rules.size() >= kMaxProgramRules) {
    Say(Text(kProgramsTooMany).arg(kMaxProgramRules), true);
    return false;
  }
  const int before = had != nullptr ? had->profile : 0;
  if (const Status saved = SetProgramRule(*path, name, profile, c_.io); !saved.ok()) {
    Say(Text(kProgramsNotSaved).arg(Q(saved.reason())), true);
    return false;
  }
  TellAgent();
  name_->clear();
  Refresh();
  for (int i = 0; i < list_->GetCount(); ++i) {
    if (list_->GetText(i) == typed) list_->SetCurSel(i);
  }
  Say(before != 0 && before != profile ? Text(kProgramsMoved).arg(typed).arg(before).arg(profile)
                                       : Text(kProgramsAdded).arg(typed).arg(profile),
      false);
  return true;
}

bool ProgramRulesPanel::RemoveSelected() {
  const int row = list_->GetCurSel();
  if (row < 0) return false;
  const QString name = list_->GetText(row);
  const std::optional<std::string> path = ProgramRulesPath();
  if (!path) return false;
  bool removed = false;
  if (const Status saved = RemoveProgramRule(*path, name.toStdString(), removed, c_.io);
      !saved.ok()) {
    Say(Text(kProgramsNotSaved).arg(Q(saved.reason())), true);
    return false;
  }
  if (removed) TellAgent();
  Refresh();
  // The row that took its place keeps the selection.
  if (list_->GetCount() > 0) list_->SetCurSel(std::min(row, list_->GetCount() - 1));
  Say(Text(kProgramsRemoved).arg(name), false);
  if (list_->GetCount() == 0 && list_->hasFocus()) name_->setFocus(Qt::OtherFocusReason);
  return removed;
}

bool ProgramRulesPanel::EnableExtension() {
  const Status enabled = c_.enable_extension(kFocusExtensionUuid);
  if (!enabled.ok()) {
    Say(Text(kProgramsGnomeFailed).arg(Q(enabled.reason())), true);
    return false;
  }
  // The agent hears from the extension at the next change of focus; until
  // it says otherwise its old words are not offered again.
  enabled_for_ = state_.focus_problem;
  const bool had_focus = enable_->hasFocus();
  ShowGnome();
  if (had_focus) close_->setFocus(Qt::OtherFocusReason);
  Say(Text(kProgramsGnomeOn), false);
  return true;
}

void ProgramRulesPanel::TellAgent() {
  // As vantixctl program does: the file first, then the agent reads it.
  c_.agent.SendToAgent(kAgentControlProgramRules, 0, 0);
}

std::vector<QString> ProgramRulesPanel::Rows() const {
  std::vector<QString> rows;
  for (int i = 0; i < list_->GetCount(); ++i) rows.push_back(list_->GetText(i));
  return rows;
}

void ProgramRulesPanel::CloseRecent() { delete std::exchange(recent_menu_, nullptr); }

void ProgramRulesPanel::OpenRecent() {
  CloseRecent();
  Refresh();
  if (state_.recent.empty()) {
    Say(Text(kProgramsNoRecent), true);
    return;
  }
  CBmpMenu* menu =
      NewPanelMenu(this, c_.skin, recent_->mapToGlobal(QPoint(recent_->width() + 4, 0)));
  menu->setObjectName(QStringLiteral("recentPrograms"));
  for (std::size_t i = 0; i < state_.recent.size() && i < kMenuMaxRows; ++i) {
    const QString name = Q(state_.recent[i]);
    const ProgramRule* rule = rules_.Find(state_.recent[i]);
    menu->AddItem(rule != nullptr ? Text(kProgramsRecentRow).arg(name).arg(rule->profile) : name,
                  static_cast<std::int32_t>(i));
  }
  connect(menu, &CBmpMenu::picked, this, [this](const MenuChoice& picked) {
    CloseRecent();
    const auto row = static_cast<std::size_t>(picked.value);
    if (picked.value >= 0 && row < state_.recent.size()) Add(Q(state_.recent[row]));
  });
  connect(menu, &CBmpMenu::cancelled, this, [this] { CloseRecent(); });
  menu->Create();
  recent_menu_ = menu;
}

bool ProgramRulesPanel::HandleMenuKey(int qt_key) {
  if (recent_menu_ == nullptr) return false;
  if (recent_menu_->HandleKey(qt_key)) return true;
  if (qt_key != Qt::Key_Escape) return false;
  CloseRecent();
  return true;
}

bool ProgramRulesPanel::eventFilter(QObject* watched, QEvent* event) {
  // The list moves its selection by Up and Down and loses a row by Delete.
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int row = list_->GetCurSel();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
      RemoveSelected();
      return true;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && list_->GetCount() > 0) {
      const int next =
          key == Qt::Key_Up ? std::max(row - 1, 0) : std::min(row + 1, list_->GetCount() - 1);
      list_->SetCurSel(next);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ProgramRulesPanel::paintEvent(QPaintEvent*) { PaintPanelBox(this); }

}  // namespace vantix
