"""A real FTP server for the upload tests: pyftpdlib on 127.0.0.1, on a port
the system picks. Usage: ftp_server.py USERS_JSON EVENTS_FILE

USERS_JSON lists {"user", "password", "home"}. The server prints its port on
standard output, writes what happened (logins, stored files) to EVENTS_FILE
and exits when its standard input closes, so it never outlives the test."""
import json
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

logging.basicConfig(level=logging.CRITICAL)

with open(sys.argv[1]) as f:
    users = json.load(f)
events = open(sys.argv[2], "a", buffering=1)

authorizer = DummyAuthorizer()
for user in users:
    authorizer.add_user(user["user"], user["password"], user["home"], perm="elradfmw")


class RecordingHandler(FTPHandler):
    def on_login(self, username):
        events.write("login %s\n" % username)

    def on_login_failed(self, username, password):
        events.write("login-failed %s\n" % username)

    def on_file_received(self, file):
        events.write("stored %s %s\n" % (self.username, os.path.basename(file)))

    def on_incomplete_file_received(self, file):
        events.write("incomplete %s %s\n" % (self.username, os.path.basename(file)))


RecordingHandler.authorizer = authorizer
# A refused login is answered at once rather than after the usual delay.
RecordingHandler.auth_failed_timeout = 0.1
server = FTPServer(("127.0.0.1", 0), RecordingHandler)
print(server.address[1], flush=True)


def exit_when_parent_goes():
    sys.stdin.read()
    os._exit(0)


threading.Thread(target=exit_when_parent_goes, daemon=True).start()
server.serve_forever()
