// Tells the Vantix device agent which program is in front: each change of
// the focused window is pushed over the session bus, nothing is polled.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

function report(window) {
  if (!window) return;
  const name = window.get_sandboxed_app_id() || window.get_wm_class() || '';
  const pid = window.get_pid() > 0 ? window.get_pid() : 0;
  Gio.DBus.session.call('org.vantix.Agent', '/org/vantix/Agent', 'org.vantix.Agent', 'ProgramActivated',
                        new GLib.Variant('(su)', [name, pid]), null, Gio.DBusCallFlags.NO_AUTO_START, 1000,
                        null, null);
}

export default class VantixFocusExtension extends Extension {
  enable() {
    this._id = global.display.connect('notify::focus-window', () => report(global.display.focus_window));
    // Also whenever the agent comes onto the bus (at once if it is there):
    // an agent started after the program came to the front learns it.
    this._watch = Gio.bus_watch_name(Gio.BusType.SESSION, 'org.vantix.Agent', Gio.BusNameWatcherFlags.NONE,
                                     () => report(global.display.focus_window), null);
  }
  disable() {
    global.display.disconnect(this._id);
    Gio.bus_unwatch_name(this._watch);
    this._id = 0;
    this._watch = 0;
  }
}
