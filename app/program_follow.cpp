// The main window's line about the profile that follows the program in
// front. While a rule of programs.ini is in force the agent serves that
// rule's profile and says so with kind 9; the window names the profile and
// the program, and keeps its own profile, the one the user chose and Apply
// writes, as it was. When nothing tells the agent which program is in
// front, the line says why.
#include "app/vantix_dlg.h"
#include "devicelink/agent_config.h"
#include "devicelink/agent_messages.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

constexpr std::uint32_t kFollowColor = 0x00B4FF;  // the accent of the profile labels' row
constexpr int kTextFollows = 1;
constexpr int kTextNotFollowed = 2;

}  // namespace

bool CVantixDlg::ShowProgramFollowing(std::int64_t kind) {
  const AgentState state = ReadAgentState(AgentStatePath(bus_.Folder()), io_);
  if (follow_line_ == nullptr) {
    // Under the five profile names, across their row.
    follow_line_ = new CStaticTrans(this, QString(), kLabelStyle, QRect(375, 52, 575, 20));
    follow_line_->setObjectName(QStringLiteral("program_follow"));
    follow_line_->SetTextColor(kFollowColor);
    follow_line_->ModifyStyle(SS_RIGHT, SS_CENTER);
  }
  QString text;
  if (!state.program.empty()) {
    text = skin_.UiText("PROGRAMS", kTextFollows)
               .arg(state.profile)
               .arg(QString::fromStdString(state.program));
  } else if (state.focus.empty() && !state.focus_problem.empty()) {
    text = skin_.UiText("PROGRAMS", kTextNotFollowed).arg(QString::fromStdString(state.focus_problem));
  }
  follow_line_->setText(text);
  follow_line_->setAccessibleName(text);
  if (follow_line_->isHidden() != text.isEmpty()) {
    follow_line_->setVisible(!text.isEmpty());
    follow_line_->RefreshBehind();
  }
  // A profile event of the rule, or of its end, leaves the window's profile.
  const bool was_following = following_;
  following_ = !state.program.empty();
  return kind == kEventProfile && (following_ || was_following);
}

}  // namespace vantix
