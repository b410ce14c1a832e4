// Loaded by the Vantix device agent into KWin (org.kde.KWin /Scripting):
// tells the agent which program is in front, at each activation, so that
// the mouse's profile can follow it. Nothing is polled.
function report(window) {
  if (!window) return;
  // The Wayland app id or the X11 class; the process leads the agent to
  // the executable.
  var name = window.desktopFileName || window.resourceClass || "";
  callDBus("org.vantix.Agent", "/org/vantix/Agent", "org.vantix.Agent", "ProgramActivated",
           String(name), window.pid > 0 ? window.pid : 0);
}

if (workspace.windowActivated) {
  workspace.windowActivated.connect(report);  // KWin 6
  report(workspace.activeWindow);
} else {
  workspace.clientActivated.connect(report);  // KWin 5
  report(workspace.activeClient);
}
