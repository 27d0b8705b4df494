'''A stand-in desktop portal with GlobalShortcuts, for python3-dbusmock.

It answers CreateSession and BindShortcuts the way xdg-desktop-portal does (a Request object whose
Response signal carries the result), writes each BindShortcuts call as a JSON line to the file the
parameter "log" names, and emits Activated for a shortcut when a test calls
org.kalvory.Test.Activate(id) (and Deactivated for Release(id)). With the parameter "refuse" set,
BindShortcuts answers 2.
'''
import os
import sys

import dbus
import dbus.service

# The shared parts of the stand-in portals live beside this template.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from portal_requests import log, request_path, respond_later, session_path  # noqa: E402

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False

TEST_IFACE = 'org.kalvory.Test'


def load(mock, parameters):
    mock.log_path = parameters.get('log', '')
    mock.refuse = bool(parameters.get('refuse', False))
    mock.sessions = []
    mock.AddProperty(MAIN_IFACE, 'version', dbus.UInt32(1))


@dbus.service.method(MAIN_IFACE, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
def CreateSession(self, options, sender):
    path = request_path(sender, str(options['handle_token']))
    session = session_path(sender, str(options['session_handle_token']))
    self.sessions.append(session)
    respond_later(path, 0, {'session_handle': dbus.String(session)})
    return dbus.ObjectPath(path)


@dbus.service.method(MAIN_IFACE, in_signature='oa(sa{sv})sa{sv}', out_signature='o', sender_keyword='sender')
def BindShortcuts(self, session, shortcuts, parent_window, options, sender):
    path = request_path(sender, str(options['handle_token']))
    entries = [{'id': str(ident), 'description': str(props.get('description', '')),
                'preferred_trigger': str(props.get('preferred_trigger', ''))} for ident, props in shortcuts]
    log(self, {'session': str(session), 'shortcuts': entries})
    if self.refuse:
        respond_later(path, 2, {})
    else:
        bound = dbus.Array([dbus.Struct((dbus.String(e['id']),
                                         dbus.Dictionary({'description': e['description'],
                                                          'trigger_description': e['preferred_trigger']},
                                                         signature='sv')))
                            for e in entries], signature='(sa{sv})')
        respond_later(path, 0, {'shortcuts': bound})
    return dbus.ObjectPath(path)


@dbus.service.method(TEST_IFACE, in_signature='s', out_signature='')
def Activate(self, shortcut_id):
    self.EmitSignal(MAIN_IFACE, 'Activated', 'osta{sv}',
                    [dbus.ObjectPath(self.sessions[-1]), shortcut_id, dbus.UInt64(1),
                     dbus.Dictionary({}, signature='sv')])


@dbus.service.method(TEST_IFACE, in_signature='s', out_signature='')
def Release(self, shortcut_id):
    self.EmitSignal(MAIN_IFACE, 'Deactivated', 'osta{sv}',
                    [dbus.ObjectPath(self.sessions[-1]), shortcut_id, dbus.UInt64(2),
                     dbus.Dictionary({}, signature='sv')])
