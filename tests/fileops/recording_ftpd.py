#!/usr/bin/python3
"""pyftpdlib for Korvu's file-operation tests. Besides serving --root as the
fixture server does, it records every change it made to the tree, in order,
one line each ("DELE /a/b.txt", "RMD /a", "MKD /n", "RNFR /x", "RNTO /y",
"STOR /z"), and can hold folders that may be entered but not changed (--read-only NAME),
folders in which nothing may be renamed (--no-rename NAME)
or not even entered (--closed NAME), and folders in which a request for a
new folder is never answered (--unanswered NAME).
"""

import argparse
import logging
import os
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures"))
from pyftpd_server import exit_when_stdin_closes, write_port  # noqa: E402

from pyftpdlib.authorizers import DummyAuthorizer  # noqa: E402
from pyftpdlib.handlers import FTPHandler  # noqa: E402
from pyftpdlib.servers import FTPServer  # noqa: E402

RECORDED = ("DELE", "RMD", "MKD", "RNFR", "RNTO", "STOR")


class RecordingHandler(FTPHandler):
    record = None
    lock = threading.Lock()
    unanswered = ()

    def ftp_MKD(self, path):
        if os.path.basename(os.path.dirname(path)) in self.unanswered:
            return  # the client waits for a reply that never comes
        return FTPHandler.ftp_MKD(self, path)

    def process_command(self, cmd, *args, **kwargs):
        if cmd not in RECORDED:
            return FTPHandler.process_command(self, cmd, *args, **kwargs)
        # The reply waits until the change is on record: a client that has
        # its answer finds it there.
        held = []

        def hold(resp, logfun=None):
            self._last_response = resp
            held.append(resp)

        self.respond = hold
        try:
            FTPHandler.process_command(self, cmd, *args, **kwargs)
        finally:
            del self.respond
        for resp in held:
            self.respond(resp)

    def log_cmd(self, cmd, arg, respcode, respstr):
        if cmd in RECORDED and respcode < 400:
            with self.lock, open(self.record, "a", encoding="utf-8") as stream:
                stream.write("%s %s\n" % (cmd, self.fs.fs2ftp(arg)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--user", default="korvu")
    parser.add_argument("--password", default="korvu")
    parser.add_argument("--read-only", action="append", default=[])
    parser.add_argument("--closed", action="append", default=[])
    parser.add_argument("--no-rename", action="append", default=[])
    parser.add_argument("--unanswered", action="append", default=[])
    arguments = parser.parse_args()

    exit_when_stdin_closes()
    logging.basicConfig(level=logging.WARNING)
    root = os.path.realpath(arguments.root)
    authorizer = DummyAuthorizer()
    authorizer.add_user(arguments.user, arguments.password, root, perm="elradfmwMT")
    for name in arguments.read_only:
        authorizer.override_perm(arguments.user, os.path.join(root, name), "elr", recursive=True)
    for name in arguments.no_rename:
        authorizer.override_perm(arguments.user, os.path.join(root, name), "elradmwMT",
                                 recursive=True)
    for name in arguments.closed:
        authorizer.override_perm(arguments.user, os.path.join(root, name), "", recursive=True)

    RecordingHandler.record = arguments.log
    RecordingHandler.unanswered = tuple(arguments.unanswered)
    RecordingHandler.authorizer = authorizer
    RecordingHandler.banner = "Korvu recording test server ready."
    open(arguments.log, "w").close()
    server = FTPServer(("127.0.0.1", 0), RecordingHandler)
    write_port(arguments.port_file, server.socket.getsockname()[1])
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
