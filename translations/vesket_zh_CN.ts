<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name></name>
    <message id="checklist.reason.qrExpired">
        <source>The code expired or the pairing failed. Ask for a new code.</source>
        <translation>代码已过期或配对失败。请获取新代码。</translation>
    </message>
    <message id="checklist.reason.tmuxMissing">
        <source>tmux is not installed. Install it with your package manager.</source>
        <translation>未安装 tmux。请用包管理器安装。</translation>
    </message>
    <message id="checklist.reason.waitingForDaemonStart">
        <source>Waiting for the Vesket background service to start.</source>
        <translation>正在等待 Vesket 后台服务启动。</translation>
    </message>
    <message id="checklist.row.connected.detail.active">
        <source>Waiting for the background service to link to the relay.</source>
        <translation>正在等待后台服务连接中继服务器。</translation>
    </message>
    <message id="checklist.row.connected.detail.done">
        <source>Linked to the relay: your other devices reach this machine.</source>
        <translation>已连接中继服务器：你的其他设备可以访问此电脑。</translation>
    </message>
    <message id="checklist.row.connected.detail.pending">
        <source>Follows once the background service runs.</source>
        <translation>后台服务运行后继续。</translation>
    </message>
    <message id="checklist.row.connected.title">
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
    <message id="checklist.row.daemonReady.detail.done">
        <source>The background service is running with tmux.</source>
        <translation>后台服务正在与 tmux 一起运行。</translation>
    </message>
    <message id="checklist.row.daemonReady.title">
        <source>Background service</source>
        <translation>后台服务</translation>
    </message>
    <message id="checklist.row.pair.detail.active">
        <source>Scan the code with your phone's camera, or type the short code on the pairing page.</source>
        <translation>用手机相机扫描二维码，或在配对页面输入短代码。</translation>
    </message>
    <message id="checklist.row.pair.detail.done">
        <source>This machine is paired with your account.</source>
        <translation>此电脑已与你的账户配对。</translation>
    </message>
    <message id="checklist.row.pair.title">
        <source>Pair with your account</source>
        <translation>与你的账户配对</translation>
    </message>
    <message id="checklist.row.permission.detail.automationOnly">
        <source>Automation is allowed; accessibility is still missing.</source>
        <translation>已允许自动化，但仍缺少辅助功能权限。</translation>
    </message>
    <message id="checklist.row.permission.detail.checking">
        <source>Checking permissions…</source>
        <translation>正在检查权限…</translation>
    </message>
    <message id="checklist.row.permission.detail.granted">
        <source>Nothing to grant: the background service has what it needs.</source>
        <translation>无需授权：后台服务已具备所需权限。</translation>
    </message>
    <message id="checklist.row.permission.detail.pending">
        <source>The background service still needs its permissions.</source>
        <translation>后台服务仍需要相应权限。</translation>
    </message>
    <message id="checklist.row.permission.title">
        <source>Permissions</source>
        <translation>权限</translation>
    </message>
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
    <message id="macos.account_section.apple">
        <source>Sign in with Apple</source>
        <translation>通过 Apple 登录</translation>
    </message>
    <message id="macos.account_section.checking">
        <source>Checking your saved sign-in…</source>
        <translation>正在检查已保存的登录信息…</translation>
    </message>
    <message id="macos.account_section.confirm_label">
        <source>Confirm</source>
        <translation>确认密码</translation>
    </message>
    <message id="macos.account_section.confirm_placeholder">
        <source>Repeat the password</source>
        <translation>再次输入密码</translation>
    </message>
    <message id="macos.account_section.create_account">
        <source>Create Account</source>
        <translation>创建账户</translation>
    </message>
    <message id="macos.account_section.create_account_tab">
        <source>Create Account</source>
        <translation>创建账户</translation>
    </message>
    <message id="macos.account_section.email_placeholder">
        <source>you@example.org</source>
        <translation>name@example.org</translation>
    </message>
    <message id="macos.account_section.google">
        <source>Sign in with Google</source>
        <translation>使用 Google 登录</translation>
    </message>
    <message id="macos.account_section.identifier_label">
        <source>E-mail or username</source>
        <translation>电子邮件或用户名</translation>
    </message>
    <message id="macos.account_section.identifier_placeholder">
        <source>E-mail address or username</source>
        <translation>电子邮件地址或用户名</translation>
    </message>
    <message id="macos.account_section.needs_phone_pairing">
        <source>This account already has a Mac. Add this one by scanning its QR code with your phone.</source>
        <translation>此账户已有一台 Mac。请用手机扫描这台 Mac 的二维码来添加它。</translation>
    </message>
    <message id="macos.account_section.password_label">
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message id="macos.account_section.relay_apply">
        <source>Use</source>
        <translation>使用</translation>
    </message>
    <message id="macos.account_section.relay_automatic">
        <source>Automatic (fastest relay)</source>
        <translation>自动（最快的中继）</translation>
    </message>
    <message id="macos.account_section.relay_current">
        <source>Using %1</source>
        <translation>正在使用 %1</translation>
    </message>
    <message id="macos.account_section.relay_custom">
        <source>Custom URL</source>
        <translation>自定义 URL</translation>
    </message>
    <message id="macos.account_section.relay_invalid_url">
        <source>Enter a relay address that starts with https:// or http://.</source>
        <translation>请输入以 https:// 或 http:// 开头的中继地址。</translation>
    </message>
    <message id="macos.account_section.relay_latency_ms">
        <source>%1: %2 ms</source>
        <translation>%1：%2 毫秒</translation>
    </message>
    <message id="macos.account_section.relay_measure">
        <source>Measure</source>
        <translation>测速</translation>
    </message>
    <message id="macos.account_section.relay_not_measured">
        <source>Latency not measured yet.</source>
        <translation>尚未测量延迟。</translation>
    </message>
    <message id="macos.account_section.relay_title">
        <source>Relay</source>
        <translation>中继</translation>
    </message>
    <message id="macos.account_section.relay_unreachable">
        <source>%1: unreachable</source>
        <translation>%1：无法连接</translation>
    </message>
    <message id="macos.account_section.session_expired_detail">
        <source>Your session expired (sessions last 7 days). Sign in again to restore your Board &amp; Inbox.</source>
        <translation>你的会话已过期（会话有效期为 7 天）。请重新登录以恢复看板和收件箱。</translation>
    </message>
    <message id="macos.account_section.sign_in">
        <source>Sign In</source>
        <translation>登录</translation>
    </message>
    <message id="macos.account_section.sign_in_tab">
        <source>Sign In</source>
        <translation>登录</translation>
    </message>
    <message id="macos.account_section.sign_out">
        <source>Sign Out</source>
        <translation>退出登录</translation>
    </message>
    <message id="macos.account_section.signed_in_as">
        <source>Signed in as %1</source>
        <translation>已登录为 %1</translation>
    </message>
    <message id="macos.account_section.signing_in">
        <source>Signing in…</source>
        <translation>正在登录…</translation>
    </message>
    <message id="macos.account_section.title">
        <source>Account</source>
        <translation>账户</translation>
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
    <message id="macos.account_sign_in_page.too_many_device_enrollment_attempts">
        <source>Too many device enrollment attempts. Try again in %1 seconds.</source>
        <translation>设备注册尝试次数过多。请在 %1 秒后重试。</translation>
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
    <message id="macos.composer.attach_files">
        <source>Attach files…</source>
        <translation>附加文件…</translation>
    </message>
    <message id="macos.composer.attached_files">
        <source>Attached: %1</source>
        <translation>已附加：%1</translation>
    </message>
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>给 %1 发消息 — 按 Enter 发送，Shift+Enter 换行</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>给智能体发消息 — 按 Enter 发送，Shift+Enter 换行</translation>
    </message>
    <message id="macos.composer.pasted_image">
        <source>Pasted image</source>
        <translation>粘贴的图片</translation>
    </message>
    <message id="macos.composer.remove_attachments">
        <source>Remove</source>
        <translation>移除</translation>
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
    <message id="macos.composer.uploading_percent">
        <source>Uploading %1%</source>
        <translation>正在上传 %1%</translation>
    </message>
    <message id="macos.crew_control_view.add_workers_failed">
        <source>Couldn’t add agents</source>
        <translation>无法添加智能体</translation>
    </message>
    <message id="macos.crew_control_view.agent_kind">
        <source>Agent</source>
        <translation>智能体</translation>
    </message>
    <message id="macos.crew_control_view.brief">
        <source>What should the worker do?</source>
        <translation>工作者要做什么？</translation>
    </message>
    <message id="macos.crew_control_view.cancel">
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message id="macos.crew_control_view.choose_folder">
        <source>Choose…</source>
        <translation>选择…</translation>
    </message>
    <message id="macos.crew_control_view.cli_missing">
        <source>vesket CLI not found at %1 — install the daemon first.</source>
        <translation>在 %1 找不到 vesket 命令行工具——请先安装守护进程。</translation>
    </message>
    <message id="macos.crew_control_view.close">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="macos.crew_control_view.close_group_failed">
        <source>Couldn’t close group</source>
        <translation>无法关闭分组</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_action">
        <source>Closing a terminal</source>
        <translation>关闭终端</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_failed">
        <source>Close terminal failed: %1</source>
        <translation>关闭终端失败：%1</translation>
    </message>
    <message id="macos.crew_control_view.column_model">
        <source>Model</source>
        <translation>模型</translation>
    </message>
    <message id="macos.crew_control_view.column_name">
        <source>Team / pane</source>
        <translation>团队 / 窗格</translation>
    </message>
    <message id="macos.crew_control_view.column_state">
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message id="macos.crew_control_view.column_task">
        <source>Task</source>
        <translation>任务</translation>
    </message>
    <message id="macos.crew_control_view.create">
        <source>Create</source>
        <translation>创建</translation>
    </message>
    <message id="macos.crew_control_view.create_failed">
        <source>crew create failed</source>
        <translation>创建团队失败</translation>
    </message>
    <message id="macos.crew_control_view.crew_bin_missing">
        <source>crew bin not found at %1 — is the daemon installed?</source>
        <translation>在 %1 找不到团队工具——守护进程已安装吗？</translation>
    </message>
    <message id="macos.crew_control_view.disband">
        <source>Disband</source>
        <translation>解散</translation>
    </message>
    <message id="macos.crew_control_view.empty">
        <source>No teams, groups or terminal windows yet.</source>
        <translation>还没有团队、分组或终端窗口。</translation>
    </message>
    <message id="macos.crew_control_view.group_create_failed">
        <source>agent-group create failed</source>
        <translation>创建智能体分组失败</translation>
    </message>
    <message id="macos.crew_control_view.group_created">
        <source>Agent Group created (%1 panes, no manager).</source>
        <translation>已创建智能体分组（%1 个窗格，无管理者）。</translation>
    </message>
    <message id="macos.crew_control_view.group_row">
        <source>Agent group “%1”</source>
        <translation>智能体分组“%1”</translation>
    </message>
    <message id="macos.crew_control_view.group_size_error">
        <source>Agent groups grow by 2 (2–8) to keep the two-row layout.</source>
        <translation>智能体分组每次增加 2 个（2–8），以保持两行布局。</translation>
    </message>
    <message id="macos.crew_control_view.grow">
        <source>Add agents</source>
        <translation>添加智能体</translation>
    </message>
    <message id="macos.crew_control_view.grow_count">
        <source>How many workers?</source>
        <translation>添加多少个工作者？</translation>
    </message>
    <message id="macos.crew_control_view.kind_of_window">
        <source>Start</source>
        <translation>启动</translation>
    </message>
    <message id="macos.crew_control_view.machine_local">
        <source>On this machine</source>
        <translation>在本机上</translation>
    </message>
    <message id="macos.crew_control_view.machine_remote">
        <source>On %1</source>
        <translation>在 %1 上</translation>
    </message>
    <message id="macos.crew_control_view.mode_group">
        <source>Agent group (two rows, no manager)</source>
        <translation>智能体分组（两行，无管理者）</translation>
    </message>
    <message id="macos.crew_control_view.mode_team">
        <source>Agent team (manager + workers)</source>
        <translation>智能体团队（管理者 + 工作者）</translation>
    </message>
    <message id="macos.crew_control_view.mode_terminal">
        <source>Plain terminal window</source>
        <translation>普通终端窗口</translation>
    </message>
    <message id="macos.crew_control_view.model">
        <source>Model</source>
        <translation>模型</translation>
    </message>
    <message id="macos.crew_control_view.model_placeholder">
        <source>Model (empty: the agent's default)</source>
        <translation>模型（留空：使用智能体默认值）</translation>
    </message>
    <message id="macos.crew_control_view.name">
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message id="macos.crew_control_view.name_placeholder">
        <source>Window name (optional)</source>
        <translation>窗口名称（可选）</translation>
    </message>
    <message id="macos.crew_control_view.needs_approval">
        <source>Approve this device from one of your other devices to manage that machine's teams.</source>
        <translation>请在你的其他设备上批准此设备，才能管理那台机器的团队。</translation>
    </message>
    <message id="macos.crew_control_view.new">
        <source>New…</source>
        <translation>新建…</translation>
    </message>
    <message id="macos.crew_control_view.new_title">
        <source>Start agents</source>
        <translation>启动智能体</translation>
    </message>
    <message id="macos.crew_control_view.project">
        <source>Project</source>
        <translation>项目</translation>
    </message>
    <message id="macos.crew_control_view.project_placeholder">
        <source>Project folder</source>
        <translation>项目文件夹</translation>
    </message>
    <message id="macos.crew_control_view.project_required">
        <source>Project name is required.</source>
        <translation>必须填写项目名称。</translation>
    </message>
    <message id="macos.crew_control_view.registry_failed">
        <source>crew-registry list failed</source>
        <translation>读取团队列表失败</translation>
    </message>
    <message id="macos.crew_control_view.registry_unreadable">
        <source>couldn't parse crew registry output</source>
        <translation>无法解析团队列表的输出</translation>
    </message>
    <message id="macos.crew_control_view.remote_only_refusal">
        <source>%1 isn’t available yet for a remote machine (%2) — switch to it directly, or select This Mac.</source>
        <translation>%1 暂不支持远程机器（%2）——请直接切换到该机器，或选择本机。</translation>
    </message>
    <message id="macos.crew_control_view.remove_action">
        <source>Removing a team</source>
        <translation>解散团队</translation>
    </message>
    <message id="macos.crew_control_view.remove_failed">
        <source>Remove failed: %1</source>
        <translation>解散失败：%1</translation>
    </message>
    <message id="macos.crew_control_view.removed">
        <source>Removed agent team for “%1”</source>
        <translation>已解散“%1”的智能体团队</translation>
    </message>
    <message id="macos.crew_control_view.rename">
        <source>Rename…</source>
        <translation>重命名…</translation>
    </message>
    <message id="macos.crew_control_view.rename_team_failed">
        <source>Couldn’t rename team</source>
        <translation>无法重命名团队</translation>
    </message>
    <message id="macos.crew_control_view.route">
        <source>Route task…</source>
        <translation>分派任务…</translation>
    </message>
    <message id="macos.crew_control_view.route_failed">
        <source>route failed</source>
        <translation>分派失败</translation>
    </message>
    <message id="macos.crew_control_view.routed">
        <source>Routed %1 to %2.</source>
        <translation>已将 %1 分派给 %2。</translation>
    </message>
    <message id="macos.crew_control_view.routing">
        <source>Routing…</source>
        <translation>路由…</translation>
    </message>
    <message id="macos.crew_control_view.starting">
        <source>Starting agents…</source>
        <translation>正在启动智能体…</translation>
    </message>
    <message id="macos.crew_control_view.state_blocked">
        <source>blocked</source>
        <translation>受阻</translation>
    </message>
    <message id="macos.crew_control_view.state_idle">
        <source>idle</source>
        <translation>空闲</translation>
    </message>
    <message id="macos.crew_control_view.state_unknown">
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message id="macos.crew_control_view.state_working">
        <source>working</source>
        <translation>工作中</translation>
    </message>
    <message id="macos.crew_control_view.stop">
        <source>Stop task</source>
        <translation>停止任务</translation>
    </message>
    <message id="macos.crew_control_view.stop_failed">
        <source>stop failed</source>
        <translation>停止失败</translation>
    </message>
    <message id="macos.crew_control_view.stopped">
        <source>Stopped the task of %1.</source>
        <translation>已停止 %1 的任务。</translation>
    </message>
    <message id="macos.crew_control_view.stopping">
        <source>Stopping a task</source>
        <translation>正在停止任务</translation>
    </message>
    <message id="macos.crew_control_view.task">
        <source>Task</source>
        <translation>任务</translation>
    </message>
    <message id="macos.crew_control_view.task_id">
        <source>Task id</source>
        <translation>任务 ID</translation>
    </message>
    <message id="macos.crew_control_view.task_id_required">
        <source>A task id is required to route.</source>
        <translation>分派任务需要任务 ID。</translation>
    </message>
    <message id="macos.crew_control_view.task_placeholder">
        <source>First task for the manager (optional)</source>
        <translation>管理者的第一个任务（可选）</translation>
    </message>
    <message id="macos.crew_control_view.team_created">
        <source>Agent team created for “%1” (1 mgr + %2 %3 workers, %4).</source>
        <translation>已为“%1”创建智能体团队（1 个管理者 + %2 个 %3 工作者，%4）。</translation>
    </message>
    <message id="macos.crew_control_view.terminal_closed">
        <source>Closed terminal window.</source>
        <translation>已关闭终端窗口。</translation>
    </message>
    <message id="macos.crew_control_view.terminal_failed">
        <source>Couldn’t open a terminal: %1</source>
        <translation>无法打开终端：%1</translation>
    </message>
    <message id="macos.crew_control_view.terminal_needs_sign_in">
        <source>Sign in to create a terminal on a remote machine — without a relay account the pane would land on This Mac instead.</source>
        <translation>请登录后再在远程机器上创建终端——没有中继账户，窗格会出现在本机上。</translation>
    </message>
    <message id="macos.crew_control_view.terminal_opened">
        <source>Opened terminal window “%1”.</source>
        <translation>已打开终端窗口“%1”。</translation>
    </message>
    <message id="macos.crew_control_view.terminal_row">
        <source>Terminal “%1”</source>
        <translation>终端“%1”</translation>
    </message>
    <message id="macos.crew_control_view.title">
        <source>Agent teams</source>
        <translation>智能体团队</translation>
    </message>
    <message id="macos.crew_control_view.worker_count_range">
        <source>Worker count must be 1–9.</source>
        <translation>工作者数量必须为 1–9。</translation>
    </message>
    <message id="macos.crew_control_view.workers">
        <source>Workers</source>
        <translation>工作者</translation>
    </message>
    <message id="macos.crew_control_view.workers_added">
        <source>Added %1 agents to the team.</source>
        <translation>已向团队添加 %1 个智能体。</translation>
    </message>
    <message id="macos.daemon_provision.could_not_cleanly_restart">
        <source>Vesket could not cleanly restart its daemon.

%1

Check with: %2</source>
        <translation>Vesket 无法干净地重启其守护进程。

%1

检查方法：%2</translation>
    </message>
    <message id="macos.daemon_provision.could_not_clear_rollback_pin">
        <source>Vesket could not clear the daemon rollback pin at %1</source>
        <translation>Vesket 无法清除位于 %1 的守护进程回滚锁定</translation>
    </message>
    <message id="macos.daemon_provision.embedded_missing">
        <source>This copy of Vesket does not contain its signed daemon.</source>
        <translation>此 Vesket 副本不包含其已签名的守护进程。</translation>
    </message>
    <message id="macos.daemon_provision.embedded_untrusted">
        <source>The daemon inside this copy of Vesket failed Developer ID verification.</source>
        <translation>此 Vesket 副本中的守护进程未通过签名验证。</translation>
    </message>
    <message id="macos.daemon_provision.isolated_instance_does_not_control_the_service">
        <source>This isolated instance does not control the daemon's service.</source>
        <translation>此隔离实例不控制守护进程的服务。</translation>
    </message>
    <message id="macos.daemon_provision.live_replace_refused">
        <source>Vesket found its daemon running and could not obtain a safe restart, so it left the running daemon in place.</source>
        <translation>Vesket 发现其守护进程正在运行且无法安全重启，因此保留了正在运行的守护进程。</translation>
    </message>
    <message id="macos.daemon_provision.redirected_home_refused">
        <source>Provisioning was refused: this app was launched with an explicit VESKET_HOME, but the running daemon's home is a different directory. Vesket does not replace the daemon of an install it was not pointed at.</source>
        <translation>安装被拒绝：此应用以显式的 VESKET_HOME 启动，但正在运行的守护进程的主目录是另一个目录。Vesket 不会替换未指定给它的安装中的守护进程。</translation>
    </message>
    <message id="macos.daemon_provision.replacement_failed">
        <source>Vesket could not install or verify its signed daemon.</source>
        <translation>Vesket 无法安装或验证其已签名的守护进程。</translation>
    </message>
    <message id="macos.daemon_provision.replacement_rolled_back">
        <source>Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.</source>
        <translation>Vesket 安装了新的守护进程，但它没有保持运行，因此已恢复之前的守护进程。</translation>
    </message>
    <message id="macos.daemon_provision.restart_binary_not_found">
        <source>Could not restart the Vesket daemon: binary not found at %1.

Please download the latest signed Vesket release.</source>
        <translation>无法重启 Vesket 守护进程：在 %1 找不到可执行文件。

请下载最新的已签名 Vesket 版本。</translation>
    </message>
    <message id="macos.daemon_provision.restart_bootstrap_failed">
        <source>The service manager could not load the daemon job again.</source>
        <translation>服务管理器无法重新加载守护进程任务。</translation>
    </message>
    <message id="macos.daemon_provision.restart_could_not_terminate">
        <source>Could not terminate the existing daemon process (PID %1).</source>
        <translation>无法终止现有的守护进程（PID %1）。</translation>
    </message>
    <message id="macos.daemon_provision.restart_job_not_removed">
        <source>The service manager did not finish removing the old daemon job.</source>
        <translation>服务管理器未能完成移除旧的守护进程任务。</translation>
    </message>
    <message id="macos.daemon_provision.restart_pid_not_the_daemon">
        <source>The service manager reported PID %1, but it was not the expected daemon executable.</source>
        <translation>服务管理器报告了 PID %1，但它不是预期的守护进程可执行文件。</translation>
    </message>
    <message id="macos.daemon_provision.sidecar_sync_failed">
        <source>Vesket verified its signed daemon, but could not update its bundled terminal support tools.</source>
        <translation>Vesket 已验证其签名的守护进程，但无法更新随附的终端辅助工具。</translation>
    </message>
    <message id="macos.daemon_provision.test_host_refused">
        <source>Provisioning was refused because it ran inside a test host without an isolated VESKET_HOME.</source>
        <translation>由于在没有独立 VESKET_HOME 的测试宿主中运行，安装被拒绝。</translation>
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
    <message id="macos.desktop_shell.account">
        <source>Account…</source>
        <translation>账户…</translation>
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
    <message id="macos.desktop_shell.devices">
        <source>Devices…</source>
        <translation>设备…</translation>
    </message>
    <message id="macos.desktop_shell.inbox">
        <source>Inbox…</source>
        <translation>收件箱…</translation>
    </message>
    <message id="macos.desktop_shell.inbox_decisions_waiting" numerus="yes">
        <source>Inbox — %n decisions waiting…</source>
        <translation>
            <numerusform>收件箱 — %n 个决定待处理…</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>打开 Vesket</translation>
    </message>
    <message id="macos.desktop_shell.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>配对此电脑…</translation>
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
    <message id="macos.device_approval.approve">
        <source>Approve</source>
        <translation>批准</translation>
    </message>
    <message id="macos.device_approval.deny">
        <source>Deny</source>
        <translation>拒绝</translation>
    </message>
    <message id="macos.device_approval.new_request_title">
        <source>New device wants to join your account</source>
        <translation>有新设备想加入你的账户</translation>
    </message>
    <message id="macos.device_approval.repeat_request_title">
        <source>⚠️ Repeat request from a device you denied</source>
        <translation>⚠️ 你拒绝过的设备再次请求</translation>
    </message>
    <message id="macos.devices_window.account_devices">
        <source>Devices on this account</source>
        <translation>此账户的设备</translation>
    </message>
    <message id="macos.devices_window.code">
        <source>code</source>
        <translation>代码</translation>
    </message>
    <message id="macos.devices_window.denied_until">
        <source>You can ask again after %1.</source>
        <translation>你可以在 %1 之后再次请求。</translation>
    </message>
    <message id="macos.devices_window.get_pairing_code">
        <source>Get a pairing code</source>
        <translation>获取配对码</translation>
    </message>
    <message id="macos.devices_window.last_seen">
        <source>last seen %1</source>
        <translation>最后在线 %1</translation>
    </message>
    <message id="macos.devices_window.loading">
        <source>Loading…</source>
        <translation>正在加载…</translation>
    </message>
    <message id="macos.devices_window.match_fingerprint">
        <source>Match this fingerprint on the approving computer</source>
        <translation>请在批准的电脑上核对此指纹</translation>
    </message>
    <message id="macos.devices_window.my_machines">
        <source>My machines</source>
        <translation>我的电脑</translation>
    </message>
    <message id="macos.devices_window.no_devices">
        <source>No devices yet.</source>
        <translation>还没有设备。</translation>
    </message>
    <message id="macos.devices_window.no_machines">
        <source>No machine is paired with this account yet.</source>
        <translation>此账户还没有配对的电脑。</translation>
    </message>
    <message id="macos.devices_window.no_pending">
        <source>No device is waiting for approval.</source>
        <translation>没有等待批准的设备。</translation>
    </message>
    <message id="macos.devices_window.not_enrolled">
        <source>Not enrolled: sign in to your account first.</source>
        <translation>尚未注册：请先登录你的账户。</translation>
    </message>
    <message id="macos.devices_window.online">
        <source>Online</source>
        <translation>在线</translation>
    </message>
    <message id="macos.devices_window.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>配对此电脑…</translation>
    </message>
    <message id="macos.devices_window.pairing_code_is">
        <source>Type this code in the pairing window of the other machine: %1</source>
        <translation>在另一台电脑的配对窗口中输入此代码：%1</translation>
    </message>
    <message id="macos.devices_window.pending_unavailable">
        <source>Requests cannot be read: this device is not approved or the relay is not reachable.</source>
        <translation>无法读取请求：此设备未获批准，或无法连接中继服务器。</translation>
    </message>
    <message id="macos.devices_window.relay_unreachable">
        <source>The relay could not be reached. Check the connection.</source>
        <translation>无法连接中继服务器。请检查网络连接。</translation>
    </message>
    <message id="macos.devices_window.revoke">
        <source>Revoke</source>
        <translation>撤销</translation>
    </message>
    <message id="macos.devices_window.status_approved">
        <source>Approved</source>
        <translation>已批准</translation>
    </message>
    <message id="macos.devices_window.status_denied">
        <source>Denied</source>
        <translation>已拒绝</translation>
    </message>
    <message id="macos.devices_window.status_pending">
        <source>Waiting for approval</source>
        <translation>等待批准</translation>
    </message>
    <message id="macos.devices_window.status_revoked">
        <source>Revoked</source>
        <translation>已撤销</translation>
    </message>
    <message id="macos.devices_window.this_device">
        <source>This device</source>
        <translation>此设备</translation>
    </message>
    <message id="macos.devices_window.this_device_tag">
        <source>this device</source>
        <translation>此设备</translation>
    </message>
    <message id="macos.devices_window.this_machine_tag">
        <source>this machine</source>
        <translation>此电脑</translation>
    </message>
    <message id="macos.devices_window.title">
        <source>Devices</source>
        <translation>设备</translation>
    </message>
    <message id="macos.devices_window.waiting_for_approval">
        <source>Waiting for approval</source>
        <translation>等待批准</translation>
    </message>
    <message id="macos.environment_installer.could_not_launch">
        <source>Could not launch the installer: %1</source>
        <translation>无法启动安装程序：%1</translation>
    </message>
    <message id="macos.environment_installer.could_not_stage">
        <source>Could not keep a verified copy of the installer: %1</source>
        <translation>无法保存安装程序的已验证副本：%1</translation>
    </message>
    <message id="macos.environment_installer.digest_mismatch">
        <source>The environment installer does not match the SHA-256 digest this copy of Vesket expects, so it was not run.</source>
        <translation>环境安装程序与此 Vesket 副本预期的 SHA-256 摘要不符，因此未运行。</translation>
    </message>
    <message id="macos.environment_installer.disabled_isolated_instance">
        <source>Environment setup is disabled: this is an isolated instance.</source>
        <translation>环境设置已禁用：这是一个隔离实例。</translation>
    </message>
    <message id="macos.environment_installer.ghostty_not_applicable">
        <source>Ghostty is not applicable on this system: use your desktop's terminal.</source>
        <translation>Ghostty 不适用于此系统：请使用桌面环境的终端。</translation>
    </message>
    <message id="macos.environment_installer.homebrew_not_applicable">
        <source>Homebrew is not applicable on this system: Vesket installs through the system package manager.</source>
        <translation>Homebrew 不适用于此系统：Vesket 通过系统软件包管理器进行安装。</translation>
    </message>
    <message id="macos.environment_installer.installer_exited_with_status">
        <source>quorline installer exited with status %1 — see the log above for the failing step.</source>
        <translation>quorline 安装程序以状态 %1 退出——请查看上方日志中失败的步骤。</translation>
    </message>
    <message id="macos.environment_installer.not_packaged">
        <source>The system package manager does not offer it.</source>
        <translation>系统软件包管理器未提供它。</translation>
    </message>
    <message id="macos.environment_installer.script_missing">
        <source>Could not find the environment installer at %1.</source>
        <translation>在 %1 找不到环境安装程序。</translation>
    </message>
    <message id="macos.environment_installer.verified_script_vanished">
        <source>Verified script vanished before it could run — please try again.</source>
        <translation>已验证的脚本在运行前消失了，请重试。</translation>
    </message>
    <message id="macos.inbox_view.answer_answered">
        <source>Answered</source>
        <translation>已回答</translation>
    </message>
    <message id="macos.inbox_view.answer_declined">
        <source>Declined</source>
        <translation>已拒绝</translation>
    </message>
    <message id="macos.inbox_view.answer_failed">
        <source>Failed</source>
        <translation>失败</translation>
    </message>
    <message id="macos.inbox_view.answer_no_answer">
        <source>No answer yet</source>
        <translation>尚无回复</translation>
    </message>
    <message id="macos.inbox_view.answer_not_delivered">
        <source>Not delivered</source>
        <translation>未送达</translation>
    </message>
    <message id="macos.inbox_view.answer_seen">
        <source>Seen</source>
        <translation>已查看</translation>
    </message>
    <message id="macos.inbox_view.answer_waiting_on_you">
        <source>Waiting on you</source>
        <translation>等待你回复</translation>
    </message>
    <message id="macos.inbox_view.answer_working">
        <source>Working on it</source>
        <translation>处理中</translation>
    </message>
    <message id="macos.inbox_view.decided">
        <source>Answered: %1</source>
        <translation>已回答：%1</translation>
    </message>
    <message id="macos.inbox_view.decision_due">
        <source>Due %1</source>
        <translation>截止 %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due_unreadable">
        <source>Due “%1” (not a date Vesket can read)</source>
        <translation>截止“%1”（Vesket 无法识别的日期）</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_already_decided">
        <source>This question was already answered.</source>
        <translation>这个问题已经回答过了。</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_expired">
        <source>The deadline for this question has passed.</source>
        <translation>这个问题已过截止时间。</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_offline">
        <source>You're offline — the answer wasn't sent.</source>
        <translation>你处于离线状态，回答未发送。</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_timeout">
        <source>The relay didn't answer in time. Try again.</source>
        <translation>中继未及时响应，请重试。</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_unavailable">
        <source>Couldn't send the answer. Try again.</source>
        <translation>无法发送回答，请重试。</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_withdrawn">
        <source>The agent withdrew this question.</source>
        <translation>智能体已撤回这个问题。</translation>
    </message>
    <message id="macos.inbox_view.decision_sending">
        <source>Sending…</source>
        <translation>正在发送…</translation>
    </message>
    <message id="macos.inbox_view.file_expired">
        <source>This file has expired (files are kept 7 days).</source>
        <translation>此文件已过期（文件保留 7 天）。</translation>
    </message>
    <message id="macos.inbox_view.file_failed">
        <source>Couldn't open the file: %1</source>
        <translation>无法打开文件：%1</translation>
    </message>
    <message id="macos.inbox_view.load_older">
        <source>Load older messages</source>
        <translation>加载更早的消息</translation>
    </message>
    <message id="macos.inbox_view.local_only_body">
        <source>Messages from your phone and other devices appear here once this Mac is approved. Terminals and agent teams on this Mac work as usual.</source>
        <translation>此 Mac 获得批准后，来自手机和其他设备的消息会显示在这里。此 Mac 上的终端和智能体团队照常工作。</translation>
    </message>
    <message id="macos.inbox_view.local_only_title">
        <source>Inbox is local-only for now</source>
        <translation>收件箱暂时仅限本机</translation>
    </message>
    <message id="macos.inbox_view.mark_all_read">
        <source>Mark all read</source>
        <translation>全部标为已读</translation>
    </message>
    <message id="macos.inbox_view.mark_read">
        <source>Mark read</source>
        <translation>标为已读</translation>
    </message>
    <message id="macos.inbox_view.new_decision">
        <source>%1 asks</source>
        <translation>%1 提问</translation>
    </message>
    <message id="macos.inbox_view.no_files">
        <source>No shared files yet.</source>
        <translation>还没有共享的文件。</translation>
    </message>
    <message id="macos.inbox_view.no_notifications">
        <source>No notifications.</source>
        <translation>没有通知。</translation>
    </message>
    <message id="macos.inbox_view.no_threads">
        <source>No messages yet. Agents post here with “vesket inbox”.</source>
        <translation>还没有消息。智能体通过“vesket inbox”在这里发消息。</translation>
    </message>
    <message id="macos.inbox_view.open_file">
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message id="macos.inbox_view.pick_thread">
        <source>Choose a conversation on the left.</source>
        <translation>请在左侧选择一个对话。</translation>
    </message>
    <message id="macos.inbox_view.recommended">
        <source>%1 (recommended)</source>
        <translation>%1（推荐）</translation>
    </message>
    <message id="macos.inbox_view.reply_failed">
        <source>Couldn't send reply.</source>
        <translation>无法发送回复。</translation>
    </message>
    <message id="macos.inbox_view.reply_placeholder">
        <source>Reply to the agent…</source>
        <translation>回复智能体…</translation>
    </message>
    <message id="macos.inbox_view.segment_board">
        <source>Board</source>
        <translation>看板</translation>
    </message>
    <message id="macos.inbox_view.segment_files">
        <source>Files</source>
        <translation>文件</translation>
    </message>
    <message id="macos.inbox_view.segment_messages">
        <source>Messages</source>
        <translation>消息</translation>
    </message>
    <message id="macos.inbox_view.segment_notifications">
        <source>Notifications</source>
        <translation>通知</translation>
    </message>
    <message id="macos.inbox_view.send">
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message id="macos.inbox_view.session_expired">
        <source>Your session expired (sessions last 7 days). Sign in again — the Inbox uses your account session.</source>
        <translation>你的会话已过期（会话有效期为 7 天）。请重新登录——收件箱使用你的账户会话。</translation>
    </message>
    <message id="macos.inbox_view.title">
        <source>Inbox</source>
        <translation>收件箱</translation>
    </message>
    <message id="macos.inbox_view.waiting_decisions">
        <source>Waiting for you: %1</source>
        <translation>等待你处理：%1</translation>
    </message>
    <message id="macos.inbox_view.withdrawn">
        <source>Withdrawn by the agent</source>
        <translation>已被智能体撤回</translation>
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
    <message id="macos.main_window.context_used">
        <source>%1% context</source>
        <translation>上下文 %1%</translation>
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
    <message id="macos.main_window.machine_offline">
        <source>%1 (offline)</source>
        <translation>%1（离线）</translation>
    </message>
    <message id="macos.main_window.rename_cancel">
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message id="macos.main_window.rename_ok">
        <source>Rename</source>
        <translation>重命名</translation>
    </message>
    <message id="macos.main_window.rename_pane">
        <source>Rename…</source>
        <translation>重命名…</translation>
    </message>
    <message id="macos.main_window.rename_pane_prompt">
        <source>Name shown in the sidebar (empty: the automatic name):</source>
        <translation>侧边栏中显示的名称（留空则使用自动名称）：</translation>
    </message>
    <message id="macos.main_window.rename_pane_title">
        <source>Rename Pane</source>
        <translation>重命名窗格</translation>
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
    <message id="macos.main_window.teams">
        <source>Teams</source>
        <translation>团队</translation>
    </message>
    <message id="macos.main_window.text_mode">
        <source>Text</source>
        <translation>文本</translation>
    </message>
    <message id="macos.main_window.text_mode_tooltip">
        <source>Show the pane's text with the composer</source>
        <translation>显示窗格文本和输入框</translation>
    </message>
    <message id="macos.main_window.this_machine">
        <source>This machine</source>
        <translation>本机</translation>
    </message>
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message id="macos.my_machines.sign_in_to_list">
        <source>Sign in to your account to list your machines.</source>
        <translation>登录账户以查看你的电脑。</translation>
    </message>
    <message id="macos.pairing_window.code_placeholder">
        <source>Code from your other machine</source>
        <translation>来自你另一台电脑的代码</translation>
    </message>
    <message id="macos.pairing_window.collecting">
        <source>Pairing with your account…</source>
        <translation>正在与你的账户配对…</translation>
    </message>
    <message id="macos.pairing_window.daemon_could_not_save">
        <source>The phone paired this Mac, but its local daemon could not save the pairing. Check the Mac error and retry.</source>
        <translation>手机已配对此 Mac，但其本地守护进程无法保存配对。请检查 Mac 上的错误后重试。</translation>
    </message>
    <message id="macos.pairing_window.expired">
        <source>This code expired.</source>
        <translation>此代码已过期。</translation>
    </message>
    <message id="macos.pairing_window.expires_in">
        <source>Expires in %1</source>
        <translation>%1 后过期</translation>
    </message>
    <message id="macos.pairing_window.identity_unavailable">
        <source>This machine's identity (/etc/machine-id) is unavailable. Finish booting, then try again.</source>
        <translation>无法读取本机标识（/etc/machine-id）。请等待系统启动完成后重试。</translation>
    </message>
    <message id="macos.pairing_window.loading">
        <source>Asking the relay for a code…</source>
        <translation>正在向中继服务器请求代码…</translation>
    </message>
    <message id="macos.pairing_window.new_code">
        <source>New code</source>
        <translation>新代码</translation>
    </message>
    <message id="macos.pairing_window.pair_with_account">
        <source>Pair with my account</source>
        <translation>与我的账户配对</translation>
    </message>
    <message id="macos.pairing_window.paired">
        <source>Paired ✔</source>
        <translation>已配对 ✔</translation>
    </message>
    <message id="macos.pairing_window.paired_status">
        <source>This machine is paired. It links to the relay now.</source>
        <translation>此电脑已配对，正在连接中继服务器。</translation>
    </message>
    <message id="macos.pairing_window.password_placeholder">
        <source>Account password (if asked)</source>
        <translation>账户密码（如有要求）</translation>
    </message>
    <message id="macos.pairing_window.replace">
        <source>Replace the selected machine</source>
        <translation>替换所选电脑</translation>
    </message>
    <message id="macos.pairing_window.replace_explanation">
        <source>This account already has machines. Pick the machine this one replaces. Sign in again, or enter your account password to replace this Mac.</source>
        <translation>此账户已有电脑。请选择此电脑要替换的那台。重新登录，或输入账户密码以替换这台 Mac。</translation>
    </message>
    <message id="macos.pairing_window.short_code">
        <source>Or type this code on the pairing page: %1</source>
        <translation>或在配对页面输入此代码：%1</translation>
    </message>
    <message id="macos.pairing_window.title">
        <source>Pair this machine</source>
        <translation>配对此电脑</translation>
    </message>
    <message id="macos.pairing_window.use_code">
        <source>Use code</source>
        <translation>使用代码</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>智能体组</translation>
    </message>
    <message id="macos.pane_sidebar.running_count" numerus="yes">
        <source>%n running</source>
        <translation>
            <numerusform>%n 个运行中</numerusform>
        </translation>
    </message>
    <message id="macos.pane_sidebar.solo">
        <source>Solo</source>
        <translation>单独</translation>
    </message>
    <message id="macos.pane_sidebar.status_idle">
        <source>idle</source>
        <translation>空闲</translation>
    </message>
    <message id="macos.pane_sidebar.status_running">
        <source>running</source>
        <translation>运行中</translation>
    </message>
    <message id="macos.pane_sidebar.terminal">
        <source>Terminal</source>
        <translation>终端</translation>
    </message>
    <message id="macos.pane_sidebar.waiting">
        <source>waiting</source>
        <translation>等待中</translation>
    </message>
    <message id="macos.pane_text_view.could_not_be_read">
        <source>The pane's text could not be read. Vesket keeps trying.</source>
        <translation>无法读取窗格的文本。Vesket 会继续尝试。</translation>
    </message>
    <message id="macos.pane_text_view.loading">
        <source>Loading the pane's text…</source>
        <translation>正在加载窗格的文本…</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>%n 行新内容 ↓</numerusform>
        </translation>
    </message>
    <message id="macos.pane_text_view.no_text_yet">
        <source>This pane shows no text yet.</source>
        <translation>此窗格尚无文本。</translation>
    </message>
    <message id="macos.pane_text_view.not_updating_since">
        <source>Not updating: the text below is from %1 and the pane cannot be read right now. Retrying…</source>
        <translation>未在更新：下方文本来自 %1，目前无法读取该窗格。正在重试…</translation>
    </message>
    <message id="macos.routing_view.agent">
        <source>Agent</source>
        <translation>智能体</translation>
    </message>
    <message id="macos.routing_view.capability_fit">
        <source>Let a task's work class pick the agent that fits it</source>
        <translation>按任务的工作类别选择合适的智能体</translation>
    </message>
    <message id="macos.routing_view.close">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="macos.routing_view.custom_rules">
        <source>This project has rules of its own.</source>
        <translation>此项目有自己的规则。</translation>
    </message>
    <message id="macos.routing_view.difficulty_heavy">
        <source>Heavy</source>
        <translation>重</translation>
    </message>
    <message id="macos.routing_view.difficulty_light">
        <source>Light</source>
        <translation>轻</translation>
    </message>
    <message id="macos.routing_view.difficulty_standard">
        <source>Standard</source>
        <translation>标准</translation>
    </message>
    <message id="macos.routing_view.follow_global">
        <source>Follow global rules</source>
        <translation>遵循全局规则</translation>
    </message>
    <message id="macos.routing_view.follows_global">
        <source>This project follows the global rules. Change a row to give it rules of its own.</source>
        <translation>此项目遵循全局规则。修改任意一行即可为它设置自己的规则。</translation>
    </message>
    <message id="macos.routing_view.global_summary">
        <source>These rules apply to every project without rules of its own.</source>
        <translation>这些规则适用于所有没有自己规则的项目。</translation>
    </message>
    <message id="macos.routing_view.load_failed">
        <source>Couldn't load the routing rules: %1</source>
        <translation>无法加载路由规则：%1</translation>
    </message>
    <message id="macos.routing_view.loading">
        <source>Loading…</source>
        <translation>正在加载…</translation>
    </message>
    <message id="macos.routing_view.main_agent">
        <source>Main agent</source>
        <translation>主智能体</translation>
    </message>
    <message id="macos.routing_view.max_difficulty">
        <source>Hardest work</source>
        <translation>最难的工作</translation>
    </message>
    <message id="macos.routing_view.save">
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message id="macos.routing_view.save_failed">
        <source>Couldn't save: %1</source>
        <translation>无法保存：%1</translation>
    </message>
    <message id="macos.routing_view.saved">
        <source>Saved.</source>
        <translation>已保存。</translation>
    </message>
    <message id="macos.routing_view.saving">
        <source>Saving…</source>
        <translation>正在保存…</translation>
    </message>
    <message id="macos.routing_view.title_global">
        <source>Routing rules for every project</source>
        <translation>所有项目的路由规则</translation>
    </message>
    <message id="macos.routing_view.title_project">
        <source>Routing rules for %1</source>
        <translation>%1 的路由规则</translation>
    </message>
    <message id="macos.routing_view.weight">
        <source>Share</source>
        <translation>权重</translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message id="macos.settings_view.auto_fit">
        <source>Fit the pane's width to this window (auto-fit)</source>
        <translation>使窗格宽度适应此窗口（自动适应）</translation>
    </message>
    <message id="macos.settings_view.auto_fit_help">
        <source>While the window is in front and shows a pane's text, the pane's tmux window takes the width of the text view; it gets its own width back when you leave.</source>
        <translation>当窗口位于前台并显示窗格文本时，该窗格的 tmux 窗口采用文本视图的宽度；离开后恢复其原有宽度。</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>限制在终端中向上滚动时加载的回滚内容量。对于历史较多的窗格，值越低越快。</translation>
    </message>
    <message id="macos.settings_view.close">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="macos.settings_view.diagnostics">
        <source>Diagnostics</source>
        <translation>诊断</translation>
    </message>
    <message id="macos.settings_view.display_mirror">
        <source>Live terminal mirrors the pane (the pane keeps its size)</source>
        <translation>实时终端镜像窗格（窗格保持原尺寸）</translation>
    </message>
    <message id="macos.settings_view.display_mode_help">
        <source>Applies the next time a live terminal opens.</source>
        <translation>下次打开实时终端时生效。</translation>
    </message>
    <message id="macos.settings_view.display_takeover">
        <source>Live terminal takes over the pane's width (the pane takes this window's size)</source>
        <translation>实时终端接管窗格宽度（窗格采用此窗口的尺寸）</translation>
    </message>
    <message id="macos.settings_view.language">
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message id="macos.settings_view.language_system">
        <source>System</source>
        <translation>跟随系统</translation>
    </message>
    <message id="macos.settings_view.language_takes_effect">
        <source>The window uses the new language the next time Vesket starts. VESKET_LANGUAGE overrides this choice.</source>
        <translation>窗口将在下次启动 Vesket 时使用新语言。VESKET_LANGUAGE 优先于此选项。</translation>
    </message>
    <message id="macos.settings_view.pane_display">
        <source>Pane display</source>
        <translation>窗格显示</translation>
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
    <message id="macos.settings_view.share_crash_reports">
        <source>Collect crash and hang reports</source>
        <translation>收集崩溃和卡顿报告</translation>
    </message>
    <message id="macos.settings_view.share_crash_reports_help">
        <source>Reports of Vesket's own crashes and freezes are kept in %1, with your paths, user name and secrets removed.</source>
        <translation>Vesket 自身的崩溃和卡顿报告保存在 %1 中，其中已去除你的路径、用户名和机密信息。</translation>
    </message>
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>终端历史记录上限</translation>
    </message>
    <message id="macos.setup_view.also_install_fish">
        <source>Also install fish</source>
        <translation>同时安装 fish</translation>
    </message>
    <message id="macos.setup_view.cancel">
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message id="macos.setup_view.check_again">
        <source>Check Again</source>
        <translation>重新检查</translation>
    </message>
    <message id="macos.setup_view.checking_the_installer">
        <source>Checking the environment installer…</source>
        <translation>正在检查环境安装程序…</translation>
    </message>
    <message id="macos.setup_view.close_installer">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="macos.setup_view.component_can_be_installed">
        <source>Can be installed</source>
        <translation>可以安装</translation>
    </message>
    <message id="macos.setup_view.component_installed">
        <source>Installed</source>
        <translation>已安装</translation>
    </message>
    <message id="macos.setup_view.confirm_environment">
        <source>The installer sets up tmux and starship (and fish when chosen) through the system package manager, which may ask for your password. Homebrew and Ghostty do not apply on this system.</source>
        <translation>安装程序会通过系统软件包管理器安装 tmux 和 starship（如选择，还有 fish），可能会要求输入密码。Homebrew 和 Ghostty 不适用于此系统。</translation>
    </message>
    <message id="macos.setup_view.copied">
        <source>Copied: %1</source>
        <translation>已复制：%1</translation>
    </message>
    <message id="macos.setup_view.copy_command">
        <source>Copy Command</source>
        <translation>复制命令</translation>
    </message>
    <message id="macos.setup_view.daemon">
        <source>Daemon</source>
        <translation>守护进程</translation>
    </message>
    <message id="macos.setup_view.daemon_not_running">
        <source>Not running</source>
        <translation>未运行</translation>
    </message>
    <message id="macos.setup_view.daemon_running">
        <source>Running · pid %1 · version %2</source>
        <translation>运行中 · PID %1 · 版本 %2</translation>
    </message>
    <message id="macos.setup_view.environment_ready">
        <source>The environment is set up.</source>
        <translation>环境已设置完成。</translation>
    </message>
    <message id="macos.setup_view.found_at">
        <source>Found at %1</source>
        <translation>位于 %1</translation>
    </message>
    <message id="macos.setup_view.install">
        <source>Install</source>
        <translation>安装</translation>
    </message>
    <message id="macos.setup_view.install_failed">
        <source>Installing %1 failed. Open a terminal and run `%2` manually.</source>
        <translation>安装 %1 失败。请打开终端并手动运行 `%2`。</translation>
    </message>
    <message id="macos.setup_view.installed_name">
        <source>%1 installed.</source>
        <translation>%1 已安装。</translation>
    </message>
    <message id="macos.setup_view.installing">
        <source>Installing %1…</source>
        <translation>正在安装 %1…</translation>
    </message>
    <message id="macos.setup_view.installing_environment">
        <source>Installing the environment…</source>
        <translation>正在安装环境…</translation>
    </message>
    <message id="macos.setup_view.installing_or_updating_the_daemon">
        <source>Installing or updating the daemon…</source>
        <translation>正在安装或更新守护进程…</translation>
    </message>
    <message id="macos.setup_view.last_provisioning_problem">
        <source>Last provisioning problem:</source>
        <translation>上一次守护进程安装问题：</translation>
    </message>
    <message id="macos.setup_view.looking_for_tools">
        <source>Looking for tools…</source>
        <translation>正在查找工具…</translation>
    </message>
    <message id="macos.setup_view.missing">
        <source>Missing</source>
        <translation>缺失</translation>
    </message>
    <message id="macos.setup_view.no_provisioning_problem">
        <source>No provisioning problem.</source>
        <translation>守护进程安装没有问题。</translation>
    </message>
    <message id="macos.setup_view.optional_environment">
        <source>Optional environment</source>
        <translation>可选环境</translation>
    </message>
    <message id="macos.setup_view.restart_daemon">
        <source>Restart Daemon</source>
        <translation>重启守护进程</translation>
    </message>
    <message id="macos.setup_view.run_in_a_terminal_to_install">
        <source>To install %1, run this command in a terminal:</source>
        <translation>要安装 %1，请在终端中运行以下命令：</translation>
    </message>
    <message id="macos.setup_view.run_installer">
        <source>Install</source>
        <translation>安装</translation>
    </message>
    <message id="macos.setup_view.set_up_environment">
        <source>Set Up Environment…</source>
        <translation>设置环境…</translation>
    </message>
    <message id="macos.setup_view.set_up_tmux">
        <source>Set Up tmux</source>
        <translation>设置 tmux</translation>
    </message>
    <message id="macos.setup_view.title">
        <source>Setup</source>
        <translation>设置</translation>
    </message>
    <message id="macos.setup_view.tools">
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message id="macos.setup_view.use_your_package_manager">
        <source>Install %1 with your system's package manager.</source>
        <translation>请使用系统的软件包管理器安装 %1。</translation>
    </message>
    <message id="macos.task_board.add">
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message id="macos.task_board.blocked_has_children">
        <source>This task has subtasks: move them instead.</source>
        <translation>此任务有子任务：请改为移动子任务。</translation>
    </message>
    <message id="macos.task_board.blocked_not_adjacent">
        <source>Move a card one column at a time.</source>
        <translation>卡片每次只能移动一列。</translation>
    </message>
    <message id="macos.task_board.delete">
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message id="macos.task_board.done">
        <source>Done</source>
        <translation>已完成</translation>
    </message>
    <message id="macos.task_board.empty">
        <source>No tasks yet.</source>
        <translation>还没有任务。</translation>
    </message>
    <message id="macos.task_board.event_created">
        <source>Created</source>
        <translation>已创建</translation>
    </message>
    <message id="macos.task_board.event_dispatched">
        <source>Dispatched</source>
        <translation>已分派</translation>
    </message>
    <message id="macos.task_board.event_note">
        <source>Note</source>
        <translation>备注</translation>
    </message>
    <message id="macos.task_board.event_status_change">
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message id="macos.task_board.in_progress">
        <source>In Progress</source>
        <translation>进行中</translation>
    </message>
    <message id="macos.task_board.needs_review">
        <source>Needs Review</source>
        <translation>待审核</translation>
    </message>
    <message id="macos.task_board.new_task_placeholder">
        <source>New task…</source>
        <translation>新任务…</translation>
    </message>
    <message id="macos.task_board.reopen">
        <source>Reopen</source>
        <translation>重新打开</translation>
    </message>
    <message id="macos.task_board.status_in_progress">
        <source>In progress</source>
        <translation>进行中</translation>
    </message>
    <message id="macos.task_board.status_needs_fix">
        <source>Needs fix</source>
        <translation>需要修复</translation>
    </message>
    <message id="macos.task_board.status_new">
        <source>New</source>
        <translation>新建</translation>
    </message>
    <message id="macos.task_board.status_verified">
        <source>Verified</source>
        <translation>已验证</translation>
    </message>
    <message id="macos.task_board.status_worker_done">
        <source>Worker done</source>
        <translation>执行者已完成</translation>
    </message>
    <message id="macos.task_board.team_placeholder">
        <source>Team</source>
        <translation>团队</translation>
    </message>
    <message id="macos.task_board.timeline">
        <source>Timeline</source>
        <translation>时间线</translation>
    </message>
    <message id="macos.task_board.to_do">
        <source>To Do</source>
        <translation>待办</translation>
    </message>
    <message id="macos.terminal_viewer.attachment_unreadable">
        <source>Cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>无法送达回答。</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>无法送达消息。</translation>
    </message>
    <message id="macos.tmux_setup.applying_config">
        <source>Applying quorline config…</source>
        <translation>正在应用 quorline 配置…</translation>
    </message>
    <message id="macos.tmux_setup.config_write_failed">
        <source>Config write failed: %1</source>
        <translation>写入配置失败：%1</translation>
    </message>
    <message id="macos.tmux_setup.done">
        <source>tmux + quorline config installed ✓</source>
        <translation>tmux + quorline 配置已安装 ✓</translation>
    </message>
    <message id="macos.tmux_setup.existing_config_preserved">
        <source>tmux ready · Existing ~/.config/tmux/tmux.conf preserved</source>
        <translation>tmux 已就绪 · 保留现有的 ~/.config/tmux/tmux.conf</translation>
    </message>
    <message id="macos.tmux_setup.existing_tmux_conf_preserved">
        <source>tmux ready · Existing ~/.tmux.conf preserved</source>
        <translation>tmux 已就绪 · 保留现有的 ~/.tmux.conf</translation>
    </message>
    <message id="macos.tmux_setup.install_failed">
        <source>apt-get install tmux failed. Open a terminal and run `%1` manually.</source>
        <translation>apt-get install tmux 失败。请打开终端并手动运行 `%1`。</translation>
    </message>
    <message id="macos.tmux_setup.installing_tmux">
        <source>Installing tmux via the system package manager…</source>
        <translation>正在通过系统软件包管理器安装 tmux…</translation>
    </message>
    <message id="macos.tmux_setup.installing_tpm">
        <source>Installing TPM (tmux plugins)…</source>
        <translation>正在安装 TPM（tmux 插件）…</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_no_command">
        <source>tmux isn't installed. Install it with your system's package manager, then check again.</source>
        <translation>未安装 tmux。请使用系统的软件包管理器安装，然后重新检查。</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_run">
        <source>tmux isn't installed. Open a terminal and run `%1`, then check again.</source>
        <translation>未安装 tmux。请打开终端运行 `%1`，然后重新检查。</translation>
    </message>
    <message id="macos.update_banner.build">
        <source>Build %1</source>
        <translation>构建 %1</translation>
    </message>
    <message id="macos.update_banner.dismiss">
        <source>Dismiss</source>
        <translation>关闭</translation>
    </message>
    <message id="macos.update_banner.install">
        <source>Install</source>
        <translation>安装</translation>
    </message>
    <message id="macos.update_banner.installing_update">
        <source>Installing update…</source>
        <translation>正在安装更新…</translation>
    </message>
    <message id="macos.update_banner.installing_update_percent">
        <source>Installing update… %1%</source>
        <translation>正在安装更新… %1%</translation>
    </message>
    <message id="macos.update_banner.no_write_access">
        <source>Vesket cannot write to its install folder.</source>
        <translation>Vesket 无法写入其安装文件夹。</translation>
    </message>
    <message id="macos.update_banner.restart">
        <source>Restart</source>
        <translation>重新启动</translation>
    </message>
    <message id="macos.update_banner.restart_to_finish_the_update">
        <source>Restart to finish the update</source>
        <translation>重新启动以完成更新</translation>
    </message>
    <message id="macos.update_banner.retry">
        <source>Retry</source>
        <translation>重试</translation>
    </message>
    <message id="macos.update_banner.update_available">
        <source>Update available: Vesket %1</source>
        <translation>有可用更新：Vesket %1</translation>
    </message>
    <message id="macos.update_banner.update_failed">
        <source>Update failed</source>
        <translation>更新失败</translation>
    </message>
    <message id="macos.update_installer.install">
        <source>Install</source>
        <translation>安装</translation>
    </message>
    <message id="macos.update_installer.install_update">
        <source>Install Update</source>
        <translation>安装更新</translation>
    </message>
    <message id="macos.update_installer.later">
        <source>Later</source>
        <translation>稍后</translation>
    </message>
    <message id="macos.update_installer.vesket_will_download_and_install_the_update_the">
        <source>Vesket will download and install the update. The background service restarts on its own; restart Vesket afterwards to finish.</source>
        <translation>Vesket 将下载并安装更新。后台服务会自行重新启动；之后重新启动 Vesket 即可完成。</translation>
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
    <message id="qr.error.network">
        <source>The relay could not be reached. Check the connection and try again.</source>
        <translation>无法连接中继服务器。请检查网络连接后重试。</translation>
    </message>
    <message id="qr.error.rateLimited">
        <source>Too many pairing codes were requested. Try again in %1 seconds.</source>
        <translation>请求的配对码过多。请在 %1 秒后重试。</translation>
    </message>
    <message id="qr.error.serverError">
        <source>The relay could not create a pairing code. Try again in a moment.</source>
        <translation>中继服务器无法生成配对码。请稍后重试。</translation>
    </message>
    <message id="relay_error.action.finishMacSetup">
        <source>Finish Setup</source>
        <translation>完成设置</translation>
    </message>
    <message id="relay_error.action.openDevices">
        <source>Open Devices</source>
        <translation>打开设备</translation>
    </message>
    <message id="relay_error.action.registerThisMac">
        <source>Register This Mac</source>
        <translation>注册这台 Mac</translation>
    </message>
    <message id="relay_error.action.signIn">
        <source>Sign In</source>
        <translation>登录</translation>
    </message>
    <message id="relay_error.action.tryAgain">
        <source>Try Again</source>
        <translation>重试</translation>
    </message>
    <message id="relay_error.approved_device_required">
        <source>Only an approved device can create a pairing code. Finish setting up this Mac first.</source>
        <translation>只有已批准的设备才能创建配对码。请先完成这台 Mac 的设置。</translation>
    </message>
    <message id="relay_error.daemon_not_running">
        <source>The Vesket background service is not running on this Mac, so this list is unavailable. Open setup to start it.</source>
        <translation>这台 Mac 上的 Vesket 后台服务没有运行，因此无法显示此列表。请打开设置来启动它。</translation>
    </message>
    <message id="relay_error.device_not_approved.registered">
        <source>This Mac is not approved for your account yet. It approves itself once its Vesket daemon is connected. Open Devices to check it.</source>
        <translation>这台 Mac 尚未获准使用你的账户。它的 Vesket 守护进程连接后会自行批准。请打开“设备”查看。</translation>
    </message>
    <message id="relay_error.device_not_approved.unregistered">
        <source>This Mac is not set up for your account yet. Finish setup and it approves itself. No phone is needed.</source>
        <translation>这台 Mac 尚未为你的账户完成设置。完成设置后它会自行批准，无需手机。</translation>
    </message>
    <message id="relay_error.grant_required_for_pairing">
        <source>This device is not allowed to add Macs to the account. Add the Mac from a device that manages this account.</source>
        <translation>此设备无权向账户添加 Mac。请从管理此账户的设备上添加这台 Mac。</translation>
    </message>
    <message id="relay_error.mac_requires_local_daemon_vouch">
        <source>A Mac cannot be approved from another device. It approves itself once its own Vesket daemon is registered. Finish setup on that Mac.</source>
        <translation>Mac 无法从其他设备批准。它自己的 Vesket 守护进程注册后会自行批准。请在那台 Mac 上完成设置。</translation>
    </message>
    <message id="relay_error.pairing_needs_approved_device">
        <source>This account already had a Mac, so a new Mac must be added from a device you already use. Get a pairing code on your other Mac under Devices, or scan this Mac's QR with your phone.</source>
        <translation>此账户已有一台 Mac，因此新的 Mac 必须从你已在使用的设备上添加。请在另一台 Mac 的“设备”中获取配对码，或用手机扫描这台 Mac 的二维码。</translation>
    </message>
    <message id="relay_error.rate_limited">
        <source>Too many attempts in a short time. Wait a minute, then try again.</source>
        <translation>短时间内尝试次数过多。请等待一分钟后再试。</translation>
    </message>
    <message id="relay_error.session_expired">
        <source>Your sign-in has expired. Sign in again.</source>
        <translation>你的登录已过期。请重新登录。</translation>
    </message>
    <message id="relay_error.unknown_daemon_token">
        <source>The Vesket background service on this Mac is not registered with your account. Its saved registration was removed or belongs to another account. Register this Mac again.</source>
        <translation>这台 Mac 上的 Vesket 后台服务未在你的账户中注册。它保存的注册信息已被删除，或属于另一个账户。请重新注册这台 Mac。</translation>
    </message>
    <message id="window.name.characters_error">
        <source>Names can’t hold control characters or any of ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # %.</source>
        <translation>名称不能包含控制字符或 ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # % 中的任何字符。</translation>
    </message>
    <message id="window.name.length_error">
        <source>Names are at most 40 characters.</source>
        <translation>名称最多 40 个字符。</translation>
    </message>
    <message id="window.name.mutation_succeeded">
        <source>Done.</source>
        <translation>完成。</translation>
    </message>
    <message id="window.name.rename_failed">
        <source>Couldn’t rename group</source>
        <translation>无法重命名分组</translation>
    </message>
    <message id="window.name.renamed">
        <source>Renamed.</source>
        <translation>已重命名。</translation>
    </message>
</context>
</TS>
