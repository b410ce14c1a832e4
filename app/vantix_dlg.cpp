#include "app/vantix_dlg.h"

#include "app/desktop_double_click.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <optional>
#include <type_traits>

#include "app/device_panel.h"
#include "app/program_rules_panel.h"
#include "assign/function_catalogue.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "macro/macro_files.h"
#include "ui/accessible.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/keyboard_focus.h"
#include "ui/png_slider.h"
#include "ui/static_trans.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

// Areas repainted when the page, the view or the lighting mode changes.
const QRect kPageArea = RectLtrb(132, 123, 981, 631);
const QRect kViewArea = RectLtrb(139, 124, 397, 537);

const QSize kMainWindowSize(1028, 712);
const QRect kFrontViewRect(152, 133, 231, 410);
const QRect kSideViewRect(182, 133, 164, 410);

void SetTextColor(CStaticTrans* label, std::uint32_t color) {
  if (label->TextColor() == color) return;
  label->SetTextColor(color);
  label->update();
}

// Whether the active window is the menu or one of its sub-menus (windows of
// their own, so QWidget::isAncestorOf does not reach them).
bool MenuHoldsActivation(const QWidget* menu) {
  for (const QWidget* w = QApplication::activeWindow(); w != nullptr; w = w->parentWidget()) {
    if (w == menu) return true;
  }
  return false;
}

}  // namespace

CVantixDlg::CVantixDlg(const DlgContext& context, QWidget* parent)
    : MessageWindow<QDialog>(parent, Qt::Window | Qt::FramelessWindowHint),
      folders_(context.folders),
      live_(context.live),
      bus_(context.bus),
      launcher_(context.launcher),
      io_(context.io),
      skin_(context.folders.ProgramFolder),
      store_(context.folders.DataFolder, context.live, io_),
      sync_(store_, io_),
      agent_(context.bus, context.agent_send_limit),
      apply_({this, skin_, context.live, sync_, agent_, controls_, images_,
              context.apply_confirm_limit},
             ApplyStepsOfWindow()),
      key_hook_(context.key_hook) {
  double_click_desktop_ =
      context.double_click_desktop.value_or(FindSessionDoubleClickDesktop());
  setObjectName(QStringLiteral("mainWindow"));
  new SkinDrag(this);
  blink_timer_.setInterval(kBlinkIntervalMs);
  connect(&blink_timer_, &QTimer::timeout, this, [this] { OnTimer(kTimerStatusBlink); });
  Create(context.images);
  InitDialog();
}

CVantixDlg::~CVantixDlg() { qApp->removeEventFilter(this); }

void CVantixDlg::Create(MainImagesLoad* images) {
  // The endpoint first, so that nothing the agent posts once started is lost.
  OpenEndpoint();

  std::optional<MainImagesLoad> own_load;
  MainImagesLoad& load = images != nullptr ? *images : own_load.emplace(skin_.Paths());
  // Before any control exists: Qt keeps the first interface it makes.
  InstallSkinAccessibility();
  // The controls are built while the window-sized face may still be decoded.
  controls_ = BuildMainControls(this, skin_, load.Faces());
  images_ = load.Take();
  move(0, 0);
  // Without its face the window keeps the face's nominal size, so that every
  // control stays reachable.
  setFixedSize(images_.background.isNull() ? kMainWindowSize : images_.background.size());
  device_panel_ = new DevicePanel(this, {skin_, agent_, bus_, io_, controls_, images_});
  program_rules_ = new ProgramRulesPanel(this, {skin_, agent_, bus_, io_, images_});
  std::vector<QWidget*> left_column = device_panel_->TabStops();
  for (QWidget* stop : program_rules_->TabStops()) left_column.push_back(stop);
  LinkKeyboardAccess(this, controls_, left_column);
  // The window itself holds the focus until the user tabs into it, so that
  // Space or Enter right after opening presses no tab; it is not in the Tab
  // chain itself.
  setFocusPolicy(Qt::ClickFocus);
  setFocus(Qt::OtherFocusReason);
  ConnectControls();
  ApplyWindowOutline(this, images_.outline);

  device_panel_->Begin(StartAgentIfAbsent(agent_, folders_.ProgramFolder, launcher_));
  ApplyStatusEffects(InitialConnectionEffects(ReadConnectionState(folders_.DataFolder, io_)));
}

void CVantixDlg::InitDialog() {
  // Enter, Escape and Space do nothing anywhere in the window; F1 opens
  // the about box.
  qApp->installEventFilter(this);

  page_ = 0;
  SwitchPage(1);
  ProfileLoad load;
  store_.ReloadProfiles(&load);
  std::vector<std::string> damaged = load.damaged;
  if (MacroFiles(folders_.DataFolder, io_).IndexDamaged()) {
    damaged.push_back(MacroIndexPath(folders_.DataFolder));
  }
  // Told once the window shows, not from inside its construction.
  if (!damaged.empty()) QTimer::singleShot(0, this, [this, damaged] { WarnDamaged(damaged); });
  sync_.MarkInStep(live_);
  WatchDataFolder();
  apply_.WatchSessionEnd();
  profile_ = static_cast<std::uint8_t>(live_.CurrentProfile);
  program_rules_->ShowProfile(profile_);
  RefreshControls();
  RepairMacroAssignments();
  LabelRefresh();
  ShowProgramFollowing();
  setWindowTitle(QString::fromUtf8(kMainWindowTitle.data(),
                                   static_cast<qsizetype>(kMainWindowTitle.size())));
}

void CVantixDlg::ConnectControls() {
  // Each control has its own handler; a click anywhere first closes an open
  // assignment menu.
  const auto on_click = [this](auto* control, auto handler) {
    connect(control, &std::remove_pointer_t<decltype(control)>::clicked, this, [this, handler] {
      CloseAssignmentMenu();
      handler();
    });
  };
  const MainControls& c = controls_;
  on_click(c.about, [this] { ShowAbout(); });
  on_click(c.minimise, [this] { showMinimized(); });
  on_click(c.close, [this] {
    if (QueryClose()) done(IDCANCEL);
  });
  on_click(c.export_button, [this] { ExportCurrentProfile(); });
  on_click(c.import_button, [this] { ImportIntoCurrentProfile(); });
  on_click(c.reset_profile, [this] { ResetCurrentProfile(); });
  on_click(c.reset_all, [this] { ResetAll(); });
  on_click(c.apply, [this] { ApplySettings(); });
  for (int i = 0; i < 3; ++i) on_click(c.page_tabs[i], [this, i] { SwitchPage(i + 1); });
  on_click(c.macro_tab, [this] { RunMacroEditor(); });
  for (int i = 0; i < 2; ++i) on_click(c.view_switches[i], [this, i] { SetView(i); });
  for (int i = 0; i < kProfileCount; ++i) {
    on_click(c.profile_labels[i], [this, i] {
      SwitchProfile(i);
      RefreshControls();
      RepairMacroAssignments();
      LabelRefresh();
    });
  }
  for (int k = 0; k < kButtonCount; ++k) {
    on_click(c.assign_buttons[k], [this, k] { OpenAssignmentMenu(k); });
  }
  for (int i = 0; i < 4; ++i) on_click(c.report_rate[i], [this, i] { Edit(ReportRateClicked{i}); });
  for (int g = 0; g < 3; ++g) {
    for (int i = 0; i < 3; ++i) {
      on_click(c.light_groups[g][i], [this, g, i] { Edit(LightingGroupClicked{g, i}); });
    }
  }
  for (int k = 0; k < kStageCount; ++k) {
    const StageControls& stage = c.stages[k];
    on_click(stage.enable, [this, k, box = stage.enable] {
      Edit(StageEnableClicked{k, box->Checked()});
    });
    on_click(stage.link, [this, k, box = stage.link] {
      Edit(StageLinkClicked{k, box->Checked()});
    });
  }
  // The sixth mode button is never seen; a click on it only closes the menu.
  for (int i = 0; i < 5; ++i) {
    on_click(c.mode_buttons[i], [this, i] { Edit(LightingModeClicked{i}); });
  }
  on_click(c.mode_buttons[5], [] {});
  // Every slider of the window: stages, pointer values and colours.
  for (PngSliderTrack* track : findChildren<PngSliderTrack*>(Qt::FindDirectChildrenOnly)) {
    connect(track, &PngSliderTrack::picked, this,
            [this](int id, int value) { Edit(SliderMoved{id, value}); });
  }
}

ProfileRecord& CVantixDlg::Current() { return CurrentRecord(live_); }

void CVantixDlg::SwitchPage(int page) {
  if (page == page_ || page < 1 || page > 3) return;
  page_ = page;
  update(kPageArea);
  for (int i = 0; i < 3; ++i) {
    SetTextColor(controls_.page_tabs[i], i + 1 == page ? kHighlightColor : kPlainColor);
  }
  SetTextColor(controls_.macro_tab, kPlainColor);

  // Hide the other pages first: controls of two pages never show together.
  const MainControls& c = controls_;
  for (int other = 1; other <= 3; ++other) {
    if (other == page) continue;
    for (QWidget* w : PageWidgets(c, other)) w->hide();
  }
  if (page != 1) {
    for (CBitmapBtn* b : c.picture_badges) b->hide();
  }
  if (page != 3) {
    for (CStaticTrans* l : c.section_labels) l->hide();
    for (const auto& group : c.light_groups) {
      for (CBitmapBtn* b : group) b->hide();
    }
    for (CBitmapBtn* b : c.direction) b->hide();
  }
  for (QWidget* w : PageWidgets(c, page)) w->show();
  ShowDoubleClickNote();

  if (page == 1) {
    for (int n : kFrontBadges) c.picture_badges[n - 1]->setVisible(view_ == 0);
    for (int n : kSideBadges) c.picture_badges[n - 1]->setVisible(view_ == 1);
  } else if (page == 2) {
    ShowStages();
    ShowStageLabel();
  } else {
    ShowLightingMode(ShownLightingMode(Current().LedMode1));
    for (int i = 0; i < 3; ++i) lighting_.ShowColourEdit(i);
  }
}

void CVantixDlg::SwitchProfile(int index) {
  if (index < 0 || index >= kProfileCount) return;
  for (int i = 0; i < kProfileCount; ++i) {
    SetTextColor(controls_.profile_labels[i], i == index ? kHighlightColor : kPlainColor);
  }
  profile_ = static_cast<std::uint8_t>(index);
  live_.CurrentProfile = index;
  if (program_rules_ != nullptr) program_rules_->ShowProfile(index);
}

void CVantixDlg::SetView(int view) {
  if (view == view_) return;
  SetTextColor(controls_.view_switches[view], kHighlightColor);
  SetTextColor(controls_.view_switches[1 - view], kPlainColor);
  view_ = view;
  update(kViewArea);
  for (int n : kFrontBadges) controls_.picture_badges[n - 1]->setVisible(view == 0);
  for (int n : kSideBadges) controls_.picture_badges[n - 1]->setVisible(view == 1);
}

void CVantixDlg::RepairMacroAssignments() { buttons_.RepairMacroAssignments(Current()); }

void CVantixDlg::LabelRefresh() {
  buttons_.ShowLabels(Current());
  apply_.ShowUnapplied();  // every assignment change ends here
}

void CVantixDlg::WarnDamaged(const std::vector<std::string>& paths) {
  QStringList names;
  for (const std::string& path : paths) {
    if (!warned_damaged_.insert(path).second) continue;
    names << QString::fromStdString(path.substr(path.find_last_of('/') + 1));
  }
  if (names.isEmpty()) return;
  CWarningDlg warning(this, skin_, skin_.UiText("WARNING", 1), skin_.UiText("WARNING", 20),
                      names.join(QStringLiteral(", ")));
  warning.DoModal();
}

void CVantixDlg::closeEvent(QCloseEvent* event) {
  if (!QueryClose()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

std::int64_t CVantixDlg::OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                                         std::int64_t lparam) {
  switch (message) {
    case WM_EDIT_KEYUP:
      Edit(ColourTyped{lparam, lighting_.TypedValues()});
      return 0;
    case WM_AGENT_EVENT:
      return OnAgentEvent(wparam, lparam);
    case WM_AGENT_STATUS:
      return OnAgentStatus();
    case WM_AGENT_STATE:
      device_panel_->Refresh();
      program_rules_->Refresh();
      ApplyStatusEffects({});
      return 0;
    case WM_AGENT_SOURCE_BUTTON:
      device_panel_->ShowSourceButton(wparam, lparam);
      return 0;
    default:
      return 0;
  }
}

void CVantixDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(rect(), images_.background);
  if (page_ == 1) {
    if (view_ == 1) {
      p.drawImage(kSideViewRect, images_.side_view.Get());
    } else {
      p.drawImage(kFrontViewRect, images_.front_view);
    }
  }
  if (page_ == 3) lighting_.Paint(p);
}

void CVantixDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  CloseAssignmentMenu();
  if (page_ == 3) PickColour(event->position().toPoint());
  // The skin drags the window once the pointer moves (SkinDrag).
  event->accept();
}

bool CVantixDlg::HandleMenuKey(QObject* watched, int key) {
  // The mouse chooser takes the keys as the assignment menu does.
  if (CBmpMenu* chooser = device_panel_->Chooser(); chooser != nullptr) {
    if (chooser->HandleKey(key)) return true;
    if (key != Qt::Key_Escape) return false;
    device_panel_->CloseChooser();
    return true;
  }
  if (program_rules_->HandleMenuKey(key)) return true;
  if (assignment_menu_ != nullptr) {
    if (assignment_menu_->HandleKey(key)) return true;
    if (key != Qt::Key_Escape) return false;
    CloseAssignmentMenu();
    return true;
  }
  // The menu key opens the menu of a focused assignment button, as Enter does.
  if (key != Qt::Key_Menu) return false;
  for (CBitmapBtn* b : controls_.assign_buttons) {
    if (b == watched && b->hasFocus()) {
      b->Activate();
      return true;
    }
  }
  return false;
}

void CVantixDlg::changeEvent(QEvent* event) {
  // A click outside the program takes the activation away: the open menu
  // goes, as with a click anywhere in the window, unless the activation went
  // to the menu itself (some platforms activate it when it is shown). Qt is
  // still in its activation change, which may hold the menu's window: hidden
  // now, deleted when Qt is done.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() &&
      assignment_menu_ != nullptr && !MenuHoldsActivation(assignment_menu_)) {
    CBmpMenu* menu = std::exchange(assignment_menu_, nullptr);
    menu->hide();
    menu->deleteLater();
  }
  QDialog::changeEvent(event);
}

bool CVantixDlg::eventFilter(QObject* watched, QEvent* event) {
  // Any click in the window closes an open assignment menu (a click on a
  // control too, before the control acts on it).
  if (event->type() == QEvent::MouseButtonPress && assignment_menu_ != nullptr &&
      watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
    CloseAssignmentMenu();
  }
  const bool used = FilterWindowKey(this, watched, event, [&](int key) {
    if (event->type() == QEvent::KeyPress && HandleMenuKey(watched, key)) return true;
    if (key != Qt::Key_F1) return false;
    // Help: what the about button shows.
    event->accept();
    if (event->type() == QEvent::KeyPress) ShowAbout();
    return true;
  });
  return used || QDialog::eventFilter(watched, event);
}

}  // namespace vantix
