<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name></name>
    <message id="checklist.reason.qrExpired">
        <source>The code expired or the pairing failed. Ask for a new code.</source>
        <translation>Der Code ist abgelaufen oder die Kopplung ist fehlgeschlagen. Fordere einen neuen Code an.</translation>
    </message>
    <message id="checklist.reason.tmuxMissing">
        <source>tmux is not installed. Install it with your package manager.</source>
        <translation>tmux ist nicht installiert. Installiere es mit deiner Paketverwaltung.</translation>
    </message>
    <message id="checklist.reason.waitingForDaemonStart">
        <source>Waiting for the Vesket background service to start.</source>
        <translation>Warte auf den Start des Vesket-Hintergrunddiensts.</translation>
    </message>
    <message id="checklist.row.connected.detail.active">
        <source>Waiting for the background service to link to the relay.</source>
        <translation>Warte, bis sich der Hintergrunddienst mit dem Relay verbindet.</translation>
    </message>
    <message id="checklist.row.connected.detail.done">
        <source>Linked to the relay: your other devices reach this machine.</source>
        <translation>Mit dem Relay verbunden: Deine anderen Geräte erreichen diesen Rechner.</translation>
    </message>
    <message id="checklist.row.connected.detail.pending">
        <source>Follows once the background service runs.</source>
        <translation>Folgt, sobald der Hintergrunddienst läuft.</translation>
    </message>
    <message id="checklist.row.connected.title">
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message id="checklist.row.daemonReady.detail.done">
        <source>The background service is running with tmux.</source>
        <translation>Der Hintergrunddienst läuft mit tmux.</translation>
    </message>
    <message id="checklist.row.daemonReady.title">
        <source>Background service</source>
        <translation>Hintergrunddienst</translation>
    </message>
    <message id="checklist.row.pair.detail.active">
        <source>Scan the code with your phone's camera, or type the short code on the pairing page.</source>
        <translation>Scanne den Code mit der Kamera deines Telefons oder gib den Kurzcode auf der Kopplungsseite ein.</translation>
    </message>
    <message id="checklist.row.pair.detail.done">
        <source>This machine is paired with your account.</source>
        <translation>Dieser Rechner ist mit deinem Konto gekoppelt.</translation>
    </message>
    <message id="checklist.row.pair.title">
        <source>Pair with your account</source>
        <translation>Mit deinem Konto koppeln</translation>
    </message>
    <message id="checklist.row.permission.detail.automationOnly">
        <source>Automation is allowed; accessibility is still missing.</source>
        <translation>Automatisierung ist erlaubt, Bedienungshilfen fehlen noch.</translation>
    </message>
    <message id="checklist.row.permission.detail.checking">
        <source>Checking permissions…</source>
        <translation>Berechtigungen werden geprüft…</translation>
    </message>
    <message id="checklist.row.permission.detail.granted">
        <source>Nothing to grant: the background service has what it needs.</source>
        <translation>Nichts freizugeben: Der Hintergrunddienst hat, was er braucht.</translation>
    </message>
    <message id="checklist.row.permission.detail.pending">
        <source>The background service still needs its permissions.</source>
        <translation>Der Hintergrunddienst braucht noch seine Berechtigungen.</translation>
    </message>
    <message id="checklist.row.permission.title">
        <source>Permissions</source>
        <translation>Berechtigungen</translation>
    </message>
    <message id="daemon_provision_failure.title.not_running">
        <source>Vesket's daemon is not running</source>
        <translation>Der Vesket-Dienst läuft nicht</translation>
    </message>
    <message id="daemon_provision_failure.title.previous_daemon_restored">
        <source>Vesket restored the previous daemon</source>
        <translation>Vesket hat den vorherigen Dienst wiederhergestellt</translation>
    </message>
    <message id="daemon_provision_failure.title.running_daemon_kept">
        <source>Vesket kept the running daemon</source>
        <translation>Vesket hat den laufenden Dienst beibehalten</translation>
    </message>
    <message id="daemon_rollback_pin.body">
        <source>The daemon is pinned to the build with SHA-256 %1…. Vesket will not replace it until you resume automatic updates.</source>
        <translation>Der Dienst ist auf den Build mit SHA-256 %1… festgelegt. Vesket ersetzt ihn erst, wenn Sie die automatischen Updates fortsetzen.</translation>
    </message>
    <message id="daemon_rollback_pin.resume">
        <source>Resume Automatic Updates</source>
        <translation>Automatische Updates fortsetzen</translation>
    </message>
    <message id="daemon_rollback_pin.title">
        <source>Automatic daemon updates are paused</source>
        <translation>Automatische Dienst-Updates sind angehalten</translation>
    </message>
    <message id="macos.account_section.apple">
        <source>Sign in with Apple</source>
        <translation>Mit Apple anmelden</translation>
    </message>
    <message id="macos.account_section.checking">
        <source>Checking your saved sign-in…</source>
        <translation>Deine gespeicherte Anmeldung wird geprüft…</translation>
    </message>
    <message id="macos.account_section.confirm_label">
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message id="macos.account_section.confirm_placeholder">
        <source>Repeat the password</source>
        <translation>Passwort wiederholen</translation>
    </message>
    <message id="macos.account_section.create_account">
        <source>Create Account</source>
        <translation>Konto erstellen</translation>
    </message>
    <message id="macos.account_section.create_account_tab">
        <source>Create Account</source>
        <translation>Konto erstellen</translation>
    </message>
    <message id="macos.account_section.email_placeholder">
        <source>you@example.org</source>
        <translation>du@beispiel.de</translation>
    </message>
    <message id="macos.account_section.google">
        <source>Sign in with Google</source>
        <translation>Mit Google anmelden</translation>
    </message>
    <message id="macos.account_section.identifier_label">
        <source>E-mail or username</source>
        <translation>E-Mail oder Benutzername</translation>
    </message>
    <message id="macos.account_section.identifier_placeholder">
        <source>E-mail address or username</source>
        <translation>E-Mail-Adresse oder Benutzername</translation>
    </message>
    <message id="macos.account_section.needs_phone_pairing">
        <source>This account already has a Mac. Add this one by scanning its QR code with your phone.</source>
        <translation>Dieses Konto hat bereits einen Mac. Füge diesen hinzu, indem du seinen QR-Code mit deinem Telefon scannst.</translation>
    </message>
    <message id="macos.account_section.password_label">
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message id="macos.account_section.relay_apply">
        <source>Use</source>
        <translation>Verwenden</translation>
    </message>
    <message id="macos.account_section.relay_automatic">
        <source>Automatic (fastest relay)</source>
        <translation>Automatisch (schnellstes Relay)</translation>
    </message>
    <message id="macos.account_section.relay_current">
        <source>Using %1</source>
        <translation>Verwendet: %1</translation>
    </message>
    <message id="macos.account_section.relay_custom">
        <source>Custom URL</source>
        <translation>Eigene URL</translation>
    </message>
    <message id="macos.account_section.relay_invalid_url">
        <source>Enter a relay address that starts with https:// or http://.</source>
        <translation>Gib eine Relay-Adresse ein, die mit https:// oder http:// beginnt.</translation>
    </message>
    <message id="macos.account_section.relay_latency_ms">
        <source>%1: %2 ms</source>
        <translation>%1: %2 ms</translation>
    </message>
    <message id="macos.account_section.relay_measure">
        <source>Measure</source>
        <translation>Messen</translation>
    </message>
    <message id="macos.account_section.relay_not_measured">
        <source>Latency not measured yet.</source>
        <translation>Latenz noch nicht gemessen.</translation>
    </message>
    <message id="macos.account_section.relay_title">
        <source>Relay</source>
        <translation>Relay-Server</translation>
    </message>
    <message id="macos.account_section.relay_unreachable">
        <source>%1: unreachable</source>
        <translation>%1: nicht erreichbar</translation>
    </message>
    <message id="macos.account_section.session_expired_detail">
        <source>Your session expired (sessions last 7 days). Sign in again to restore your Board &amp; Inbox.</source>
        <translation>Deine Sitzung ist abgelaufen (Sitzungen gelten 7 Tage). Melde dich erneut an, um Board und Posteingang wiederherzustellen.</translation>
    </message>
    <message id="macos.account_section.sign_in">
        <source>Sign In</source>
        <translation>Anmelden</translation>
    </message>
    <message id="macos.account_section.sign_in_tab">
        <source>Sign In</source>
        <translation>Anmelden</translation>
    </message>
    <message id="macos.account_section.sign_out">
        <source>Sign Out</source>
        <translation>Abmelden</translation>
    </message>
    <message id="macos.account_section.signed_in_as">
        <source>Signed in as %1</source>
        <translation>Angemeldet als %1</translation>
    </message>
    <message id="macos.account_section.signing_in">
        <source>Signing in…</source>
        <translation>Anmeldung läuft…</translation>
    </message>
    <message id="macos.account_section.title">
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message id="macos.account_sign_in_page.apple_not_set_up">
        <source>Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID).</source>
        <translation>Die Anmeldung mit Apple ist auf diesem Mac noch nicht eingerichtet (dazu braucht es die Services-ID des Betreibers).</translation>
    </message>
    <message id="macos.account_sign_in_page.couldn_t_enroll_prefix">
        <source>Couldn't enroll this Mac. </source>
        <translation>Dieser Mac konnte nicht registriert werden. </translation>
    </message>
    <message id="macos.account_sign_in_page.enter_a_username_and_password">
        <source>Enter a username and password.</source>
        <translation>Gib einen Benutzernamen und ein Passwort ein.</translation>
    </message>
    <message id="macos.account_sign_in_page.google_not_set_up">
        <source>Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth client).</source>
        <translation>Die Anmeldung mit Google ist auf diesem Mac noch nicht eingerichtet (dazu braucht es den Google-OAuth-Client des Betreibers).</translation>
    </message>
    <message id="macos.account_sign_in_page.password_must_be_at_least_8_characters">
        <source>Password must be at least 8 characters.</source>
        <translation>Das Passwort muss mindestens 8 Zeichen lang sein.</translation>
    </message>
    <message id="macos.account_sign_in_page.passwords_don_t_match">
        <source>Passwords don't match.</source>
        <translation>Die Passwörter stimmen nicht überein.</translation>
    </message>
    <message id="macos.account_sign_in_page.please_check_your_email_and_password">
        <source>Please check your email and password.</source>
        <translation>Bitte prüfe deine E-Mail-Adresse und dein Passwort.</translation>
    </message>
    <message id="macos.account_sign_in_page.please_enter_a_valid_email_address">
        <source>Please enter a valid email address.</source>
        <translation>Bitte gib eine gültige E-Mail-Adresse ein.</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_account_exists">
        <source>An account with this email already exists. Sign in instead.</source>
        <translation>Zu dieser E-Mail-Adresse gibt es bereits ein Konto. Melde dich stattdessen an.</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_generic">
        <source>Couldn't create the account. Try again.</source>
        <translation>Das Konto konnte nicht angelegt werden. Versuche es erneut.</translation>
    </message>
    <message id="macos.account_sign_in_page.registration_backend_unavailable">
        <source>Registration is not available on this relay right now. Try again later.</source>
        <translation>Die Registrierung ist auf diesem Relay gerade nicht verfügbar. Versuche es später erneut.</translation>
    </message>
    <message id="macos.account_sign_in_page.relay_unreachable">
        <source>Couldn't reach the relay at %1. Check your connection or the relay address, then try again.</source>
        <translation>Das Relay unter %1 war nicht erreichbar. Prüfe deine Verbindung oder die Relay-Adresse und versuche es erneut.</translation>
    </message>
    <message id="macos.account_sign_in_page.session_expired">
        <source>Session expired — please sign in again.</source>
        <translation>Sitzung abgelaufen – bitte melde dich erneut an.</translation>
    </message>
    <message id="macos.account_sign_in_page.too_many_attempts_wait_a_minute">
        <source>Too many attempts. Wait a minute, then try again.</source>
        <translation>Zu viele Versuche. Warte eine Minute und versuche es dann erneut.</translation>
    </message>
    <message id="macos.account_sign_in_page.too_many_device_enrollment_attempts">
        <source>Too many device enrollment attempts. Try again in %1 seconds.</source>
        <translation>Zu viele Versuche, das Gerät anzumelden. Versuche es in %1 Sekunden erneut.</translation>
    </message>
    <message id="macos.account_sign_in_page.wrong_username_or_password">
        <source>Wrong username or password.</source>
        <translation>Benutzername oder Passwort ist falsch.</translation>
    </message>
    <message id="macos.answer_panel.dismiss">
        <source>Dismiss</source>
        <translation>Ausblenden</translation>
    </message>
    <message id="macos.answer_panel.hide_this_prompt_until_the_agent_asks_again">
        <source>Hide this prompt until the agent asks again</source>
        <translation>Diese Frage ausblenden, bis der Agent erneut fragt</translation>
    </message>
    <message id="macos.answer_panel.needs_your_attention">
        <source>Needs your attention</source>
        <translation>Braucht Ihre Aufmerksamkeit</translation>
    </message>
    <message id="macos.answer_panel.press_digit">
        <source>Press %1</source>
        <translation>%1 drücken</translation>
    </message>
    <message id="macos.answer_panel.send">
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message id="macos.answer_panel.team_signal">
        <source>Team signal</source>
        <translation>Team-Signal</translation>
    </message>
    <message id="macos.answer_panel.team_signal_kind">
        <source>Team signal · %1</source>
        <translation>Team-Signal · %1</translation>
    </message>
    <message id="macos.answer_panel.the_agent_is_waiting_for_you">
        <source>The agent is waiting for you.</source>
        <translation>Der Agent wartet auf Sie.</translation>
    </message>
    <message id="macos.answer_panel.type_an_answer_and_press_enter">
        <source>Type an answer and press Enter</source>
        <translation>Antwort eingeben und die Eingabetaste drücken</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_answer">
        <source>Waiting for your answer</source>
        <translation>Wartet auf Ihre Antwort</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_decision">
        <source>Waiting for your decision</source>
        <translation>Wartet auf Ihre Entscheidung</translation>
    </message>
    <message id="macos.composer.attach_files">
        <source>Attach files…</source>
        <translation>Dateien anhängen …</translation>
    </message>
    <message id="macos.composer.attached_files">
        <source>Attached: %1</source>
        <translation>Angehängt: %1</translation>
    </message>
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>Nachricht an %1 – Eingabetaste zum Senden, Umschalt+Eingabetaste für eine neue Zeile</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>Nachricht an den Agenten – Eingabetaste zum Senden, Umschalt+Eingabetaste für eine neue Zeile</translation>
    </message>
    <message id="macos.composer.pasted_image">
        <source>Pasted image</source>
        <translation>Eingefügtes Bild</translation>
    </message>
    <message id="macos.composer.remove_attachments">
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message id="macos.composer.send">
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message id="macos.composer.send_ctrl_c_interrupt">
        <source>Send Ctrl-C (interrupt)</source>
        <translation>Strg-C senden (unterbrechen)</translation>
    </message>
    <message id="macos.composer.send_down">
        <source>Send Down</source>
        <translation>Pfeil nach unten senden</translation>
    </message>
    <message id="macos.composer.send_enter">
        <source>Send Enter</source>
        <translation>Eingabetaste senden</translation>
    </message>
    <message id="macos.composer.send_escape">
        <source>Send Escape</source>
        <translation>Escape senden</translation>
    </message>
    <message id="macos.composer.send_tab">
        <source>Send Tab</source>
        <translation>Tab senden</translation>
    </message>
    <message id="macos.composer.send_up">
        <source>Send Up</source>
        <translation>Pfeil nach oben senden</translation>
    </message>
    <message id="macos.composer.sending">
        <source>Sending…</source>
        <translation>Wird gesendet…</translation>
    </message>
    <message id="macos.composer.uploading_percent">
        <source>Uploading %1%</source>
        <translation>Wird hochgeladen … %1 %</translation>
    </message>
    <message id="macos.crew_control_view.add_workers_failed">
        <source>Couldn’t add agents</source>
        <translation>Agenten konnten nicht hinzugefügt werden</translation>
    </message>
    <message id="macos.crew_control_view.agent_kind">
        <source>Agent</source>
        <translation>Agent</translation>
    </message>
    <message id="macos.crew_control_view.brief">
        <source>What should the worker do?</source>
        <translation>Was soll der Worker tun?</translation>
    </message>
    <message id="macos.crew_control_view.cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="macos.crew_control_view.choose_folder">
        <source>Choose…</source>
        <translation>Auswählen…</translation>
    </message>
    <message id="macos.crew_control_view.cli_missing">
        <source>vesket CLI not found at %1 — install the daemon first.</source>
        <translation>vesket-Befehlszeilenwerkzeug nicht gefunden unter %1 – installiere zuerst den Daemon.</translation>
    </message>
    <message id="macos.crew_control_view.close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="macos.crew_control_view.close_group_failed">
        <source>Couldn’t close group</source>
        <translation>Gruppe konnte nicht geschlossen werden</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_action">
        <source>Closing a terminal</source>
        <translation>Ein Terminal schließen</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_failed">
        <source>Close terminal failed: %1</source>
        <translation>Terminal schließen fehlgeschlagen: %1</translation>
    </message>
    <message id="macos.crew_control_view.column_model">
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message id="macos.crew_control_view.column_name">
        <source>Team / pane</source>
        <translation>Team / Bereich</translation>
    </message>
    <message id="macos.crew_control_view.column_state">
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message id="macos.crew_control_view.column_task">
        <source>Task</source>
        <translation>Aufgabe</translation>
    </message>
    <message id="macos.crew_control_view.create">
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message id="macos.crew_control_view.create_failed">
        <source>crew create failed</source>
        <translation>Team erstellen fehlgeschlagen</translation>
    </message>
    <message id="macos.crew_control_view.crew_bin_missing">
        <source>crew bin not found at %1 — is the daemon installed?</source>
        <translation>Team-Werkzeuge nicht gefunden unter %1 – ist der Daemon installiert?</translation>
    </message>
    <message id="macos.crew_control_view.disband">
        <source>Disband</source>
        <translation>Auflösen</translation>
    </message>
    <message id="macos.crew_control_view.empty">
        <source>No teams, groups or terminal windows yet.</source>
        <translation>Noch keine Teams, Gruppen oder Terminalfenster.</translation>
    </message>
    <message id="macos.crew_control_view.group_create_failed">
        <source>agent-group create failed</source>
        <translation>Agentengruppe erstellen fehlgeschlagen</translation>
    </message>
    <message id="macos.crew_control_view.group_created">
        <source>Agent Group created (%1 panes, no manager).</source>
        <translation>Agentengruppe erstellt (%1 Bereiche, ohne Manager).</translation>
    </message>
    <message id="macos.crew_control_view.group_row">
        <source>Agent group “%1”</source>
        <translation>Agentengruppe „%1“</translation>
    </message>
    <message id="macos.crew_control_view.group_size_error">
        <source>Agent groups grow by 2 (2–8) to keep the two-row layout.</source>
        <translation>Agentengruppen wachsen in Zweierschritten (2–8), damit die zweizeilige Anordnung bleibt.</translation>
    </message>
    <message id="macos.crew_control_view.grow">
        <source>Add agents</source>
        <translation>Agenten hinzufügen</translation>
    </message>
    <message id="macos.crew_control_view.grow_count">
        <source>How many workers?</source>
        <translation>Wie viele Worker?</translation>
    </message>
    <message id="macos.crew_control_view.kind_of_window">
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message id="macos.crew_control_view.machine_local">
        <source>On this machine</source>
        <translation>Auf diesem Rechner</translation>
    </message>
    <message id="macos.crew_control_view.machine_remote">
        <source>On %1</source>
        <translation>Auf %1</translation>
    </message>
    <message id="macos.crew_control_view.mode_group">
        <source>Agent group (two rows, no manager)</source>
        <translation>Agentengruppe (zwei Reihen, ohne Manager)</translation>
    </message>
    <message id="macos.crew_control_view.mode_team">
        <source>Agent team (manager + workers)</source>
        <translation>Agententeam (Manager + Worker)</translation>
    </message>
    <message id="macos.crew_control_view.mode_terminal">
        <source>Plain terminal window</source>
        <translation>Einfaches Terminalfenster</translation>
    </message>
    <message id="macos.crew_control_view.model">
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message id="macos.crew_control_view.model_placeholder">
        <source>Model (empty: the agent's default)</source>
        <translation>Modell (leer: Standard des Agenten)</translation>
    </message>
    <message id="macos.crew_control_view.name">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="macos.crew_control_view.name_placeholder">
        <source>Window name (optional)</source>
        <translation>Fenstername (optional)</translation>
    </message>
    <message id="macos.crew_control_view.needs_approval">
        <source>Approve this device from one of your other devices to manage that machine's teams.</source>
        <translation>Gib dieses Gerät auf einem deiner anderen Geräte frei, um die Teams dieses Rechners zu verwalten.</translation>
    </message>
    <message id="macos.crew_control_view.new">
        <source>New…</source>
        <translation>Neu…</translation>
    </message>
    <message id="macos.crew_control_view.new_title">
        <source>Start agents</source>
        <translation>Agenten starten</translation>
    </message>
    <message id="macos.crew_control_view.project">
        <source>Project</source>
        <translation>Projekt</translation>
    </message>
    <message id="macos.crew_control_view.project_placeholder">
        <source>Project folder</source>
        <translation>Projektordner</translation>
    </message>
    <message id="macos.crew_control_view.project_required">
        <source>Project name is required.</source>
        <translation>Ein Projektname ist erforderlich.</translation>
    </message>
    <message id="macos.crew_control_view.registry_failed">
        <source>crew-registry list failed</source>
        <translation>Teamliste konnte nicht gelesen werden</translation>
    </message>
    <message id="macos.crew_control_view.registry_unreadable">
        <source>couldn't parse crew registry output</source>
        <translation>Die Ausgabe der Teamliste ist nicht lesbar</translation>
    </message>
    <message id="macos.crew_control_view.remote_only_refusal">
        <source>%1 isn’t available yet for a remote machine (%2) — switch to it directly, or select This Mac.</source>
        <translation>%1 ist für einen entfernten Rechner (%2) noch nicht möglich – wechsle direkt zu ihm oder wähle diesen Rechner.</translation>
    </message>
    <message id="macos.crew_control_view.remove_action">
        <source>Removing a team</source>
        <translation>Ein Team auflösen</translation>
    </message>
    <message id="macos.crew_control_view.remove_failed">
        <source>Remove failed: %1</source>
        <translation>Auflösen fehlgeschlagen: %1</translation>
    </message>
    <message id="macos.crew_control_view.removed">
        <source>Removed agent team for “%1”</source>
        <translation>Agententeam für „%1“ aufgelöst</translation>
    </message>
    <message id="macos.crew_control_view.rename">
        <source>Rename…</source>
        <translation>Umbenennen…</translation>
    </message>
    <message id="macos.crew_control_view.rename_team_failed">
        <source>Couldn’t rename team</source>
        <translation>Team konnte nicht umbenannt werden</translation>
    </message>
    <message id="macos.crew_control_view.route">
        <source>Route task…</source>
        <translation>Aufgabe zuweisen…</translation>
    </message>
    <message id="macos.crew_control_view.route_failed">
        <source>route failed</source>
        <translation>Zuweisen fehlgeschlagen</translation>
    </message>
    <message id="macos.crew_control_view.routed">
        <source>Routed %1 to %2.</source>
        <translation>%1 an %2 zugewiesen.</translation>
    </message>
    <message id="macos.crew_control_view.routing">
        <source>Routing…</source>
        <translation>Routing…</translation>
    </message>
    <message id="macos.crew_control_view.starting">
        <source>Starting agents…</source>
        <translation>Agenten werden gestartet…</translation>
    </message>
    <message id="macos.crew_control_view.state_blocked">
        <source>blocked</source>
        <translation>blockiert</translation>
    </message>
    <message id="macos.crew_control_view.state_idle">
        <source>idle</source>
        <translation>untätig</translation>
    </message>
    <message id="macos.crew_control_view.state_unknown">
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message id="macos.crew_control_view.state_working">
        <source>working</source>
        <translation>arbeitet</translation>
    </message>
    <message id="macos.crew_control_view.stop">
        <source>Stop task</source>
        <translation>Aufgabe stoppen</translation>
    </message>
    <message id="macos.crew_control_view.stop_failed">
        <source>stop failed</source>
        <translation>Stoppen fehlgeschlagen</translation>
    </message>
    <message id="macos.crew_control_view.stopped">
        <source>Stopped the task of %1.</source>
        <translation>Aufgabe von %1 gestoppt.</translation>
    </message>
    <message id="macos.crew_control_view.stopping">
        <source>Stopping a task</source>
        <translation>Aufgabe wird gestoppt</translation>
    </message>
    <message id="macos.crew_control_view.task">
        <source>Task</source>
        <translation>Aufgabe</translation>
    </message>
    <message id="macos.crew_control_view.task_id">
        <source>Task id</source>
        <translation>Aufgaben-ID</translation>
    </message>
    <message id="macos.crew_control_view.task_id_required">
        <source>A task id is required to route.</source>
        <translation>Zum Zuweisen ist eine Aufgaben-ID nötig.</translation>
    </message>
    <message id="macos.crew_control_view.task_placeholder">
        <source>First task for the manager (optional)</source>
        <translation>Erste Aufgabe für den Manager (optional)</translation>
    </message>
    <message id="macos.crew_control_view.team_created">
        <source>Agent team created for “%1” (1 mgr + %2 %3 workers, %4).</source>
        <translation>Agententeam für „%1“ erstellt (1 Manager + %2 %3-Worker, %4).</translation>
    </message>
    <message id="macos.crew_control_view.terminal_closed">
        <source>Closed terminal window.</source>
        <translation>Terminalfenster geschlossen.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_failed">
        <source>Couldn’t open a terminal: %1</source>
        <translation>Terminal konnte nicht geöffnet werden: %1</translation>
    </message>
    <message id="macos.crew_control_view.terminal_needs_sign_in">
        <source>Sign in to create a terminal on a remote machine — without a relay account the pane would land on This Mac instead.</source>
        <translation>Melde dich an, um ein Terminal auf einem entfernten Rechner zu erstellen – ohne Relay-Konto landet der Bereich stattdessen auf diesem Rechner.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_opened">
        <source>Opened terminal window “%1”.</source>
        <translation>Terminalfenster „%1“ geöffnet.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_row">
        <source>Terminal “%1”</source>
        <translation>Terminal „%1“</translation>
    </message>
    <message id="macos.crew_control_view.title">
        <source>Agent teams</source>
        <translation>Agententeams</translation>
    </message>
    <message id="macos.crew_control_view.worker_count_range">
        <source>Worker count must be 1–9.</source>
        <translation>Die Anzahl der Worker muss zwischen 1 und 9 liegen.</translation>
    </message>
    <message id="macos.crew_control_view.workers">
        <source>Workers</source>
        <translation>Worker</translation>
    </message>
    <message id="macos.crew_control_view.workers_added">
        <source>Added %1 agents to the team.</source>
        <translation>%1 Agenten zum Team hinzugefügt.</translation>
    </message>
    <message id="macos.daemon_provision.could_not_cleanly_restart">
        <source>Vesket could not cleanly restart its daemon.

%1

Check with: %2</source>
        <translation>Vesket konnte seinen Daemon nicht sauber neu starten.

%1

Prüfen mit: %2</translation>
    </message>
    <message id="macos.daemon_provision.could_not_clear_rollback_pin">
        <source>Vesket could not clear the daemon rollback pin at %1</source>
        <translation>Vesket konnte die Rückroll-Fixierung des Daemons unter %1 nicht aufheben</translation>
    </message>
    <message id="macos.daemon_provision.embedded_missing">
        <source>This copy of Vesket does not contain its signed daemon.</source>
        <translation>Diese Kopie von Vesket enthält ihren signierten Daemon nicht.</translation>
    </message>
    <message id="macos.daemon_provision.embedded_untrusted">
        <source>The daemon inside this copy of Vesket failed Developer ID verification.</source>
        <translation>Der Daemon in dieser Kopie von Vesket hat die Signaturprüfung nicht bestanden.</translation>
    </message>
    <message id="macos.daemon_provision.isolated_instance_does_not_control_the_service">
        <source>This isolated instance does not control the daemon's service.</source>
        <translation>Diese isolierte Instanz steuert den Dienst des Daemons nicht.</translation>
    </message>
    <message id="macos.daemon_provision.live_replace_refused">
        <source>Vesket found its daemon running and could not obtain a safe restart, so it left the running daemon in place.</source>
        <translation>Vesket hat seinen Daemon laufend vorgefunden und keinen sicheren Neustart erhalten; daher bleibt der laufende Daemon bestehen.</translation>
    </message>
    <message id="macos.daemon_provision.redirected_home_refused">
        <source>Provisioning was refused: this app was launched with an explicit VESKET_HOME, but the running daemon's home is a different directory. Vesket does not replace the daemon of an install it was not pointed at.</source>
        <translation>Die Einrichtung wurde verweigert: Diese App wurde mit einem ausdrücklichen VESKET_HOME gestartet, aber der laufende Daemon gehört zu einem anderen Verzeichnis. Vesket ersetzt nicht den Daemon einer Installation, auf die es nicht verwiesen wurde.</translation>
    </message>
    <message id="macos.daemon_provision.replacement_failed">
        <source>Vesket could not install or verify its signed daemon.</source>
        <translation>Vesket konnte seinen signierten Daemon nicht installieren oder prüfen.</translation>
    </message>
    <message id="macos.daemon_provision.replacement_rolled_back">
        <source>Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.</source>
        <translation>Vesket hat einen neuen Daemon installiert, der aber nicht weiterlief; daher wurde der vorherige Daemon wiederhergestellt.</translation>
    </message>
    <message id="macos.daemon_provision.restart_binary_not_found">
        <source>Could not restart the Vesket daemon: binary not found at %1.

Please download the latest signed Vesket release.</source>
        <translation>Der Vesket-Daemon konnte nicht neu gestartet werden: Programm nicht gefunden unter %1.

Bitte lade die neueste signierte Vesket-Version herunter.</translation>
    </message>
    <message id="macos.daemon_provision.restart_bootstrap_failed">
        <source>The service manager could not load the daemon job again.</source>
        <translation>Die Dienstverwaltung konnte den Daemon-Auftrag nicht erneut laden.</translation>
    </message>
    <message id="macos.daemon_provision.restart_could_not_terminate">
        <source>Could not terminate the existing daemon process (PID %1).</source>
        <translation>Der laufende Daemon-Prozess (PID %1) konnte nicht beendet werden.</translation>
    </message>
    <message id="macos.daemon_provision.restart_job_not_removed">
        <source>The service manager did not finish removing the old daemon job.</source>
        <translation>Die Dienstverwaltung hat den alten Daemon-Auftrag nicht vollständig entfernt.</translation>
    </message>
    <message id="macos.daemon_provision.restart_pid_not_the_daemon">
        <source>The service manager reported PID %1, but it was not the expected daemon executable.</source>
        <translation>Die Dienstverwaltung meldete PID %1, aber das war nicht das erwartete Daemon-Programm.</translation>
    </message>
    <message id="macos.daemon_provision.sidecar_sync_failed">
        <source>Vesket verified its signed daemon, but could not update its bundled terminal support tools.</source>
        <translation>Vesket hat seinen signierten Daemon geprüft, konnte aber die mitgelieferten Terminal-Hilfswerkzeuge nicht aktualisieren.</translation>
    </message>
    <message id="macos.daemon_provision.test_host_refused">
        <source>Provisioning was refused because it ran inside a test host without an isolated VESKET_HOME.</source>
        <translation>Die Einrichtung wurde verweigert, weil sie in einem Testprozess ohne eigenes VESKET_HOME lief.</translation>
    </message>
    <message id="macos.daemon_quit.active_agent_or_remote_activity">
        <source>Vesket has active agent or remote activity. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>In Vesket sind Agenten oder Fernzugriffe aktiv. Beim Beenden werden der Daemon und der Fernzugriff auf diesen Rechner gestoppt. Ihre tmux-Panes bleiben lokal erhalten, aber Vesket-Clients und die Abstimmung der Agenten werden getrennt.</translation>
    </message>
    <message id="macos.daemon_quit.could_not_verify_whether_panes_are_active">
        <source>Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to this Mac.</source>
        <translation>Vesket konnte nicht prüfen, ob Panes aktiv sind. Beim Beenden werden der Daemon und der Fernzugriff auf diesen Rechner gestoppt.</translation>
    </message>
    <message id="macos.daemon_quit.open_panes" numerus="yes">
        <source>Vesket has %n open panes. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>
            <numerusform>Vesket hat %n offenes Pane. Beim Beenden werden der Daemon und der Fernzugriff auf diesen Rechner gestoppt. Ihre tmux-Panes bleiben lokal erhalten, aber Vesket-Clients und die Abstimmung der Agenten werden getrennt.</numerusform>
            <numerusform>Vesket hat %n offene Panes. Beim Beenden werden der Daemon und der Fernzugriff auf diesen Rechner gestoppt. Ihre tmux-Panes bleiben lokal erhalten, aber Vesket-Clients und die Abstimmung der Agenten werden getrennt.</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.account">
        <source>Account…</source>
        <translation>Konto…</translation>
    </message>
    <message id="macos.desktop_shell.connecting_to_the_daemon">
        <source>Connecting to the daemon…</source>
        <translation>Verbindung zum Daemon wird hergestellt…</translation>
    </message>
    <message id="macos.desktop_shell.could_not_stop_the_vesket_daemon">
        <source>Could not stop the Vesket daemon. Vesket is still running.</source>
        <translation>Der Vesket-Daemon konnte nicht gestoppt werden. Vesket läuft weiter.</translation>
    </message>
    <message id="macos.desktop_shell.daemon_not_running">
        <source>Daemon not running</source>
        <translation>Daemon läuft nicht</translation>
    </message>
    <message id="macos.desktop_shell.daemon_running_panes" numerus="yes">
        <source>Daemon running · %n panes</source>
        <translation>
            <numerusform>Daemon läuft · %n Pane</numerusform>
            <numerusform>Daemon läuft · %n Panes</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.devices">
        <source>Devices…</source>
        <translation>Geräte…</translation>
    </message>
    <message id="macos.desktop_shell.inbox">
        <source>Inbox…</source>
        <translation>Posteingang…</translation>
    </message>
    <message id="macos.desktop_shell.inbox_decisions_waiting" numerus="yes">
        <source>Inbox — %n decisions waiting…</source>
        <translation>
            <numerusform>Posteingang — %n Entscheidung wartet…</numerusform>
            <numerusform>Posteingang — %n Entscheidungen warten…</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>Vesket öffnen</translation>
    </message>
    <message id="macos.desktop_shell.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>Diesen Rechner koppeln…</translation>
    </message>
    <message id="macos.desktop_shell.quit">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket">
        <source>Quit Vesket</source>
        <translation>Vesket beenden</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket_question">
        <source>Quit Vesket?</source>
        <translation>Vesket beenden?</translation>
    </message>
    <message id="macos.desktop_shell.reconnecting_attempt">
        <source>Reconnecting (attempt %1)…</source>
        <translation>Erneute Verbindung (Versuch %1)…</translation>
    </message>
    <message id="macos.desktop_shell.state_waiting_for_you" numerus="yes">
        <source>%1 · %n waiting for you</source>
        <translation>
            <numerusform>%1 · %n wartet auf Sie</numerusform>
            <numerusform>%1 · %n warten auf Sie</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.tray_tooltip">
        <source>Vesket — %1</source>
        <translation>Vesket – %1</translation>
    </message>
    <message id="macos.device_approval.approve">
        <source>Approve</source>
        <translation>Zulassen</translation>
    </message>
    <message id="macos.device_approval.deny">
        <source>Deny</source>
        <translation>Ablehnen</translation>
    </message>
    <message id="macos.device_approval.new_request_title">
        <source>New device wants to join your account</source>
        <translation>Ein neues Gerät möchte deinem Konto beitreten</translation>
    </message>
    <message id="macos.device_approval.repeat_request_title">
        <source>⚠️ Repeat request from a device you denied</source>
        <translation>⚠️ Erneute Anfrage eines Geräts, das du abgelehnt hast</translation>
    </message>
    <message id="macos.devices_window.account_devices">
        <source>Devices on this account</source>
        <translation>Geräte dieses Kontos</translation>
    </message>
    <message id="macos.devices_window.code">
        <source>code</source>
        <translation>Code</translation>
    </message>
    <message id="macos.devices_window.denied_until">
        <source>You can ask again after %1.</source>
        <translation>Du kannst nach %1 erneut anfragen.</translation>
    </message>
    <message id="macos.devices_window.get_pairing_code">
        <source>Get a pairing code</source>
        <translation>Kopplungscode holen</translation>
    </message>
    <message id="macos.devices_window.last_seen">
        <source>last seen %1</source>
        <translation>zuletzt gesehen %1</translation>
    </message>
    <message id="macos.devices_window.loading">
        <source>Loading…</source>
        <translation>Wird geladen…</translation>
    </message>
    <message id="macos.devices_window.match_fingerprint">
        <source>Match this fingerprint on the approving computer</source>
        <translation>Vergleiche diesen Fingerabdruck auf dem freigebenden Computer</translation>
    </message>
    <message id="macos.devices_window.my_machines">
        <source>My machines</source>
        <translation>Meine Rechner</translation>
    </message>
    <message id="macos.devices_window.no_devices">
        <source>No devices yet.</source>
        <translation>Noch keine Geräte.</translation>
    </message>
    <message id="macos.devices_window.no_machines">
        <source>No machine is paired with this account yet.</source>
        <translation>Noch kein Rechner ist mit diesem Konto gekoppelt.</translation>
    </message>
    <message id="macos.devices_window.no_pending">
        <source>No device is waiting for approval.</source>
        <translation>Kein Gerät wartet auf Freigabe.</translation>
    </message>
    <message id="macos.devices_window.not_enrolled">
        <source>Not enrolled: sign in to your account first.</source>
        <translation>Nicht angemeldet: Melde dich zuerst bei deinem Konto an.</translation>
    </message>
    <message id="macos.devices_window.online">
        <source>Online</source>
        <translation>Online</translation>
    </message>
    <message id="macos.devices_window.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>Diesen Rechner koppeln…</translation>
    </message>
    <message id="macos.devices_window.pairing_code_is">
        <source>Type this code in the pairing window of the other machine: %1</source>
        <translation>Gib diesen Code im Kopplungsfenster des anderen Rechners ein: %1</translation>
    </message>
    <message id="macos.devices_window.pending_unavailable">
        <source>Requests cannot be read: this device is not approved or the relay is not reachable.</source>
        <translation>Anfragen können nicht gelesen werden: Dieses Gerät ist nicht zugelassen oder das Relay ist nicht erreichbar.</translation>
    </message>
    <message id="macos.devices_window.relay_unreachable">
        <source>The relay could not be reached. Check the connection.</source>
        <translation>Das Relay ist nicht erreichbar. Prüfe die Verbindung.</translation>
    </message>
    <message id="macos.devices_window.revoke">
        <source>Revoke</source>
        <translation>Widerrufen</translation>
    </message>
    <message id="macos.devices_window.status_approved">
        <source>Approved</source>
        <translation>Zugelassen</translation>
    </message>
    <message id="macos.devices_window.status_denied">
        <source>Denied</source>
        <translation>Abgelehnt</translation>
    </message>
    <message id="macos.devices_window.status_pending">
        <source>Waiting for approval</source>
        <translation>Wartet auf Freigabe</translation>
    </message>
    <message id="macos.devices_window.status_revoked">
        <source>Revoked</source>
        <translation>Widerrufen</translation>
    </message>
    <message id="macos.devices_window.this_device">
        <source>This device</source>
        <translation>Dieses Gerät</translation>
    </message>
    <message id="macos.devices_window.this_device_tag">
        <source>this device</source>
        <translation>dieses Gerät</translation>
    </message>
    <message id="macos.devices_window.this_machine_tag">
        <source>this machine</source>
        <translation>dieser Rechner</translation>
    </message>
    <message id="macos.devices_window.title">
        <source>Devices</source>
        <translation>Geräte</translation>
    </message>
    <message id="macos.devices_window.waiting_for_approval">
        <source>Waiting for approval</source>
        <translation>Warten auf Freigabe</translation>
    </message>
    <message id="macos.environment_installer.could_not_launch">
        <source>Could not launch the installer: %1</source>
        <translation>Das Installationsprogramm konnte nicht gestartet werden: %1</translation>
    </message>
    <message id="macos.environment_installer.could_not_stage">
        <source>Could not keep a verified copy of the installer: %1</source>
        <translation>Es konnte keine geprüfte Kopie des Installationsprogramms angelegt werden: %1</translation>
    </message>
    <message id="macos.environment_installer.digest_mismatch">
        <source>The environment installer does not match the SHA-256 digest this copy of Vesket expects, so it was not run.</source>
        <translation>Das Installationsprogramm für die Umgebung passt nicht zur SHA-256-Prüfsumme, die diese Kopie von Vesket erwartet; es wurde nicht ausgeführt.</translation>
    </message>
    <message id="macos.environment_installer.disabled_isolated_instance">
        <source>Environment setup is disabled: this is an isolated instance.</source>
        <translation>Die Einrichtung der Umgebung ist deaktiviert: Dies ist eine isolierte Instanz.</translation>
    </message>
    <message id="macos.environment_installer.ghostty_not_applicable">
        <source>Ghostty is not applicable on this system: use your desktop's terminal.</source>
        <translation>Ghostty ist auf diesem System nicht anwendbar: Verwende das Terminal deiner Arbeitsumgebung.</translation>
    </message>
    <message id="macos.environment_installer.homebrew_not_applicable">
        <source>Homebrew is not applicable on this system: Vesket installs through the system package manager.</source>
        <translation>Homebrew ist auf diesem System nicht anwendbar: Vesket installiert über die Paketverwaltung des Systems.</translation>
    </message>
    <message id="macos.environment_installer.installer_exited_with_status">
        <source>quorline installer exited with status %1 — see the log above for the failing step.</source>
        <translation>Das quorline-Installationsprogramm endete mit Status %1 – der fehlgeschlagene Schritt steht im Protokoll oben.</translation>
    </message>
    <message id="macos.environment_installer.not_packaged">
        <source>The system package manager does not offer it.</source>
        <translation>Die Paketverwaltung des Systems bietet es nicht an.</translation>
    </message>
    <message id="macos.environment_installer.script_missing">
        <source>Could not find the environment installer at %1.</source>
        <translation>Das Installationsprogramm für die Umgebung wurde unter %1 nicht gefunden.</translation>
    </message>
    <message id="macos.environment_installer.verified_script_vanished">
        <source>Verified script vanished before it could run — please try again.</source>
        <translation>Das geprüfte Skript ist verschwunden, bevor es laufen konnte – bitte versuche es erneut.</translation>
    </message>
    <message id="macos.inbox_view.answer_answered">
        <source>Answered</source>
        <translation>Beantwortet</translation>
    </message>
    <message id="macos.inbox_view.answer_declined">
        <source>Declined</source>
        <translation>Abgelehnt</translation>
    </message>
    <message id="macos.inbox_view.answer_failed">
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message id="macos.inbox_view.answer_no_answer">
        <source>No answer yet</source>
        <translation>Noch keine Antwort</translation>
    </message>
    <message id="macos.inbox_view.answer_not_delivered">
        <source>Not delivered</source>
        <translation>Nicht zugestellt</translation>
    </message>
    <message id="macos.inbox_view.answer_seen">
        <source>Seen</source>
        <translation>Gesehen</translation>
    </message>
    <message id="macos.inbox_view.answer_waiting_on_you">
        <source>Waiting on you</source>
        <translation>Wartet auf dich</translation>
    </message>
    <message id="macos.inbox_view.answer_working">
        <source>Working on it</source>
        <translation>Wird bearbeitet</translation>
    </message>
    <message id="macos.inbox_view.decided">
        <source>Answered: %1</source>
        <translation>Beantwortet: %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due">
        <source>Due %1</source>
        <translation>Fällig %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due_unreadable">
        <source>Due “%1” (not a date Vesket can read)</source>
        <translation>Fällig „%1“ (kein Datum, das Vesket lesen kann)</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_already_decided">
        <source>This question was already answered.</source>
        <translation>Diese Frage wurde bereits beantwortet.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_expired">
        <source>The deadline for this question has passed.</source>
        <translation>Die Frist für diese Frage ist abgelaufen.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_offline">
        <source>You're offline — the answer wasn't sent.</source>
        <translation>Du bist offline – die Antwort wurde nicht gesendet.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_timeout">
        <source>The relay didn't answer in time. Try again.</source>
        <translation>Das Relay hat nicht rechtzeitig geantwortet. Versuche es erneut.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_unavailable">
        <source>Couldn't send the answer. Try again.</source>
        <translation>Die Antwort konnte nicht gesendet werden. Versuche es erneut.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_withdrawn">
        <source>The agent withdrew this question.</source>
        <translation>Der Agent hat diese Frage zurückgezogen.</translation>
    </message>
    <message id="macos.inbox_view.decision_sending">
        <source>Sending…</source>
        <translation>Wird gesendet…</translation>
    </message>
    <message id="macos.inbox_view.file_expired">
        <source>This file has expired (files are kept 7 days).</source>
        <translation>Diese Datei ist abgelaufen (Dateien werden 7 Tage aufbewahrt).</translation>
    </message>
    <message id="macos.inbox_view.file_failed">
        <source>Couldn't open the file: %1</source>
        <translation>Die Datei konnte nicht geöffnet werden: %1</translation>
    </message>
    <message id="macos.inbox_view.load_older">
        <source>Load older messages</source>
        <translation>Ältere Nachrichten laden</translation>
    </message>
    <message id="macos.inbox_view.local_only_body">
        <source>Messages from your phone and other devices appear here once this Mac is approved. Terminals and agent teams on this Mac work as usual.</source>
        <translation>Nachrichten von Ihrem Telefon und anderen Geräten erscheinen hier, sobald dieser Mac bestätigt ist. Terminals und Agententeams auf diesem Mac funktionieren wie gewohnt.</translation>
    </message>
    <message id="macos.inbox_view.local_only_title">
        <source>Inbox is local-only for now</source>
        <translation>Der Posteingang ist vorerst nur lokal</translation>
    </message>
    <message id="macos.inbox_view.mark_all_read">
        <source>Mark all read</source>
        <translation>Alle als gelesen markieren</translation>
    </message>
    <message id="macos.inbox_view.mark_read">
        <source>Mark read</source>
        <translation>Als gelesen markieren</translation>
    </message>
    <message id="macos.inbox_view.new_decision">
        <source>%1 asks</source>
        <translation>%1 fragt</translation>
    </message>
    <message id="macos.inbox_view.no_files">
        <source>No shared files yet.</source>
        <translation>Noch keine geteilten Dateien.</translation>
    </message>
    <message id="macos.inbox_view.no_notifications">
        <source>No notifications.</source>
        <translation>Keine Mitteilungen.</translation>
    </message>
    <message id="macos.inbox_view.no_threads">
        <source>No messages yet. Agents post here with “vesket inbox”.</source>
        <translation>Noch keine Nachrichten. Agenten schreiben hierher mit „vesket inbox“.</translation>
    </message>
    <message id="macos.inbox_view.open_file">
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message id="macos.inbox_view.pick_thread">
        <source>Choose a conversation on the left.</source>
        <translation>Wähle links eine Unterhaltung.</translation>
    </message>
    <message id="macos.inbox_view.recommended">
        <source>%1 (recommended)</source>
        <translation>%1 (empfohlen)</translation>
    </message>
    <message id="macos.inbox_view.reply_failed">
        <source>Couldn't send reply.</source>
        <translation>Antwort konnte nicht gesendet werden.</translation>
    </message>
    <message id="macos.inbox_view.reply_placeholder">
        <source>Reply to the agent…</source>
        <translation>Dem Agenten antworten…</translation>
    </message>
    <message id="macos.inbox_view.segment_board">
        <source>Board</source>
        <translation>Board</translation>
    </message>
    <message id="macos.inbox_view.segment_files">
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message id="macos.inbox_view.segment_messages">
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message id="macos.inbox_view.segment_notifications">
        <source>Notifications</source>
        <translation>Mitteilungen</translation>
    </message>
    <message id="macos.inbox_view.send">
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message id="macos.inbox_view.session_expired">
        <source>Your session expired (sessions last 7 days). Sign in again — the Inbox uses your account session.</source>
        <translation>Deine Sitzung ist abgelaufen (Sitzungen gelten 7 Tage). Melde dich erneut an – der Posteingang nutzt deine Kontositzung.</translation>
    </message>
    <message id="macos.inbox_view.title">
        <source>Inbox</source>
        <translation>Posteingang</translation>
    </message>
    <message id="macos.inbox_view.waiting_decisions">
        <source>Waiting for you: %1</source>
        <translation>Wartet auf dich: %1</translation>
    </message>
    <message id="macos.inbox_view.withdrawn">
        <source>Withdrawn by the agent</source>
        <translation>Vom Agenten zurückgezogen</translation>
    </message>
    <message id="macos.live_terminal.attaching">
        <source>Attaching…</source>
        <translation>Verbindung wird hergestellt…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting">
        <source>Reconnecting…</source>
        <translation>Verbindung wird wiederhergestellt…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting_attempt_delay">
        <source>Reconnecting (attempt %1, %2 ms)</source>
        <translation>Erneute Verbindung (Versuch %1, %2 ms)</translation>
    </message>
    <message id="macos.live_terminal.terminal_assets_missing">
        <source>Terminal assets missing from the app bundle.</source>
        <translation>Im App-Paket fehlen die Terminal-Dateien.</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended">
        <source>The pane's terminal ended.</source>
        <translation>Das Terminal des Panes wurde beendet.</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended_reason">
        <source>The pane's terminal ended: %1</source>
        <translation>Das Terminal des Panes wurde beendet: %1</translation>
    </message>
    <message id="macos.live_terminal.the_terminal_of_this_pane_is_not_reachable">
        <source>The terminal of this pane is not reachable.</source>
        <translation>Das Terminal dieses Panes ist nicht erreichbar.</translation>
    </message>
    <message id="macos.live_terminal.try_again">
        <source>Try again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message id="macos.main_window.connection_connecting">
        <source>connecting</source>
        <translation>verbindet</translation>
    </message>
    <message id="macos.main_window.connection_daemon">
        <source>daemon</source>
        <translation>Daemon</translation>
    </message>
    <message id="macos.main_window.connection_no_daemon">
        <source>no daemon</source>
        <translation>kein Daemon</translation>
    </message>
    <message id="macos.main_window.connection_retry">
        <source>retry %1</source>
        <translation>Versuch %1</translation>
    </message>
    <message id="macos.main_window.connection_to_the_local_vesket_daemon">
        <source>Connection to the local Vesket daemon</source>
        <translation>Verbindung zum lokalen Vesket-Daemon</translation>
    </message>
    <message id="macos.main_window.context_used">
        <source>%1% context</source>
        <translation>%1 % Kontext</translation>
    </message>
    <message id="macos.main_window.fit_picker_tooltip">
        <source>Size the pane's tmux window: Off leaves it alone, Fit follows this view</source>
        <translation>Größe des tmux-Fensters dieses Panes: „Aus“ lässt sie unverändert, „Anpassen“ folgt dieser Ansicht</translation>
    </message>
    <message id="macos.main_window.fit_width_fit">
        <source>Fit</source>
        <translation>Anpassen</translation>
    </message>
    <message id="macos.main_window.fit_width_off">
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message id="macos.main_window.live_terminal">
        <source>Live terminal</source>
        <translation>Live-Terminal</translation>
    </message>
    <message id="macos.main_window.machine_offline">
        <source>%1 (offline)</source>
        <translation>%1 (nicht verbunden)</translation>
    </message>
    <message id="macos.main_window.rename_cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="macos.main_window.rename_ok">
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message id="macos.main_window.rename_pane">
        <source>Rename…</source>
        <translation>Umbenennen …</translation>
    </message>
    <message id="macos.main_window.rename_pane_prompt">
        <source>Name shown in the sidebar (empty: the automatic name):</source>
        <translation>Name in der Seitenleiste (leer: der automatische Name):</translation>
    </message>
    <message id="macos.main_window.rename_pane_title">
        <source>Rename Pane</source>
        <translation>Bereich umbenennen</translation>
    </message>
    <message id="macos.main_window.settings">
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message id="macos.main_window.setup">
        <source>Setup…</source>
        <translation>Einrichtung…</translation>
    </message>
    <message id="macos.main_window.setup_tooltip">
        <source>The daemon's state and the tools Vesket uses</source>
        <translation>Der Zustand des Dienstes und die Werkzeuge, die Vesket nutzt</translation>
    </message>
    <message id="macos.main_window.show_the_pane_as_a_live_terminal">
        <source>Show the pane as a live terminal you can type into, instead of its text</source>
        <translation>Das Pane als Live-Terminal zeigen, in das Sie tippen können, statt als Text</translation>
    </message>
    <message id="macos.main_window.teams">
        <source>Teams</source>
        <translation>Teams</translation>
    </message>
    <message id="macos.main_window.text_mode">
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message id="macos.main_window.text_mode_tooltip">
        <source>Show the pane's text with the composer</source>
        <translation>Den Text des Bereichs mit dem Eingabefeld anzeigen</translation>
    </message>
    <message id="macos.main_window.this_machine">
        <source>This machine</source>
        <translation>Dieser Rechner</translation>
    </message>
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message id="macos.my_machines.sign_in_to_list">
        <source>Sign in to your account to list your machines.</source>
        <translation>Melde dich bei deinem Konto an, um deine Rechner zu sehen.</translation>
    </message>
    <message id="macos.pairing_window.code_placeholder">
        <source>Code from your other machine</source>
        <translation>Code von deinem anderen Rechner</translation>
    </message>
    <message id="macos.pairing_window.collecting">
        <source>Pairing with your account…</source>
        <translation>Wird mit deinem Konto gekoppelt…</translation>
    </message>
    <message id="macos.pairing_window.daemon_could_not_save">
        <source>The phone paired this Mac, but its local daemon could not save the pairing. Check the Mac error and retry.</source>
        <translation>Das Telefon hat diesen Mac gekoppelt, aber sein lokaler Dienst konnte die Kopplung nicht speichern. Prüfe den Fehler auf dem Mac und versuche es erneut.</translation>
    </message>
    <message id="macos.pairing_window.expired">
        <source>This code expired.</source>
        <translation>Dieser Code ist abgelaufen.</translation>
    </message>
    <message id="macos.pairing_window.expires_in">
        <source>Expires in %1</source>
        <translation>Läuft ab in %1</translation>
    </message>
    <message id="macos.pairing_window.identity_unavailable">
        <source>This machine's identity (/etc/machine-id) is unavailable. Finish booting, then try again.</source>
        <translation>Die Kennung dieses Rechners (/etc/machine-id) ist nicht verfügbar. Warte, bis das System gestartet ist, und versuche es erneut.</translation>
    </message>
    <message id="macos.pairing_window.loading">
        <source>Asking the relay for a code…</source>
        <translation>Code wird beim Relay angefordert…</translation>
    </message>
    <message id="macos.pairing_window.new_code">
        <source>New code</source>
        <translation>Neuer Code</translation>
    </message>
    <message id="macos.pairing_window.pair_with_account">
        <source>Pair with my account</source>
        <translation>Mit meinem Konto koppeln</translation>
    </message>
    <message id="macos.pairing_window.paired">
        <source>Paired ✔</source>
        <translation>Gekoppelt ✔</translation>
    </message>
    <message id="macos.pairing_window.paired_status">
        <source>This machine is paired. It links to the relay now.</source>
        <translation>Dieser Rechner ist gekoppelt. Er verbindet sich jetzt mit dem Relay.</translation>
    </message>
    <message id="macos.pairing_window.password_placeholder">
        <source>Account password (if asked)</source>
        <translation>Kontopasswort (falls verlangt)</translation>
    </message>
    <message id="macos.pairing_window.replace">
        <source>Replace the selected machine</source>
        <translation>Ausgewählten Rechner ersetzen</translation>
    </message>
    <message id="macos.pairing_window.replace_explanation">
        <source>This account already has machines. Pick the machine this one replaces. Sign in again, or enter your account password to replace this Mac.</source>
        <translation>Dieses Konto hat bereits Rechner. Wähle den Rechner, den dieser ersetzt. Melde dich erneut an oder gib dein Kontopasswort ein, um diesen Mac zu ersetzen.</translation>
    </message>
    <message id="macos.pairing_window.short_code">
        <source>Or type this code on the pairing page: %1</source>
        <translation>Oder gib diesen Code auf der Kopplungsseite ein: %1</translation>
    </message>
    <message id="macos.pairing_window.title">
        <source>Pair this machine</source>
        <translation>Diesen Rechner koppeln</translation>
    </message>
    <message id="macos.pairing_window.use_code">
        <source>Use code</source>
        <translation>Code verwenden</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>Agentengruppe</translation>
    </message>
    <message id="macos.pane_sidebar.running_count" numerus="yes">
        <source>%n running</source>
        <translation>
            <numerusform>%n aktiv</numerusform>
            <numerusform>%n aktiv</numerusform>
        </translation>
    </message>
    <message id="macos.pane_sidebar.solo">
        <source>Solo</source>
        <translation>Solo</translation>
    </message>
    <message id="macos.pane_sidebar.status_idle">
        <source>idle</source>
        <translation>untätig</translation>
    </message>
    <message id="macos.pane_sidebar.status_running">
        <source>running</source>
        <translation>aktiv</translation>
    </message>
    <message id="macos.pane_sidebar.terminal">
        <source>Terminal</source>
        <translation>Terminal</translation>
    </message>
    <message id="macos.pane_sidebar.waiting">
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message id="macos.pane_text_view.could_not_be_read">
        <source>The pane's text could not be read. Vesket keeps trying.</source>
        <translation>Der Text des Bereichs konnte nicht gelesen werden. Vesket versucht es weiter.</translation>
    </message>
    <message id="macos.pane_text_view.loading">
        <source>Loading the pane's text…</source>
        <translation>Der Text des Bereichs wird geladen …</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>%n neue Zeile ↓</numerusform>
            <numerusform>%n neue Zeilen ↓</numerusform>
        </translation>
    </message>
    <message id="macos.pane_text_view.no_text_yet">
        <source>This pane shows no text yet.</source>
        <translation>Dieser Bereich zeigt noch keinen Text.</translation>
    </message>
    <message id="macos.pane_text_view.not_updating_since">
        <source>Not updating: the text below is from %1 and the pane cannot be read right now. Retrying…</source>
        <translation>Keine Aktualisierung: Der Text unten stammt von %1, der Bereich lässt sich gerade nicht lesen. Neuer Versuch läuft …</translation>
    </message>
    <message id="macos.routing_view.agent">
        <source>Agent</source>
        <translation>Agent</translation>
    </message>
    <message id="macos.routing_view.capability_fit">
        <source>Let a task's work class pick the agent that fits it</source>
        <translation>Die Arbeitsklasse einer Aufgabe wählt den passenden Agenten</translation>
    </message>
    <message id="macos.routing_view.close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="macos.routing_view.custom_rules">
        <source>This project has rules of its own.</source>
        <translation>Dieses Projekt hat eigene Regeln.</translation>
    </message>
    <message id="macos.routing_view.difficulty_heavy">
        <source>Heavy</source>
        <translation>Schwer</translation>
    </message>
    <message id="macos.routing_view.difficulty_light">
        <source>Light</source>
        <translation>Leicht</translation>
    </message>
    <message id="macos.routing_view.difficulty_standard">
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message id="macos.routing_view.follow_global">
        <source>Follow global rules</source>
        <translation>Globalen Regeln folgen</translation>
    </message>
    <message id="macos.routing_view.follows_global">
        <source>This project follows the global rules. Change a row to give it rules of its own.</source>
        <translation>Dieses Projekt folgt den globalen Regeln. Ändern Sie eine Zeile, um ihm eigene Regeln zu geben.</translation>
    </message>
    <message id="macos.routing_view.global_summary">
        <source>These rules apply to every project without rules of its own.</source>
        <translation>Diese Regeln gelten für jedes Projekt ohne eigene Regeln.</translation>
    </message>
    <message id="macos.routing_view.load_failed">
        <source>Couldn't load the routing rules: %1</source>
        <translation>Die Routing-Regeln konnten nicht geladen werden: %1</translation>
    </message>
    <message id="macos.routing_view.loading">
        <source>Loading…</source>
        <translation>Wird geladen…</translation>
    </message>
    <message id="macos.routing_view.main_agent">
        <source>Main agent</source>
        <translation>Hauptagent</translation>
    </message>
    <message id="macos.routing_view.max_difficulty">
        <source>Hardest work</source>
        <translation>Schwierigste Arbeit</translation>
    </message>
    <message id="macos.routing_view.save">
        <source>Save</source>
        <translation>Sichern</translation>
    </message>
    <message id="macos.routing_view.save_failed">
        <source>Couldn't save: %1</source>
        <translation>Sichern fehlgeschlagen: %1</translation>
    </message>
    <message id="macos.routing_view.saved">
        <source>Saved.</source>
        <translation>Gesichert.</translation>
    </message>
    <message id="macos.routing_view.saving">
        <source>Saving…</source>
        <translation>Wird gesichert…</translation>
    </message>
    <message id="macos.routing_view.title_global">
        <source>Routing rules for every project</source>
        <translation>Routing-Regeln für alle Projekte</translation>
    </message>
    <message id="macos.routing_view.title_project">
        <source>Routing rules for %1</source>
        <translation>Routing-Regeln für %1</translation>
    </message>
    <message id="macos.routing_view.weight">
        <source>Share</source>
        <translation>Anteil</translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message id="macos.settings_view.auto_fit">
        <source>Fit the pane's width to this window (auto-fit)</source>
        <translation>Breite des Bereichs an dieses Fenster anpassen (automatisch)</translation>
    </message>
    <message id="macos.settings_view.auto_fit_help">
        <source>While the window is in front and shows a pane's text, the pane's tmux window takes the width of the text view; it gets its own width back when you leave.</source>
        <translation>Solange das Fenster vorne ist und den Text eines Bereichs zeigt, übernimmt dessen tmux-Fenster die Breite der Textansicht; beim Verlassen erhält es seine eigene Breite zurück.</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>Begrenzt, wie viel Verlauf geladen wird, wenn Sie in einem Terminal nach oben scrollen. Ein kleinerer Wert ist bei Panes mit langem Verlauf schneller.</translation>
    </message>
    <message id="macos.settings_view.close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="macos.settings_view.diagnostics">
        <source>Diagnostics</source>
        <translation>Diagnose</translation>
    </message>
    <message id="macos.settings_view.display_mirror">
        <source>Live terminal mirrors the pane (the pane keeps its size)</source>
        <translation>Live-Terminal spiegelt den Bereich (der Bereich behält seine Größe)</translation>
    </message>
    <message id="macos.settings_view.display_mode_help">
        <source>Applies the next time a live terminal opens.</source>
        <translation>Gilt ab dem nächsten Öffnen eines Live-Terminals.</translation>
    </message>
    <message id="macos.settings_view.display_takeover">
        <source>Live terminal takes over the pane's width (the pane takes this window's size)</source>
        <translation>Live-Terminal übernimmt die Breite des Bereichs (der Bereich nimmt die Größe dieses Fensters an)</translation>
    </message>
    <message id="macos.settings_view.language">
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message id="macos.settings_view.language_system">
        <source>System</source>
        <translation>System</translation>
    </message>
    <message id="macos.settings_view.language_takes_effect">
        <source>The window uses the new language the next time Vesket starts. VESKET_LANGUAGE overrides this choice.</source>
        <translation>Das Fenster verwendet die neue Sprache beim nächsten Start von Vesket. VESKET_LANGUAGE hat Vorrang vor dieser Auswahl.</translation>
    </message>
    <message id="macos.settings_view.pane_display">
        <source>Pane display</source>
        <translation>Bereichsanzeige</translation>
    </message>
    <message id="macos.settings_view.reflow_claude_output_in_scrollback_experimental">
        <source>Reflow Claude output in scrollback (experimental)</source>
        <translation>Claude-Ausgabe im Verlauf neu umbrechen (experimentell)</translation>
    </message>
    <message id="macos.settings_view.rejoins_lines_that_claude_code_hard_wrapped">
        <source>Rejoins lines that Claude Code hard-wrapped at an earlier window width, inside its own output blocks only, so scrollback reflows at the current width and again on every resize. Your typed commands, shell output and other agents' output are never touched. Applies to newly loaded history.</source>
        <translation>Fügt Zeilen wieder zusammen, die Claude Code bei einer früheren Fensterbreite fest umbrochen hat – nur innerhalb seiner eigenen Ausgabeblöcke –, sodass der Verlauf bei der aktuellen Breite und nach jeder Größenänderung neu umbricht. Ihre eingegebenen Befehle, Shell-Ausgaben und die Ausgaben anderer Agenten bleiben unberührt. Gilt für neu geladenen Verlauf.</translation>
    </message>
    <message id="macos.settings_view.settings">
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message id="macos.settings_view.share_crash_reports">
        <source>Collect crash and hang reports</source>
        <translation>Absturz- und Hängerberichte sammeln</translation>
    </message>
    <message id="macos.settings_view.share_crash_reports_help">
        <source>Reports of Vesket's own crashes and freezes are kept in %1, with your paths, user name and secrets removed.</source>
        <translation>Berichte über Abstürze und Hänger von Vesket werden in %1 abgelegt, ohne Ihre Pfade, Ihren Benutzernamen und Geheimnisse.</translation>
    </message>
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>Begrenzung des Terminal-Verlaufs</translation>
    </message>
    <message id="macos.setup_view.also_install_fish">
        <source>Also install fish</source>
        <translation>Auch fish installieren</translation>
    </message>
    <message id="macos.setup_view.cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="macos.setup_view.check_again">
        <source>Check Again</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message id="macos.setup_view.checking_the_installer">
        <source>Checking the environment installer…</source>
        <translation>Das Installationsprogramm wird geprüft…</translation>
    </message>
    <message id="macos.setup_view.close_installer">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="macos.setup_view.component_can_be_installed">
        <source>Can be installed</source>
        <translation>Kann installiert werden</translation>
    </message>
    <message id="macos.setup_view.component_installed">
        <source>Installed</source>
        <translation>Installiert</translation>
    </message>
    <message id="macos.setup_view.confirm_environment">
        <source>The installer sets up tmux and starship (and fish when chosen) through the system package manager, which may ask for your password. Homebrew and Ghostty do not apply on this system.</source>
        <translation>Das Installationsprogramm richtet tmux und starship (und auf Wunsch fish) über die Paketverwaltung des Systems ein, die eventuell nach deinem Passwort fragt. Homebrew und Ghostty sind auf diesem System nicht anwendbar.</translation>
    </message>
    <message id="macos.setup_view.copied">
        <source>Copied: %1</source>
        <translation>Kopiert: %1</translation>
    </message>
    <message id="macos.setup_view.copy_command">
        <source>Copy Command</source>
        <translation>Befehl kopieren</translation>
    </message>
    <message id="macos.setup_view.daemon">
        <source>Daemon</source>
        <translation>Daemon</translation>
    </message>
    <message id="macos.setup_view.daemon_not_running">
        <source>Not running</source>
        <translation>Läuft nicht</translation>
    </message>
    <message id="macos.setup_view.daemon_running">
        <source>Running · pid %1 · version %2</source>
        <translation>Läuft · PID %1 · Version %2</translation>
    </message>
    <message id="macos.setup_view.environment_ready">
        <source>The environment is set up.</source>
        <translation>Die Umgebung ist eingerichtet.</translation>
    </message>
    <message id="macos.setup_view.found_at">
        <source>Found at %1</source>
        <translation>Gefunden unter %1</translation>
    </message>
    <message id="macos.setup_view.install">
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message id="macos.setup_view.install_failed">
        <source>Installing %1 failed. Open a terminal and run `%2` manually.</source>
        <translation>Die Installation von %1 ist fehlgeschlagen. Öffne ein Terminal und führe `%2` selbst aus.</translation>
    </message>
    <message id="macos.setup_view.installed_name">
        <source>%1 installed.</source>
        <translation>%1 installiert.</translation>
    </message>
    <message id="macos.setup_view.installing">
        <source>Installing %1…</source>
        <translation>%1 wird installiert…</translation>
    </message>
    <message id="macos.setup_view.installing_environment">
        <source>Installing the environment…</source>
        <translation>Die Umgebung wird installiert…</translation>
    </message>
    <message id="macos.setup_view.installing_or_updating_the_daemon">
        <source>Installing or updating the daemon…</source>
        <translation>Daemon wird installiert oder aktualisiert…</translation>
    </message>
    <message id="macos.setup_view.last_provisioning_problem">
        <source>Last provisioning problem:</source>
        <translation>Letztes Problem bei der Einrichtung des Daemons:</translation>
    </message>
    <message id="macos.setup_view.looking_for_tools">
        <source>Looking for tools…</source>
        <translation>Suche nach Werkzeugen…</translation>
    </message>
    <message id="macos.setup_view.missing">
        <source>Missing</source>
        <translation>Fehlt</translation>
    </message>
    <message id="macos.setup_view.no_provisioning_problem">
        <source>No provisioning problem.</source>
        <translation>Kein Problem bei der Einrichtung des Daemons.</translation>
    </message>
    <message id="macos.setup_view.optional_environment">
        <source>Optional environment</source>
        <translation>Optionale Umgebung</translation>
    </message>
    <message id="macos.setup_view.restart_daemon">
        <source>Restart Daemon</source>
        <translation>Daemon neu starten</translation>
    </message>
    <message id="macos.setup_view.run_in_a_terminal_to_install">
        <source>To install %1, run this command in a terminal:</source>
        <translation>Um %1 zu installieren, führe diesen Befehl in einem Terminal aus:</translation>
    </message>
    <message id="macos.setup_view.run_installer">
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message id="macos.setup_view.set_up_environment">
        <source>Set Up Environment…</source>
        <translation>Umgebung einrichten…</translation>
    </message>
    <message id="macos.setup_view.set_up_tmux">
        <source>Set Up tmux</source>
        <translation>tmux einrichten</translation>
    </message>
    <message id="macos.setup_view.title">
        <source>Setup</source>
        <translation>Einrichtung</translation>
    </message>
    <message id="macos.setup_view.tools">
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message id="macos.setup_view.use_your_package_manager">
        <source>Install %1 with your system's package manager.</source>
        <translation>Installiere %1 mit der Paketverwaltung deines Systems.</translation>
    </message>
    <message id="macos.task_board.add">
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message id="macos.task_board.blocked_has_children">
        <source>This task has subtasks: move them instead.</source>
        <translation>Diese Aufgabe hat Teilaufgaben: verschiebe stattdessen diese.</translation>
    </message>
    <message id="macos.task_board.blocked_not_adjacent">
        <source>Move a card one column at a time.</source>
        <translation>Karten lassen sich nur um eine Spalte verschieben.</translation>
    </message>
    <message id="macos.task_board.delete">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="macos.task_board.done">
        <source>Done</source>
        <translation>Erledigt</translation>
    </message>
    <message id="macos.task_board.empty">
        <source>No tasks yet.</source>
        <translation>Noch keine Aufgaben.</translation>
    </message>
    <message id="macos.task_board.event_created">
        <source>Created</source>
        <translation>Erstellt</translation>
    </message>
    <message id="macos.task_board.event_dispatched">
        <source>Dispatched</source>
        <translation>Zugewiesen</translation>
    </message>
    <message id="macos.task_board.event_note">
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message id="macos.task_board.event_status_change">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="macos.task_board.in_progress">
        <source>In Progress</source>
        <translation>In Arbeit</translation>
    </message>
    <message id="macos.task_board.needs_review">
        <source>Needs Review</source>
        <translation>Zu prüfen</translation>
    </message>
    <message id="macos.task_board.new_task_placeholder">
        <source>New task…</source>
        <translation>Neue Aufgabe…</translation>
    </message>
    <message id="macos.task_board.reopen">
        <source>Reopen</source>
        <translation>Wieder öffnen</translation>
    </message>
    <message id="macos.task_board.status_in_progress">
        <source>In progress</source>
        <translation>In Arbeit</translation>
    </message>
    <message id="macos.task_board.status_needs_fix">
        <source>Needs fix</source>
        <translation>Nachbesserung nötig</translation>
    </message>
    <message id="macos.task_board.status_new">
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message id="macos.task_board.status_verified">
        <source>Verified</source>
        <translation>Geprüft</translation>
    </message>
    <message id="macos.task_board.status_worker_done">
        <source>Worker done</source>
        <translation>Vom Worker erledigt</translation>
    </message>
    <message id="macos.task_board.team_placeholder">
        <source>Team</source>
        <translation>Team</translation>
    </message>
    <message id="macos.task_board.timeline">
        <source>Timeline</source>
        <translation>Verlauf</translation>
    </message>
    <message id="macos.task_board.to_do">
        <source>To Do</source>
        <translation>Zu erledigen</translation>
    </message>
    <message id="macos.terminal_viewer.attachment_unreadable">
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>Die Antwort konnte nicht zugestellt werden.</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>Die Nachricht konnte nicht zugestellt werden.</translation>
    </message>
    <message id="macos.tmux_setup.applying_config">
        <source>Applying quorline config…</source>
        <translation>quorline-Konfiguration wird angewendet…</translation>
    </message>
    <message id="macos.tmux_setup.config_write_failed">
        <source>Config write failed: %1</source>
        <translation>Konfiguration konnte nicht geschrieben werden: %1</translation>
    </message>
    <message id="macos.tmux_setup.done">
        <source>tmux + quorline config installed ✓</source>
        <translation>tmux + quorline-Konfiguration installiert ✓</translation>
    </message>
    <message id="macos.tmux_setup.existing_config_preserved">
        <source>tmux ready · Existing ~/.config/tmux/tmux.conf preserved</source>
        <translation>tmux bereit · Vorhandene ~/.config/tmux/tmux.conf beibehalten</translation>
    </message>
    <message id="macos.tmux_setup.existing_tmux_conf_preserved">
        <source>tmux ready · Existing ~/.tmux.conf preserved</source>
        <translation>tmux bereit · Vorhandene ~/.tmux.conf beibehalten</translation>
    </message>
    <message id="macos.tmux_setup.install_failed">
        <source>apt-get install tmux failed. Open a terminal and run `%1` manually.</source>
        <translation>apt-get install tmux ist fehlgeschlagen. Öffne ein Terminal und führe `%1` selbst aus.</translation>
    </message>
    <message id="macos.tmux_setup.installing_tmux">
        <source>Installing tmux via the system package manager…</source>
        <translation>tmux wird über die Paketverwaltung des Systems installiert…</translation>
    </message>
    <message id="macos.tmux_setup.installing_tpm">
        <source>Installing TPM (tmux plugins)…</source>
        <translation>TPM (tmux-Plugins) wird installiert…</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_no_command">
        <source>tmux isn't installed. Install it with your system's package manager, then check again.</source>
        <translation>tmux ist nicht installiert. Installiere es mit der Paketverwaltung deines Systems und prüfe dann erneut.</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_run">
        <source>tmux isn't installed. Open a terminal and run `%1`, then check again.</source>
        <translation>tmux ist nicht installiert. Öffne ein Terminal, führe `%1` aus und prüfe dann erneut.</translation>
    </message>
    <message id="macos.update_banner.build">
        <source>Build %1</source>
        <translation>Buildnummer %1</translation>
    </message>
    <message id="macos.update_banner.dismiss">
        <source>Dismiss</source>
        <translation>Ausblenden</translation>
    </message>
    <message id="macos.update_banner.install">
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message id="macos.update_banner.installing_update">
        <source>Installing update…</source>
        <translation>Update wird installiert …</translation>
    </message>
    <message id="macos.update_banner.installing_update_percent">
        <source>Installing update… %1%</source>
        <translation>Update wird installiert … %1 %</translation>
    </message>
    <message id="macos.update_banner.no_write_access">
        <source>Vesket cannot write to its install folder.</source>
        <translation>Vesket kann nicht in seinen Installationsordner schreiben.</translation>
    </message>
    <message id="macos.update_banner.restart">
        <source>Restart</source>
        <translation>Neu starten</translation>
    </message>
    <message id="macos.update_banner.restart_to_finish_the_update">
        <source>Restart to finish the update</source>
        <translation>Neu starten, um das Update abzuschließen</translation>
    </message>
    <message id="macos.update_banner.retry">
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message id="macos.update_banner.update_available">
        <source>Update available: Vesket %1</source>
        <translation>Update verfügbar: Vesket %1</translation>
    </message>
    <message id="macos.update_banner.update_failed">
        <source>Update failed</source>
        <translation>Update fehlgeschlagen</translation>
    </message>
    <message id="macos.update_installer.install">
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message id="macos.update_installer.install_update">
        <source>Install Update</source>
        <translation>Update installieren</translation>
    </message>
    <message id="macos.update_installer.later">
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message id="macos.update_installer.vesket_will_download_and_install_the_update_the">
        <source>Vesket will download and install the update. The background service restarts on its own; restart Vesket afterwards to finish.</source>
        <translation>Vesket lädt das Update herunter und installiert es. Der Hintergrunddienst startet von selbst neu; starten Sie Vesket danach neu, um abzuschließen.</translation>
    </message>
    <message id="macos.viewer_state_view.checking_the_daemon_s_account_attempt">
        <source>Checking the daemon's account (attempt %1)…</source>
        <translation>Konto des Daemons wird geprüft (Versuch %1)…</translation>
    </message>
    <message id="macos.viewer_state_view.choose_a_pane_in_the_sidebar">
        <source>Choose a pane in the sidebar to follow it here.</source>
        <translation>Wählen Sie ein Pane in der Seitenleiste, um es hier zu verfolgen.</translation>
    </message>
    <message id="macos.viewer_state_view.connecting_to_the_vesket_daemon">
        <source>Connecting to the Vesket daemon…</source>
        <translation>Verbindung zum Vesket-Daemon wird hergestellt…</translation>
    </message>
    <message id="macos.viewer_state_view.its_process_exited_or_the_pane_was_closed">
        <source>Its process exited or the pane was closed. Pick another pane in the sidebar.</source>
        <translation>Sein Prozess wurde beendet oder das Pane geschlossen. Wählen Sie ein anderes Pane in der Seitenleiste.</translation>
    </message>
    <message id="macos.viewer_state_view.looking_for_your_tmux_panes">
        <source>Looking for your tmux panes.</source>
        <translation>Ihre tmux-Panes werden gesucht.</translation>
    </message>
    <message id="macos.viewer_state_view.no_tmux_panes_yet">
        <source>No tmux panes yet</source>
        <translation>Noch keine tmux-Panes</translation>
    </message>
    <message id="macos.viewer_state_view.reconnecting_to_the_daemon_attempt">
        <source>Reconnecting to the daemon (attempt %1)…</source>
        <translation>Erneute Verbindung zum Daemon (Versuch %1)…</translation>
    </message>
    <message id="macos.viewer_state_view.select_a_pane">
        <source>Select a pane</source>
        <translation>Pane auswählen</translation>
    </message>
    <message id="macos.viewer_state_view.sign_in_again_to_see_this_machine_s_panes">
        <source>Sign in again to see this machine's panes.</source>
        <translation>Melden Sie sich erneut an, um die Panes dieses Rechners zu sehen.</translation>
    </message>
    <message id="macos.viewer_state_view.signed_out">
        <source>Signed out</source>
        <translation>Abgemeldet</translation>
    </message>
    <message id="macos.viewer_state_view.start_an_agent_or_a_shell_in_tmux">
        <source>Start an agent or a shell in tmux and it appears in the sidebar within a second.</source>
        <translation>Starten Sie einen Agenten oder eine Shell in tmux – sie erscheint innerhalb einer Sekunde in der Seitenleiste.</translation>
    </message>
    <message id="macos.viewer_state_view.the_connection_to_the_daemon_dropped">
        <source>The connection to the daemon dropped. Your agents keep running in tmux.</source>
        <translation>Die Verbindung zum Daemon ist abgebrochen. Ihre Agenten laufen in tmux weiter.</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_belongs_to_another_account">
        <source>The daemon belongs to another account</source>
        <translation>Der Daemon gehört zu einem anderen Konto</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_could_not_confirm_its_account_yet">
        <source>The daemon could not confirm its account yet.</source>
        <translation>Der Daemon konnte sein Konto noch nicht bestätigen.</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_on_this_machine_is_signed_in">
        <source>The daemon on this machine is signed in with a different account than this app.</source>
        <translation>Der Daemon auf diesem Rechner ist mit einem anderen Konto angemeldet als diese App.</translation>
    </message>
    <message id="macos.viewer_state_view.the_vesket_daemon_is_not_running">
        <source>The Vesket daemon is not running</source>
        <translation>Der Vesket-Daemon läuft nicht</translation>
    </message>
    <message id="macos.viewer_state_view.this_pane_has_ended">
        <source>This pane has ended</source>
        <translation>Dieses Pane wurde beendet</translation>
    </message>
    <message id="macos.viewer_state_view.try_again">
        <source>Try again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message id="macos.viewer_state_view.vesket_talks_to_tmux_through_its_daemon">
        <source>Vesket talks to tmux through its daemon. Start it with “vesket daemon start” (scripts/run starts it for you); this window connects as soon as it is up.</source>
        <translation>Vesket spricht über seinen Daemon mit tmux. Starten Sie ihn mit „vesket daemon start“ (scripts/run erledigt das für Sie); dieses Fenster verbindet sich, sobald er läuft.</translation>
    </message>
    <message id="qr.error.network">
        <source>The relay could not be reached. Check the connection and try again.</source>
        <translation>Das Relay ist nicht erreichbar. Prüfe die Verbindung und versuche es erneut.</translation>
    </message>
    <message id="qr.error.rateLimited">
        <source>Too many pairing codes were requested. Try again in %1 seconds.</source>
        <translation>Zu viele Kopplungscodes angefordert. Versuche es in %1 Sekunden erneut.</translation>
    </message>
    <message id="qr.error.serverError">
        <source>The relay could not create a pairing code. Try again in a moment.</source>
        <translation>Das Relay konnte keinen Kopplungscode erstellen. Versuche es gleich noch einmal.</translation>
    </message>
    <message id="relay_error.action.finishMacSetup">
        <source>Finish Setup</source>
        <translation>Einrichtung abschließen</translation>
    </message>
    <message id="relay_error.action.openDevices">
        <source>Open Devices</source>
        <translation>Geräte öffnen</translation>
    </message>
    <message id="relay_error.action.registerThisMac">
        <source>Register This Mac</source>
        <translation>Diesen Mac registrieren</translation>
    </message>
    <message id="relay_error.action.signIn">
        <source>Sign In</source>
        <translation>Anmelden</translation>
    </message>
    <message id="relay_error.action.tryAgain">
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message id="relay_error.approved_device_required">
        <source>Only an approved device can create a pairing code. Finish setting up this Mac first.</source>
        <translation>Nur ein freigegebenes Gerät kann einen Kopplungscode erstellen. Schließe zuerst die Einrichtung dieses Macs ab.</translation>
    </message>
    <message id="relay_error.daemon_not_running">
        <source>The Vesket background service is not running on this Mac, so this list is unavailable. Open setup to start it.</source>
        <translation>Der Vesket-Hintergrunddienst läuft auf diesem Mac nicht, daher ist diese Liste nicht verfügbar. Öffne die Einrichtung, um ihn zu starten.</translation>
    </message>
    <message id="relay_error.device_not_approved.registered">
        <source>This Mac is not approved for your account yet. It approves itself once its Vesket daemon is connected. Open Devices to check it.</source>
        <translation>Dieser Mac ist für dein Konto noch nicht freigegeben. Er gibt sich selbst frei, sobald sein Vesket-Daemon verbunden ist. Öffne „Geräte“, um das zu prüfen.</translation>
    </message>
    <message id="relay_error.device_not_approved.unregistered">
        <source>This Mac is not set up for your account yet. Finish setup and it approves itself. No phone is needed.</source>
        <translation>Dieser Mac ist für dein Konto noch nicht eingerichtet. Schließe die Einrichtung ab, dann gibt er sich selbst frei. Ein Telefon ist nicht nötig.</translation>
    </message>
    <message id="relay_error.grant_required_for_pairing">
        <source>This device is not allowed to add Macs to the account. Add the Mac from a device that manages this account.</source>
        <translation>Dieses Gerät darf dem Konto keine Macs hinzufügen. Füge den Mac von einem Gerät aus hinzu, das dieses Konto verwaltet.</translation>
    </message>
    <message id="relay_error.mac_requires_local_daemon_vouch">
        <source>A Mac cannot be approved from another device. It approves itself once its own Vesket daemon is registered. Finish setup on that Mac.</source>
        <translation>Ein Mac kann nicht von einem anderen Gerät aus freigegeben werden. Er gibt sich selbst frei, sobald sein eigener Vesket-Daemon registriert ist. Schließe die Einrichtung auf diesem Mac ab.</translation>
    </message>
    <message id="relay_error.pairing_needs_approved_device">
        <source>This account already had a Mac, so a new Mac must be added from a device you already use. Get a pairing code on your other Mac under Devices, or scan this Mac's QR with your phone.</source>
        <translation>Dieses Konto hatte bereits einen Mac, daher muss ein neuer Mac von einem Gerät aus hinzugefügt werden, das du schon verwendest. Hol dir auf deinem anderen Mac unter „Geräte“ einen Kopplungscode oder scanne den QR-Code dieses Macs mit deinem Telefon.</translation>
    </message>
    <message id="relay_error.rate_limited">
        <source>Too many attempts in a short time. Wait a minute, then try again.</source>
        <translation>Zu viele Versuche in kurzer Zeit. Warte eine Minute und versuche es dann erneut.</translation>
    </message>
    <message id="relay_error.session_expired">
        <source>Your sign-in has expired. Sign in again.</source>
        <translation>Deine Anmeldung ist abgelaufen. Melde dich erneut an.</translation>
    </message>
    <message id="relay_error.unknown_daemon_token">
        <source>The Vesket background service on this Mac is not registered with your account. Its saved registration was removed or belongs to another account. Register this Mac again.</source>
        <translation>Der Vesket-Hintergrunddienst auf diesem Mac ist nicht bei deinem Konto registriert. Seine gespeicherte Registrierung wurde entfernt oder gehört zu einem anderen Konto. Registriere diesen Mac erneut.</translation>
    </message>
    <message id="window.name.characters_error">
        <source>Names can’t hold control characters or any of ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # %.</source>
        <translation>Namen dürfen keine Steuerzeichen und keines von ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # % enthalten.</translation>
    </message>
    <message id="window.name.length_error">
        <source>Names are at most 40 characters.</source>
        <translation>Namen haben höchstens 40 Zeichen.</translation>
    </message>
    <message id="window.name.mutation_succeeded">
        <source>Done.</source>
        <translation>Erledigt.</translation>
    </message>
    <message id="window.name.rename_failed">
        <source>Couldn’t rename group</source>
        <translation>Gruppe konnte nicht umbenannt werden</translation>
    </message>
    <message id="window.name.renamed">
        <source>Renamed.</source>
        <translation>Umbenannt.</translation>
    </message>
</context>
</TS>
