<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name></name>
    <message id="daemon_provision_failure.title.not_running">
        <source>Vesket's daemon is not running</source>
        <translation>Vesket 守护进程未运行</translation>
    </message>
    <message id="daemon_provision_failure.title.previous_daemon_restored">
        <source>Vesket restored the previous daemon</source>
        <translation>Vesket 已恢复之前的守护进程</translation>
    </message>
    <message id="daemon_provision_failure.title.running_daemon_kept">
        <source>Vesket kept the running daemon</source>
        <translation>Vesket 保留了正在运行的守护进程</translation>
    </message>
    <message id="daemon_rollback_pin.body">
        <source>The daemon is pinned to the build with SHA-256 %1…. Vesket will not replace it until you resume automatic updates.</source>
        <translation>守护进程已固定在 SHA-256 为 %1… 的版本。在您恢复自动更新之前，Vesket 不会替换它。</translation>
    </message>
    <message id="daemon_rollback_pin.resume">
        <source>Resume Automatic Updates</source>
        <translation>恢复自动更新</translation>
    </message>
    <message id="daemon_rollback_pin.title">
        <source>Automatic daemon updates are paused</source>
        <translation>守护进程自动更新已暂停</translation>
    </message>
    <message id="macos.account_sign_in_page.apple_not_set_up">
        <source>Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID).</source>
        <translation>此 Mac 尚未设置 Apple 登录（需要所有者的 Services ID）。</translation>
    </message>
    <message id="macos.account_sign_in_page.couldn_t_enroll_prefix">
        <source>Couldn't enroll this Mac. </source>
        <translation>无法注册此 Mac。</translation>
    </message>
    <message id="macos.account_sign_in_page.enter_a_username_and_password">
        <source>Enter a username and password.</source>
        <translation>请输入用户名和密码。</translation>
    </message>
    <message id="macos.account_sign_in_page.google_not_set_up">
        <source>Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth client).</source>
        <translation>此 Mac 尚未设置 Google 登录（需要所有者的 Google OAuth 客户端）。</translation>
    </message>
    <message id="macos.account_sign_in_page.password_must_be_at_least_8_characters">
        <source>Password must be at least 8 characters.</source>
        <translation>密码至少需要 8 个字符。</translation>
    </message>
    <message id="macos.account_sign_in_page.passwords_don_t_match">
        <source>Passwords don't match.</source>
        <translation>两次输入的密码不一致。</translation>
    </message>
    <message id="macos.account_sign_in_page.please_check_your_email_and_password">
        <source>Please check your email and password.</source>
        <translation>请检查您的电子邮件地址和密码。</translation>
    </message>
    <message id="macos.account_sign_in_page.please_enter_a_valid_email_address">
        <source>Please enter a valid email address.</source>
        <translation>请输入有效的电子邮件地址。</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_account_exists">
        <source>An account with this email already exists. Sign in instead.</source>
        <translation>此电子邮件地址已有账户，请直接登录。</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_generic">
        <source>Couldn't create the account. Try again.</source>
        <translation>无法创建账户。请重试。</translation>
    </message>
    <message id="macos.account_sign_in_page.registration_backend_unavailable">
        <source>Registration is not available on this relay right now. Try again later.</source>
        <translation>此中继目前无法注册。请稍后重试。</translation>
    </message>
    <message id="macos.account_sign_in_page.relay_unreachable">
        <source>Couldn't reach the relay at %1. Check your connection or the relay address, then try again.</source>
        <translation>无法连接到位于 %1 的中继。请检查网络连接或中继地址，然后重试。</translation>
    </message>
    <message id="macos.account_sign_in_page.session_expired">
        <source>Session expired — please sign in again.</source>
        <translation>会话已过期，请重新登录。</translation>
    </message>
    <message id="macos.account_sign_in_page.too_many_attempts_wait_a_minute">
        <source>Too many attempts. Wait a minute, then try again.</source>
        <translation>尝试次数过多。请等待一分钟后重试。</translation>
    </message>
    <message id="macos.account_sign_in_page.wrong_username_or_password">
        <source>Wrong username or password.</source>
        <translation>用户名或密码错误。</translation>
    </message>
    <message id="macos.answer_panel.dismiss">
        <source>Dismiss</source>
        <translation>忽略</translation>
    </message>
    <message id="macos.answer_panel.hide_this_prompt_until_the_agent_asks_again">
        <source>Hide this prompt until the agent asks again</source>
        <translation>隐藏此提示，直到智能体再次询问</translation>
    </message>
    <message id="macos.answer_panel.needs_your_attention">
        <source>Needs your attention</source>
        <translation>需要你的关注</translation>
    </message>
    <message id="macos.answer_panel.press_digit">
        <source>Press %1</source>
        <translation>按 %1</translation>
    </message>
    <message id="macos.answer_panel.send">
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message id="macos.answer_panel.team_signal">
        <source>Team signal</source>
        <translation>团队信号</translation>
    </message>
    <message id="macos.answer_panel.team_signal_kind">
        <source>Team signal · %1</source>
        <translation>团队信号 · %1</translation>
    </message>
    <message id="macos.answer_panel.the_agent_is_waiting_for_you">
        <source>The agent is waiting for you.</source>
        <translation>智能体正在等你。</translation>
    </message>
    <message id="macos.answer_panel.type_an_answer_and_press_enter">
        <source>Type an answer and press Enter</source>
        <translation>输入回答后按 Enter</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_answer">
        <source>Waiting for your answer</source>
        <translation>等待你的回答</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_decision">
        <source>Waiting for your decision</source>
        <translation>等待你的决定</translation>
    </message>
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>给 %1 发消息 — 按 Enter 发送，Shift+Enter 换行</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>给智能体发消息 — 按 Enter 发送，Shift+Enter 换行</translation>
    </message>
    <message id="macos.composer.send">
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message id="macos.composer.send_ctrl_c_interrupt">
        <source>Send Ctrl-C (interrupt)</source>
        <translation>发送 Ctrl-C（中断）</translation>
    </message>
    <message id="macos.composer.send_down">
        <source>Send Down</source>
        <translation>发送向下键</translation>
    </message>
    <message id="macos.composer.send_enter">
        <source>Send Enter</source>
        <translation>发送 Enter</translation>
    </message>
    <message id="macos.composer.send_escape">
        <source>Send Escape</source>
        <translation>发送 Escape</translation>
    </message>
    <message id="macos.composer.send_tab">
        <source>Send Tab</source>
        <translation>发送 Tab</translation>
    </message>
    <message id="macos.composer.send_up">
        <source>Send Up</source>
        <translation>发送向上键</translation>
    </message>
    <message id="macos.composer.sending">
        <source>Sending…</source>
        <translation>正在发送…</translation>
    </message>
    <message id="macos.daemon_quit.active_agent_or_remote_activity">
        <source>Vesket has active agent or remote activity. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>Vesket 有活动中的智能体或远程连接。退出将停止守护进程以及对此计算机的远程访问。你的 tmux 窗格会保留在本地，但 Vesket 客户端和智能体之间的协作将断开连接。</translation>
    </message>
    <message id="macos.daemon_quit.could_not_verify_whether_panes_are_active">
        <source>Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to this Mac.</source>
        <translation>Vesket 无法确认窗格是否处于活动状态。退出将停止守护进程以及对此计算机的远程访问。</translation>
    </message>
    <message id="macos.daemon_quit.open_panes" numerus="yes">
        <source>Vesket has %n open panes. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>
            <numerusform>Vesket 有 %n 个打开的窗格。退出将停止守护进程以及对此计算机的远程访问。你的 tmux 窗格会保留在本地，但 Vesket 客户端和智能体之间的协作将断开连接。</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.connecting_to_the_daemon">
        <source>Connecting to the daemon…</source>
        <translation>正在连接守护进程…</translation>
    </message>
    <message id="macos.desktop_shell.could_not_stop_the_vesket_daemon">
        <source>Could not stop the Vesket daemon. Vesket is still running.</source>
        <translation>无法停止 Vesket 守护进程。Vesket 仍在运行。</translation>
    </message>
    <message id="macos.desktop_shell.daemon_not_running">
        <source>Daemon not running</source>
        <translation>守护进程未运行</translation>
    </message>
    <message id="macos.desktop_shell.daemon_running_panes" numerus="yes">
        <source>Daemon running · %n panes</source>
        <translation>
            <numerusform>守护进程运行中 · %n 个窗格</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>打开 Vesket</translation>
    </message>
    <message id="macos.desktop_shell.quit">
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket">
        <source>Quit Vesket</source>
        <translation>退出 Vesket</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket_question">
        <source>Quit Vesket?</source>
        <translation>退出 Vesket？</translation>
    </message>
    <message id="macos.desktop_shell.reconnecting_attempt">
        <source>Reconnecting (attempt %1)…</source>
        <translation>正在重新连接（第 %1 次尝试）…</translation>
    </message>
    <message id="macos.desktop_shell.state_waiting_for_you" numerus="yes">
        <source>%1 · %n waiting for you</source>
        <translation>
            <numerusform>%1 · %n 个在等你</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.tray_tooltip">
        <source>Vesket — %1</source>
        <translation>Vesket — %1</translation>
    </message>
    <message id="macos.live_terminal.attaching">
        <source>Attaching…</source>
        <translation>正在连接…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting">
        <source>Reconnecting…</source>
        <translation>正在重新连接…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting_attempt_delay">
        <source>Reconnecting (attempt %1, %2 ms)</source>
        <translation>正在重新连接（第 %1 次尝试，%2 毫秒）</translation>
    </message>
    <message id="macos.live_terminal.terminal_assets_missing">
        <source>Terminal assets missing from the app bundle.</source>
        <translation>应用包中缺少终端资源。</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended">
        <source>The pane's terminal ended.</source>
        <translation>窗格的终端已结束。</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended_reason">
        <source>The pane's terminal ended: %1</source>
        <translation>窗格的终端已结束：%1</translation>
    </message>
    <message id="macos.live_terminal.the_terminal_of_this_pane_is_not_reachable">
        <source>The terminal of this pane is not reachable.</source>
        <translation>无法访问此窗格的终端。</translation>
    </message>
    <message id="macos.live_terminal.try_again">
        <source>Try again</source>
        <translation>重试</translation>
    </message>
    <message id="macos.main_window.connection_connecting">
        <source>connecting</source>
        <translation>连接中</translation>
    </message>
    <message id="macos.main_window.connection_daemon">
        <source>daemon</source>
        <translation>守护进程</translation>
    </message>
    <message id="macos.main_window.connection_no_daemon">
        <source>no daemon</source>
        <translation>无守护进程</translation>
    </message>
    <message id="macos.main_window.connection_retry">
        <source>retry %1</source>
        <translation>重试 %1</translation>
    </message>
    <message id="macos.main_window.connection_to_the_local_vesket_daemon">
        <source>Connection to the local Vesket daemon</source>
        <translation>与本地 Vesket 守护进程的连接</translation>
    </message>
    <message id="macos.main_window.fit_picker_tooltip">
        <source>Size the pane's tmux window: Off leaves it alone, Fit follows this view</source>
        <translation>窗格所在 tmux 窗口的大小：“关闭”保持不变，“适应”跟随此视图</translation>
    </message>
    <message id="macos.main_window.fit_width_fit">
        <source>Fit</source>
        <translation>适应</translation>
    </message>
    <message id="macos.main_window.fit_width_off">
        <source>Off</source>
        <translation>关闭</translation>
    </message>
    <message id="macos.main_window.live_terminal">
        <source>Live terminal</source>
        <translation>实时终端</translation>
    </message>
    <message id="macos.main_window.settings">
        <source>Settings…</source>
        <translation>设置…</translation>
    </message>
    <message id="macos.main_window.setup">
        <source>Setup…</source>
        <translation>环境设置…</translation>
    </message>
    <message id="macos.main_window.setup_tooltip">
        <source>The daemon's state and the tools Vesket uses</source>
        <translation>守护进程的状态以及 Vesket 使用的工具</translation>
    </message>
    <message id="macos.main_window.show_the_pane_as_a_live_terminal">
        <source>Show the pane as a live terminal you can type into, instead of its text</source>
        <translation>将窗格显示为可输入的实时终端，而不是显示其文本</translation>
    </message>
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>智能体组</translation>
    </message>
    <message id="macos.pane_sidebar.solo">
        <source>Solo</source>
        <translation>单独</translation>
    </message>
    <message id="macos.pane_sidebar.terminal">
        <source>Terminal</source>
        <translation>终端</translation>
    </message>
    <message id="macos.pane_sidebar.waiting">
        <source>waiting</source>
        <translation>等待中</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>%n 行新内容 ↓</numerusform>
        </translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>限制在终端中向上滚动时加载的回滚内容量。对于历史较多的窗格，值越低越快。</translation>
    </message>
    <message id="macos.settings_view.re_wrap_scrollback_on_scroll_up_experimental">
        <source>Re-wrap scrollback on scroll-up (experimental)</source>
        <translation>向上滚动时重新换行回滚内容（实验性）</translation>
    </message>
    <message id="macos.settings_view.reflow_claude_output_in_scrollback_experimental">
        <source>Reflow Claude output in scrollback (experimental)</source>
        <translation>在回滚内容中重排 Claude 输出（实验性）</translation>
    </message>
    <message id="macos.settings_view.rejoins_lines_that_claude_code_hard_wrapped">
        <source>Rejoins lines that Claude Code hard-wrapped at an earlier window width, inside its own output blocks only, so scrollback reflows at the current width and again on every resize. Your typed commands, shell output and other agents' output are never touched. Applies to newly loaded history.</source>
        <translation>仅在 Claude Code 自己的输出块内，将其按之前窗口宽度硬换行的行重新连接，使回滚内容按当前宽度重排，并在每次调整大小时再次重排。你输入的命令、shell 输出和其他智能体的输出都不会被改动。仅对新加载的历史生效。</translation>
    </message>
    <message id="macos.settings_view.settings">
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>终端历史记录上限</translation>
    </message>
    <message id="macos.settings_view.when_scrolling_up_hits_the_top">
        <source>When scrolling up hits the top of what's on screen, replace older history with a version re-wrapped at the terminal's CURRENT width, instead of tmux's original (possibly narrower) scrollback. Only ever replaces history ABOVE what's already visible, once per attach — never touches typed commands or non-Claude output that isn't in the Claude transcript.</source>
        <translation>向上滚动到屏幕内容顶部时，用按终端当前宽度重新换行的版本替换较早的历史，而不是使用 tmux 原始的（可能更窄的）回滚内容。只替换已可见内容之上的历史，每次连接仅一次 — 绝不改动你输入的命令，也不改动不在 Claude 记录中的非 Claude 输出。</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>无法送达回答。</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>无法送达消息。</translation>
    </message>
    <message id="macos.viewer_state_view.checking_the_daemon_s_account_attempt">
        <source>Checking the daemon's account (attempt %1)…</source>
        <translation>正在检查守护进程的账户（第 %1 次尝试）…</translation>
    </message>
    <message id="macos.viewer_state_view.choose_a_pane_in_the_sidebar">
        <source>Choose a pane in the sidebar to follow it here.</source>
        <translation>在侧边栏中选择一个窗格，即可在此跟踪它。</translation>
    </message>
    <message id="macos.viewer_state_view.connecting_to_the_vesket_daemon">
        <source>Connecting to the Vesket daemon…</source>
        <translation>正在连接 Vesket 守护进程…</translation>
    </message>
    <message id="macos.viewer_state_view.its_process_exited_or_the_pane_was_closed">
        <source>Its process exited or the pane was closed. Pick another pane in the sidebar.</source>
        <translation>其进程已退出或窗格已关闭。请在侧边栏中选择其他窗格。</translation>
    </message>
    <message id="macos.viewer_state_view.looking_for_your_tmux_panes">
        <source>Looking for your tmux panes.</source>
        <translation>正在查找你的 tmux 窗格。</translation>
    </message>
    <message id="macos.viewer_state_view.no_tmux_panes_yet">
        <source>No tmux panes yet</source>
        <translation>还没有 tmux 窗格</translation>
    </message>
    <message id="macos.viewer_state_view.reconnecting_to_the_daemon_attempt">
        <source>Reconnecting to the daemon (attempt %1)…</source>
        <translation>正在重新连接守护进程（第 %1 次尝试）…</translation>
    </message>
    <message id="macos.viewer_state_view.select_a_pane">
        <source>Select a pane</source>
        <translation>选择一个窗格</translation>
    </message>
    <message id="macos.viewer_state_view.sign_in_again_to_see_this_machine_s_panes">
        <source>Sign in again to see this machine's panes.</source>
        <translation>请重新登录以查看此计算机的窗格。</translation>
    </message>
    <message id="macos.viewer_state_view.signed_out">
        <source>Signed out</source>
        <translation>已退出登录</translation>
    </message>
    <message id="macos.viewer_state_view.start_an_agent_or_a_shell_in_tmux">
        <source>Start an agent or a shell in tmux and it appears in the sidebar within a second.</source>
        <translation>在 tmux 中启动一个智能体或 shell，它会在一秒内出现在侧边栏中。</translation>
    </message>
    <message id="macos.viewer_state_view.the_connection_to_the_daemon_dropped">
        <source>The connection to the daemon dropped. Your agents keep running in tmux.</source>
        <translation>与守护进程的连接已断开。你的智能体仍在 tmux 中运行。</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_belongs_to_another_account">
        <source>The daemon belongs to another account</source>
        <translation>守护进程属于另一个账户</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_could_not_confirm_its_account_yet">
        <source>The daemon could not confirm its account yet.</source>
        <translation>守护进程尚未能确认其账户。</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_on_this_machine_is_signed_in">
        <source>The daemon on this machine is signed in with a different account than this app.</source>
        <translation>此计算机上的守护进程登录的账户与本应用不同。</translation>
    </message>
    <message id="macos.viewer_state_view.the_vesket_daemon_is_not_running">
        <source>The Vesket daemon is not running</source>
        <translation>Vesket 守护进程未运行</translation>
    </message>
    <message id="macos.viewer_state_view.this_pane_has_ended">
        <source>This pane has ended</source>
        <translation>此窗格已结束</translation>
    </message>
    <message id="macos.viewer_state_view.try_again">
        <source>Try again</source>
        <translation>重试</translation>
    </message>
    <message id="macos.viewer_state_view.vesket_talks_to_tmux_through_its_daemon">
        <source>Vesket talks to tmux through its daemon. Start it with “vesket daemon start” (scripts/run starts it for you); this window connects as soon as it is up.</source>
        <translation>Vesket 通过其守护进程与 tmux 通信。请用“vesket daemon start”启动它（scripts/run 会替你启动）；守护进程一运行，此窗口就会连接。</translation>
    </message>
</context>
</TS>
