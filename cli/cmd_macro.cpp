// vantixctl macro ...: the macro index and macro files of the data folder.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/json_out.h"
#include "macro/event_rows.h"
#include "macro/macro_files.h"
#include "settings/text_codec.h"
#include "settings/ui_text.h"

namespace vantix::cli {
namespace {

// A name from the command line or a file, fit for a one-line message.
std::string Printable(std::string_view name) {
  std::string text = ToStrictUtf8(name);
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return "\"" + text + "\"";
}

std::string Damaged(const std::string& path) {
  return path + " is damaged (larger than " + std::to_string(kMaxDataFileBytes / 1024) + " KiB)";
}

int Refused(const std::string& reason) {
  std::cerr << "vantixctl: " << reason << "\n";
  return kExitReadFailed;
}

int Report(const MacroOutcome& outcome, std::string_view name) {
  switch (outcome.result) {
    case MacroResult::kOk:
      return kExitOk;
    case MacroResult::kExists:
      return Refused("a macro named " + Printable(name) + " exists");
    case MacroResult::kNotFound:
      return Refused("no macro named " + Printable(name));
    case MacroResult::kFull:
      return Refused("the macro list is full (" + std::to_string(kMacroSlotCount) + " macros)");
    case MacroResult::kInvalidName:
      return Refused(Printable(name) + " cannot be a macro name");
    case MacroResult::kWriteFailed:
      return WriteFailed(outcome.status);
  }
  return kExitReadFailed;
}

std::string_view RowKind(const EventRow& row) {
  switch (row.item_data) {
    case kRowPress:
      return "press";
    case kRowRelease:
      return "release";
    default:
      return "delay";
  }
}

int Show(const MacroFiles& files, std::string_view name, const std::string& program_folder,
         FileIo& io, bool json) {
  // Only what the editor can select: a name of the list.
  if (files.FindMacroSlot(name) < 0) return Refused("no macro named " + Printable(name));
  MacroData macro;
  if (const MacroOutcome loaded = files.LoadMacro(name, macro); !loaded.ok()) {
    return Report(loaded, name);
  } else if (loaded.damaged) {
    return Refused(Damaged(*files.MacroFilePath(name)) + ": read as empty");
  }
  const SkinStringFiles strings =
      SkinStringFiles::InProgramFolder(program_folder, ChooseUiLanguage(), io);
  const std::vector<EventRow> rows = EventRows(macro.events, strings);
  if (json) {
    std::string events = "[";
    for (const EventRow& row : rows) {
      if (events.size() > 1) events += ", ";
      events += JsonObject().String("kind", RowKind(row)).String("text", row.text).Done();
    }
    events += "]";
    std::cout << JsonObject()
                     .String("name", macro.name)
                     .Int("LoopType", macro.LoopType)
                     .Int("LoopTime", macro.LoopTime)
                     .Int("DelayType", macro.DelayType)
                     .Raw("events", events)
                     .Done()
              << '\n';
    return kExitOk;
  }
  for (const EventRow& row : rows) {
    std::cout << RowKind(row) << '\t' << ToStrictUtf8(row.text) << '\n';
  }
  return kExitOk;
}

MacroOutcome Refusal(MacroResult result) {
  MacroOutcome outcome;
  outcome.result = result;
  return outcome;
}

void ReportDamagedIndex(const MacroOutcome& outcome, const MacroFiles& files) {
  if (!outcome.damaged || !outcome.ok()) return;
  std::cerr << "vantixctl: " << Damaged(files.IndexPath()) << " and has been moved aside\n";
}

}  // namespace

int RunMacroCommand(const Context& context, const Args& all) {
  Args args(all.begin() + 1, all.end());
  if (args.empty()) return Usage("macro list | show NAME | new NAME | delete NAME");
  const std::string_view op = args[0];
  MacroFiles files(context.DataFolder(), context.io);

  if (op == "list") {
    if (args.size() != 1) return Usage("macro list takes no arguments");
    if (files.IndexDamaged()) return Refused(Damaged(files.IndexPath()) + ": read as empty");
    const std::vector<std::string> names = files.ReadMacroList();
    if (context.json) {
      std::cout << JsonObject().Raw("macros", JsonStringArray(names)).Done() << '\n';
      return kExitOk;
    }
    for (const std::string& name : names) std::cout << ToStrictUtf8(name) << '\n';
    return kExitOk;
  }
  if (op == "show") {
    const std::optional<std::string> program_folder = TakeProgramFolder(args);
    if (!program_folder) return kExitUsage;
    if (args.size() != 2) return Usage("macro show NAME [--program-dir DIR]");
    return Show(files, args[1], *program_folder, context.io, context.json);
  }
  if (op == "new" || op == "delete") {
    if (args.size() != 2) return Usage("macro " + std::string(op) + " NAME");
    // A hostile entry of the index is refused here, not only taken out.
    if (!IsSafeMacroName(args[1])) return Report(Refusal(MacroResult::kInvalidName), args[1]);
    MacroData macro;
    const MacroOutcome outcome =
        op == "delete" ? files.DeleteMacro(args[1]) : files.CreateMacro(args[1], macro);
    ReportDamagedIndex(outcome, files);
    return Report(outcome, args[1]);
  }
  return Usage("macro: unknown operation " + std::string(op));
}

}  // namespace vantix::cli
