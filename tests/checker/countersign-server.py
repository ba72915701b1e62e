"""A time stamp server of the kind Authenticode first had, on 127.0.0.1, for one request:
osslsigncode's "-t URL" posts the signature's own signature (base64 of a request that
holds it), and the answer is PKCS #7 signed data over those bytes, signed by the key given
(openssl cms; its signing time is the time stamp). Prints the port it listens on, then
answers one request, or gives up after a minute.
   countersign-server.py CERT.pem KEY.pem
"""
import base64
import http.server
import os
import subprocess
import sys
import tempfile


def element(data, at):
    """The DER element at `at`: its tag, where its contents start and where it ends."""
    tag, length = data[at], data[at + 1]
    at += 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[at:at + count], "big")
        at += count
    return tag, at, at + length


def children(data, start, end):
    while start < end:
        found = element(data, start)
        yield found
        start = found[2]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        request = base64.b64decode(self.rfile.read(int(self.headers["Content-Length"])))
        # TimeStampRequest: type, [attributes,] content (ContentInfo: data, [0] OCTET STRING).
        _, start, end = element(request, 0)
        _, content, content_end = list(children(request, start, end))[-1]
        _, explicit, _ = list(children(request, content, content_end))[1]
        _, octets, octets_end = element(request, explicit)
        with tempfile.TemporaryDirectory() as work:
            signature = os.path.join(work, "signature")
            with open(signature, "wb") as out:
                out.write(request[octets:octets_end])
            signed = subprocess.run(
                ["openssl", "cms", "-sign", "-binary", "-nodetach", "-outform", "DER", "-md", "sha256",
                 "-signer", sys.argv[1], "-inkey", sys.argv[2], "-in", signature],
                check=True, capture_output=True).stdout
        answer = base64.b64encode(signed)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
server.timeout = 60
print(server.server_address[1], flush=True)
server.handle_request()
