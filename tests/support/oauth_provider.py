"""OAuth 1.0 token endpoints for http_server.py, checked by python3-oauthlib.

A route {"oauth": {...}} answers a GET signed with HMAC-SHA1. The route names:
    "consumer": [KEY, SECRET]           the only client accepted
    "token": [TOKEN, SECRET]            the temporary pair the request is signed with (absent:
                                        a request-token request, signed without a token)
    "verifier": PIN                     required oauth_verifier (with "token")
    "answer": [TOKEN, SECRET or null]   the pair to hand out; null leaves the secret out
A request that fails any check gets 401 and an empty body. Each verdict is appended to
FOLDER/oauth.log as "<path> ok" or "<path> refused: <reason>".
"""
import os

from oauthlib.common import Request
from oauthlib.oauth1 import RequestValidator, SignatureOnlyEndpoint


class _Validator(RequestValidator):
    enforce_ssl = True
    # The launcher's nonces are 7 to 16 hex digits; keys and tokens are whatever the test chose.
    nonce_length = (7, 16)
    client_key_length = (1, 64)
    request_token_length = (1, 64)
    access_token_length = (1, 64)
    verifier_length = (1, 64)
    dummy_client = "dummyClientKey000000000"
    dummy_access_token = "dummyAccessToken0000000"

    def __init__(self, route):
        super().__init__()
        self.route = route

    def validate_client_key(self, client_key, request):
        return client_key == self.route["consumer"][0]

    def get_client_secret(self, client_key, request):
        return self.route["consumer"][1] if client_key == self.route["consumer"][0] else "dummy"

    def validate_access_token(self, client_key, token, request):
        return "token" in self.route and token == self.route["token"][0]

    def get_access_token_secret(self, client_key, token, request):
        if "token" in self.route and token == self.route["token"][0]:
            return self.route["token"][1]
        return "dummy"

    def validate_timestamp_and_nonce(self, client_key, timestamp, nonce, request, request_token=None,
                                     access_token=None):
        return True

    @property
    def safe_characters(self):
        return set("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")


def _header_only(uri, headers):
    """oauthlib wants every oauth_ parameter in one place; the launcher puts the verifier in the
    query. Both are signed alike (query and header parameters enter the base string the same
    way), so the verifier moves into the header unchanged before checking."""
    base, _, query = uri.partition("?")
    kept, moved = [], []
    for piece in query.split("&") if query else []:
        (moved if piece.startswith("oauth_") else kept).append(piece)
    if moved and "Authorization" in headers:
        headers = dict(headers)
        for piece in moved:
            name, _, value = piece.partition("=")
            headers["Authorization"] += f', {name}="{value}"'
    return base + ("?" + "&".join(kept) if kept else ""), headers


def _check(route, uri, headers):
    uri, headers = _header_only(uri, headers)
    endpoint = SignatureOnlyEndpoint(_Validator(route))
    valid, request = endpoint.validate_request(uri, http_method="GET", body=None, headers=headers)
    if not valid:
        return "signature or client refused"
    if "token" in route:
        if request.resource_owner_key != route["token"][0]:
            return "wrong token"
        if request.verifier != route.get("verifier"):
            return f"wrong verifier {request.verifier!r}"
    elif request.resource_owner_key:
        return "unexpected token"
    return None


def answer(route, target, header_lines, root):
    """The status and body for a request line's target and its header lines."""
    headers = {}
    for line in header_lines:
        name, _, value = line.partition(":")
        headers[name.strip()] = value.strip()
    uri = "https://localhost" + target
    try:
        reason = _check(route, uri, headers)
    except Exception as error:  # a malformed header is a refusal, not a server fault
        reason = f"{type(error).__name__}: {error}"
    path = target.split("?", 1)[0]
    with open(os.path.join(root, "oauth.log"), "a", encoding="utf-8") as log:
        log.write(f"{path} ok\n" if reason is None else f"{path} refused: {reason}\n")
    if reason is not None:
        return 401, b""
    token, secret = route["answer"]
    body = f"oauth_token={token}"
    if secret is not None:
        body += f"&oauth_token_secret={secret}"
    return 200, (body + "&oauth_callback_confirmed=true").encode("latin-1")
