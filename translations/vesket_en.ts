<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name></name>
    <message id="daemon_provision_failure.title.not_running">
        <source>Vesket's daemon is not running</source>
        <translation>Vesket's daemon is not running</translation>
    </message>
    <message id="daemon_provision_failure.title.previous_daemon_restored">
        <source>Vesket restored the previous daemon</source>
        <translation>Vesket restored the previous daemon</translation>
    </message>
    <message id="daemon_provision_failure.title.running_daemon_kept">
        <source>Vesket kept the running daemon</source>
        <translation>Vesket kept the running daemon</translation>
    </message>
    <message id="daemon_rollback_pin.body">
        <source>The daemon is pinned to the build with SHA-256 %1…. Vesket will not replace it until you resume automatic updates.</source>
        <translation>The daemon is pinned to the build with SHA-256 %1…. Vesket will not replace it until you resume automatic updates.</translation>
    </message>
    <message id="daemon_rollback_pin.resume">
        <source>Resume Automatic Updates</source>
        <translation>Resume Automatic Updates</translation>
    </message>
    <message id="daemon_rollback_pin.title">
        <source>Automatic daemon updates are paused</source>
        <translation>Automatic daemon updates are paused</translation>
    </message>
    <message id="macos.account_sign_in_page.apple_not_set_up">
        <source>Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID).</source>
        <translation>Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID).</translation>
    </message>
    <message id="macos.account_sign_in_page.couldn_t_enroll_prefix">
        <source>Couldn't enroll this Mac. </source>
        <translation>Couldn't enroll this Mac. </translation>
    </message>
    <message id="macos.account_sign_in_page.enter_a_username_and_password">
        <source>Enter a username and password.</source>
        <translation>Enter a username and password.</translation>
    </message>
    <message id="macos.account_sign_in_page.google_not_set_up">
        <source>Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth client).</source>
        <translation>Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth client).</translation>
    </message>
    <message id="macos.account_sign_in_page.password_must_be_at_least_8_characters">
        <source>Password must be at least 8 characters.</source>
        <translation>Password must be at least 8 characters.</translation>
    </message>
    <message id="macos.account_sign_in_page.passwords_don_t_match">
        <source>Passwords don't match.</source>
        <translation>Passwords don't match.</translation>
    </message>
    <message id="macos.account_sign_in_page.please_check_your_email_and_password">
        <source>Please check your email and password.</source>
        <translation>Please check your email and password.</translation>
    </message>
    <message id="macos.account_sign_in_page.please_enter_a_valid_email_address">
        <source>Please enter a valid email address.</source>
        <translation>Please enter a valid email address.</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_account_exists">
        <source>An account with this email already exists. Sign in instead.</source>
        <translation>An account with this email already exists. Sign in instead.</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_generic">
        <source>Couldn't create the account. Try again.</source>
        <translation>Couldn't create the account. Try again.</translation>
    </message>
    <message id="macos.account_sign_in_page.registration_backend_unavailable">
        <source>Registration is not available on this relay right now. Try again later.</source>
        <translation>Registration is not available on this relay right now. Try again later.</translation>
    </message>
    <message id="macos.account_sign_in_page.relay_unreachable">
        <source>Couldn't reach the relay at %1. Check your connection or the relay address, then try again.</source>
        <translation>Couldn't reach the relay at %1. Check your connection or the relay address, then try again.</translation>
    </message>
    <message id="macos.account_sign_in_page.session_expired">
        <source>Session expired — please sign in again.</source>
        <translation>Session expired — please sign in again.</translation>
    </message>
    <message id="macos.account_sign_in_page.too_many_attempts_wait_a_minute">
        <source>Too many attempts. Wait a minute, then try again.</source>
        <translation>Too many attempts. Wait a minute, then try again.</translation>
    </message>
    <message id="macos.account_sign_in_page.wrong_username_or_password">
        <source>Wrong username or password.</source>
        <translation>Wrong username or password.</translation>
    </message>
    <message id="macos.answer_panel.dismiss">
        <source>Dismiss</source>
        <translation>Dismiss</translation>
    </message>
    <message id="macos.answer_panel.hide_this_prompt_until_the_agent_asks_again">
        <source>Hide this prompt until the agent asks again</source>
        <translation>Hide this prompt until the agent asks again</translation>
    </message>
    <message id="macos.answer_panel.needs_your_attention">
        <source>Needs your attention</source>
        <translation>Needs your attention</translation>
    </message>
    <message id="macos.answer_panel.press_digit">
        <source>Press %1</source>
        <translation>Press %1</translation>
    </message>
    <message id="macos.answer_panel.send">
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message id="macos.answer_panel.team_signal">
        <source>Team signal</source>
        <translation>Team signal</translation>
    </message>
    <message id="macos.answer_panel.team_signal_kind">
        <source>Team signal · %1</source>
        <translation>Team signal · %1</translation>
    </message>
    <message id="macos.answer_panel.the_agent_is_waiting_for_you">
        <source>The agent is waiting for you.</source>
        <translation>The agent is waiting for you.</translation>
    </message>
    <message id="macos.answer_panel.type_an_answer_and_press_enter">
        <source>Type an answer and press Enter</source>
        <translation>Type an answer and press Enter</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_answer">
        <source>Waiting for your answer</source>
        <translation>Waiting for your answer</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_decision">
        <source>Waiting for your decision</source>
        <translation>Waiting for your decision</translation>
    </message>
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>Message %1 — Enter to send, Shift+Enter for a new line</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>Message the agent — Enter to send, Shift+Enter for a new line</translation>
    </message>
    <message id="macos.composer.send">
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message id="macos.composer.send_ctrl_c_interrupt">
        <source>Send Ctrl-C (interrupt)</source>
        <translation>Send Ctrl-C (interrupt)</translation>
    </message>
    <message id="macos.composer.send_down">
        <source>Send Down</source>
        <translation>Send Down</translation>
    </message>
    <message id="macos.composer.send_enter">
        <source>Send Enter</source>
        <translation>Send Enter</translation>
    </message>
    <message id="macos.composer.send_escape">
        <source>Send Escape</source>
        <translation>Send Escape</translation>
    </message>
    <message id="macos.composer.send_tab">
        <source>Send Tab</source>
        <translation>Send Tab</translation>
    </message>
    <message id="macos.composer.send_up">
        <source>Send Up</source>
        <translation>Send Up</translation>
    </message>
    <message id="macos.composer.sending">
        <source>Sending…</source>
        <translation>Sending…</translation>
    </message>
    <message id="macos.daemon_quit.active_agent_or_remote_activity">
        <source>Vesket has active agent or remote activity. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>Vesket has active agent or remote activity. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</translation>
    </message>
    <message id="macos.daemon_quit.could_not_verify_whether_panes_are_active">
        <source>Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to this Mac.</source>
        <translation>Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to this Mac.</translation>
    </message>
    <message id="macos.daemon_quit.open_panes" numerus="yes">
        <source>Vesket has %n open panes. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>
            <numerusform>Vesket has %n open pane. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</numerusform>
            <numerusform>Vesket has %n open panes. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.connecting_to_the_daemon">
        <source>Connecting to the daemon…</source>
        <translation>Connecting to the daemon…</translation>
    </message>
    <message id="macos.desktop_shell.could_not_stop_the_vesket_daemon">
        <source>Could not stop the Vesket daemon. Vesket is still running.</source>
        <translation>Could not stop the Vesket daemon. Vesket is still running.</translation>
    </message>
    <message id="macos.desktop_shell.daemon_not_running">
        <source>Daemon not running</source>
        <translation>Daemon not running</translation>
    </message>
    <message id="macos.desktop_shell.daemon_running_panes" numerus="yes">
        <source>Daemon running · %n panes</source>
        <translation>
            <numerusform>Daemon running · %n pane</numerusform>
            <numerusform>Daemon running · %n panes</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>Open Vesket</translation>
    </message>
    <message id="macos.desktop_shell.quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket">
        <source>Quit Vesket</source>
        <translation>Quit Vesket</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket_question">
        <source>Quit Vesket?</source>
        <translation>Quit Vesket?</translation>
    </message>
    <message id="macos.desktop_shell.reconnecting_attempt">
        <source>Reconnecting (attempt %1)…</source>
        <translation>Reconnecting (attempt %1)…</translation>
    </message>
    <message id="macos.desktop_shell.state_waiting_for_you" numerus="yes">
        <source>%1 · %n waiting for you</source>
        <translation>
            <numerusform>%1 · %n waiting for you</numerusform>
            <numerusform>%1 · %n waiting for you</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.tray_tooltip">
        <source>Vesket — %1</source>
        <translation>Vesket — %1</translation>
    </message>
    <message id="macos.live_terminal.attaching">
        <source>Attaching…</source>
        <translation>Attaching…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting">
        <source>Reconnecting…</source>
        <translation>Reconnecting…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting_attempt_delay">
        <source>Reconnecting (attempt %1, %2 ms)</source>
        <translation>Reconnecting (attempt %1, %2 ms)</translation>
    </message>
    <message id="macos.live_terminal.terminal_assets_missing">
        <source>Terminal assets missing from the app bundle.</source>
        <translation>Terminal assets missing from the app bundle.</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended">
        <source>The pane's terminal ended.</source>
        <translation>The pane's terminal ended.</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended_reason">
        <source>The pane's terminal ended: %1</source>
        <translation>The pane's terminal ended: %1</translation>
    </message>
    <message id="macos.live_terminal.the_terminal_of_this_pane_is_not_reachable">
        <source>The terminal of this pane is not reachable.</source>
        <translation>The terminal of this pane is not reachable.</translation>
    </message>
    <message id="macos.live_terminal.try_again">
        <source>Try again</source>
        <translation>Try again</translation>
    </message>
    <message id="macos.main_window.connection_connecting">
        <source>connecting</source>
        <translation>connecting</translation>
    </message>
    <message id="macos.main_window.connection_daemon">
        <source>daemon</source>
        <translation>daemon</translation>
    </message>
    <message id="macos.main_window.connection_no_daemon">
        <source>no daemon</source>
        <translation>no daemon</translation>
    </message>
    <message id="macos.main_window.connection_retry">
        <source>retry %1</source>
        <translation>retry %1</translation>
    </message>
    <message id="macos.main_window.connection_to_the_local_vesket_daemon">
        <source>Connection to the local Vesket daemon</source>
        <translation>Connection to the local Vesket daemon</translation>
    </message>
    <message id="macos.main_window.fit_picker_tooltip">
        <source>Size the pane's tmux window: Off leaves it alone, Fit follows this view</source>
        <translation>Size the pane's tmux window: Off leaves it alone, Fit follows this view</translation>
    </message>
    <message id="macos.main_window.fit_width_fit">
        <source>Fit</source>
        <translation>Fit</translation>
    </message>
    <message id="macos.main_window.fit_width_off">
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message id="macos.main_window.live_terminal">
        <source>Live terminal</source>
        <translation>Live terminal</translation>
    </message>
    <message id="macos.main_window.settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="macos.main_window.setup">
        <source>Setup…</source>
        <translation>Setup…</translation>
    </message>
    <message id="macos.main_window.setup_tooltip">
        <source>The daemon's state and the tools Vesket uses</source>
        <translation>The daemon's state and the tools Vesket uses</translation>
    </message>
    <message id="macos.main_window.show_the_pane_as_a_live_terminal">
        <source>Show the pane as a live terminal you can type into, instead of its text</source>
        <translation>Show the pane as a live terminal you can type into, instead of its text</translation>
    </message>
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>Agent Group</translation>
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
        <translation>waiting</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>%n new line ↓</numerusform>
            <numerusform>%n new lines ↓</numerusform>
        </translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>All</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</translation>
    </message>
    <message id="macos.settings_view.re_wrap_scrollback_on_scroll_up_experimental">
        <source>Re-wrap scrollback on scroll-up (experimental)</source>
        <translation>Re-wrap scrollback on scroll-up (experimental)</translation>
    </message>
    <message id="macos.settings_view.reflow_claude_output_in_scrollback_experimental">
        <source>Reflow Claude output in scrollback (experimental)</source>
        <translation>Reflow Claude output in scrollback (experimental)</translation>
    </message>
    <message id="macos.settings_view.rejoins_lines_that_claude_code_hard_wrapped">
        <source>Rejoins lines that Claude Code hard-wrapped at an earlier window width, inside its own output blocks only, so scrollback reflows at the current width and again on every resize. Your typed commands, shell output and other agents' output are never touched. Applies to newly loaded history.</source>
        <translation>Rejoins lines that Claude Code hard-wrapped at an earlier window width, inside its own output blocks only, so scrollback reflows at the current width and again on every resize. Your typed commands, shell output and other agents' output are never touched. Applies to newly loaded history.</translation>
    </message>
    <message id="macos.settings_view.settings">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>Terminal history limit</translation>
    </message>
    <message id="macos.settings_view.when_scrolling_up_hits_the_top">
        <source>When scrolling up hits the top of what's on screen, replace older history with a version re-wrapped at the terminal's CURRENT width, instead of tmux's original (possibly narrower) scrollback. Only ever replaces history ABOVE what's already visible, once per attach — never touches typed commands or non-Claude output that isn't in the Claude transcript.</source>
        <translation>When scrolling up hits the top of what's on screen, replace older history with a version re-wrapped at the terminal's CURRENT width, instead of tmux's original (possibly narrower) scrollback. Only ever replaces history ABOVE what's already visible, once per attach — never touches typed commands or non-Claude output that isn't in the Claude transcript.</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>The answer could not be delivered.</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>The message could not be delivered.</translation>
    </message>
    <message id="macos.viewer_state_view.checking_the_daemon_s_account_attempt">
        <source>Checking the daemon's account (attempt %1)…</source>
        <translation>Checking the daemon's account (attempt %1)…</translation>
    </message>
    <message id="macos.viewer_state_view.choose_a_pane_in_the_sidebar">
        <source>Choose a pane in the sidebar to follow it here.</source>
        <translation>Choose a pane in the sidebar to follow it here.</translation>
    </message>
    <message id="macos.viewer_state_view.connecting_to_the_vesket_daemon">
        <source>Connecting to the Vesket daemon…</source>
        <translation>Connecting to the Vesket daemon…</translation>
    </message>
    <message id="macos.viewer_state_view.its_process_exited_or_the_pane_was_closed">
        <source>Its process exited or the pane was closed. Pick another pane in the sidebar.</source>
        <translation>Its process exited or the pane was closed. Pick another pane in the sidebar.</translation>
    </message>
    <message id="macos.viewer_state_view.looking_for_your_tmux_panes">
        <source>Looking for your tmux panes.</source>
        <translation>Looking for your tmux panes.</translation>
    </message>
    <message id="macos.viewer_state_view.no_tmux_panes_yet">
        <source>No tmux panes yet</source>
        <translation>No tmux panes yet</translation>
    </message>
    <message id="macos.viewer_state_view.reconnecting_to_the_daemon_attempt">
        <source>Reconnecting to the daemon (attempt %1)…</source>
        <translation>Reconnecting to the daemon (attempt %1)…</translation>
    </message>
    <message id="macos.viewer_state_view.select_a_pane">
        <source>Select a pane</source>
        <translation>Select a pane</translation>
    </message>
    <message id="macos.viewer_state_view.sign_in_again_to_see_this_machine_s_panes">
        <source>Sign in again to see this machine's panes.</source>
        <translation>Sign in again to see this machine's panes.</translation>
    </message>
    <message id="macos.viewer_state_view.signed_out">
        <source>Signed out</source>
        <translation>Signed out</translation>
    </message>
    <message id="macos.viewer_state_view.start_an_agent_or_a_shell_in_tmux">
        <source>Start an agent or a shell in tmux and it appears in the sidebar within a second.</source>
        <translation>Start an agent or a shell in tmux and it appears in the sidebar within a second.</translation>
    </message>
    <message id="macos.viewer_state_view.the_connection_to_the_daemon_dropped">
        <source>The connection to the daemon dropped. Your agents keep running in tmux.</source>
        <translation>The connection to the daemon dropped. Your agents keep running in tmux.</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_belongs_to_another_account">
        <source>The daemon belongs to another account</source>
        <translation>The daemon belongs to another account</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_could_not_confirm_its_account_yet">
        <source>The daemon could not confirm its account yet.</source>
        <translation>The daemon could not confirm its account yet.</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_on_this_machine_is_signed_in">
        <source>The daemon on this machine is signed in with a different account than this app.</source>
        <translation>The daemon on this machine is signed in with a different account than this app.</translation>
    </message>
    <message id="macos.viewer_state_view.the_vesket_daemon_is_not_running">
        <source>The Vesket daemon is not running</source>
        <translation>The Vesket daemon is not running</translation>
    </message>
    <message id="macos.viewer_state_view.this_pane_has_ended">
        <source>This pane has ended</source>
        <translation>This pane has ended</translation>
    </message>
    <message id="macos.viewer_state_view.try_again">
        <source>Try again</source>
        <translation>Try again</translation>
    </message>
    <message id="macos.viewer_state_view.vesket_talks_to_tmux_through_its_daemon">
        <source>Vesket talks to tmux through its daemon. Start it with “vesket daemon start” (scripts/run starts it for you); this window connects as soon as it is up.</source>
        <translation>Vesket talks to tmux through its daemon. Start it with “vesket daemon start” (scripts/run starts it for you); this window connects as soon as it is up.</translation>
    </message>
</context>
</TS>
