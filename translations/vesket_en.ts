<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name></name>
    <message id="checklist.reason.qrExpired">
        <source>The code expired or the pairing failed. Ask for a new code.</source>
        <translation>The code expired or the pairing failed. Ask for a new code.</translation>
    </message>
    <message id="checklist.reason.tmuxMissing">
        <source>tmux is not installed. Install it with your package manager.</source>
        <translation>tmux is not installed. Install it with your package manager.</translation>
    </message>
    <message id="checklist.reason.waitingForDaemonStart">
        <source>Waiting for the Vesket background service to start.</source>
        <translation>Waiting for the Vesket background service to start.</translation>
    </message>
    <message id="checklist.row.connected.detail.active">
        <source>Waiting for the background service to link to the relay.</source>
        <translation>Waiting for the background service to link to the relay.</translation>
    </message>
    <message id="checklist.row.connected.detail.done">
        <source>Linked to the relay: your other devices reach this machine.</source>
        <translation>Linked to the relay: your other devices reach this machine.</translation>
    </message>
    <message id="checklist.row.connected.detail.pending">
        <source>Follows once the background service runs.</source>
        <translation>Follows once the background service runs.</translation>
    </message>
    <message id="checklist.row.connected.title">
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message id="checklist.row.daemonReady.detail.done">
        <source>The background service is running with tmux.</source>
        <translation>The background service is running with tmux.</translation>
    </message>
    <message id="checklist.row.daemonReady.title">
        <source>Background service</source>
        <translation>Background service</translation>
    </message>
    <message id="checklist.row.pair.detail.active">
        <source>Scan the code with your phone's camera, or type the short code on the pairing page.</source>
        <translation>Scan the code with your phone's camera, or type the short code on the pairing page.</translation>
    </message>
    <message id="checklist.row.pair.detail.done">
        <source>This machine is paired with your account.</source>
        <translation>This machine is paired with your account.</translation>
    </message>
    <message id="checklist.row.pair.title">
        <source>Pair with your account</source>
        <translation>Pair with your account</translation>
    </message>
    <message id="checklist.row.permission.detail.automationOnly">
        <source>Automation is allowed; accessibility is still missing.</source>
        <translation>Automation is allowed; accessibility is still missing.</translation>
    </message>
    <message id="checklist.row.permission.detail.checking">
        <source>Checking permissions…</source>
        <translation>Checking permissions…</translation>
    </message>
    <message id="checklist.row.permission.detail.granted">
        <source>Nothing to grant: the background service has what it needs.</source>
        <translation>Nothing to grant: the background service has what it needs.</translation>
    </message>
    <message id="checklist.row.permission.detail.pending">
        <source>The background service still needs its permissions.</source>
        <translation>The background service still needs its permissions.</translation>
    </message>
    <message id="checklist.row.permission.title">
        <source>Permissions</source>
        <translation>Permissions</translation>
    </message>
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
    <message id="macos.account_section.apple">
        <source>Sign in with Apple</source>
        <translation>Sign in with Apple</translation>
    </message>
    <message id="macos.account_section.checking">
        <source>Checking your saved sign-in…</source>
        <translation>Checking your saved sign-in…</translation>
    </message>
    <message id="macos.account_section.confirm_label">
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message id="macos.account_section.confirm_placeholder">
        <source>Repeat the password</source>
        <translation>Repeat the password</translation>
    </message>
    <message id="macos.account_section.create_account">
        <source>Create Account</source>
        <translation>Create Account</translation>
    </message>
    <message id="macos.account_section.create_account_tab">
        <source>Create Account</source>
        <translation>Create Account</translation>
    </message>
    <message id="macos.account_section.email_placeholder">
        <source>you@example.org</source>
        <translation>you@example.org</translation>
    </message>
    <message id="macos.account_section.google">
        <source>Sign in with Google</source>
        <translation>Sign in with Google</translation>
    </message>
    <message id="macos.account_section.identifier_label">
        <source>E-mail or username</source>
        <translation>E-mail or username</translation>
    </message>
    <message id="macos.account_section.identifier_placeholder">
        <source>E-mail address or username</source>
        <translation>E-mail address or username</translation>
    </message>
    <message id="macos.account_section.needs_phone_pairing">
        <source>This account already has a Mac. Add this one by scanning its QR code with your phone.</source>
        <translation>This account already has a Mac. Add this one by scanning its QR code with your phone.</translation>
    </message>
    <message id="macos.account_section.password_label">
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message id="macos.account_section.relay_apply">
        <source>Use</source>
        <translation>Use</translation>
    </message>
    <message id="macos.account_section.relay_automatic">
        <source>Automatic (fastest relay)</source>
        <translation>Automatic (fastest relay)</translation>
    </message>
    <message id="macos.account_section.relay_current">
        <source>Using %1</source>
        <translation>Using %1</translation>
    </message>
    <message id="macos.account_section.relay_custom">
        <source>Custom URL</source>
        <translation>Custom URL</translation>
    </message>
    <message id="macos.account_section.relay_invalid_url">
        <source>Enter a relay address that starts with https:// or http://.</source>
        <translation>Enter a relay address that starts with https:// or http://.</translation>
    </message>
    <message id="macos.account_section.relay_latency_ms">
        <source>%1: %2 ms</source>
        <translation>%1: %2 ms</translation>
    </message>
    <message id="macos.account_section.relay_measure">
        <source>Measure</source>
        <translation>Measure</translation>
    </message>
    <message id="macos.account_section.relay_not_measured">
        <source>Latency not measured yet.</source>
        <translation>Latency not measured yet.</translation>
    </message>
    <message id="macos.account_section.relay_title">
        <source>Relay</source>
        <translation>Relay</translation>
    </message>
    <message id="macos.account_section.relay_unreachable">
        <source>%1: unreachable</source>
        <translation>%1: unreachable</translation>
    </message>
    <message id="macos.account_section.session_expired_detail">
        <source>Your session expired (sessions last 7 days). Sign in again to restore your Board &amp; Inbox.</source>
        <translation>Your session expired (sessions last 7 days). Sign in again to restore your Board &amp; Inbox.</translation>
    </message>
    <message id="macos.account_section.sign_in">
        <source>Sign In</source>
        <translation>Sign In</translation>
    </message>
    <message id="macos.account_section.sign_in_tab">
        <source>Sign In</source>
        <translation>Sign In</translation>
    </message>
    <message id="macos.account_section.sign_out">
        <source>Sign Out</source>
        <translation>Sign Out</translation>
    </message>
    <message id="macos.account_section.signed_in_as">
        <source>Signed in as %1</source>
        <translation>Signed in as %1</translation>
    </message>
    <message id="macos.account_section.signing_in">
        <source>Signing in…</source>
        <translation>Signing in…</translation>
    </message>
    <message id="macos.account_section.title">
        <source>Account</source>
        <translation>Account</translation>
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
    <message id="macos.account_sign_in_page.too_many_device_enrollment_attempts">
        <source>Too many device enrollment attempts. Try again in %1 seconds.</source>
        <translation>Too many device enrollment attempts. Try again in %1 seconds.</translation>
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
    <message id="macos.composer.attach_files">
        <source>Attach files…</source>
        <translation>Attach files…</translation>
    </message>
    <message id="macos.composer.attached_files">
        <source>Attached: %1</source>
        <translation>Attached: %1</translation>
    </message>
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>Message %1 — Enter to send, Shift+Enter for a new line</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>Message the agent — Enter to send, Shift+Enter for a new line</translation>
    </message>
    <message id="macos.composer.pasted_image">
        <source>Pasted image</source>
        <translation>Pasted image</translation>
    </message>
    <message id="macos.composer.remove_attachments">
        <source>Remove</source>
        <translation>Remove</translation>
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
    <message id="macos.composer.uploading_percent">
        <source>Uploading %1%</source>
        <translation>Uploading %1%</translation>
    </message>
    <message id="macos.crew_control_view.add_workers_failed">
        <source>Couldn’t add agents</source>
        <translation>Couldn’t add agents</translation>
    </message>
    <message id="macos.crew_control_view.agent_kind">
        <source>Agent</source>
        <translation>Agent</translation>
    </message>
    <message id="macos.crew_control_view.brief">
        <source>What should the worker do?</source>
        <translation>What should the worker do?</translation>
    </message>
    <message id="macos.crew_control_view.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="macos.crew_control_view.choose_folder">
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message id="macos.crew_control_view.cli_missing">
        <source>vesket CLI not found at %1 — install the daemon first.</source>
        <translation>vesket CLI not found at %1 — install the daemon first.</translation>
    </message>
    <message id="macos.crew_control_view.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="macos.crew_control_view.close_group_failed">
        <source>Couldn’t close group</source>
        <translation>Couldn’t close group</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_action">
        <source>Closing a terminal</source>
        <translation>Closing a terminal</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_failed">
        <source>Close terminal failed: %1</source>
        <translation>Close terminal failed: %1</translation>
    </message>
    <message id="macos.crew_control_view.column_model">
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message id="macos.crew_control_view.column_name">
        <source>Team / pane</source>
        <translation>Team / pane</translation>
    </message>
    <message id="macos.crew_control_view.column_state">
        <source>State</source>
        <translation>State</translation>
    </message>
    <message id="macos.crew_control_view.column_task">
        <source>Task</source>
        <translation>Task</translation>
    </message>
    <message id="macos.crew_control_view.create">
        <source>Create</source>
        <translation>Create</translation>
    </message>
    <message id="macos.crew_control_view.create_failed">
        <source>crew create failed</source>
        <translation>crew create failed</translation>
    </message>
    <message id="macos.crew_control_view.crew_bin_missing">
        <source>crew bin not found at %1 — is the daemon installed?</source>
        <translation>crew bin not found at %1 — is the daemon installed?</translation>
    </message>
    <message id="macos.crew_control_view.disband">
        <source>Disband</source>
        <translation>Disband</translation>
    </message>
    <message id="macos.crew_control_view.empty">
        <source>No teams, groups or terminal windows yet.</source>
        <translation>No teams, groups or terminal windows yet.</translation>
    </message>
    <message id="macos.crew_control_view.group_create_failed">
        <source>agent-group create failed</source>
        <translation>agent-group create failed</translation>
    </message>
    <message id="macos.crew_control_view.group_created">
        <source>Agent Group created (%1 panes, no manager).</source>
        <translation>Agent Group created (%1 panes, no manager).</translation>
    </message>
    <message id="macos.crew_control_view.group_row">
        <source>Agent group “%1”</source>
        <translation>Agent group “%1”</translation>
    </message>
    <message id="macos.crew_control_view.group_size_error">
        <source>Agent groups grow by 2 (2–8) to keep the two-row layout.</source>
        <translation>Agent groups grow by 2 (2–8) to keep the two-row layout.</translation>
    </message>
    <message id="macos.crew_control_view.grow">
        <source>Add agents</source>
        <translation>Add agents</translation>
    </message>
    <message id="macos.crew_control_view.grow_count">
        <source>How many workers?</source>
        <translation>How many workers?</translation>
    </message>
    <message id="macos.crew_control_view.kind_of_window">
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message id="macos.crew_control_view.machine_local">
        <source>On this machine</source>
        <translation>On this machine</translation>
    </message>
    <message id="macos.crew_control_view.machine_remote">
        <source>On %1</source>
        <translation>On %1</translation>
    </message>
    <message id="macos.crew_control_view.mode_group">
        <source>Agent group (two rows, no manager)</source>
        <translation>Agent group (two rows, no manager)</translation>
    </message>
    <message id="macos.crew_control_view.mode_team">
        <source>Agent team (manager + workers)</source>
        <translation>Agent team (manager + workers)</translation>
    </message>
    <message id="macos.crew_control_view.mode_terminal">
        <source>Plain terminal window</source>
        <translation>Plain terminal window</translation>
    </message>
    <message id="macos.crew_control_view.model">
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message id="macos.crew_control_view.model_placeholder">
        <source>Model (empty: the agent's default)</source>
        <translation>Model (empty: the agent's default)</translation>
    </message>
    <message id="macos.crew_control_view.name">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="macos.crew_control_view.name_placeholder">
        <source>Window name (optional)</source>
        <translation>Window name (optional)</translation>
    </message>
    <message id="macos.crew_control_view.needs_approval">
        <source>Approve this device from one of your other devices to manage that machine's teams.</source>
        <translation>Approve this device from one of your other devices to manage that machine's teams.</translation>
    </message>
    <message id="macos.crew_control_view.new">
        <source>New…</source>
        <translation>New…</translation>
    </message>
    <message id="macos.crew_control_view.new_title">
        <source>Start agents</source>
        <translation>Start agents</translation>
    </message>
    <message id="macos.crew_control_view.project">
        <source>Project</source>
        <translation>Project</translation>
    </message>
    <message id="macos.crew_control_view.project_placeholder">
        <source>Project folder</source>
        <translation>Project folder</translation>
    </message>
    <message id="macos.crew_control_view.project_required">
        <source>Project name is required.</source>
        <translation>Project name is required.</translation>
    </message>
    <message id="macos.crew_control_view.registry_failed">
        <source>crew-registry list failed</source>
        <translation>crew-registry list failed</translation>
    </message>
    <message id="macos.crew_control_view.registry_unreadable">
        <source>couldn't parse crew registry output</source>
        <translation>couldn't parse crew registry output</translation>
    </message>
    <message id="macos.crew_control_view.remote_only_refusal">
        <source>%1 isn’t available yet for a remote machine (%2) — switch to it directly, or select This Mac.</source>
        <translation>%1 isn’t available yet for a remote machine (%2) — switch to it directly, or select This Mac.</translation>
    </message>
    <message id="macos.crew_control_view.remove_action">
        <source>Removing a team</source>
        <translation>Removing a team</translation>
    </message>
    <message id="macos.crew_control_view.remove_failed">
        <source>Remove failed: %1</source>
        <translation>Remove failed: %1</translation>
    </message>
    <message id="macos.crew_control_view.removed">
        <source>Removed agent team for “%1”</source>
        <translation>Removed agent team for “%1”</translation>
    </message>
    <message id="macos.crew_control_view.rename">
        <source>Rename…</source>
        <translation>Rename…</translation>
    </message>
    <message id="macos.crew_control_view.rename_team_failed">
        <source>Couldn’t rename team</source>
        <translation>Couldn’t rename team</translation>
    </message>
    <message id="macos.crew_control_view.route">
        <source>Route task…</source>
        <translation>Route task…</translation>
    </message>
    <message id="macos.crew_control_view.route_failed">
        <source>route failed</source>
        <translation>route failed</translation>
    </message>
    <message id="macos.crew_control_view.routed">
        <source>Routed %1 to %2.</source>
        <translation>Routed %1 to %2.</translation>
    </message>
    <message id="macos.crew_control_view.routing">
        <source>Routing…</source>
        <translation>Routing…</translation>
    </message>
    <message id="macos.crew_control_view.starting">
        <source>Starting agents…</source>
        <translation>Starting agents…</translation>
    </message>
    <message id="macos.crew_control_view.state_blocked">
        <source>blocked</source>
        <translation>blocked</translation>
    </message>
    <message id="macos.crew_control_view.state_idle">
        <source>idle</source>
        <translation>idle</translation>
    </message>
    <message id="macos.crew_control_view.state_unknown">
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
    <message id="macos.crew_control_view.state_working">
        <source>working</source>
        <translation>working</translation>
    </message>
    <message id="macos.crew_control_view.stop">
        <source>Stop task</source>
        <translation>Stop task</translation>
    </message>
    <message id="macos.crew_control_view.stop_failed">
        <source>stop failed</source>
        <translation>stop failed</translation>
    </message>
    <message id="macos.crew_control_view.stopped">
        <source>Stopped the task of %1.</source>
        <translation>Stopped the task of %1.</translation>
    </message>
    <message id="macos.crew_control_view.stopping">
        <source>Stopping a task</source>
        <translation>Stopping a task</translation>
    </message>
    <message id="macos.crew_control_view.task">
        <source>Task</source>
        <translation>Task</translation>
    </message>
    <message id="macos.crew_control_view.task_id">
        <source>Task id</source>
        <translation>Task id</translation>
    </message>
    <message id="macos.crew_control_view.task_id_required">
        <source>A task id is required to route.</source>
        <translation>A task id is required to route.</translation>
    </message>
    <message id="macos.crew_control_view.task_placeholder">
        <source>First task for the manager (optional)</source>
        <translation>First task for the manager (optional)</translation>
    </message>
    <message id="macos.crew_control_view.team_created">
        <source>Agent team created for “%1” (1 mgr + %2 %3 workers, %4).</source>
        <translation>Agent team created for “%1” (1 mgr + %2 %3 workers, %4).</translation>
    </message>
    <message id="macos.crew_control_view.terminal_closed">
        <source>Closed terminal window.</source>
        <translation>Closed terminal window.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_failed">
        <source>Couldn’t open a terminal: %1</source>
        <translation>Couldn’t open a terminal: %1</translation>
    </message>
    <message id="macos.crew_control_view.terminal_needs_sign_in">
        <source>Sign in to create a terminal on a remote machine — without a relay account the pane would land on This Mac instead.</source>
        <translation>Sign in to create a terminal on a remote machine — without a relay account the pane would land on This Mac instead.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_opened">
        <source>Opened terminal window “%1”.</source>
        <translation>Opened terminal window “%1”.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_row">
        <source>Terminal “%1”</source>
        <translation>Terminal “%1”</translation>
    </message>
    <message id="macos.crew_control_view.title">
        <source>Agent teams</source>
        <translation>Agent teams</translation>
    </message>
    <message id="macos.crew_control_view.worker_count_range">
        <source>Worker count must be 1–9.</source>
        <translation>Worker count must be 1–9.</translation>
    </message>
    <message id="macos.crew_control_view.workers">
        <source>Workers</source>
        <translation>Workers</translation>
    </message>
    <message id="macos.crew_control_view.workers_added">
        <source>Added %1 agents to the team.</source>
        <translation>Added %1 agents to the team.</translation>
    </message>
    <message id="macos.daemon_provision.could_not_cleanly_restart">
        <source>Vesket could not cleanly restart its daemon.

%1

Check with: %2</source>
        <translation>Vesket could not cleanly restart its daemon.

%1

Check with: %2</translation>
    </message>
    <message id="macos.daemon_provision.could_not_clear_rollback_pin">
        <source>Vesket could not clear the daemon rollback pin at %1</source>
        <translation>Vesket could not clear the daemon rollback pin at %1</translation>
    </message>
    <message id="macos.daemon_provision.embedded_missing">
        <source>This copy of Vesket does not contain its signed daemon.</source>
        <translation>This copy of Vesket does not contain its signed daemon.</translation>
    </message>
    <message id="macos.daemon_provision.embedded_untrusted">
        <source>The daemon inside this copy of Vesket failed Developer ID verification.</source>
        <translation>The daemon inside this copy of Vesket failed Developer ID verification.</translation>
    </message>
    <message id="macos.daemon_provision.isolated_instance_does_not_control_the_service">
        <source>This isolated instance does not control the daemon's service.</source>
        <translation>This isolated instance does not control the daemon's service.</translation>
    </message>
    <message id="macos.daemon_provision.live_replace_refused">
        <source>Vesket found its daemon running and could not obtain a safe restart, so it left the running daemon in place.</source>
        <translation>Vesket found its daemon running and could not obtain a safe restart, so it left the running daemon in place.</translation>
    </message>
    <message id="macos.daemon_provision.redirected_home_refused">
        <source>Provisioning was refused: this app was launched with an explicit VESKET_HOME, but the running daemon's home is a different directory. Vesket does not replace the daemon of an install it was not pointed at.</source>
        <translation>Provisioning was refused: this app was launched with an explicit VESKET_HOME, but the running daemon's home is a different directory. Vesket does not replace the daemon of an install it was not pointed at.</translation>
    </message>
    <message id="macos.daemon_provision.replacement_failed">
        <source>Vesket could not install or verify its signed daemon.</source>
        <translation>Vesket could not install or verify its signed daemon.</translation>
    </message>
    <message id="macos.daemon_provision.replacement_rolled_back">
        <source>Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.</source>
        <translation>Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.</translation>
    </message>
    <message id="macos.daemon_provision.restart_binary_not_found">
        <source>Could not restart the Vesket daemon: binary not found at %1.

Please download the latest signed Vesket release.</source>
        <translation>Could not restart the Vesket daemon: binary not found at %1.

Please download the latest signed Vesket release.</translation>
    </message>
    <message id="macos.daemon_provision.restart_bootstrap_failed">
        <source>The service manager could not load the daemon job again.</source>
        <translation>The service manager could not load the daemon job again.</translation>
    </message>
    <message id="macos.daemon_provision.restart_could_not_terminate">
        <source>Could not terminate the existing daemon process (PID %1).</source>
        <translation>Could not terminate the existing daemon process (PID %1).</translation>
    </message>
    <message id="macos.daemon_provision.restart_job_not_removed">
        <source>The service manager did not finish removing the old daemon job.</source>
        <translation>The service manager did not finish removing the old daemon job.</translation>
    </message>
    <message id="macos.daemon_provision.restart_pid_not_the_daemon">
        <source>The service manager reported PID %1, but it was not the expected daemon executable.</source>
        <translation>The service manager reported PID %1, but it was not the expected daemon executable.</translation>
    </message>
    <message id="macos.daemon_provision.sidecar_sync_failed">
        <source>Vesket verified its signed daemon, but could not update its bundled terminal support tools.</source>
        <translation>Vesket verified its signed daemon, but could not update its bundled terminal support tools.</translation>
    </message>
    <message id="macos.daemon_provision.test_host_refused">
        <source>Provisioning was refused because it ran inside a test host without an isolated VESKET_HOME.</source>
        <translation>Provisioning was refused because it ran inside a test host without an isolated VESKET_HOME.</translation>
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
    <message id="macos.desktop_shell.account">
        <source>Account…</source>
        <translation>Account…</translation>
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
    <message id="macos.desktop_shell.devices">
        <source>Devices…</source>
        <translation>Devices…</translation>
    </message>
    <message id="macos.desktop_shell.inbox">
        <source>Inbox…</source>
        <translation>Inbox…</translation>
    </message>
    <message id="macos.desktop_shell.inbox_decisions_waiting" numerus="yes">
        <source>Inbox — %n decisions waiting…</source>
        <translation>
            <numerusform>Inbox — %n decision waiting…</numerusform>
            <numerusform>Inbox — %n decisions waiting…</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>Open Vesket</translation>
    </message>
    <message id="macos.desktop_shell.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>Pair this machine…</translation>
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
    <message id="macos.device_approval.approve">
        <source>Approve</source>
        <translation>Approve</translation>
    </message>
    <message id="macos.device_approval.deny">
        <source>Deny</source>
        <translation>Deny</translation>
    </message>
    <message id="macos.device_approval.new_request_title">
        <source>New device wants to join your account</source>
        <translation>New device wants to join your account</translation>
    </message>
    <message id="macos.device_approval.repeat_request_title">
        <source>⚠️ Repeat request from a device you denied</source>
        <translation>⚠️ Repeat request from a device you denied</translation>
    </message>
    <message id="macos.devices_window.account_devices">
        <source>Devices on this account</source>
        <translation>Devices on this account</translation>
    </message>
    <message id="macos.devices_window.code">
        <source>code</source>
        <translation>code</translation>
    </message>
    <message id="macos.devices_window.denied_until">
        <source>You can ask again after %1.</source>
        <translation>You can ask again after %1.</translation>
    </message>
    <message id="macos.devices_window.get_pairing_code">
        <source>Get a pairing code</source>
        <translation>Get a pairing code</translation>
    </message>
    <message id="macos.devices_window.last_seen">
        <source>last seen %1</source>
        <translation>last seen %1</translation>
    </message>
    <message id="macos.devices_window.loading">
        <source>Loading…</source>
        <translation>Loading…</translation>
    </message>
    <message id="macos.devices_window.match_fingerprint">
        <source>Match this fingerprint on the approving computer</source>
        <translation>Match this fingerprint on the approving computer</translation>
    </message>
    <message id="macos.devices_window.my_machines">
        <source>My machines</source>
        <translation>My machines</translation>
    </message>
    <message id="macos.devices_window.no_devices">
        <source>No devices yet.</source>
        <translation>No devices yet.</translation>
    </message>
    <message id="macos.devices_window.no_machines">
        <source>No machine is paired with this account yet.</source>
        <translation>No machine is paired with this account yet.</translation>
    </message>
    <message id="macos.devices_window.no_pending">
        <source>No device is waiting for approval.</source>
        <translation>No device is waiting for approval.</translation>
    </message>
    <message id="macos.devices_window.not_enrolled">
        <source>Not enrolled: sign in to your account first.</source>
        <translation>Not enrolled: sign in to your account first.</translation>
    </message>
    <message id="macos.devices_window.online">
        <source>Online</source>
        <translation>Online</translation>
    </message>
    <message id="macos.devices_window.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>Pair this machine…</translation>
    </message>
    <message id="macos.devices_window.pairing_code_is">
        <source>Type this code in the pairing window of the other machine: %1</source>
        <translation>Type this code in the pairing window of the other machine: %1</translation>
    </message>
    <message id="macos.devices_window.pending_unavailable">
        <source>Requests cannot be read: this device is not approved or the relay is not reachable.</source>
        <translation>Requests cannot be read: this device is not approved or the relay is not reachable.</translation>
    </message>
    <message id="macos.devices_window.relay_unreachable">
        <source>The relay could not be reached. Check the connection.</source>
        <translation>The relay could not be reached. Check the connection.</translation>
    </message>
    <message id="macos.devices_window.revoke">
        <source>Revoke</source>
        <translation>Revoke</translation>
    </message>
    <message id="macos.devices_window.status_approved">
        <source>Approved</source>
        <translation>Approved</translation>
    </message>
    <message id="macos.devices_window.status_denied">
        <source>Denied</source>
        <translation>Denied</translation>
    </message>
    <message id="macos.devices_window.status_pending">
        <source>Waiting for approval</source>
        <translation>Waiting for approval</translation>
    </message>
    <message id="macos.devices_window.status_revoked">
        <source>Revoked</source>
        <translation>Revoked</translation>
    </message>
    <message id="macos.devices_window.this_device">
        <source>This device</source>
        <translation>This device</translation>
    </message>
    <message id="macos.devices_window.this_device_tag">
        <source>this device</source>
        <translation>this device</translation>
    </message>
    <message id="macos.devices_window.this_machine_tag">
        <source>this machine</source>
        <translation>this machine</translation>
    </message>
    <message id="macos.devices_window.title">
        <source>Devices</source>
        <translation>Devices</translation>
    </message>
    <message id="macos.devices_window.waiting_for_approval">
        <source>Waiting for approval</source>
        <translation>Waiting for approval</translation>
    </message>
    <message id="macos.environment_installer.could_not_launch">
        <source>Could not launch the installer: %1</source>
        <translation>Could not launch the installer: %1</translation>
    </message>
    <message id="macos.environment_installer.could_not_stage">
        <source>Could not keep a verified copy of the installer: %1</source>
        <translation>Could not keep a verified copy of the installer: %1</translation>
    </message>
    <message id="macos.environment_installer.digest_mismatch">
        <source>The environment installer does not match the SHA-256 digest this copy of Vesket expects, so it was not run.</source>
        <translation>The environment installer does not match the SHA-256 digest this copy of Vesket expects, so it was not run.</translation>
    </message>
    <message id="macos.environment_installer.disabled_isolated_instance">
        <source>Environment setup is disabled: this is an isolated instance.</source>
        <translation>Environment setup is disabled: this is an isolated instance.</translation>
    </message>
    <message id="macos.environment_installer.ghostty_not_applicable">
        <source>Ghostty is not applicable on this system: use your desktop's terminal.</source>
        <translation>Ghostty is not applicable on this system: use your desktop's terminal.</translation>
    </message>
    <message id="macos.environment_installer.homebrew_not_applicable">
        <source>Homebrew is not applicable on this system: Vesket installs through the system package manager.</source>
        <translation>Homebrew is not applicable on this system: Vesket installs through the system package manager.</translation>
    </message>
    <message id="macos.environment_installer.installer_exited_with_status">
        <source>quorline installer exited with status %1 — see the log above for the failing step.</source>
        <translation>quorline installer exited with status %1 — see the log above for the failing step.</translation>
    </message>
    <message id="macos.environment_installer.not_packaged">
        <source>The system package manager does not offer it.</source>
        <translation>The system package manager does not offer it.</translation>
    </message>
    <message id="macos.environment_installer.script_missing">
        <source>Could not find the environment installer at %1.</source>
        <translation>Could not find the environment installer at %1.</translation>
    </message>
    <message id="macos.environment_installer.verified_script_vanished">
        <source>Verified script vanished before it could run — please try again.</source>
        <translation>Verified script vanished before it could run — please try again.</translation>
    </message>
    <message id="macos.inbox_view.answer_answered">
        <source>Answered</source>
        <translation>Answered</translation>
    </message>
    <message id="macos.inbox_view.answer_declined">
        <source>Declined</source>
        <translation>Declined</translation>
    </message>
    <message id="macos.inbox_view.answer_failed">
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message id="macos.inbox_view.answer_no_answer">
        <source>No answer yet</source>
        <translation>No answer yet</translation>
    </message>
    <message id="macos.inbox_view.answer_not_delivered">
        <source>Not delivered</source>
        <translation>Not delivered</translation>
    </message>
    <message id="macos.inbox_view.answer_seen">
        <source>Seen</source>
        <translation>Seen</translation>
    </message>
    <message id="macos.inbox_view.answer_waiting_on_you">
        <source>Waiting on you</source>
        <translation>Waiting on you</translation>
    </message>
    <message id="macos.inbox_view.answer_working">
        <source>Working on it</source>
        <translation>Working on it</translation>
    </message>
    <message id="macos.inbox_view.decided">
        <source>Answered: %1</source>
        <translation>Answered: %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due">
        <source>Due %1</source>
        <translation>Due %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due_unreadable">
        <source>Due “%1” (not a date Vesket can read)</source>
        <translation>Due “%1” (not a date Vesket can read)</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_already_decided">
        <source>This question was already answered.</source>
        <translation>This question was already answered.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_expired">
        <source>The deadline for this question has passed.</source>
        <translation>The deadline for this question has passed.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_offline">
        <source>You're offline — the answer wasn't sent.</source>
        <translation>You're offline — the answer wasn't sent.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_timeout">
        <source>The relay didn't answer in time. Try again.</source>
        <translation>The relay didn't answer in time. Try again.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_unavailable">
        <source>Couldn't send the answer. Try again.</source>
        <translation>Couldn't send the answer. Try again.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_withdrawn">
        <source>The agent withdrew this question.</source>
        <translation>The agent withdrew this question.</translation>
    </message>
    <message id="macos.inbox_view.decision_sending">
        <source>Sending…</source>
        <translation>Sending…</translation>
    </message>
    <message id="macos.inbox_view.file_expired">
        <source>This file has expired (files are kept 7 days).</source>
        <translation>This file has expired (files are kept 7 days).</translation>
    </message>
    <message id="macos.inbox_view.file_failed">
        <source>Couldn't open the file: %1</source>
        <translation>Couldn't open the file: %1</translation>
    </message>
    <message id="macos.inbox_view.load_older">
        <source>Load older messages</source>
        <translation>Load older messages</translation>
    </message>
    <message id="macos.inbox_view.local_only_body">
        <source>Messages from your phone and other devices appear here once this Mac is approved. Terminals and agent teams on this Mac work as usual.</source>
        <translation>Messages from your phone and other devices appear here once this Mac is approved. Terminals and agent teams on this Mac work as usual.</translation>
    </message>
    <message id="macos.inbox_view.local_only_title">
        <source>Inbox is local-only for now</source>
        <translation>Inbox is local-only for now</translation>
    </message>
    <message id="macos.inbox_view.mark_all_read">
        <source>Mark all read</source>
        <translation>Mark all read</translation>
    </message>
    <message id="macos.inbox_view.mark_read">
        <source>Mark read</source>
        <translation>Mark read</translation>
    </message>
    <message id="macos.inbox_view.new_decision">
        <source>%1 asks</source>
        <translation>%1 asks</translation>
    </message>
    <message id="macos.inbox_view.no_files">
        <source>No shared files yet.</source>
        <translation>No shared files yet.</translation>
    </message>
    <message id="macos.inbox_view.no_notifications">
        <source>No notifications.</source>
        <translation>No notifications.</translation>
    </message>
    <message id="macos.inbox_view.no_threads">
        <source>No messages yet. Agents post here with “vesket inbox”.</source>
        <translation>No messages yet. Agents post here with “vesket inbox”.</translation>
    </message>
    <message id="macos.inbox_view.open_file">
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message id="macos.inbox_view.pick_thread">
        <source>Choose a conversation on the left.</source>
        <translation>Choose a conversation on the left.</translation>
    </message>
    <message id="macos.inbox_view.recommended">
        <source>%1 (recommended)</source>
        <translation>%1 (recommended)</translation>
    </message>
    <message id="macos.inbox_view.reply_failed">
        <source>Couldn't send reply.</source>
        <translation>Couldn't send reply.</translation>
    </message>
    <message id="macos.inbox_view.reply_placeholder">
        <source>Reply to the agent…</source>
        <translation>Reply to the agent…</translation>
    </message>
    <message id="macos.inbox_view.segment_board">
        <source>Board</source>
        <translation>Board</translation>
    </message>
    <message id="macos.inbox_view.segment_files">
        <source>Files</source>
        <translation>Files</translation>
    </message>
    <message id="macos.inbox_view.segment_messages">
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message id="macos.inbox_view.segment_notifications">
        <source>Notifications</source>
        <translation>Notifications</translation>
    </message>
    <message id="macos.inbox_view.send">
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message id="macos.inbox_view.session_expired">
        <source>Your session expired (sessions last 7 days). Sign in again — the Inbox uses your account session.</source>
        <translation>Your session expired (sessions last 7 days). Sign in again — the Inbox uses your account session.</translation>
    </message>
    <message id="macos.inbox_view.title">
        <source>Inbox</source>
        <translation>Inbox</translation>
    </message>
    <message id="macos.inbox_view.waiting_decisions">
        <source>Waiting for you: %1</source>
        <translation>Waiting for you: %1</translation>
    </message>
    <message id="macos.inbox_view.withdrawn">
        <source>Withdrawn by the agent</source>
        <translation>Withdrawn by the agent</translation>
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
    <message id="macos.main_window.context_used">
        <source>%1% context</source>
        <translation>%1% context</translation>
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
    <message id="macos.main_window.machine_offline">
        <source>%1 (offline)</source>
        <translation>%1 (offline)</translation>
    </message>
    <message id="macos.main_window.rename_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="macos.main_window.rename_ok">
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message id="macos.main_window.rename_pane">
        <source>Rename…</source>
        <translation>Rename…</translation>
    </message>
    <message id="macos.main_window.rename_pane_prompt">
        <source>Name shown in the sidebar (empty: the automatic name):</source>
        <translation>Name shown in the sidebar (empty: the automatic name):</translation>
    </message>
    <message id="macos.main_window.rename_pane_title">
        <source>Rename Pane</source>
        <translation>Rename Pane</translation>
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
        <translation>Show the pane's text with the composer</translation>
    </message>
    <message id="macos.main_window.this_machine">
        <source>This machine</source>
        <translation>This machine</translation>
    </message>
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message id="macos.my_machines.sign_in_to_list">
        <source>Sign in to your account to list your machines.</source>
        <translation>Sign in to your account to list your machines.</translation>
    </message>
    <message id="macos.pairing_window.code_placeholder">
        <source>Code from your other machine</source>
        <translation>Code from your other machine</translation>
    </message>
    <message id="macos.pairing_window.collecting">
        <source>Pairing with your account…</source>
        <translation>Pairing with your account…</translation>
    </message>
    <message id="macos.pairing_window.daemon_could_not_save">
        <source>The phone paired this Mac, but its local daemon could not save the pairing. Check the Mac error and retry.</source>
        <translation>The phone paired this Mac, but its local daemon could not save the pairing. Check the Mac error and retry.</translation>
    </message>
    <message id="macos.pairing_window.expired">
        <source>This code expired.</source>
        <translation>This code expired.</translation>
    </message>
    <message id="macos.pairing_window.expires_in">
        <source>Expires in %1</source>
        <translation>Expires in %1</translation>
    </message>
    <message id="macos.pairing_window.identity_unavailable">
        <source>This machine's identity (/etc/machine-id) is unavailable. Finish booting, then try again.</source>
        <translation>This machine's identity (/etc/machine-id) is unavailable. Finish booting, then try again.</translation>
    </message>
    <message id="macos.pairing_window.loading">
        <source>Asking the relay for a code…</source>
        <translation>Asking the relay for a code…</translation>
    </message>
    <message id="macos.pairing_window.new_code">
        <source>New code</source>
        <translation>New code</translation>
    </message>
    <message id="macos.pairing_window.pair_with_account">
        <source>Pair with my account</source>
        <translation>Pair with my account</translation>
    </message>
    <message id="macos.pairing_window.paired">
        <source>Paired ✔</source>
        <translation>Paired ✔</translation>
    </message>
    <message id="macos.pairing_window.paired_status">
        <source>This machine is paired. It links to the relay now.</source>
        <translation>This machine is paired. It links to the relay now.</translation>
    </message>
    <message id="macos.pairing_window.password_placeholder">
        <source>Account password (if asked)</source>
        <translation>Account password (if asked)</translation>
    </message>
    <message id="macos.pairing_window.replace">
        <source>Replace the selected machine</source>
        <translation>Replace the selected machine</translation>
    </message>
    <message id="macos.pairing_window.replace_explanation">
        <source>This account already has machines. Pick the machine this one replaces. Sign in again, or enter your account password to replace this Mac.</source>
        <translation>This account already has machines. Pick the machine this one replaces. Sign in again, or enter your account password to replace this Mac.</translation>
    </message>
    <message id="macos.pairing_window.short_code">
        <source>Or type this code on the pairing page: %1</source>
        <translation>Or type this code on the pairing page: %1</translation>
    </message>
    <message id="macos.pairing_window.title">
        <source>Pair this machine</source>
        <translation>Pair this machine</translation>
    </message>
    <message id="macos.pairing_window.use_code">
        <source>Use code</source>
        <translation>Use code</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>Agent Group</translation>
    </message>
    <message id="macos.pane_sidebar.running_count" numerus="yes">
        <source>%n running</source>
        <translation>
            <numerusform>%n running</numerusform>
            <numerusform>%n running</numerusform>
        </translation>
    </message>
    <message id="macos.pane_sidebar.solo">
        <source>Solo</source>
        <translation>Solo</translation>
    </message>
    <message id="macos.pane_sidebar.status_idle">
        <source>idle</source>
        <translation>idle</translation>
    </message>
    <message id="macos.pane_sidebar.status_running">
        <source>running</source>
        <translation>running</translation>
    </message>
    <message id="macos.pane_sidebar.terminal">
        <source>Terminal</source>
        <translation>Terminal</translation>
    </message>
    <message id="macos.pane_sidebar.waiting">
        <source>waiting</source>
        <translation>waiting</translation>
    </message>
    <message id="macos.pane_text_view.could_not_be_read">
        <source>The pane's text could not be read. Vesket keeps trying.</source>
        <translation>The pane's text could not be read. Vesket keeps trying.</translation>
    </message>
    <message id="macos.pane_text_view.loading">
        <source>Loading the pane's text…</source>
        <translation>Loading the pane's text…</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>%n new line ↓</numerusform>
            <numerusform>%n new lines ↓</numerusform>
        </translation>
    </message>
    <message id="macos.pane_text_view.no_text_yet">
        <source>This pane shows no text yet.</source>
        <translation>This pane shows no text yet.</translation>
    </message>
    <message id="macos.pane_text_view.not_updating_since">
        <source>Not updating: the text below is from %1 and the pane cannot be read right now. Retrying…</source>
        <translation>Not updating: the text below is from %1 and the pane cannot be read right now. Retrying…</translation>
    </message>
    <message id="macos.routing_view.agent">
        <source>Agent</source>
        <translation>Agent</translation>
    </message>
    <message id="macos.routing_view.capability_fit">
        <source>Let a task's work class pick the agent that fits it</source>
        <translation>Let a task's work class pick the agent that fits it</translation>
    </message>
    <message id="macos.routing_view.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="macos.routing_view.custom_rules">
        <source>This project has rules of its own.</source>
        <translation>This project has rules of its own.</translation>
    </message>
    <message id="macos.routing_view.difficulty_heavy">
        <source>Heavy</source>
        <translation>Heavy</translation>
    </message>
    <message id="macos.routing_view.difficulty_light">
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message id="macos.routing_view.difficulty_standard">
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message id="macos.routing_view.follow_global">
        <source>Follow global rules</source>
        <translation>Follow global rules</translation>
    </message>
    <message id="macos.routing_view.follows_global">
        <source>This project follows the global rules. Change a row to give it rules of its own.</source>
        <translation>This project follows the global rules. Change a row to give it rules of its own.</translation>
    </message>
    <message id="macos.routing_view.global_summary">
        <source>These rules apply to every project without rules of its own.</source>
        <translation>These rules apply to every project without rules of its own.</translation>
    </message>
    <message id="macos.routing_view.load_failed">
        <source>Couldn't load the routing rules: %1</source>
        <translation>Couldn't load the routing rules: %1</translation>
    </message>
    <message id="macos.routing_view.loading">
        <source>Loading…</source>
        <translation>Loading…</translation>
    </message>
    <message id="macos.routing_view.main_agent">
        <source>Main agent</source>
        <translation>Main agent</translation>
    </message>
    <message id="macos.routing_view.max_difficulty">
        <source>Hardest work</source>
        <translation>Hardest work</translation>
    </message>
    <message id="macos.routing_view.save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="macos.routing_view.save_failed">
        <source>Couldn't save: %1</source>
        <translation>Couldn't save: %1</translation>
    </message>
    <message id="macos.routing_view.saved">
        <source>Saved.</source>
        <translation>Saved.</translation>
    </message>
    <message id="macos.routing_view.saving">
        <source>Saving…</source>
        <translation>Saving…</translation>
    </message>
    <message id="macos.routing_view.title_global">
        <source>Routing rules for every project</source>
        <translation>Routing rules for every project</translation>
    </message>
    <message id="macos.routing_view.title_project">
        <source>Routing rules for %1</source>
        <translation>Routing rules for %1</translation>
    </message>
    <message id="macos.routing_view.weight">
        <source>Share</source>
        <translation>Share</translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>All</translation>
    </message>
    <message id="macos.settings_view.auto_fit">
        <source>Fit the pane's width to this window (auto-fit)</source>
        <translation>Fit the pane's width to this window (auto-fit)</translation>
    </message>
    <message id="macos.settings_view.auto_fit_help">
        <source>While the window is in front and shows a pane's text, the pane's tmux window takes the width of the text view; it gets its own width back when you leave.</source>
        <translation>While the window is in front and shows a pane's text, the pane's tmux window takes the width of the text view; it gets its own width back when you leave.</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</translation>
    </message>
    <message id="macos.settings_view.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="macos.settings_view.diagnostics">
        <source>Diagnostics</source>
        <translation>Diagnostics</translation>
    </message>
    <message id="macos.settings_view.display_mirror">
        <source>Live terminal mirrors the pane (the pane keeps its size)</source>
        <translation>Live terminal mirrors the pane (the pane keeps its size)</translation>
    </message>
    <message id="macos.settings_view.display_mode_help">
        <source>Applies the next time a live terminal opens.</source>
        <translation>Applies the next time a live terminal opens.</translation>
    </message>
    <message id="macos.settings_view.display_takeover">
        <source>Live terminal takes over the pane's width (the pane takes this window's size)</source>
        <translation>Live terminal takes over the pane's width (the pane takes this window's size)</translation>
    </message>
    <message id="macos.settings_view.language">
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message id="macos.settings_view.language_system">
        <source>System</source>
        <translation>System</translation>
    </message>
    <message id="macos.settings_view.language_takes_effect">
        <source>The window uses the new language the next time Vesket starts. VESKET_LANGUAGE overrides this choice.</source>
        <translation>The window uses the new language the next time Vesket starts. VESKET_LANGUAGE overrides this choice.</translation>
    </message>
    <message id="macos.settings_view.pane_display">
        <source>Pane display</source>
        <translation>Pane display</translation>
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
    <message id="macos.settings_view.share_crash_reports">
        <source>Collect crash and hang reports</source>
        <translation>Collect crash and hang reports</translation>
    </message>
    <message id="macos.settings_view.share_crash_reports_help">
        <source>Reports of Vesket's own crashes and freezes are kept in %1, with your paths, user name and secrets removed.</source>
        <translation>Reports of Vesket's own crashes and freezes are kept in %1, with your paths, user name and secrets removed.</translation>
    </message>
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>Terminal history limit</translation>
    </message>
    <message id="macos.setup_view.also_install_fish">
        <source>Also install fish</source>
        <translation>Also install fish</translation>
    </message>
    <message id="macos.setup_view.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="macos.setup_view.check_again">
        <source>Check Again</source>
        <translation>Check Again</translation>
    </message>
    <message id="macos.setup_view.checking_the_installer">
        <source>Checking the environment installer…</source>
        <translation>Checking the environment installer…</translation>
    </message>
    <message id="macos.setup_view.close_installer">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="macos.setup_view.component_can_be_installed">
        <source>Can be installed</source>
        <translation>Can be installed</translation>
    </message>
    <message id="macos.setup_view.component_installed">
        <source>Installed</source>
        <translation>Installed</translation>
    </message>
    <message id="macos.setup_view.confirm_environment">
        <source>The installer sets up tmux and starship (and fish when chosen) through the system package manager, which may ask for your password. Homebrew and Ghostty do not apply on this system.</source>
        <translation>The installer sets up tmux and starship (and fish when chosen) through the system package manager, which may ask for your password. Homebrew and Ghostty do not apply on this system.</translation>
    </message>
    <message id="macos.setup_view.copied">
        <source>Copied: %1</source>
        <translation>Copied: %1</translation>
    </message>
    <message id="macos.setup_view.copy_command">
        <source>Copy Command</source>
        <translation>Copy Command</translation>
    </message>
    <message id="macos.setup_view.daemon">
        <source>Daemon</source>
        <translation>Daemon</translation>
    </message>
    <message id="macos.setup_view.daemon_not_running">
        <source>Not running</source>
        <translation>Not running</translation>
    </message>
    <message id="macos.setup_view.daemon_running">
        <source>Running · pid %1 · version %2</source>
        <translation>Running · pid %1 · version %2</translation>
    </message>
    <message id="macos.setup_view.environment_ready">
        <source>The environment is set up.</source>
        <translation>The environment is set up.</translation>
    </message>
    <message id="macos.setup_view.found_at">
        <source>Found at %1</source>
        <translation>Found at %1</translation>
    </message>
    <message id="macos.setup_view.install">
        <source>Install</source>
        <translation>Install</translation>
    </message>
    <message id="macos.setup_view.install_failed">
        <source>Installing %1 failed. Open a terminal and run `%2` manually.</source>
        <translation>Installing %1 failed. Open a terminal and run `%2` manually.</translation>
    </message>
    <message id="macos.setup_view.installed_name">
        <source>%1 installed.</source>
        <translation>%1 installed.</translation>
    </message>
    <message id="macos.setup_view.installing">
        <source>Installing %1…</source>
        <translation>Installing %1…</translation>
    </message>
    <message id="macos.setup_view.installing_environment">
        <source>Installing the environment…</source>
        <translation>Installing the environment…</translation>
    </message>
    <message id="macos.setup_view.installing_or_updating_the_daemon">
        <source>Installing or updating the daemon…</source>
        <translation>Installing or updating the daemon…</translation>
    </message>
    <message id="macos.setup_view.last_provisioning_problem">
        <source>Last provisioning problem:</source>
        <translation>Last provisioning problem:</translation>
    </message>
    <message id="macos.setup_view.looking_for_tools">
        <source>Looking for tools…</source>
        <translation>Looking for tools…</translation>
    </message>
    <message id="macos.setup_view.missing">
        <source>Missing</source>
        <translation>Missing</translation>
    </message>
    <message id="macos.setup_view.no_provisioning_problem">
        <source>No provisioning problem.</source>
        <translation>No provisioning problem.</translation>
    </message>
    <message id="macos.setup_view.optional_environment">
        <source>Optional environment</source>
        <translation>Optional environment</translation>
    </message>
    <message id="macos.setup_view.restart_daemon">
        <source>Restart Daemon</source>
        <translation>Restart Daemon</translation>
    </message>
    <message id="macos.setup_view.run_in_a_terminal_to_install">
        <source>To install %1, run this command in a terminal:</source>
        <translation>To install %1, run this command in a terminal:</translation>
    </message>
    <message id="macos.setup_view.run_installer">
        <source>Install</source>
        <translation>Install</translation>
    </message>
    <message id="macos.setup_view.set_up_environment">
        <source>Set Up Environment…</source>
        <translation>Set Up Environment…</translation>
    </message>
    <message id="macos.setup_view.set_up_tmux">
        <source>Set Up tmux</source>
        <translation>Set Up tmux</translation>
    </message>
    <message id="macos.setup_view.title">
        <source>Setup</source>
        <translation>Setup</translation>
    </message>
    <message id="macos.setup_view.tools">
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message id="macos.setup_view.use_your_package_manager">
        <source>Install %1 with your system's package manager.</source>
        <translation>Install %1 with your system's package manager.</translation>
    </message>
    <message id="macos.task_board.add">
        <source>Add</source>
        <translation>Add</translation>
    </message>
    <message id="macos.task_board.blocked_has_children">
        <source>This task has subtasks: move them instead.</source>
        <translation>This task has subtasks: move them instead.</translation>
    </message>
    <message id="macos.task_board.blocked_not_adjacent">
        <source>Move a card one column at a time.</source>
        <translation>Move a card one column at a time.</translation>
    </message>
    <message id="macos.task_board.delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="macos.task_board.done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="macos.task_board.empty">
        <source>No tasks yet.</source>
        <translation>No tasks yet.</translation>
    </message>
    <message id="macos.task_board.event_created">
        <source>Created</source>
        <translation>Created</translation>
    </message>
    <message id="macos.task_board.event_dispatched">
        <source>Dispatched</source>
        <translation>Dispatched</translation>
    </message>
    <message id="macos.task_board.event_note">
        <source>Note</source>
        <translation>Note</translation>
    </message>
    <message id="macos.task_board.event_status_change">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="macos.task_board.in_progress">
        <source>In Progress</source>
        <translation>In Progress</translation>
    </message>
    <message id="macos.task_board.needs_review">
        <source>Needs Review</source>
        <translation>Needs Review</translation>
    </message>
    <message id="macos.task_board.new_task_placeholder">
        <source>New task…</source>
        <translation>New task…</translation>
    </message>
    <message id="macos.task_board.reopen">
        <source>Reopen</source>
        <translation>Reopen</translation>
    </message>
    <message id="macos.task_board.status_in_progress">
        <source>In progress</source>
        <translation>In progress</translation>
    </message>
    <message id="macos.task_board.status_needs_fix">
        <source>Needs fix</source>
        <translation>Needs fix</translation>
    </message>
    <message id="macos.task_board.status_new">
        <source>New</source>
        <translation>New</translation>
    </message>
    <message id="macos.task_board.status_verified">
        <source>Verified</source>
        <translation>Verified</translation>
    </message>
    <message id="macos.task_board.status_worker_done">
        <source>Worker done</source>
        <translation>Worker done</translation>
    </message>
    <message id="macos.task_board.team_placeholder">
        <source>Team</source>
        <translation>Team</translation>
    </message>
    <message id="macos.task_board.timeline">
        <source>Timeline</source>
        <translation>Timeline</translation>
    </message>
    <message id="macos.task_board.to_do">
        <source>To Do</source>
        <translation>To Do</translation>
    </message>
    <message id="macos.terminal_viewer.attachment_unreadable">
        <source>Cannot read %1: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>The answer could not be delivered.</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>The message could not be delivered.</translation>
    </message>
    <message id="macos.tmux_setup.applying_config">
        <source>Applying quorline config…</source>
        <translation>Applying quorline config…</translation>
    </message>
    <message id="macos.tmux_setup.config_write_failed">
        <source>Config write failed: %1</source>
        <translation>Config write failed: %1</translation>
    </message>
    <message id="macos.tmux_setup.done">
        <source>tmux + quorline config installed ✓</source>
        <translation>tmux + quorline config installed ✓</translation>
    </message>
    <message id="macos.tmux_setup.existing_config_preserved">
        <source>tmux ready · Existing ~/.config/tmux/tmux.conf preserved</source>
        <translation>tmux ready · Existing ~/.config/tmux/tmux.conf preserved</translation>
    </message>
    <message id="macos.tmux_setup.existing_tmux_conf_preserved">
        <source>tmux ready · Existing ~/.tmux.conf preserved</source>
        <translation>tmux ready · Existing ~/.tmux.conf preserved</translation>
    </message>
    <message id="macos.tmux_setup.install_failed">
        <source>apt-get install tmux failed. Open a terminal and run `%1` manually.</source>
        <translation>apt-get install tmux failed. Open a terminal and run `%1` manually.</translation>
    </message>
    <message id="macos.tmux_setup.installing_tmux">
        <source>Installing tmux via the system package manager…</source>
        <translation>Installing tmux via the system package manager…</translation>
    </message>
    <message id="macos.tmux_setup.installing_tpm">
        <source>Installing TPM (tmux plugins)…</source>
        <translation>Installing TPM (tmux plugins)…</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_no_command">
        <source>tmux isn't installed. Install it with your system's package manager, then check again.</source>
        <translation>tmux isn't installed. Install it with your system's package manager, then check again.</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_run">
        <source>tmux isn't installed. Open a terminal and run `%1`, then check again.</source>
        <translation>tmux isn't installed. Open a terminal and run `%1`, then check again.</translation>
    </message>
    <message id="macos.update_banner.build">
        <source>Build %1</source>
        <translation>Build %1</translation>
    </message>
    <message id="macos.update_banner.dismiss">
        <source>Dismiss</source>
        <translation>Dismiss</translation>
    </message>
    <message id="macos.update_banner.install">
        <source>Install</source>
        <translation>Install</translation>
    </message>
    <message id="macos.update_banner.installing_update">
        <source>Installing update…</source>
        <translation>Installing update…</translation>
    </message>
    <message id="macos.update_banner.installing_update_percent">
        <source>Installing update… %1%</source>
        <translation>Installing update… %1%</translation>
    </message>
    <message id="macos.update_banner.no_write_access">
        <source>Vesket cannot write to its install folder.</source>
        <translation>Vesket cannot write to its install folder.</translation>
    </message>
    <message id="macos.update_banner.restart">
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message id="macos.update_banner.restart_to_finish_the_update">
        <source>Restart to finish the update</source>
        <translation>Restart to finish the update</translation>
    </message>
    <message id="macos.update_banner.retry">
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message id="macos.update_banner.update_available">
        <source>Update available: Vesket %1</source>
        <translation>Update available: Vesket %1</translation>
    </message>
    <message id="macos.update_banner.update_failed">
        <source>Update failed</source>
        <translation>Update failed</translation>
    </message>
    <message id="macos.update_installer.install">
        <source>Install</source>
        <translation>Install</translation>
    </message>
    <message id="macos.update_installer.install_update">
        <source>Install Update</source>
        <translation>Install Update</translation>
    </message>
    <message id="macos.update_installer.later">
        <source>Later</source>
        <translation>Later</translation>
    </message>
    <message id="macos.update_installer.vesket_will_download_and_install_the_update_the">
        <source>Vesket will download and install the update. The background service restarts on its own; restart Vesket afterwards to finish.</source>
        <translation>Vesket will download and install the update. The background service restarts on its own; restart Vesket afterwards to finish.</translation>
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
    <message id="qr.error.network">
        <source>The relay could not be reached. Check the connection and try again.</source>
        <translation>The relay could not be reached. Check the connection and try again.</translation>
    </message>
    <message id="qr.error.rateLimited">
        <source>Too many pairing codes were requested. Try again in %1 seconds.</source>
        <translation>Too many pairing codes were requested. Try again in %1 seconds.</translation>
    </message>
    <message id="qr.error.serverError">
        <source>The relay could not create a pairing code. Try again in a moment.</source>
        <translation>The relay could not create a pairing code. Try again in a moment.</translation>
    </message>
    <message id="relay_error.action.finishMacSetup">
        <source>Finish Setup</source>
        <translation>Finish Setup</translation>
    </message>
    <message id="relay_error.action.openDevices">
        <source>Open Devices</source>
        <translation>Open Devices</translation>
    </message>
    <message id="relay_error.action.registerThisMac">
        <source>Register This Mac</source>
        <translation>Register This Mac</translation>
    </message>
    <message id="relay_error.action.signIn">
        <source>Sign In</source>
        <translation>Sign In</translation>
    </message>
    <message id="relay_error.action.tryAgain">
        <source>Try Again</source>
        <translation>Try Again</translation>
    </message>
    <message id="relay_error.approved_device_required">
        <source>Only an approved device can create a pairing code. Finish setting up this Mac first.</source>
        <translation>Only an approved device can create a pairing code. Finish setting up this Mac first.</translation>
    </message>
    <message id="relay_error.daemon_not_running">
        <source>The Vesket background service is not running on this Mac, so this list is unavailable. Open setup to start it.</source>
        <translation>The Vesket background service is not running on this Mac, so this list is unavailable. Open setup to start it.</translation>
    </message>
    <message id="relay_error.device_not_approved.registered">
        <source>This Mac is not approved for your account yet. It approves itself once its Vesket daemon is connected. Open Devices to check it.</source>
        <translation>This Mac is not approved for your account yet. It approves itself once its Vesket daemon is connected. Open Devices to check it.</translation>
    </message>
    <message id="relay_error.device_not_approved.unregistered">
        <source>This Mac is not set up for your account yet. Finish setup and it approves itself. No phone is needed.</source>
        <translation>This Mac is not set up for your account yet. Finish setup and it approves itself. No phone is needed.</translation>
    </message>
    <message id="relay_error.grant_required_for_pairing">
        <source>This device is not allowed to add Macs to the account. Add the Mac from a device that manages this account.</source>
        <translation>This device is not allowed to add Macs to the account. Add the Mac from a device that manages this account.</translation>
    </message>
    <message id="relay_error.mac_requires_local_daemon_vouch">
        <source>A Mac cannot be approved from another device. It approves itself once its own Vesket daemon is registered. Finish setup on that Mac.</source>
        <translation>A Mac cannot be approved from another device. It approves itself once its own Vesket daemon is registered. Finish setup on that Mac.</translation>
    </message>
    <message id="relay_error.pairing_needs_approved_device">
        <source>This account already had a Mac, so a new Mac must be added from a device you already use. Get a pairing code on your other Mac under Devices, or scan this Mac's QR with your phone.</source>
        <translation>This account already had a Mac, so a new Mac must be added from a device you already use. Get a pairing code on your other Mac under Devices, or scan this Mac's QR with your phone.</translation>
    </message>
    <message id="relay_error.rate_limited">
        <source>Too many attempts in a short time. Wait a minute, then try again.</source>
        <translation>Too many attempts in a short time. Wait a minute, then try again.</translation>
    </message>
    <message id="relay_error.session_expired">
        <source>Your sign-in has expired. Sign in again.</source>
        <translation>Your sign-in has expired. Sign in again.</translation>
    </message>
    <message id="relay_error.unknown_daemon_token">
        <source>The Vesket background service on this Mac is not registered with your account. Its saved registration was removed or belongs to another account. Register this Mac again.</source>
        <translation>The Vesket background service on this Mac is not registered with your account. Its saved registration was removed or belongs to another account. Register this Mac again.</translation>
    </message>
    <message id="window.name.characters_error">
        <source>Names can’t hold control characters or any of ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # %.</source>
        <translation>Names can’t hold control characters or any of ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # %.</translation>
    </message>
    <message id="window.name.length_error">
        <source>Names are at most 40 characters.</source>
        <translation>Names are at most 40 characters.</translation>
    </message>
    <message id="window.name.mutation_succeeded">
        <source>Done.</source>
        <translation>Done.</translation>
    </message>
    <message id="window.name.rename_failed">
        <source>Couldn’t rename group</source>
        <translation>Couldn’t rename group</translation>
    </message>
    <message id="window.name.renamed">
        <source>Renamed.</source>
        <translation>Renamed.</translation>
    </message>
</context>
</TS>
