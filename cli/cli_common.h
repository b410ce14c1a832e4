// What every vantixctl command shares: exit codes, argument parsing and the
// data folder of the call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/agent_config.h"
#include "devicelink/message_bus.h"
#include "settings/file_io.h"
#include "settings/status.h"

namespace vantix::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitReadFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitWriteFailed = 3;

using Args = std::vector<std::string_view>;

struct Context {
  FileIo& io;                           // every file a command reads or writes
  std::optional<std::string> data_dir;  // --data-dir, as given
  bool json = false;                    // --json or --format json
  // Only commands that write may create the data folder.
  bool create_data_folder = false;
  // The data folder with a trailing '/': --data-dir, else the user's own.
  std::string DataFolder() const;
};

// The command a usage error points at: "see vantixctl WORD --help".
void SetUsageCommand(std::string_view word);
// Prints the problem and where to read more, on one line to stderr; returns
// kExitUsage.
int Usage(std::string_view problem);
// Prints the reason on one line to stderr; returns kExitWriteFailed.
int WriteFailed(const Status& status);

std::optional<std::int64_t> ParseDecimal(std::string_view s);
std::optional<std::int32_t> ParseInt32(std::string_view s);
// "1".."5" -> 0..4.
std::optional<int> ParseProfileNumber(std::string_view s);

// Takes "--program-dir DIR" or "--program-dir=DIR" out of args and returns the
// program folder whose skin strings a command reads: DIR, else the folder of
// vantixctl itself. Nothing (and a usage message printed) when DIR is missing.
std::optional<std::string> TakeProgramFolder(Args& args);

extern const std::string_view kUsageText;

// The help text that args (args[0] the command word) ask for: "COMMAND
// --help" or "-h", and for agent, ini and macro also "COMMAND OPERATION
// --help". Nothing when args ask for something else.
std::optional<std::string_view> HelpFor(const Args& args);

// Command families; args[0] is the command word.
int RunProfileCommand(const Context& context, const Args& args);
int RunIniCommand(FileIo& io, const Args& args);
int RunKeysCommand(const Context& context, const Args& args);   // keys, labels
int RunMacroCommand(const Context& context, const Args& args);  // macro ...
int RunApplyCommand(const Context& context, const Args& args);
int RunAgentCommand(const Context& context, const Args& args);
// agent device ...; args[0] is "agent".
int RunAgentDeviceCommand(const Context& context, const Args& args);
// "reason: ...\n" when the running agent serves no mouse and says why; empty
// otherwise.
std::string AgentReasonLine(FileIo& io);
// The running agent's published state; empty when it does not run.
AgentState RunningAgentState(const MessageBus& bus, FileIo& io);
// Sends message to a running agent; quiet when none runs (it reads the files
// when it starts). Exit status 1 when it does not answer.
int TellAgent(std::uint32_t message);
// program ...
int RunProgramCommand(const Context& context, const Args& args);

}  // namespace vantix::cli
