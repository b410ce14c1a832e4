#include "agent/session_bus_focus.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <cstring>

namespace vantix::agent {
namespace {

std::string Desktop() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop != nullptr ? desktop : "";
}

std::string ErrorText(const sd_bus_error& error, int rc) {
  if (error.message != nullptr) return error.message;
  return std::strerror(-rc);
}

class SessionBusFocus final : public FocusSource {
 public:
  SessionBusFocus(sd_bus* bus, Sink sink) : bus_(bus), sink_(std::move(sink)) {}
  ~SessionBusFocus() override {
    sd_bus_slot_unref(signed_slot_);
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
  }

  std::string Name() const override { return name_; }
  int Fd() const override { return problem_gone_ ? -1 : sd_bus_get_fd(bus_); }
  std::string Problem() const override { return problem_; }

  int Serve() {
    static const sd_bus_vtable kVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("ProgramActivated", "su", "", &SessionBusFocus::OnActivated, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};
    int rc = sd_bus_add_object_vtable(bus_, &slot_, kAgentBusPath, kAgentBusInterface, kVtable, this);
    if (rc < 0) return rc;
    // KWin's scripts cannot send an unsigned number: their pid comes as a
    // signed one, which the table above would refuse.
    rc = sd_bus_add_object(bus_, &signed_slot_, kAgentBusPath, &SessionBusFocus::OnSignedActivated, this);
    if (rc < 0) return rc;
    return sd_bus_request_name(bus_, kAgentBusName, 0);
  }

  // Which desktop will call, and whether it can.
  void FindCaller(const std::string& kwin_script) {
    const std::string desktop = Desktop();
    if (desktop.find("KDE") != std::string::npos) {
      name_ = "kde";
      problem_ = LoadKWinScript(kwin_script);
    } else if (desktop.find("GNOME") != std::string::npos) {
      name_ = "gnome";
      problem_ = GnomeExtensionProblem();
    } else {
      name_ = "session bus";
      problem_ = "session bus: no desktop that reports focus over it (" +
                 (desktop.empty() ? std::string("XDG_CURRENT_DESKTOP unset") : desktop) + ")";
    }
  }

  void Dispatch() override {
    for (;;) {
      const int rc = sd_bus_process(bus_, nullptr);
      if (rc < 0) {
        problem_ = "session bus: the connection broke";
        problem_gone_ = true;
        return;
      }
      if (rc == 0) break;
    }
    sd_bus_flush(bus_);
  }

 private:
  static int OnActivated(sd_bus_message* m, void* self, sd_bus_error* /*error*/) {
    const char* name = nullptr;
    std::uint32_t pid = 0;
    const int rc = sd_bus_message_read(m, "su", &name, &pid);
    if (rc < 0) return rc;
    static_cast<SessionBusFocus*>(self)->Report(name, pid);
    return sd_bus_reply_method_return(m, "");
  }

  // ProgramActivated(s, i); anything else goes on to the table.
  static int OnSignedActivated(sd_bus_message* m, void* self, sd_bus_error* /*error*/) {
    if (sd_bus_message_is_method_call(m, kAgentBusInterface, "ProgramActivated") <= 0 ||
        sd_bus_message_has_signature(m, "si") <= 0) {
      return 0;
    }
    const char* name = nullptr;
    std::int32_t pid = 0;
    const int rc = sd_bus_message_read(m, "si", &name, &pid);
    if (rc < 0) return rc;
    static_cast<SessionBusFocus*>(self)->Report(name, pid > 0 ? static_cast<std::uint32_t>(pid) : 0);
    return sd_bus_reply_method_return(m, "");
  }

  void Report(const char* name, std::uint32_t pid) {
    // Whoever calls is a desktop that reports focus: it works now.
    if (!problem_gone_) problem_.clear();
    sink_(FocusedProgram{{name != nullptr ? name : "", "", ExecutableName(pid)}});
  }

  // KWin runs the script, which reports each activation back to us.
  std::string LoadKWinScript(const std::string& path) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* plugin = "vantix-focus";
    // A copy left by an agent before this one is replaced.
    sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", nullptr,
                       nullptr, "s", plugin);
    int rc = sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                                &error, &reply, "ss", path.c_str(), plugin);
    std::string problem;
    std::int32_t id = -1;
    if (rc < 0 || sd_bus_message_read(reply, "i", &id) < 0 || id < 0) {
      problem = "kde: KWin did not load " + path + (rc < 0 ? ": " + ErrorText(error, rc) : "");
    } else {
      sd_bus_error_free(&error);
      // KWin 6 names the script's object /Scripting/ScriptN, KWin 5 /N.
      const std::string paths[] = {"/Scripting/Script" + std::to_string(id), "/" + std::to_string(id)};
      rc = -1;
      for (const std::string& object : paths) {
        rc = sd_bus_call_method(bus_, "org.kde.KWin", object.c_str(), "org.kde.kwin.Script", "run", &error,
                                nullptr, "");
        if (rc >= 0) break;
        sd_bus_error_free(&error);
      }
      if (rc < 0) problem = "kde: KWin did not run the focus script";
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return problem;
  }

  std::string GnomeExtensionProblem() {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    // The shell itself: the separate extensions service that also answers
    // this is started on demand and needs gjs, which a desktop may lack.
    const int rc = sd_bus_call_method(bus_, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                                      "GetExtensionInfo", &error, &reply, "s", kGnomeExtensionUuid);
    std::string problem;
    if (rc < 0) {
      problem = "gnome: cannot ask GNOME Shell about its extensions: " + ErrorText(error, rc);
    } else {
      // a{sv}; an unknown extension gives an empty dictionary.
      double state = -1;
      if (sd_bus_message_enter_container(reply, 'a', "{sv}") > 0) {
        while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
          const char* key = nullptr;
          sd_bus_message_read(reply, "s", &key);
          if (key != nullptr && std::strcmp(key, "state") == 0) {
            sd_bus_message_read(reply, "v", "d", &state);
          } else {
            sd_bus_message_skip(reply, "v");
          }
          sd_bus_message_exit_container(reply);
        }
      }
      if (state < 0) {
        problem = std::string("gnome: the extension ") + kGnomeExtensionUuid + " is not installed";
      } else if (state != 1) {
        problem = std::string("gnome: the extension ") + kGnomeExtensionUuid + " is not enabled";
      }
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return problem;
  }

  sd_bus* bus_;
  sd_bus_slot* slot_ = nullptr;
  sd_bus_slot* signed_slot_ = nullptr;
  Sink sink_;
  std::string name_;
  std::string problem_;
  bool problem_gone_ = false;
};

}  // namespace

std::unique_ptr<FocusSource> StartSessionBusFocus(const std::string& kwin_script, FocusSource::Sink sink,
                                                  std::string& problem) {
  sd_bus* bus = nullptr;
  if (const int rc = sd_bus_open_user(&bus); rc < 0) {
    problem = std::string("session bus: none to connect to: ") + std::strerror(-rc);
    return nullptr;
  }
  auto source = std::make_unique<SessionBusFocus>(bus, std::move(sink));
  if (const int rc = source->Serve(); rc < 0) {
    problem = std::string("session bus: cannot own ") + kAgentBusName + ": " + std::strerror(-rc);
    return nullptr;
  }
  source->FindCaller(kwin_script);
  // KWin runs the script within our call and the script reports at once:
  // that report already waits in the connection's queue, where polling its
  // descriptor would never find it.
  source->Dispatch();
  return source;
}

}  // namespace vantix::agent
