'''What the stand-in desktop portals (python3-dbusmock templates beside this file) share: the
Request object a portal call answers with, its Response signal a moment later, as
xdg-desktop-portal sends it, and the JSON lines each stand-in writes of the calls it takes.
'''
import json

import dbus
from gi.repository import GLib

from dbusmock import mockobject

MAIN_OBJ = '/org/freedesktop/portal/desktop'


def request_path(sender, token):
    '''The Request object's path for a caller's handle token, as the portal documentation gives it.'''
    return '%s/request/%s/%s' % (MAIN_OBJ, sender[1:].replace('.', '_'), token)


def session_path(sender, token):
    return '%s/session/%s/%s' % (MAIN_OBJ, sender[1:].replace('.', '_'), token)


def respond_later(path, response, results=None):
    '''Makes the Request object at `path` and sends its Response (0 granted, 1 declined, 2 other)
    20 ms later, after the caller has had the path and subscribed to it.'''
    mockobject.objects[MAIN_OBJ].AddObject(path, 'org.freedesktop.portal.Request', {}, [])

    def emit():
        mockobject.objects[path].EmitSignal('org.freedesktop.portal.Request', 'Response', 'ua{sv}',
                                            [dbus.UInt32(response), dbus.Dictionary(results or {}, signature='sv')])
        return False
    GLib.timeout_add(20, emit)
    return dbus.ObjectPath(path)


def log(mock, entry):
    '''One JSON line in the file the template's "log" parameter named, if any.'''
    if mock.log_path:
        with open(mock.log_path, 'a') as out:
            out.write(json.dumps(entry) + '\n')
