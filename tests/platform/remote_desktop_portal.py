'''A stand-in desktop portal with RemoteDesktop's keyboard, for python3-dbusmock.

It answers CreateSession, SelectDevices and Start the way xdg-desktop-portal does (a Request
object whose Response signal carries the result) and writes every call, NotifyKeyboardKeysym
included, as a JSON line to the file the parameter "log" names. Parameters: "decline" makes Start
answer 1 (the user said no); "devices" is the device mask Start grants (default 1, the keyboard).
Start hands back a new restore token each time ("token-1", "token-2", ...), as version 2 does.
A test calls org.kalvory.Test.CloseSession() to close the session as a desktop does when the user
revokes it.
'''
import os
import sys

import dbus
import dbus.service

from dbusmock import mockobject

# The shared parts of the stand-in portals live beside this template.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from portal_requests import log, request_path, respond_later, session_path  # noqa: E402

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.RemoteDesktop'
SYSTEM_BUS = False

TEST_IFACE = 'org.kalvory.Test'


def load(mock, parameters):
    mock.log_path = parameters.get('log', '')
    mock.decline = bool(parameters.get('decline', False))
    mock.devices = int(parameters.get('devices', 1))
    mock.sessions = []
    mock.starts = 0
    mock.AddProperty(MAIN_IFACE, 'version', dbus.UInt32(2))
    mock.AddProperty(MAIN_IFACE, 'AvailableDeviceTypes', dbus.UInt32(7))


@dbus.service.method(MAIN_IFACE, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
def CreateSession(self, options, sender):
    path = request_path(sender, str(options['handle_token']))
    session = session_path(sender, str(options['session_handle_token']))
    self.sessions.append(session)
    self.AddObject(session, 'org.freedesktop.portal.Session', {}, [
        ('Close', '', '', ''),
    ])
    log(self, {'call': 'CreateSession', 'session': session})
    respond_later(path, 0, {'session_handle': dbus.String(session)})
    return dbus.ObjectPath(path)


@dbus.service.method(MAIN_IFACE, in_signature='oa{sv}', out_signature='o', sender_keyword='sender')
def SelectDevices(self, session, options, sender):
    path = request_path(sender, str(options['handle_token']))
    log(self, {'call': 'SelectDevices', 'session': str(session), 'types': int(options.get('types', 0)),
               'persist_mode': int(options.get('persist_mode', 0)),
               'restore_token': str(options.get('restore_token', ''))})
    respond_later(path, 0, {})
    return dbus.ObjectPath(path)


@dbus.service.method(MAIN_IFACE, in_signature='osa{sv}', out_signature='o', sender_keyword='sender')
def Start(self, session, parent_window, options, sender):
    path = request_path(sender, str(options['handle_token']))
    log(self, {'call': 'Start', 'session': str(session)})
    if self.decline:
        respond_later(path, 1, {})
    else:
        self.starts += 1
        respond_later(path, 0, {'devices': dbus.UInt32(self.devices),
                                'restore_token': dbus.String('token-%d' % self.starts)})
    return dbus.ObjectPath(path)


@dbus.service.method(MAIN_IFACE, in_signature='oa{sv}iu', out_signature='')
def NotifyKeyboardKeysym(self, session, options, keysym, state):
    if str(session) not in self.sessions:
        raise dbus.exceptions.DBusException('no such session', name='org.freedesktop.DBus.Error.AccessDenied')
    log(self, {'call': 'NotifyKeyboardKeysym', 'session': str(session), 'keysym': int(keysym), 'state': int(state)})


@dbus.service.method(TEST_IFACE, in_signature='', out_signature='')
def CloseSession(self):
    session = self.sessions.pop()
    mockobject.objects[session].EmitSignal('org.freedesktop.portal.Session', 'Closed', 'a{sv}',
                                           [dbus.Dictionary({}, signature='sv')])
