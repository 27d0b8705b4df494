'''A stand-in desktop portal with Wallpaper, for python3-dbusmock.

SetWallpaperURI answers the way xdg-desktop-portal does (a Request object whose Response signal
carries the result) and writes each call as a JSON line to the file the parameter "log" names.
The parameter "answer" is the response code it gives (default 0; 1: the user declined).
'''
import json

import dbus
import dbus.service
from gi.repository import GLib

from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.Wallpaper'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.log_path = parameters.get('log', '')
    mock.answer = int(parameters.get('answer', 0))
    mock.AddProperty(MAIN_IFACE, 'version', dbus.UInt32(1))


@dbus.service.method(MAIN_IFACE, in_signature='ssa{sv}', out_signature='o', sender_keyword='sender')
def SetWallpaperURI(self, parent_window, uri, options, sender):
    path = '%s/request/%s/%s' % (MAIN_OBJ, sender[1:].replace('.', '_'), str(options['handle_token']))
    if self.log_path:
        with open(self.log_path, 'a') as out:
            out.write(json.dumps({'parent_window': str(parent_window), 'uri': str(uri),
                                  'show-preview': bool(options.get('show-preview', True)),
                                  'set-on': str(options.get('set-on', ''))}) + '\n')
    mockobject.objects[MAIN_OBJ].AddObject(path, 'org.freedesktop.portal.Request', {}, [])
    answer = self.answer

    def emit():
        mockobject.objects[path].EmitSignal('org.freedesktop.portal.Request', 'Response', 'ua{sv}',
                                            [dbus.UInt32(answer), dbus.Dictionary({}, signature='sv')])
        return False
    GLib.timeout_add(20, emit)
    return dbus.ObjectPath(path)
