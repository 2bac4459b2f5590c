#!/usr/bin/python3
"""Small FTP server for the upload tests; listens on 127.0.0.1 only.

Prints "PORT <n>" once it listens. Options:
  --tls CERT KEY     require explicit TLS on control and data
  --throttle BPS     limit each upload to BPS bytes a second
  --drop-after N     close the connection once an upload passed N bytes
"""
import argparse
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    p = argparse.ArgumentParser()
    p.add_argument("root")
    p.add_argument("user")
    p.add_argument("password")
    p.add_argument("--tls", nargs=2)
    p.add_argument("--throttle", type=int, default=0)
    p.add_argument("--drop-after", type=int, default=0)
    a = p.parse_args()

    auth = DummyAuthorizer()
    auth.add_user(a.user, a.password, a.root, perm="elradfmwMT")

    if a.tls:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class TLS_DTP(TLS_DTPHandler):
            # pyftpdlib before 1.5.8 takes a data connection that is readable
            # before the transfer command for a closed one and drops it, so a
            # client that starts TLS on it at once (libcurl) never gets to send.
            def readable(self):
                return self._ssl_accepting or super().readable()

        class TLSHandler(TLS_FTPHandler):
            dtp_handler = TLS_DTP

        handler = TLSHandler
        handler.certfile, handler.keyfile = a.tls
        handler.tls_control_required = True
        handler.tls_data_required = True
    else:
        drop_after = a.drop_after

        class DTP(ThrottledDTPHandler):
            read_limit = a.throttle

            def handle_read(self):
                super().handle_read()
                if drop_after and self.tot_bytes_received > drop_after:
                    self.cmd_channel.close()

            handle_read_event = handle_read

        handler = FTPHandler
        handler.dtp_handler = DTP
    handler.authorizer = auth
    handler.banner = "test server ready"

    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT", server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
