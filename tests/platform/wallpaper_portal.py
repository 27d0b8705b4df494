'''A stand-in desktop portal with Wallpaper, for python3-dbusmock.

SetWallpaperURI answers the way xdg-desktop-portal does (a Request object whose Response signal
carries the result) and writes each call as a JSON line to the file the parameter "log" names.
The parameter "answer" is the response code it gives (default 0; 1: the user declined).
'''
import os
import sys

import dbus
import dbus.service

# The shared parts of the stand-in portals live beside this template.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from portal_requests import log, request_path, respond_later  # noqa: E402

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
    log(self, {'parent_window': str(parent_window), 'uri': str(uri),
               'show-preview': bool(options.get('show-preview', True)), 'set-on': str(options.get('set-on', ''))})
    return respond_later(request_path(sender, str(options['handle_token'])), self.answer)
