<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name></name>
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
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>Nachricht an %1 – Eingabetaste zum Senden, Umschalt+Eingabetaste für eine neue Zeile</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>Nachricht an den Agenten – Eingabetaste zum Senden, Umschalt+Eingabetaste für eine neue Zeile</translation>
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
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>Vesket öffnen</translation>
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
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>Agentengruppe</translation>
    </message>
    <message id="macos.pane_sidebar.solo">
        <source>Solo</source>
        <translation>Solo</translation>
    </message>
    <message id="macos.pane_sidebar.terminal">
        <source>Terminal</source>
        <translation>Terminal</translation>
    </message>
    <message id="macos.pane_sidebar.waiting">
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>%n neue Zeile ↓</numerusform>
            <numerusform>%n neue Zeilen ↓</numerusform>
        </translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>Begrenzt, wie viel Verlauf geladen wird, wenn Sie in einem Terminal nach oben scrollen. Ein kleinerer Wert ist bei Panes mit langem Verlauf schneller.</translation>
    </message>
    <message id="macos.settings_view.re_wrap_scrollback_on_scroll_up_experimental">
        <source>Re-wrap scrollback on scroll-up (experimental)</source>
        <translation>Verlauf beim Hochscrollen neu umbrechen (experimentell)</translation>
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
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>Begrenzung des Terminal-Verlaufs</translation>
    </message>
    <message id="macos.settings_view.when_scrolling_up_hits_the_top">
        <source>When scrolling up hits the top of what's on screen, replace older history with a version re-wrapped at the terminal's CURRENT width, instead of tmux's original (possibly narrower) scrollback. Only ever replaces history ABOVE what's already visible, once per attach — never touches typed commands or non-Claude output that isn't in the Claude transcript.</source>
        <translation>Wenn das Hochscrollen den oberen Rand des Bildschirminhalts erreicht, wird älterer Verlauf durch eine Fassung ersetzt, die bei der AKTUELLEN Breite des Terminals neu umbrochen ist, statt durch den ursprünglichen (womöglich schmaleren) Verlauf von tmux. Ersetzt nur Verlauf OBERHALB des bereits Sichtbaren, einmal pro Verbindung – eingegebene Befehle und Ausgaben außerhalb von Claude, die nicht im Claude-Protokoll stehen, bleiben unberührt.</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>Die Antwort konnte nicht zugestellt werden.</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>Die Nachricht konnte nicht zugestellt werden.</translation>
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
</context>
</TS>
