// The main window's panel of the programs that a profile follows: the rules
// of programs.ini for the profile being edited, a name typed or picked from
// the programs lately in front to add, the selected one to remove, and
// GNOME's focus extension offered where the agent says it is off. A button
// at the foot of the left column shows how many programs follow the profile
// and opens the panel over the page. Every change goes to programs.ini
// (devicelink/program_rules) and the running agent is told at once.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "devicelink/agent_channel.h"
#include "devicelink/agent_config.h"
#include "devicelink/program_rules.h"
#include "settings/file_io.h"
#include "settings/status.h"
#include "ui/window_message.h"

namespace vantix {

class CBitmapBtn;
class CBmpMenu;
class CClrEdit;
class CListBoxEx;
class CStaticTrans;
class MessageBus;
class Skin;
struct MainImages;

// Texts of the panel: section "PROGRAMS" of the skin's strings (1 and 2 are
// the line under the profiles).
enum ProgramsText : int {
  kProgramsButton = 3,  // "%1": how many follow the profile
  kProgramsTitle = 4,   // "%1": the profile
  kProgramsEmpty = 5,
  kProgramsNameLabel = 6,
  kProgramsAdd = 7,
  kProgramsRecent = 8,
  kProgramsRemove = 9,
  kProgramsClose = 10,
  kProgramsRecentRow = 11,  // "%1 (profile %2)": a recent program that has a rule
  kProgramsAdded = 12,      // %1 name, %2 profile
  kProgramsMoved = 13,      // %1 name, %2 old profile, %3 new one
  kProgramsAlready = 14,    // %1 name
  kProgramsRemoved = 15,    // %1 name
  kProgramsNotSaved = 16,   // %1 why
  kProgramsNameEmpty = 17,
  kProgramsNameTooLong = 18,  // %1 the limit
  kProgramsNameControl = 19,
  kProgramsNameSpace = 20,
  kProgramsNameQuoted = 21,
  kProgramsTooMany = 22,  // %1 the limit
  kProgramsGnomeOff = 23,
  kProgramsGnomeEnable = 24,
  kProgramsGnomeMissing = 25,  // %1 where the package puts the extension
  kProgramsGnomeOn = 26,
  kProgramsGnomeFailed = 27,  // %1 why
  kProgramsReaderName = 28,
  kProgramsNoRecent = 29,
};

// What the agent's focus problem says of GNOME's focus extension.
enum class GnomeExtension { kFine, kDisabled, kMissing };
GnomeExtension GnomeExtensionState(const std::string& focus_problem);

// The extension's id, as the package installs it.
inline constexpr const char* kFocusExtensionUuid = "vantix-focus@vantix.org";
inline constexpr const char* kFocusExtensionFolder = "/usr/share/gnome-shell/extensions";

// Turns the extension on; the program gives `gnome-extensions enable`.
using ExtensionEnabler = std::function<Status(const std::string& uuid)>;
Status EnableWithGnomeExtensionsTool(const std::string& uuid);

class ProgramRulesPanel final : public QWidget {
 public:
  struct Context {
    const Skin& skin;
    AgentChannel& agent;
    const MessageBus& bus;
    FileIo& io;
    const MainImages& images;  // the bottom row's face for the buttons
    ExtensionEnabler enable_extension = EnableWithGnomeExtensionsTool;
  };
  ProgramRulesPanel(QWidget* window, const Context& context);
  ~ProgramRulesPanel() override;

  // The profile being edited (0..4).
  void ShowProfile(int profile);
  // The rules file or the agent's state may have changed: read them again.
  void Refresh();
  void Open();
  void Close();
  bool IsOpen() const { return !isHidden(); }

  // Adds name to the profile shown; false when it was refused or not saved
  // (the panel says why).
  bool Add(const QString& name);
  // Removes the selected row's program.
  bool RemoveSelected();
  bool EnableExtension();
  void OpenRecent();
  void CloseRecent();
  CBmpMenu* RecentMenu() const { return recent_menu_; }
  // Keys for the open menu of recent programs; whether the key was used.
  bool HandleMenuKey(int qt_key);

  CBitmapBtn* OpenButton() const { return open_; }
  CListBoxEx* List() const { return list_; }
  CClrEdit* NameEdit() const { return name_; }
  CBitmapBtn* AddButton() const { return add_; }
  CBitmapBtn* RecentButton() const { return recent_; }
  CBitmapBtn* RemoveButton() const { return remove_; }
  CBitmapBtn* EnableButton() const { return enable_; }
  CBitmapBtn* CloseButton() const { return close_; }
  CStaticTrans* Title() const { return title_; }
  CStaticTrans* Empty() const { return empty_; }
  CStaticTrans* Message() const { return message_; }
  CStaticTrans* Gnome() const { return gnome_; }
  std::vector<QString> Rows() const;
  // The left column's Tab stop: the button that opens the panel.
  std::vector<QWidget*> TabStops() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString Text(int number) const;
  QString RefusalOf(const std::string& name) const;
  void ShowRules();
  void ShowGnome();
  void Say(const QString& text, bool warn);
  void TellAgent();

  Context c_;
  int profile_ = 0;
  ProgramRules rules_;
  AgentState state_;
  // The focus problem the extension was enabled for: the offer stays away
  // until the agent says something else.
  std::string enabled_for_;
  CBitmapBtn* open_ = nullptr;
  CStaticTrans* title_ = nullptr;
  CListBoxEx* list_ = nullptr;
  CStaticTrans* empty_ = nullptr;
  CStaticTrans* name_label_ = nullptr;
  CClrEdit* name_ = nullptr;
  CBitmapBtn* add_ = nullptr;
  CBitmapBtn* recent_ = nullptr;
  CBitmapBtn* remove_ = nullptr;
  CStaticTrans* message_ = nullptr;
  CStaticTrans* gnome_ = nullptr;
  CBitmapBtn* enable_ = nullptr;
  CBitmapBtn* close_ = nullptr;
  CBmpMenu* recent_menu_ = nullptr;
};

}  // namespace vantix
