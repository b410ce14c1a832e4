// vantixctl COMMAND --help: one text per command or command family. The
// manual page vantixctl(1) carries the same paragraphs, word for word; the
// package tests compare the two.
#include <optional>
#include <string_view>

#include "cli/cli_common.h"

namespace vantix::cli {
namespace {

struct CommandHelp {
  std::string_view word;
  std::string_view text;
  // A family's operations: "macro new --help" asks for the family's text.
  // Separated by single spaces.
  std::string_view operations = {};
};

constexpr CommandHelp kCommandHelp[] = {
    {"show",
     "usage: vantixctl [--data-dir DIR] show [--raw]\n"
     "\n"
     "Prints all five profiles of the data folder as one line of JSON. Values\n"
     "that are missing or out of range are repaired as the utility repairs them\n"
     "when it loads the profiles; with --raw they are printed as read, unrepaired.\n"
     "No profile file is written. A damaged profile file (larger than 1 MiB) is\n"
     "named on standard error and shown as defaults, with exit status 1.\n"},
    {"save",
     "usage: vantixctl [--data-dir DIR] save\n"
     "\n"
     "Loads the profile files RSProfile1.pfd to RSProfile5.pfd of the data\n"
     "folder, repairs them and writes them back; missing files are written with\n"
     "factory values. A file whose values do not change is left as it was. A\n"
     "damaged file is moved aside as NAME.damaged-TIME before it is written.\n"},
    {"export",
     "usage: vantixctl [--data-dir DIR] export N FILE\n"
     "\n"
     "Writes profile N (1 to 5), as loaded and repaired, to the exported profile\n"
     "file FILE, which import reads back.\n"},
    {"import",
     "usage: vantixctl [--data-dir DIR] import N FILE\n"
     "\n"
     "Reads the exported profile file FILE into profile N (1 to 5), then saves\n"
     "that profile; the other profile files are not written. A FILE that holds\n"
     "no profile (missing, unreadable, larger than 1 MiB, binary, or without\n"
     "profile values in [GROUP]) changes nothing (exit status 1). Keys that\n"
     "FILE lacks become unset and are repaired at the next load.\n"},
    {"reset",
     "usage: vantixctl [--data-dir DIR] reset N\n"
     "       vantixctl [--data-dir DIR] reset all\n"
     "\n"
     "Sets profile N (1 to 5), or all five profiles, to factory values, then\n"
     "saves what changed: reset N writes only the file of profile N.\n"},
    {"apply",
     "usage: vantixctl [--data-dir DIR] apply\n"
     "\n"
     "Saves the five profiles as save does, then tells the device agent to\n"
     "apply them. Prints \"notified\" when the agent answered, \"no answer\" when\n"
     "it did not answer within 5 seconds and \"no agent\" when it does not run;\n"
     "the exit status tells only whether the save succeeded.\n"},
    {"agent",
     "usage: vantixctl [--data-dir DIR] agent status\n"
     "       vantixctl agent stop\n"
     "       vantixctl agent device list\n"
     "       vantixctl agent device use PATH|NAME|none\n"
     "       vantixctl agent device resolution DPI\n"
     "       vantixctl agent connect | agent disconnect\n"
     "       vantixctl agent simulate press N | agent simulate release N\n"
     "       vantixctl agent event KIND VALUE\n"
     "\n"
     "status prints whether the device agent runs (\"agent: running\" or\n"
     "\"agent: absent\") and the connection state the agent stored in the data\n"
     "folder (\"device: connected\" or \"device: disconnected\"; \"device: simulated\"\n"
     "while the agent's simulated mouse serves, which is a demo, not a mouse);\n"
     "while the agent runs and serves no mouse, a third line \"reason: ...\" says\n"
     "why (a node it may not open, no mouse plugged in, device use none). stop\n"
     "makes the agent let go of the mouse and end, and waits until it has.\n"
     "device list prints one line per pointing device: its event node, its\n"
     "name, its number of buttons and, on the one the agent serves, \"served\" and\n"
     "its own resolution with where that comes from (\"1600 dpi (set)\": set with\n"
     "device resolution or in the window; udev: the udev hardware database;\n"
     "stage: matched to the active stage when a mouse was first served;\n"
     "default), separated by tabs. While the agent runs, the list is the one it\n"
     "publishes, which the window shows too. device use makes the agent serve\n"
     "the device with that event node or name, or none at all (\"none\" lets go of\n"
     "the mouse at once); without a choice, or while the chosen device is absent,\n"
     "it serves the Corvane II Gaming Mouse when one is plugged in. device\n"
     "resolution sets the mouse's own resolution (100 to 50000 DPI), against\n"
     "which the resolution stages scale the motion; until it is set, the agent\n"
     "takes the one of the udev hardware database (MOUSE_DPI) where known, else\n"
     "the first time it serves a mouse it keeps the active stage's, so that the\n"
     "mouse moves as it did before. Both are kept in agent.ini and hold across\n"
     "restarts of the agent. A device that is present but can never be served\n"
     "(it lacks REL_X, REL_Y or BTN_LEFT, or is the agent's own virtual mouse)\n"
     "is refused with exit status 1.\n"
     "connect and disconnect make the agent's simulated mouse connect or\n"
     "disconnect. simulate press N and simulate release N press and release\n"
     "button N (1 to 12) of the served simulated mouse, which the window lights\n"
     "as it would a real mouse's; they exit with status 1 when the agent serves\n"
     "no simulated mouse with that button. event makes the agent report a\n"
     "device-side change to the window: KIND 0 reload the profiles, 8\n"
     "resolution stage, 9 profile, 10 report rate, 11 lighting mode, 12 pointer\n"
     "speed, 15 apply done; VALUE is the new value. KIND and VALUE are decimal\n"
     "integers.\n"
     "stop, connect, disconnect, simulate and event exit with status 1 when the\n"
     "agent does not answer; connect, disconnect, simulate and event also when\n"
     "it does not run.\n",
     "status stop device connect disconnect simulate event"},
    {"program",
     "usage: vantixctl program list\n"
     "       vantixctl program set NAME PROFILE\n"
     "       vantixctl program remove NAME\n"
     "\n"
     "Works on the rules in programs.ini beside agent.ini, which bind programs\n"
     "to profiles: while a bound program is in front, the device agent serves\n"
     "its profile; otherwise the profile chosen in the window, which a rule\n"
     "never changes. A program is named by its window class or Wayland app id,\n"
     "or by the file name of its executable; names compare without regard to\n"
     "case, and whole. list prints one line per rule: the name, a tab and the\n"
     "profile. set binds program NAME to PROFILE (1 to 5), replacing its rule\n"
     "if it has one; remove forgets it, with exit status 1 when it had none.\n"
     "A running agent follows the change at once. agent status names the\n"
     "profile served (\"profile: N\"), the program whose rule chose it\n"
     "(\"program: NAME\"), and when nothing tells the agent which program is\n"
     "in front, \"focus: none (...)\" with the reason.\n",
     "list set remove"},
    {"ini",
     "usage: vantixctl ini read-string FILE SECTION KEY [DEFAULT]\n"
     "       vantixctl ini read-int FILE SECTION KEY DEFAULT\n"
     "       vantixctl ini read-struct FILE SECTION KEY SIZE\n"
     "       vantixctl ini write-string FILE SECTION KEY VALUE\n"
     "       vantixctl ini write-int FILE SECTION KEY VALUE\n"
     "       vantixctl ini write-struct FILE SECTION KEY HEX\n"
     "\n"
     "Reads or writes one value of any INI file with the rules of the Windows\n"
     "private-profile calls. read-string prints the value, else DEFAULT (empty\n"
     "when not given); read-int prints the value read as an integer, else\n"
     "DEFAULT. read-struct prints the SIZE bytes of a value that write-struct\n"
     "wrote, in hexadecimal, and exits with status 1 when the value is missing,\n"
     "has another size or a wrong checksum. write-string and write-int write\n"
     "VALUE; write-struct writes the bytes HEX (pairs of hexadecimal digits)\n"
     "with their checksum. A file without write permission is never replaced\n"
     "(exit status 3).\n",
     "read-string read-int read-struct write-string write-int write-struct"},
    {"keys",
     "usage: vantixctl keys\n"
     "\n"
     "Prints every named key code, one a line: the code in decimal, its USB HID\n"
     "usage in hexadecimal (\"-\" when it has none), its English and its German\n"
     "name, separated by tabs.\n"},
    {"labels",
     "usage: vantixctl [--data-dir DIR] labels N [--program-dir DIR]\n"
     "\n"
     "Prints the twelve button labels of profile N (1 to 5), one a line, as the\n"
     "main window shows them. The texts come from the skin strings of the\n"
     "user's language (images/0409/strings/ English, images/0407/strings/\n"
     "German and so on; see ENVIRONMENT) of the program folder DIR, by\n"
     "default the folder of vantixctl. No profile file is written.\n"},
    {"macro",
     "usage: vantixctl [--data-dir DIR] macro list\n"
     "       vantixctl [--data-dir DIR] macro show NAME [--program-dir DIR]\n"
     "       vantixctl [--data-dir DIR] macro new NAME\n"
     "       vantixctl [--data-dir DIR] macro delete NAME\n"
     "\n"
     "Works on the macro index MacroDB/MacroSet.MSDB and the macro files of the\n"
     "data folder. list prints the macro names in slot order. show prints the\n"
     "events of macro NAME as the macro editor lists them, one a line: \"press\",\n"
     "\"release\" or \"delay\", a tab and the text of the row, from the skin\n"
     "strings of --program-dir DIR as for labels. new creates an empty macro\n"
     "NAME at the end of the list; delete removes macro NAME and its file, and\n"
     "later macros move up one slot. Names that cannot be a file name, a name\n"
     "that exists (for new), a name that does not (for show and delete) and a\n"
     "full list of 15 macros are refused with exit status 1; a file that cannot\n"
     "be written (a data folder without MacroDB/, for one) gives exit status 3.\n",
     "list show new delete"},
};

bool IsHelpWord(std::string_view word) { return word == "--help" || word == "-h"; }

bool IsOperation(const CommandHelp& help, std::string_view word) {
  std::string_view rest = help.operations;
  while (!rest.empty()) {
    const std::size_t space = rest.find(' ');
    if (rest.substr(0, space) == word) return true;
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
  }
  return false;
}

}  // namespace

std::optional<std::string_view> HelpFor(const Args& args) {
  if (args.empty()) return std::nullopt;
  for (const CommandHelp& help : kCommandHelp) {
    if (help.word != args[0]) continue;
    if (args.size() == 2 && IsHelpWord(args[1])) return help.text;
    if (args.size() == 3 && IsHelpWord(args[2]) && IsOperation(help, args[1])) return help.text;
    // agent device OPERATION --help
    if (args.size() == 4 && IsHelpWord(args[3]) && args[1] == "device" &&
        (args[2] == "list" || args[2] == "use" || args[2] == "resolution") && IsOperation(help, args[1])) {
      return help.text;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace vantix::cli
