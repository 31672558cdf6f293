#!/usr/bin/env python3
"""Headers from `kiln oauth-header` (BuildOAuthHeader) are accepted by an independent OAuth 1.0
provider library, Debian's python3-oauthlib, for GET requests without a token, with a token,
and with oauth_verifier. Each case also has a control that must be refused.

The requests stay clear of the signer's listed departures from RFC 5849: the method is GET,
the URLs are already in normal form (lower-case https, no port, no query of their own), and
parameter names sort the same raw or encoded. The nonce comes from the timestamp; the test
provider accepts any nonce of 7 to 16 characters and does not remember nonces (both provider
policies, not protocol rules)."""
import subprocess
import sys
from urllib.parse import quote, unquote

from oauthlib.common import Request
from oauthlib.oauth1 import RequestValidator, ResourceEndpoint, SignatureOnlyEndpoint
from oauthlib.oauth1.rfc5849 import signature

kiln = sys.argv[1]
failures = []

CONSUMER_KEY = "kilnConsumerKey000001"
CONSUMER_SECRET = "kiln consumer secret/+="
ACCESS_TOKEN = "kilnAccessToken0000000001"
ACCESS_SECRET = "access secret &%"
REQUEST_TOKEN = "kilnRequestToken000000001"
REQUEST_SECRET = "request secret"


class Validator(RequestValidator):
    enforce_ssl = True
    nonce_length = (7, 16)
    dummy_client = "dummyClientKey000000000"
    dummy_access_token = "dummyAccessToken0000000"
    dummy_request_token = "dummyRequestToken000000"

    def __init__(self, consumer_secret=CONSUMER_SECRET):
        super().__init__()
        self.consumer_secret = consumer_secret

    def validate_client_key(self, client_key, request):
        return client_key == CONSUMER_KEY

    def get_client_secret(self, client_key, request):
        return self.consumer_secret if client_key == CONSUMER_KEY else "dummy"

    def validate_access_token(self, client_key, token, request):
        return token == ACCESS_TOKEN

    def get_access_token_secret(self, client_key, token, request):
        return ACCESS_SECRET if token == ACCESS_TOKEN else "dummy"

    def validate_timestamp_and_nonce(self, client_key, timestamp, nonce, request, request_token=None,
                                     access_token=None):
        return True

    def validate_realms(self, client_key, token, request, uri=None, realms=None):
        return True


def check(condition, message):
    if not condition:
        failures.append(message)


def build_header(url, token="", token_secret="", params=()):
    """Runs `kiln oauth-header` (current time) and returns the header lines as a dict."""
    args = [kiln, "oauth-header", "--url", url, "--consumer-key", CONSUMER_KEY,
            "--consumer-secret", CONSUMER_SECRET]
    if token:
        args += ["--token", token, "--token-secret", token_secret]
    for name, value in params:
        args += ["--param", f"{name}={value}"]
    result = subprocess.run(args, capture_output=True, check=True)
    text = result.stdout.decode("ascii")
    check(text.endswith('"\n') and "\r" not in text, f"header text framing: {text!r}")
    lines = text[:-1].split("\n")
    check(len(lines) == 2, f"expected two header lines, got {lines!r}")
    headers = dict(line.split(": ", 1) for line in lines)
    check(headers.get("Content-Type") == "application/x-www-form-urlencoded", f"content type: {headers!r}")
    return headers


def query(params):
    """The query string the launcher's HTTP client appends: each name and value percent-encoded
    the same way (RFC 3986 unreserved characters kept)."""
    return "&".join(f"{quote(n, safe='')}={quote(v, safe='')}" for n, v in sorted(params))


# 1. GET without a token (a temporary-credentials style request): signature only.
url = "https://api.example.com/oauth/request_token"
headers = build_header(url)
valid, _ = SignatureOnlyEndpoint(Validator()).validate_request(url + "?", "GET", None, headers)
check(valid, "GET without token was refused")
valid, _ = SignatureOnlyEndpoint(Validator("another secret")).validate_request(url + "?", "GET", None, headers)
check(not valid, "control: GET without token was accepted under another consumer secret")

# 2. GET with an access token and request parameters in the query.
url = "https://api.example.com/1.1/statuses/home_timeline.json"
params = [("count", "20"), ("include_entities", "true"), ("since_id", "12345"), ("q", "a b+c/d=e&f~")]
headers = build_header(url, ACCESS_TOKEN, ACCESS_SECRET, params)
endpoint = ResourceEndpoint(Validator())
valid, _ = endpoint.validate_protected_resource_request(url + "?" + query(params), "GET", None, headers)
check(valid, "GET with token was refused")
tampered = [(n, "21" if n == "count" else v) for n, v in params]
valid, _ = endpoint.validate_protected_resource_request(url + "?" + query(tampered), "GET", None, headers)
check(not valid, "control: GET with token was accepted with a changed parameter")

# 3. GET with oauth_verifier (the access-token exchange). The launcher sends the verifier as a
# request parameter, in the query, while the other OAuth parameters travel in the header.
# oauthlib's token endpoints refuse OAuth parameters found in two places (RFC 5849 section 3.5
# wants one), so the signature is checked with oauthlib's own parameter collection, base
# string and HMAC-SHA1 verification instead.
url = "https://api.example.com/oauth/access_token"
params = [("oauth_verifier", "7654321")]
headers = build_header(url, REQUEST_TOKEN, REQUEST_SECRET, params)


def verify_signature(full_url, consumer_secret, token_secret):
    request = Request(full_url, "GET", None, headers)
    everything = signature.collect_parameters(uri_query=request.uri_query, headers=headers,
                                              exclude_oauth_signature=False)
    request.signature = unquote(dict(everything)["oauth_signature"])
    request.params = [(n, v) for n, v in everything if n != "oauth_signature"]
    check("oauth_verifier" in dict(request.params), "verifier not collected")
    return signature.verify_hmac_sha1(request, consumer_secret, token_secret)


check("oauth_verifier" not in headers["Authorization"], "oauth_verifier is listed in the header")
check(verify_signature(url + "?" + query(params), CONSUMER_SECRET, REQUEST_SECRET),
      "GET with oauth_verifier: signature refused")
check(not verify_signature(url + "?oauth_verifier=7654320", CONSUMER_SECRET, REQUEST_SECRET),
      "control: signature accepted with another verifier")
check(not verify_signature(url + "?" + query(params), CONSUMER_SECRET, "other secret"),
      "control: signature accepted under another token secret")

for failure in failures:
    print("FAIL:", failure)
print(f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
