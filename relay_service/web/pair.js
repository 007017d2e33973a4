// The pairing page: sign in, have this browser approved as a device of the account, then
// claim the machine named by the QR code's token (or by a typed short code).
(function () {
  "use strict";
  var TOKEN_KEY = "vesket.pair.token";
  var DEVICE_KEY = "vesket.pair.deviceId";
  var claimToken = new URLSearchParams(location.search).get("token");
  // Keep the secret out of the address bar, the history and any screenshot of it.
  if (claimToken) history.replaceState(null, "", location.pathname);
  var waitTimer = null;

  function $(id) { return document.getElementById(id); }
  function show(view) {
    ["signin", "waiting", "pair", "code", "done"].forEach(function (name) { $("view-" + name).hidden = name !== view; });
    $("sign-out").hidden = view === "signin";
  }
  function say(text, isError) {
    $("message").textContent = text || "";
    $("message").className = isError ? "error" : "";
  }
  function uuid() {
    var b = new Uint8Array(16);
    crypto.getRandomValues(b);
    b[6] = (b[6] & 0x0f) | 0x40;
    b[8] = (b[8] & 0x3f) | 0x80;
    var h = Array.prototype.map.call(b, function (x) { return (x + 256).toString(16).slice(1); }).join("");
    return (h.slice(0, 8) + "-" + h.slice(8, 12) + "-" + h.slice(12, 16) + "-" + h.slice(16, 20) + "-" + h.slice(20)).toUpperCase();
  }
  function deviceId() {
    var id = localStorage.getItem(DEVICE_KEY);
    if (!id) { id = uuid(); localStorage.setItem(DEVICE_KEY, id); }
    return id;
  }
  function api(method, path, body) {
    var headers = {};
    var token = localStorage.getItem(TOKEN_KEY);
    if (token) headers["Authorization"] = "Bearer " + token;
    if (body) headers["Content-Type"] = "application/json";
    return fetch(path, { method: method, headers: headers, body: body ? JSON.stringify(body) : undefined })
      .then(function (response) {
        return response.text().then(function (text) {
          var json = null;
          try { json = JSON.parse(text); } catch (e) { json = null; }
          return { status: response.status, json: json || {} };
        });
      });
  }
  function failure(reply) {
    if (reply.status === 429) {
      return "Too many attempts. Try again in " + (reply.json.retry_after_seconds || 60) + " seconds.";
    }
    return reply.json.message || reply.json.error || ("The relay answered " + reply.status + ".");
  }
  function signOut() {
    localStorage.removeItem(TOKEN_KEY);
    if (waitTimer) clearTimeout(waitTimer);
    say("");
    show("signin");
  }
  // A reply that says the session or the device is not good any more.
  function handled(reply) {
    if (reply.status === 401) { signOut(); say("Sign in again.", true); return true; }
    if (reply.status === 403 && reply.json.error === "device_not_approved") { enrol(); return true; }
    return false;
  }

  function enrol() {
    api("POST", "/api/devices/enroll", {
      deviceId: deviceId(), platform: "web", deviceName: "Browser on " + (navigator.platform || "a phone"),
      appVersion: "web", appBuild: "web"
    }).then(function (reply) {
      if (reply.status === 401) { signOut(); say("Sign in again.", true); return; }
      if (reply.status !== 200) { say(failure(reply), true); return; }
      localStorage.setItem(TOKEN_KEY, reply.json.token);
      approvalState(reply.json);
    }, function () { say("The relay cannot be reached. Check the connection.", true); });
  }
  function approvalState(state) {
    if (waitTimer) { clearTimeout(waitTimer); waitTimer = null; }
    if (state.status === "approved") { say(""); proceed(); return; }
    if (state.status === "pending") {
      $("fingerprint").textContent = state.fingerprint || "";
      $("waiting-detail").textContent = state.approverReadiness === "recovery_only"
        ? "No device of this account can approve it now."
        : "Approve it on a computer or phone already signed in to this account.";
      show("waiting");
      waitTimer = setTimeout(pollApproval, 2000);
      return;
    }
    if (state.status === "denied") {
      show("waiting");
      $("fingerprint").textContent = state.fingerprint || "";
      say("This browser was denied. It may ask again later.", true);
      return;
    }
    enrol();  // expired or revoked: ask again
  }
  function pollApproval() {
    api("GET", "/api/devices/status").then(function (reply) {
      if (reply.status === 401) { signOut(); return; }
      if (reply.status !== 200) { waitTimer = setTimeout(pollApproval, 3000); return; }
      if (reply.json.status === "expired" || reply.json.status === "unenrolled") { enrol(); return; }
      approvalState(reply.json);
    }, function () { waitTimer = setTimeout(pollApproval, 3000); });
  }

  function proceed() {
    if (!claimToken) { show("code"); $("code-input").focus(); return; }
    api("GET", "/api/pair/info?token=" + encodeURIComponent(claimToken)).then(function (reply) {
      if (handled(reply)) return;
      if (reply.status === 404) { say("This pairing code is not known. Show a new QR code on the machine.", true); show("code"); return; }
      if (reply.status !== 200) { say(failure(reply), true); return; }
      $("machine-name").textContent = reply.json.machine_name || "Unnamed machine";
      show("pair");
      if (reply.json.claimed) { $("pair-button").disabled = true; say("This machine was paired already with this code.", true); }
      else if (reply.json.expired) { $("pair-button").disabled = true; say("This QR code has expired. Show a new one on the machine.", true); }
    });
  }
  function claim(body) {
    return api("POST", "/api/pair/claim", body).then(function (reply) {
      if (handled(reply)) return;
      if (reply.status !== 200) { say(failure(reply), true); return; }
      $("done-name").textContent = reply.json.machine_name || "";
      say("");
      show("done");
    }, function () { say("The relay cannot be reached. Check the connection.", true); });
  }

  $("signin-form").addEventListener("submit", function (event) {
    event.preventDefault();
    $("sign-in").disabled = true;
    say("Signing in…");
    localStorage.removeItem(TOKEN_KEY);
    api("POST", "/api/auth/login", { username: $("email").value.trim(), password: $("password").value })
      .then(function (reply) {
        $("sign-in").disabled = false;
        if (reply.status !== 200) { say(reply.status === 401 ? "Wrong e-mail or password." : failure(reply), true); return; }
        localStorage.setItem(TOKEN_KEY, reply.json.token);
        $("password").value = "";
        say("");
        enrol();
      }, function () { $("sign-in").disabled = false; say("The relay cannot be reached. Check the connection.", true); });
  });
  $("pair-button").addEventListener("click", function () {
    $("pair-button").disabled = true;
    say("Pairing…");
    claim({ token: claimToken }).then(function () { $("pair-button").disabled = false; });
  });
  $("code-form").addEventListener("submit", function (event) {
    event.preventDefault();
    say("Pairing…");
    claim({ short_code: $("code-input").value });
  });
  $("sign-out").addEventListener("click", signOut);

  if (localStorage.getItem(TOKEN_KEY)) enrol(); else show("signin");
})();
