#!/usr/bin/python3
"""The group's site on loopback, as the tests and the demo use it: an FTP
server (pyftpdlib) with the group's one account, and an HTTP and HTTPS server
(also a small proxy) for the same folder. docs/testing.md describes the
options, the refuse-file lines that make it fail the way real servers do, and
the TLS modes and certificates. Needs pyftpdlib and python3-openssl. Stops on
SIGTERM or SIGINT, and with --exit-with-parent also when the process that
started it ends (so a crashed test leaves no server behind).
"""

import argparse
import json
import logging
import mimetypes
import os
import re
import select
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import ThreadedFTPServer

SITE_URL_PREFIX = "/tarnwardens/"
STALL_PREFIX = "stall:"
UNLIST_PREFIX = "unlist:"
DROP_PREFIX = "drop:"
FAIL_PREFIX = "fail:"
SHORTEN_PREFIX = "shorten:"
TLS_PREFIX = "tls:"
CERT_PREFIX = "cert:"
LOOPBACK_HOSTS = ("127.0.0.1", "localhost", "::1")

# Released at shutdown so that hanging downloads let their threads end.
shutdown_event = threading.Event()


class LineLog:
    """A file that lines are appended to from many threads, each one on disk
    at once so that a reader never misses a line that was already acted on."""

    def __init__(self, path):
        self._path = path
        self._lock = threading.Lock()

    def append(self, line):
        if not self._path:
            return
        data = (line.replace("\r", " ").replace("\n", " ") + "\n").encode("utf-8", "replace")
        with self._lock:
            with open(self._path, "ab") as log:
                log.write(data)
                log.flush()


TEMPORARY_NAME = re.compile(r"^\._skiff\.[0-9a-f]{12}\.(.+)$", re.DOTALL)


def real_name(name):
    """The file a temporary upload name stands for; other names as they are."""
    match = TEMPORARY_NAME.match(name)
    return match.group(1) if match else name


class RefuseList:
    """The names whose uploads fail and whose downloads hang, read anew on
    every use so that a test can change them while the server runs."""

    def __init__(self, path):
        self._path = path

    def _lines(self):
        if not self._path:
            return []
        try:
            with open(self._path, "r", encoding="utf-8", errors="replace") as f:
                return [line.strip("\r\n") for line in f]
        except OSError:
            return []

    def refuses_upload(self, name):
        return real_name(name) in [l for l in self._lines() if ":" not in l]

    def stalls_download(self, name):
        return (STALL_PREFIX + name) in self._lines()

    def hides_from_listings(self, name):
        return (UNLIST_PREFIX + name) in self._lines()

    def shortens_upload(self, name):
        return (SHORTEN_PREFIX + real_name(name)) in self._lines()

    def _matches(self, prefix, cmd, arg):
        name = real_name(os.path.basename(arg.rstrip("/"))) if arg else ""
        for line in self._lines():
            if not line.startswith(prefix):
                continue
            verb, _, target = line[len(prefix):].partition(" ")
            if verb.upper() == cmd and (not target or target == name):
                return True
        return False

    def web_answer(self, name):
        """What HTTP serves instead of the file: ("short"|"serve"|"hide", path)."""
        for line in self._lines():
            kind, _, rest = line.partition(":")
            target, _, path = rest.partition(" ")
            if kind in ("webshort", "webserve", "webhide") and target == name:
                return kind[3:], path
        return None

    def _setting(self, prefix, default):
        for line in reversed(self._lines()):
            if line.startswith(prefix):
                return line[len(prefix):].strip()
        return default

    def tls_mode(self, default):
        return self._setting(TLS_PREFIX, default)

    def certificate(self):
        return self._setting(CERT_PREFIX, "good")

    def drops(self, cmd, arg):
        return self._matches(DROP_PREFIX, cmd, arg)

    def fails(self, cmd, arg):
        return self._matches(FAIL_PREFIX, cmd, arg)


class Certificates:
    """The test authority and the server certificates, made with the openssl
    command line the first time each is asked for (elliptic keys: quick)."""

    NAMES = {"good": "IP:127.0.0.1,DNS:localhost", "expired": "IP:127.0.0.1,DNS:localhost",
             "wrongname": "DNS:shared.hosting.example", "untrusted": "IP:127.0.0.1,DNS:localhost",
             "changed": "IP:127.0.0.1,DNS:localhost"}

    def __init__(self, folder):
        self._folder = folder
        self._lock = threading.Lock()
        self._contexts = {}
        os.makedirs(folder, exist_ok=True)
        self.authority = self._path("ca.pem")
        self.usage = LineLog(self._path("tls.log"))
        if not os.path.exists(self.authority):
            self._openssl("req", "-x509", *self._new_key("ca"), "-out", self.authority,
                          "-days", "3650", "-subj", "/CN=Tarn Wardens Test Authority")
        self.files("good")

    def _path(self, name):
        return os.path.join(self._folder, name)

    def _new_key(self, name):
        return ("-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                "-keyout", self._path(name + ".key"))

    @staticmethod
    def _openssl(*args):
        subprocess.run(("openssl",) + args, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def files(self, kind):
        """(certificate, key) of one kind, made on first use."""
        kind = kind if kind in self.NAMES else "good"
        pem, key = self._path(kind + ".pem"), self._path(kind + ".key")
        with self._lock:
            if os.path.exists(pem):
                return pem, key
            names = ("-subj", "/CN=Tarn Wardens site (%s)" % kind,
                     "-addext", "subjectAltName=" + self.NAMES[kind])
            if kind in ("untrusted", "changed"):
                self._openssl("req", "-x509", *self._new_key(kind), *names,
                              "-days", "825", "-out", pem + ".tmp")
            else:
                request = self._path(kind + ".csr")
                self._openssl("req", *self._new_key(kind), *names, "-out", request)
                self._openssl("x509", "-req", "-in", request, "-CA", self.authority,
                              "-CAkey", self._path("ca.key"), "-copy_extensions", "copy",
                              "-set_serial", str(int.from_bytes(os.urandom(8), "big")),
                              "-days", "-1" if kind == "expired" else "825",
                              "-out", pem + ".tmp")
            os.replace(pem + ".tmp", pem)
            return pem, key

    def ftp_context(self, kind):
        from OpenSSL import SSL
        pem, key = self.files(kind)
        if pem not in self._contexts:
            context = SSL.Context(SSL.TLS_METHOD)
            context.use_certificate_chain_file(pem)
            context.use_privatekey_file(key)
            context.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3 | SSL.OP_NO_COMPRESSION)
            context.set_session_id(b"tarn-site")
            self._contexts[pem] = context
        return self._contexts[pem]

    def http_context(self, kind):
        # One context per certificate keeps the ticket key, so that pages
        # can resume an earlier page's session.
        pem, key = self.files(kind)
        with self._lock:
            if ("http", pem) not in self._contexts:
                context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
                context.load_cert_chain(pem, key)
                self._contexts["http", pem] = context
            return self._contexts["http", pem]


class StallingProducer:
    """Hands out one small piece of data, then waits until the server stops."""

    def __init__(self):
        self._sent = False

    def more(self):
        if not self._sent:
            self._sent = True
            return b"x" * 1024
        shutdown_event.wait()
        return b""


class Latency:
    """One round trip of the simulated link. Each FTP connection has its own
    thread here, so a wait holds up that connection alone."""

    def __init__(self, milliseconds):
        self._seconds = max(0, milliseconds) / 1000.0

    def wait(self):
        if self._seconds:
            time.sleep(self._seconds)


def session_reused(connection):
    from OpenSSL._util import lib
    return bool(lib.SSL_session_reused(connection._ssl))


def make_ftp_handler(ftp_log, refuse_list, latency, tls_mode, certificates):
    class SlowDTPHandler(TLS_DTPHandler):
        # Nothing moves on a new data connection before its first round trip.
        def __init__(self, sock, cmd_channel):
            latency.wait()
            super().__init__(sock, cmd_channel)

        def secure_connection(self, ssl_context):
            latency.wait()  # the handshake's round trip
            super().secure_connection(ssl_context)

        def readable(self):
            # Clients shake hands as soon as they connect, before the
            # transfer command; pyftpdlib would take that for a hang-up.
            if self._ssl_requested and not self._initialized:
                return self._ssl_accepting or self._ssl_want_read
            return super().readable()

        def handle_ssl_established(self):
            certificates.usage.append(
                "data " + ("resumed" if session_reused(self.socket) else "full"))
            super().handle_ssl_established()

        # A data connection the client drops before any transfer began (its
        # command was refused) has nothing to report: an answer nobody asked
        # for would be read as the reply to the client's next command.
        def handle_failed_ssl_handshake(self):
            if self._initialized:
                super().handle_failed_ssl_handshake()
            else:
                self.close()

        def close(self):
            if not self._initialized:
                self._resp = ()
            super().close()

    class SiteFTPHandler(TLS_FTPHandler):
        dtp_handler = SlowDTPHandler
        ssl_context = certificates.ftp_context("good")
        banner = "Tarn Wardens site ready."
        # Tests wait for the client's own time-outs, never for ours.
        auth_failed_timeout = 0.2

        def __init__(self, conn, server, ioloop=None):
            super().__init__(conn, server, ioloop)
            if self.connected:
                self.ssl_context = certificates.ftp_context(refuse_list.certificate())

        def handle(self):
            latency.wait()  # the greeting
            super().handle()

        def secure_connection(self, ssl_context):
            latency.wait()
            super().secure_connection(ssl_context)

        def handle_ssl_established(self):
            certificates.usage.append(
                "control " + ("resumed" if session_reused(self.socket) else "full"))
            super().handle_ssl_established()

        def pre_process_command(self, line, cmd, arg):
            if cmd == "PASS":
                ftp_log.append("PASS ****")
            else:
                ftp_log.append(line)
            latency.wait()
            mode = refuse_list.tls_mode(tls_mode)
            self.tls_control_required = self.tls_data_required = mode == "require"
            if mode == "off" and cmd in ("AUTH", "PBSZ", "PROT"):
                self.respond('500 Command "%s" not understood.' % cmd)
                return None
            if refuse_list.drops(cmd, arg):
                self.close()
                return None
            if refuse_list.fails(cmd, arg):
                self.respond("451 Requested action aborted: local error in processing.")
                return None
            return super().pre_process_command(line, cmd, arg)

        def on_file_received(self, file):
            # Runs after the transfer's "226" and before the next command.
            if refuse_list.shortens_upload(os.path.basename(file)):
                size = os.path.getsize(file)
                if size:
                    os.truncate(file, size - 1)
                else:
                    with open(file, "ab") as f:
                        f.write(b"x")

        def ftp_STOR(self, file, mode="w"):
            if refuse_list.refuses_upload(os.path.basename(file)):
                self.respond("550 Upload refused.")
                return None
            return super().ftp_STOR(file, mode)

        def ftp_RETR(self, file):
            if refuse_list.stalls_download(os.path.basename(file)) and os.path.isfile(file):
                self.push_dtp_data(StallingProducer(), isproducer=True, cmd="RETR")
                return file
            return super().ftp_RETR(file)

        def ftp_NLST(self, path):
            if refuse_list.hides_from_listings(os.path.basename(path)):
                self.push_dtp_data(b"", cmd="NLST")
                return path
            return super().ftp_NLST(path)

        def ftp_MLST(self, path):
            if refuse_list.hides_from_listings(os.path.basename(path)):
                self.respond("550 No such file or directory.")
                return None
            return super().ftp_MLST(path)

    return SiteFTPHandler


def make_http_handler(site_folder, http_log, refuse_list, latency, tls_mode, certificates):
    class SiteHTTPHandler(BaseHTTPRequestHandler):
        server_version = "TarnSite/1.0"
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def setup(self):
            # A TLS hello starts with a handshake record (22); anything else
            # is plain HTTP on the same port.
            self._hung_up = False
            try:
                hello = self.request.recv(1, socket.MSG_PEEK) == b"\x16"
            except OSError:
                hello = False
            mode = refuse_list.tls_mode(tls_mode)
            if hello and mode != "off":
                latency.wait()
                context = certificates.http_context(refuse_list.certificate())
                try:
                    self.request = context.wrap_socket(self.request, server_side=True)
                    certificates.usage.append(
                        "http " + ("resumed" if self.request.session_reused else "full"))
                except (ssl.SSLError, OSError):
                    self._hung_up = True
            else:
                self._hung_up = hello
            # Under "require" a plain request gets no page (a tunnel may
            # still be asked for: the page then comes through it encrypted).
            self._plain_refused = not hello and mode == "require"
            super().setup()

        def handle(self):
            if not self._hung_up:
                super().handle()

        def _site_file(self):
            # Absolute addresses arrive when the server is used as a proxy.
            path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
            if not path.startswith(SITE_URL_PREFIX):
                return None
            relative = path[len(SITE_URL_PREFIX):]
            candidate = os.path.realpath(os.path.join(site_folder, relative))
            root = os.path.realpath(site_folder)
            if candidate != root and not candidate.startswith(root + os.sep):
                return None
            return candidate if os.path.isfile(candidate) else None

        def _answer(self, with_body):
            http_log.append("%s %s" % (self.command, self.path))
            if self._plain_refused:
                self.close_connection = True
                return
            latency.wait()
            name = self._site_file()
            instead = name and refuse_list.web_answer(os.path.basename(name))
            if instead and instead[0] == "hide":
                name = None
            if name is None:
                body = ("<html><head><title>404 Not Found</title></head><body>"
                        "<h1>Not Found</h1><p>The requested URL was not found on this "
                        "server.</p></body></html>").encode("ascii")
                status, kind = 404, "text/html"
            else:
                try:
                    with open(name, "rb") as f:
                        body = f.read()
                except OSError:
                    body, status, kind = b"", 403, "text/plain"
                else:
                    status = 200
                    kind = mimetypes.guess_type(name)[0] or "application/octet-stream"
                    if instead and instead[0] == "short":
                        body = body[:len(body) // 2]
                    elif instead and instead[0] == "serve":
                        with open(instead[1], "rb") as f:
                            body = f.read()
            self.send_response(status)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if with_body and status == 200 and refuse_list.stalls_download(os.path.basename(name)):
                self.wfile.write(body[:1024])
                self.wfile.flush()
                shutdown_event.wait()
                self.close_connection = True
            elif with_body:
                self.wfile.write(body)

        def do_GET(self):
            self._answer(True)

        def do_HEAD(self):
            self._answer(False)

        def do_CONNECT(self):
            http_log.append("%s %s" % (self.command, self.path))
            host, _, port = self.path.rpartition(":")
            if host.strip("[]") not in LOOPBACK_HOSTS or not port.isdigit():
                self.send_error(403, "Only loopback tunnels")
                return
            try:
                upstream = socket.create_connection((host.strip("[]"), int(port)), timeout=10)
            except OSError:
                self.send_error(502, "Cannot reach %s" % self.path)
                return
            self.send_response(200, "Connection established")
            self.end_headers()
            self._relay(self.connection, upstream)
            self.close_connection = True

        @staticmethod
        def _relay(client, upstream):
            upstream.settimeout(None)
            sockets = [client, upstream]
            try:
                while not shutdown_event.is_set():
                    readable, _, broken = select.select(sockets, [], sockets, 0.5)
                    if broken:
                        break
                    for source in readable:
                        data = source.recv(1 << 16)
                        if not data:
                            return
                        (upstream if source is client else client).sendall(data)
            except OSError:
                pass
            finally:
                upstream.close()

    return SiteHTTPHandler


def stop_when_orphaned(parent):
    while not shutdown_event.wait(1.0):
        if os.getppid() != parent:
            os.kill(os.getpid(), signal.SIGTERM)
            return


def write_ports_file(path, ftp_port, http_port, authority):
    temporary = path + ".tmp"
    with open(temporary, "w") as f:
        json.dump({"ftp": ftp_port, "http": http_port, "ca": authority}, f)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description="The group's site on loopback.")
    parser.add_argument("--root", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--ports-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--http-log", default="")
    parser.add_argument("--refuse-file", default="")
    parser.add_argument("--ftp-port", type=int, default=0)
    parser.add_argument("--http-port", type=int, default=0)
    parser.add_argument("--latency-ms", type=int, default=0)
    parser.add_argument("--tls", choices=("off", "offer", "require"), default="off")
    parser.add_argument("--cert-dir", default="")
    parser.add_argument("--exit-with-parent", action="store_true")
    args = parser.parse_args()

    root = os.path.abspath(args.root)
    site_folder = os.path.join(root, "users", "tarnwardens")
    if not os.path.isdir(site_folder):
        sys.exit("site_server: %s has no users/tarnwardens folder" % root)

    authorizer = DummyAuthorizer()
    authorizer.add_user("pell", args.password, root, perm="elradfmwMT")
    latency = Latency(args.latency_ms)
    certificates = Certificates(args.cert_dir or os.path.join(
        os.path.dirname(os.path.abspath(args.ports_file)), "tls"))
    handler = make_ftp_handler(LineLog(args.log), RefuseList(args.refuse_file), latency,
                               args.tls, certificates)
    handler.authorizer = authorizer
    ftp_server = ThreadedFTPServer(("127.0.0.1", args.ftp_port), handler)
    ftp_server.max_cons = 256

    http_handler = make_http_handler(site_folder, LineLog(args.http_log),
                                     RefuseList(args.refuse_file), latency, args.tls,
                                     certificates)
    http_server = ThreadingHTTPServer(("127.0.0.1", args.http_port), http_handler)
    http_server.daemon_threads = True
    threading.Thread(target=http_server.serve_forever, daemon=True).start()

    def stop(signum, frame):
        shutdown_event.set()
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if args.exit_with_parent:
        threading.Thread(target=stop_when_orphaned, args=(os.getppid(),), daemon=True).start()

    write_ports_file(args.ports_file, ftp_server.address[1], http_server.server_address[1],
                     certificates.authority)
    config_logging(level=logging.WARNING)
    try:
        ftp_server.serve_forever(timeout=0.5, handle_exit=True)
    finally:
        shutdown_event.set()
        http_server.shutdown()
        http_server.server_close()


if __name__ == "__main__":
    main()
