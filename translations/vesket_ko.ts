<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko" sourcelanguage="en">
<context>
    <name></name>
    <message id="checklist.reason.qrExpired">
        <source>The code expired or the pairing failed. Ask for a new code.</source>
        <translation>코드가 만료되었거나 페어링에 실패했습니다. 새 코드를 요청하세요.</translation>
    </message>
    <message id="checklist.reason.tmuxMissing">
        <source>tmux is not installed. Install it with your package manager.</source>
        <translation>tmux가 설치되어 있지 않습니다. 패키지 관리자로 설치하세요.</translation>
    </message>
    <message id="checklist.reason.waitingForDaemonStart">
        <source>Waiting for the Vesket background service to start.</source>
        <translation>Vesket 백그라운드 서비스가 시작되기를 기다리는 중입니다.</translation>
    </message>
    <message id="checklist.row.connected.detail.active">
        <source>Waiting for the background service to link to the relay.</source>
        <translation>백그라운드 서비스가 릴레이에 연결되기를 기다리는 중입니다.</translation>
    </message>
    <message id="checklist.row.connected.detail.done">
        <source>Linked to the relay: your other devices reach this machine.</source>
        <translation>릴레이에 연결됨: 다른 기기에서 이 컴퓨터에 접근할 수 있습니다.</translation>
    </message>
    <message id="checklist.row.connected.detail.pending">
        <source>Follows once the background service runs.</source>
        <translation>백그라운드 서비스가 실행되면 이어집니다.</translation>
    </message>
    <message id="checklist.row.connected.title">
        <source>Connected</source>
        <translation>연결됨</translation>
    </message>
    <message id="checklist.row.daemonReady.detail.done">
        <source>The background service is running with tmux.</source>
        <translation>백그라운드 서비스가 tmux와 함께 실행 중입니다.</translation>
    </message>
    <message id="checklist.row.daemonReady.title">
        <source>Background service</source>
        <translation>백그라운드 서비스</translation>
    </message>
    <message id="checklist.row.pair.detail.active">
        <source>Scan the code with your phone's camera, or type the short code on the pairing page.</source>
        <translation>휴대폰 카메라로 코드를 스캔하거나 페어링 페이지에 짧은 코드를 입력하세요.</translation>
    </message>
    <message id="checklist.row.pair.detail.done">
        <source>This machine is paired with your account.</source>
        <translation>이 컴퓨터가 계정과 페어링되었습니다.</translation>
    </message>
    <message id="checklist.row.pair.title">
        <source>Pair with your account</source>
        <translation>계정과 페어링</translation>
    </message>
    <message id="checklist.row.permission.detail.automationOnly">
        <source>Automation is allowed; accessibility is still missing.</source>
        <translation>자동화는 허용되었지만 손쉬운 사용 권한이 아직 없습니다.</translation>
    </message>
    <message id="checklist.row.permission.detail.checking">
        <source>Checking permissions…</source>
        <translation>권한을 확인하는 중…</translation>
    </message>
    <message id="checklist.row.permission.detail.granted">
        <source>Nothing to grant: the background service has what it needs.</source>
        <translation>허용할 것이 없습니다. 백그라운드 서비스에 필요한 권한이 모두 있습니다.</translation>
    </message>
    <message id="checklist.row.permission.detail.pending">
        <source>The background service still needs its permissions.</source>
        <translation>백그라운드 서비스에 아직 권한이 필요합니다.</translation>
    </message>
    <message id="checklist.row.permission.title">
        <source>Permissions</source>
        <translation>권한</translation>
    </message>
    <message id="daemon_provision_failure.title.not_running">
        <source>Vesket's daemon is not running</source>
        <translation>Vesket 데몬이 실행되고 있지 않습니다</translation>
    </message>
    <message id="daemon_provision_failure.title.previous_daemon_restored">
        <source>Vesket restored the previous daemon</source>
        <translation>Vesket이 이전 데몬을 복원했습니다</translation>
    </message>
    <message id="daemon_provision_failure.title.running_daemon_kept">
        <source>Vesket kept the running daemon</source>
        <translation>Vesket이 실행 중인 데몬을 유지했습니다</translation>
    </message>
    <message id="daemon_rollback_pin.body">
        <source>The daemon is pinned to the build with SHA-256 %1…. Vesket will not replace it until you resume automatic updates.</source>
        <translation>데몬이 SHA-256 %1… 빌드로 고정되어 있습니다. 자동 업데이트를 다시 시작할 때까지 Vesket은 이를 교체하지 않습니다.</translation>
    </message>
    <message id="daemon_rollback_pin.resume">
        <source>Resume Automatic Updates</source>
        <translation>자동 업데이트 다시 시작</translation>
    </message>
    <message id="daemon_rollback_pin.title">
        <source>Automatic daemon updates are paused</source>
        <translation>데몬 자동 업데이트가 일시 중지되었습니다</translation>
    </message>
    <message id="macos.account_section.apple">
        <source>Sign in with Apple</source>
        <translation>Apple로 로그인</translation>
    </message>
    <message id="macos.account_section.checking">
        <source>Checking your saved sign-in…</source>
        <translation>저장된 로그인 정보를 확인하는 중…</translation>
    </message>
    <message id="macos.account_section.confirm_label">
        <source>Confirm</source>
        <translation>비밀번호 확인</translation>
    </message>
    <message id="macos.account_section.confirm_placeholder">
        <source>Repeat the password</source>
        <translation>비밀번호를 다시 입력하세요</translation>
    </message>
    <message id="macos.account_section.create_account">
        <source>Create Account</source>
        <translation>계정 만들기</translation>
    </message>
    <message id="macos.account_section.create_account_tab">
        <source>Create Account</source>
        <translation>계정 만들기</translation>
    </message>
    <message id="macos.account_section.email_placeholder">
        <source>you@example.org</source>
        <translation>name@example.org</translation>
    </message>
    <message id="macos.account_section.google">
        <source>Sign in with Google</source>
        <translation>Google로 로그인</translation>
    </message>
    <message id="macos.account_section.identifier_label">
        <source>E-mail or username</source>
        <translation>이메일 또는 사용자 이름</translation>
    </message>
    <message id="macos.account_section.identifier_placeholder">
        <source>E-mail address or username</source>
        <translation>이메일 주소 또는 사용자 이름</translation>
    </message>
    <message id="macos.account_section.needs_phone_pairing">
        <source>This account already has a Mac. Add this one by scanning its QR code with your phone.</source>
        <translation>이 계정에는 이미 Mac이 있습니다. 휴대폰으로 이 Mac의 QR 코드를 스캔해 추가하세요.</translation>
    </message>
    <message id="macos.account_section.password_label">
        <source>Password</source>
        <translation>비밀번호</translation>
    </message>
    <message id="macos.account_section.relay_apply">
        <source>Use</source>
        <translation>사용</translation>
    </message>
    <message id="macos.account_section.relay_automatic">
        <source>Automatic (fastest relay)</source>
        <translation>자동 (가장 빠른 릴레이)</translation>
    </message>
    <message id="macos.account_section.relay_current">
        <source>Using %1</source>
        <translation>사용 중: %1</translation>
    </message>
    <message id="macos.account_section.relay_custom">
        <source>Custom URL</source>
        <translation>사용자 지정 URL</translation>
    </message>
    <message id="macos.account_section.relay_invalid_url">
        <source>Enter a relay address that starts with https:// or http://.</source>
        <translation>https:// 또는 http://로 시작하는 릴레이 주소를 입력하세요.</translation>
    </message>
    <message id="macos.account_section.relay_latency_ms">
        <source>%1: %2 ms</source>
        <translation>%1: %2ms</translation>
    </message>
    <message id="macos.account_section.relay_measure">
        <source>Measure</source>
        <translation>측정</translation>
    </message>
    <message id="macos.account_section.relay_not_measured">
        <source>Latency not measured yet.</source>
        <translation>아직 지연 시간을 측정하지 않았습니다.</translation>
    </message>
    <message id="macos.account_section.relay_title">
        <source>Relay</source>
        <translation>릴레이</translation>
    </message>
    <message id="macos.account_section.relay_unreachable">
        <source>%1: unreachable</source>
        <translation>%1: 연결할 수 없음</translation>
    </message>
    <message id="macos.account_section.session_expired_detail">
        <source>Your session expired (sessions last 7 days). Sign in again to restore your Board &amp; Inbox.</source>
        <translation>세션이 만료되었습니다(세션은 7일간 유지됩니다). 보드와 받은편지함을 되살리려면 다시 로그인하세요.</translation>
    </message>
    <message id="macos.account_section.sign_in">
        <source>Sign In</source>
        <translation>로그인</translation>
    </message>
    <message id="macos.account_section.sign_in_tab">
        <source>Sign In</source>
        <translation>로그인</translation>
    </message>
    <message id="macos.account_section.sign_out">
        <source>Sign Out</source>
        <translation>로그아웃</translation>
    </message>
    <message id="macos.account_section.signed_in_as">
        <source>Signed in as %1</source>
        <translation>%1(으)로 로그인됨</translation>
    </message>
    <message id="macos.account_section.signing_in">
        <source>Signing in…</source>
        <translation>로그인하는 중…</translation>
    </message>
    <message id="macos.account_section.title">
        <source>Account</source>
        <translation>계정</translation>
    </message>
    <message id="macos.account_sign_in_page.apple_not_set_up">
        <source>Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID).</source>
        <translation>이 Mac에서는 아직 Apple 로그인이 설정되지 않았습니다(소유자의 Services ID가 필요합니다).</translation>
    </message>
    <message id="macos.account_sign_in_page.couldn_t_enroll_prefix">
        <source>Couldn't enroll this Mac. </source>
        <translation>이 Mac을 등록할 수 없습니다. </translation>
    </message>
    <message id="macos.account_sign_in_page.enter_a_username_and_password">
        <source>Enter a username and password.</source>
        <translation>사용자 이름과 비밀번호를 입력하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.google_not_set_up">
        <source>Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth client).</source>
        <translation>이 Mac에서는 아직 Google 로그인이 설정되지 않았습니다(소유자의 Google OAuth 클라이언트가 필요합니다).</translation>
    </message>
    <message id="macos.account_sign_in_page.password_must_be_at_least_8_characters">
        <source>Password must be at least 8 characters.</source>
        <translation>비밀번호는 8자 이상이어야 합니다.</translation>
    </message>
    <message id="macos.account_sign_in_page.passwords_don_t_match">
        <source>Passwords don't match.</source>
        <translation>비밀번호가 일치하지 않습니다.</translation>
    </message>
    <message id="macos.account_sign_in_page.please_check_your_email_and_password">
        <source>Please check your email and password.</source>
        <translation>이메일과 비밀번호를 확인하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.please_enter_a_valid_email_address">
        <source>Please enter a valid email address.</source>
        <translation>올바른 이메일 주소를 입력하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_account_exists">
        <source>An account with this email already exists. Sign in instead.</source>
        <translation>이 이메일로 된 계정이 이미 있습니다. 대신 로그인하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.register_error_generic">
        <source>Couldn't create the account. Try again.</source>
        <translation>계정을 만들 수 없습니다. 다시 시도하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.registration_backend_unavailable">
        <source>Registration is not available on this relay right now. Try again later.</source>
        <translation>지금은 이 릴레이에서 가입할 수 없습니다. 나중에 다시 시도하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.relay_unreachable">
        <source>Couldn't reach the relay at %1. Check your connection or the relay address, then try again.</source>
        <translation>%1의 릴레이에 연결할 수 없습니다. 연결이나 릴레이 주소를 확인한 뒤 다시 시도하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.session_expired">
        <source>Session expired — please sign in again.</source>
        <translation>세션이 만료되었습니다. 다시 로그인하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.too_many_attempts_wait_a_minute">
        <source>Too many attempts. Wait a minute, then try again.</source>
        <translation>시도 횟수가 너무 많습니다. 1분 후에 다시 시도하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.too_many_device_enrollment_attempts">
        <source>Too many device enrollment attempts. Try again in %1 seconds.</source>
        <translation>기기 등록 시도가 너무 많습니다. %1초 후에 다시 시도하세요.</translation>
    </message>
    <message id="macos.account_sign_in_page.wrong_username_or_password">
        <source>Wrong username or password.</source>
        <translation>사용자 이름 또는 비밀번호가 올바르지 않습니다.</translation>
    </message>
    <message id="macos.answer_panel.dismiss">
        <source>Dismiss</source>
        <translation>닫기</translation>
    </message>
    <message id="macos.answer_panel.hide_this_prompt_until_the_agent_asks_again">
        <source>Hide this prompt until the agent asks again</source>
        <translation>에이전트가 다시 물을 때까지 이 요청을 숨깁니다</translation>
    </message>
    <message id="macos.answer_panel.needs_your_attention">
        <source>Needs your attention</source>
        <translation>확인이 필요합니다</translation>
    </message>
    <message id="macos.answer_panel.press_digit">
        <source>Press %1</source>
        <translation>%1 키를 누르세요</translation>
    </message>
    <message id="macos.answer_panel.send">
        <source>Send</source>
        <translation>보내기</translation>
    </message>
    <message id="macos.answer_panel.team_signal">
        <source>Team signal</source>
        <translation>팀 신호</translation>
    </message>
    <message id="macos.answer_panel.team_signal_kind">
        <source>Team signal · %1</source>
        <translation>팀 신호 · %1</translation>
    </message>
    <message id="macos.answer_panel.the_agent_is_waiting_for_you">
        <source>The agent is waiting for you.</source>
        <translation>에이전트가 기다리고 있습니다.</translation>
    </message>
    <message id="macos.answer_panel.type_an_answer_and_press_enter">
        <source>Type an answer and press Enter</source>
        <translation>답변을 입력하고 Enter 키를 누르세요</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_answer">
        <source>Waiting for your answer</source>
        <translation>답변을 기다리는 중</translation>
    </message>
    <message id="macos.answer_panel.waiting_for_your_decision">
        <source>Waiting for your decision</source>
        <translation>결정을 기다리는 중</translation>
    </message>
    <message id="macos.composer.attach_files">
        <source>Attach files…</source>
        <translation>파일 첨부…</translation>
    </message>
    <message id="macos.composer.attached_files">
        <source>Attached: %1</source>
        <translation>첨부됨: %1</translation>
    </message>
    <message id="macos.composer.message_target_enter_to_send">
        <source>Message %1 — Enter to send, Shift+Enter for a new line</source>
        <translation>%1에게 메시지 — Enter로 보내기, Shift+Enter로 줄 바꿈</translation>
    </message>
    <message id="macos.composer.message_the_agent_enter_to_send">
        <source>Message the agent — Enter to send, Shift+Enter for a new line</source>
        <translation>에이전트에게 메시지 — Enter로 보내기, Shift+Enter로 줄 바꿈</translation>
    </message>
    <message id="macos.composer.pasted_image">
        <source>Pasted image</source>
        <translation>붙여넣은 이미지</translation>
    </message>
    <message id="macos.composer.remove_attachments">
        <source>Remove</source>
        <translation>제거</translation>
    </message>
    <message id="macos.composer.send">
        <source>Send</source>
        <translation>보내기</translation>
    </message>
    <message id="macos.composer.send_ctrl_c_interrupt">
        <source>Send Ctrl-C (interrupt)</source>
        <translation>Ctrl-C 보내기(중단)</translation>
    </message>
    <message id="macos.composer.send_down">
        <source>Send Down</source>
        <translation>아래쪽 화살표 보내기</translation>
    </message>
    <message id="macos.composer.send_enter">
        <source>Send Enter</source>
        <translation>Enter 보내기</translation>
    </message>
    <message id="macos.composer.send_escape">
        <source>Send Escape</source>
        <translation>Escape 보내기</translation>
    </message>
    <message id="macos.composer.send_tab">
        <source>Send Tab</source>
        <translation>Tab 보내기</translation>
    </message>
    <message id="macos.composer.send_up">
        <source>Send Up</source>
        <translation>위쪽 화살표 보내기</translation>
    </message>
    <message id="macos.composer.sending">
        <source>Sending…</source>
        <translation>보내는 중…</translation>
    </message>
    <message id="macos.composer.uploading_percent">
        <source>Uploading %1%</source>
        <translation>업로드 중 %1%</translation>
    </message>
    <message id="macos.crew_control_view.add_workers_failed">
        <source>Couldn’t add agents</source>
        <translation>에이전트를 추가하지 못했습니다</translation>
    </message>
    <message id="macos.crew_control_view.agent_kind">
        <source>Agent</source>
        <translation>에이전트</translation>
    </message>
    <message id="macos.crew_control_view.brief">
        <source>What should the worker do?</source>
        <translation>작업자가 무엇을 해야 하나요?</translation>
    </message>
    <message id="macos.crew_control_view.cancel">
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message id="macos.crew_control_view.choose_folder">
        <source>Choose…</source>
        <translation>선택…</translation>
    </message>
    <message id="macos.crew_control_view.cli_missing">
        <source>vesket CLI not found at %1 — install the daemon first.</source>
        <translation>%1에서 vesket CLI를 찾을 수 없습니다 — 먼저 데몬을 설치하세요.</translation>
    </message>
    <message id="macos.crew_control_view.close">
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message id="macos.crew_control_view.close_group_failed">
        <source>Couldn’t close group</source>
        <translation>그룹을 닫지 못했습니다</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_action">
        <source>Closing a terminal</source>
        <translation>터미널 닫기</translation>
    </message>
    <message id="macos.crew_control_view.close_terminal_failed">
        <source>Close terminal failed: %1</source>
        <translation>터미널 닫기 실패: %1</translation>
    </message>
    <message id="macos.crew_control_view.column_model">
        <source>Model</source>
        <translation>모델</translation>
    </message>
    <message id="macos.crew_control_view.column_name">
        <source>Team / pane</source>
        <translation>팀 / 창</translation>
    </message>
    <message id="macos.crew_control_view.column_state">
        <source>State</source>
        <translation>상태</translation>
    </message>
    <message id="macos.crew_control_view.column_task">
        <source>Task</source>
        <translation>작업</translation>
    </message>
    <message id="macos.crew_control_view.create">
        <source>Create</source>
        <translation>만들기</translation>
    </message>
    <message id="macos.crew_control_view.create_failed">
        <source>crew create failed</source>
        <translation>팀 만들기 실패</translation>
    </message>
    <message id="macos.crew_control_view.crew_bin_missing">
        <source>crew bin not found at %1 — is the daemon installed?</source>
        <translation>%1에서 팀 도구를 찾을 수 없습니다 — 데몬이 설치되어 있나요?</translation>
    </message>
    <message id="macos.crew_control_view.disband">
        <source>Disband</source>
        <translation>해체</translation>
    </message>
    <message id="macos.crew_control_view.empty">
        <source>No teams, groups or terminal windows yet.</source>
        <translation>아직 팀, 그룹 또는 터미널 창이 없습니다.</translation>
    </message>
    <message id="macos.crew_control_view.group_create_failed">
        <source>agent-group create failed</source>
        <translation>에이전트 그룹 만들기 실패</translation>
    </message>
    <message id="macos.crew_control_view.group_created">
        <source>Agent Group created (%1 panes, no manager).</source>
        <translation>에이전트 그룹을 만들었습니다(창 %1개, 관리자 없음).</translation>
    </message>
    <message id="macos.crew_control_view.group_row">
        <source>Agent group “%1”</source>
        <translation>에이전트 그룹 “%1”</translation>
    </message>
    <message id="macos.crew_control_view.group_size_error">
        <source>Agent groups grow by 2 (2–8) to keep the two-row layout.</source>
        <translation>두 줄 배치를 유지하도록 에이전트 그룹은 2개씩(2–8) 늘어납니다.</translation>
    </message>
    <message id="macos.crew_control_view.grow">
        <source>Add agents</source>
        <translation>에이전트 추가</translation>
    </message>
    <message id="macos.crew_control_view.grow_count">
        <source>How many workers?</source>
        <translation>작업자를 몇 명 추가할까요?</translation>
    </message>
    <message id="macos.crew_control_view.kind_of_window">
        <source>Start</source>
        <translation>시작</translation>
    </message>
    <message id="macos.crew_control_view.machine_local">
        <source>On this machine</source>
        <translation>이 컴퓨터에서</translation>
    </message>
    <message id="macos.crew_control_view.machine_remote">
        <source>On %1</source>
        <translation>%1에서</translation>
    </message>
    <message id="macos.crew_control_view.mode_group">
        <source>Agent group (two rows, no manager)</source>
        <translation>에이전트 그룹(두 줄, 관리자 없음)</translation>
    </message>
    <message id="macos.crew_control_view.mode_team">
        <source>Agent team (manager + workers)</source>
        <translation>에이전트 팀(관리자 + 작업자)</translation>
    </message>
    <message id="macos.crew_control_view.mode_terminal">
        <source>Plain terminal window</source>
        <translation>일반 터미널 창</translation>
    </message>
    <message id="macos.crew_control_view.model">
        <source>Model</source>
        <translation>모델</translation>
    </message>
    <message id="macos.crew_control_view.model_placeholder">
        <source>Model (empty: the agent's default)</source>
        <translation>모델(비우면 에이전트 기본값)</translation>
    </message>
    <message id="macos.crew_control_view.name">
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message id="macos.crew_control_view.name_placeholder">
        <source>Window name (optional)</source>
        <translation>창 이름(선택)</translation>
    </message>
    <message id="macos.crew_control_view.needs_approval">
        <source>Approve this device from one of your other devices to manage that machine's teams.</source>
        <translation>그 컴퓨터의 팀을 관리하려면 다른 기기에서 이 기기를 승인하세요.</translation>
    </message>
    <message id="macos.crew_control_view.new">
        <source>New…</source>
        <translation>새로 만들기…</translation>
    </message>
    <message id="macos.crew_control_view.new_title">
        <source>Start agents</source>
        <translation>에이전트 시작</translation>
    </message>
    <message id="macos.crew_control_view.project">
        <source>Project</source>
        <translation>프로젝트</translation>
    </message>
    <message id="macos.crew_control_view.project_placeholder">
        <source>Project folder</source>
        <translation>프로젝트 폴더</translation>
    </message>
    <message id="macos.crew_control_view.project_required">
        <source>Project name is required.</source>
        <translation>프로젝트 이름이 필요합니다.</translation>
    </message>
    <message id="macos.crew_control_view.registry_failed">
        <source>crew-registry list failed</source>
        <translation>팀 목록을 읽지 못했습니다</translation>
    </message>
    <message id="macos.crew_control_view.registry_unreadable">
        <source>couldn't parse crew registry output</source>
        <translation>팀 목록 출력을 해석할 수 없습니다</translation>
    </message>
    <message id="macos.crew_control_view.remote_only_refusal">
        <source>%1 isn’t available yet for a remote machine (%2) — switch to it directly, or select This Mac.</source>
        <translation>%1은(는) 아직 원격 컴퓨터(%2)에서 할 수 없습니다 — 그 컴퓨터로 직접 전환하거나 이 컴퓨터를 선택하세요.</translation>
    </message>
    <message id="macos.crew_control_view.remove_action">
        <source>Removing a team</source>
        <translation>팀 해체</translation>
    </message>
    <message id="macos.crew_control_view.remove_failed">
        <source>Remove failed: %1</source>
        <translation>해체 실패: %1</translation>
    </message>
    <message id="macos.crew_control_view.removed">
        <source>Removed agent team for “%1”</source>
        <translation>“%1”의 에이전트 팀을 해체했습니다</translation>
    </message>
    <message id="macos.crew_control_view.rename">
        <source>Rename…</source>
        <translation>이름 바꾸기…</translation>
    </message>
    <message id="macos.crew_control_view.rename_team_failed">
        <source>Couldn’t rename team</source>
        <translation>팀 이름을 바꾸지 못했습니다</translation>
    </message>
    <message id="macos.crew_control_view.route">
        <source>Route task…</source>
        <translation>작업 배정…</translation>
    </message>
    <message id="macos.crew_control_view.route_failed">
        <source>route failed</source>
        <translation>배정 실패</translation>
    </message>
    <message id="macos.crew_control_view.routed">
        <source>Routed %1 to %2.</source>
        <translation>%1을(를) %2에 배정했습니다.</translation>
    </message>
    <message id="macos.crew_control_view.routing">
        <source>Routing…</source>
        <translation>라우팅…</translation>
    </message>
    <message id="macos.crew_control_view.starting">
        <source>Starting agents…</source>
        <translation>에이전트 시작 중…</translation>
    </message>
    <message id="macos.crew_control_view.state_blocked">
        <source>blocked</source>
        <translation>막힘</translation>
    </message>
    <message id="macos.crew_control_view.state_idle">
        <source>idle</source>
        <translation>대기</translation>
    </message>
    <message id="macos.crew_control_view.state_unknown">
        <source>unknown</source>
        <translation>알 수 없음</translation>
    </message>
    <message id="macos.crew_control_view.state_working">
        <source>working</source>
        <translation>작업 중</translation>
    </message>
    <message id="macos.crew_control_view.stop">
        <source>Stop task</source>
        <translation>작업 중지</translation>
    </message>
    <message id="macos.crew_control_view.stop_failed">
        <source>stop failed</source>
        <translation>중지 실패</translation>
    </message>
    <message id="macos.crew_control_view.stopped">
        <source>Stopped the task of %1.</source>
        <translation>%1의 작업을 중지했습니다.</translation>
    </message>
    <message id="macos.crew_control_view.stopping">
        <source>Stopping a task</source>
        <translation>작업 중지 중</translation>
    </message>
    <message id="macos.crew_control_view.task">
        <source>Task</source>
        <translation>작업</translation>
    </message>
    <message id="macos.crew_control_view.task_id">
        <source>Task id</source>
        <translation>작업 ID</translation>
    </message>
    <message id="macos.crew_control_view.task_id_required">
        <source>A task id is required to route.</source>
        <translation>작업을 배정하려면 작업 ID가 필요합니다.</translation>
    </message>
    <message id="macos.crew_control_view.task_placeholder">
        <source>First task for the manager (optional)</source>
        <translation>관리자의 첫 작업(선택)</translation>
    </message>
    <message id="macos.crew_control_view.team_created">
        <source>Agent team created for “%1” (1 mgr + %2 %3 workers, %4).</source>
        <translation>“%1”의 에이전트 팀을 만들었습니다(관리자 1 + %3 작업자 %2, %4).</translation>
    </message>
    <message id="macos.crew_control_view.terminal_closed">
        <source>Closed terminal window.</source>
        <translation>터미널 창을 닫았습니다.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_failed">
        <source>Couldn’t open a terminal: %1</source>
        <translation>터미널을 열지 못했습니다: %1</translation>
    </message>
    <message id="macos.crew_control_view.terminal_needs_sign_in">
        <source>Sign in to create a terminal on a remote machine — without a relay account the pane would land on This Mac instead.</source>
        <translation>원격 컴퓨터에 터미널을 만들려면 로그인하세요 — 릴레이 계정이 없으면 창이 이 컴퓨터에 생깁니다.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_opened">
        <source>Opened terminal window “%1”.</source>
        <translation>터미널 창 “%1”을(를) 열었습니다.</translation>
    </message>
    <message id="macos.crew_control_view.terminal_row">
        <source>Terminal “%1”</source>
        <translation>터미널 “%1”</translation>
    </message>
    <message id="macos.crew_control_view.title">
        <source>Agent teams</source>
        <translation>에이전트 팀</translation>
    </message>
    <message id="macos.crew_control_view.worker_count_range">
        <source>Worker count must be 1–9.</source>
        <translation>작업자 수는 1–9여야 합니다.</translation>
    </message>
    <message id="macos.crew_control_view.workers">
        <source>Workers</source>
        <translation>작업자</translation>
    </message>
    <message id="macos.crew_control_view.workers_added">
        <source>Added %1 agents to the team.</source>
        <translation>팀에 에이전트 %1개를 추가했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.could_not_cleanly_restart">
        <source>Vesket could not cleanly restart its daemon.

%1

Check with: %2</source>
        <translation>Vesket이 데몬을 깔끔하게 다시 시작하지 못했습니다.

%1

확인 방법: %2</translation>
    </message>
    <message id="macos.daemon_provision.could_not_clear_rollback_pin">
        <source>Vesket could not clear the daemon rollback pin at %1</source>
        <translation>Vesket이 %1의 데몬 롤백 고정을 해제하지 못했습니다</translation>
    </message>
    <message id="macos.daemon_provision.embedded_missing">
        <source>This copy of Vesket does not contain its signed daemon.</source>
        <translation>이 Vesket 사본에는 서명된 데몬이 들어 있지 않습니다.</translation>
    </message>
    <message id="macos.daemon_provision.embedded_untrusted">
        <source>The daemon inside this copy of Vesket failed Developer ID verification.</source>
        <translation>이 Vesket 사본에 포함된 데몬이 서명 확인을 통과하지 못했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.isolated_instance_does_not_control_the_service">
        <source>This isolated instance does not control the daemon's service.</source>
        <translation>이 격리된 인스턴스는 데몬 서비스를 제어하지 않습니다.</translation>
    </message>
    <message id="macos.daemon_provision.live_replace_refused">
        <source>Vesket found its daemon running and could not obtain a safe restart, so it left the running daemon in place.</source>
        <translation>Vesket 데몬이 실행 중이었고 안전하게 다시 시작할 수 없어 실행 중인 데몬을 그대로 두었습니다.</translation>
    </message>
    <message id="macos.daemon_provision.redirected_home_refused">
        <source>Provisioning was refused: this app was launched with an explicit VESKET_HOME, but the running daemon's home is a different directory. Vesket does not replace the daemon of an install it was not pointed at.</source>
        <translation>설치가 거부되었습니다: 이 앱은 명시적인 VESKET_HOME으로 실행되었지만 실행 중인 데몬의 홈은 다른 디렉터리입니다. Vesket은 지정되지 않은 설치의 데몬을 교체하지 않습니다.</translation>
    </message>
    <message id="macos.daemon_provision.replacement_failed">
        <source>Vesket could not install or verify its signed daemon.</source>
        <translation>Vesket이 서명된 데몬을 설치하거나 확인하지 못했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.replacement_rolled_back">
        <source>Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.</source>
        <translation>Vesket이 새 데몬을 설치했지만 계속 실행되지 않아 이전 데몬을 복원했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.restart_binary_not_found">
        <source>Could not restart the Vesket daemon: binary not found at %1.

Please download the latest signed Vesket release.</source>
        <translation>Vesket 데몬을 다시 시작할 수 없습니다: %1에서 실행 파일을 찾을 수 없습니다.

서명된 최신 Vesket 릴리스를 내려받으세요.</translation>
    </message>
    <message id="macos.daemon_provision.restart_bootstrap_failed">
        <source>The service manager could not load the daemon job again.</source>
        <translation>서비스 관리자가 데몬 작업을 다시 불러오지 못했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.restart_could_not_terminate">
        <source>Could not terminate the existing daemon process (PID %1).</source>
        <translation>기존 데몬 프로세스(PID %1)를 종료할 수 없습니다.</translation>
    </message>
    <message id="macos.daemon_provision.restart_job_not_removed">
        <source>The service manager did not finish removing the old daemon job.</source>
        <translation>서비스 관리자가 이전 데몬 작업 제거를 끝내지 못했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.restart_pid_not_the_daemon">
        <source>The service manager reported PID %1, but it was not the expected daemon executable.</source>
        <translation>서비스 관리자가 PID %1을(를) 보고했지만 예상한 데몬 실행 파일이 아니었습니다.</translation>
    </message>
    <message id="macos.daemon_provision.sidecar_sync_failed">
        <source>Vesket verified its signed daemon, but could not update its bundled terminal support tools.</source>
        <translation>Vesket이 서명된 데몬을 확인했지만 함께 제공되는 터미널 지원 도구를 업데이트하지 못했습니다.</translation>
    </message>
    <message id="macos.daemon_provision.test_host_refused">
        <source>Provisioning was refused because it ran inside a test host without an isolated VESKET_HOME.</source>
        <translation>격리된 VESKET_HOME 없이 테스트 호스트 안에서 실행되어 설치가 거부되었습니다.</translation>
    </message>
    <message id="macos.daemon_quit.active_agent_or_remote_activity">
        <source>Vesket has active agent or remote activity. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>Vesket에서 에이전트 또는 원격 작업이 진행 중입니다. 종료하면 데몬과 이 컴퓨터에 대한 원격 접근이 중지됩니다. tmux 패널은 로컬에 그대로 남지만 Vesket 클라이언트와 에이전트 간 협업 연결은 끊어집니다.</translation>
    </message>
    <message id="macos.daemon_quit.could_not_verify_whether_panes_are_active">
        <source>Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to this Mac.</source>
        <translation>Vesket이 패널의 활성 여부를 확인하지 못했습니다. 종료하면 데몬과 이 컴퓨터에 대한 원격 접근이 중지됩니다.</translation>
    </message>
    <message id="macos.daemon_quit.open_panes" numerus="yes">
        <source>Vesket has %n open panes. Quitting will stop the daemon and remote access to this Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.</source>
        <translation>
            <numerusform>Vesket에 열린 패널이 %n개 있습니다. 종료하면 데몬과 이 컴퓨터에 대한 원격 접근이 중지됩니다. tmux 패널은 로컬에 그대로 남지만 Vesket 클라이언트와 에이전트 간 협업 연결은 끊어집니다.</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.account">
        <source>Account…</source>
        <translation>계정…</translation>
    </message>
    <message id="macos.desktop_shell.connecting_to_the_daemon">
        <source>Connecting to the daemon…</source>
        <translation>데몬에 연결하는 중…</translation>
    </message>
    <message id="macos.desktop_shell.could_not_stop_the_vesket_daemon">
        <source>Could not stop the Vesket daemon. Vesket is still running.</source>
        <translation>Vesket 데몬을 중지하지 못했습니다. Vesket이 계속 실행 중입니다.</translation>
    </message>
    <message id="macos.desktop_shell.daemon_not_running">
        <source>Daemon not running</source>
        <translation>데몬이 실행되고 있지 않음</translation>
    </message>
    <message id="macos.desktop_shell.daemon_running_panes" numerus="yes">
        <source>Daemon running · %n panes</source>
        <translation>
            <numerusform>데몬 실행 중 · 패널 %n개</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.devices">
        <source>Devices…</source>
        <translation>기기…</translation>
    </message>
    <message id="macos.desktop_shell.inbox">
        <source>Inbox…</source>
        <translation>받은 편지함…</translation>
    </message>
    <message id="macos.desktop_shell.inbox_decisions_waiting" numerus="yes">
        <source>Inbox — %n decisions waiting…</source>
        <translation>
            <numerusform>받은편지함 — 결정 %n개 대기 중…</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.open_vesket">
        <source>Open Vesket</source>
        <translation>Vesket 열기</translation>
    </message>
    <message id="macos.desktop_shell.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>이 컴퓨터 페어링…</translation>
    </message>
    <message id="macos.desktop_shell.quit">
        <source>Quit</source>
        <translation>종료</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket">
        <source>Quit Vesket</source>
        <translation>Vesket 종료</translation>
    </message>
    <message id="macos.desktop_shell.quit_vesket_question">
        <source>Quit Vesket?</source>
        <translation>Vesket을 종료할까요?</translation>
    </message>
    <message id="macos.desktop_shell.reconnecting_attempt">
        <source>Reconnecting (attempt %1)…</source>
        <translation>다시 연결하는 중(%1번째 시도)…</translation>
    </message>
    <message id="macos.desktop_shell.state_waiting_for_you" numerus="yes">
        <source>%1 · %n waiting for you</source>
        <translation>
            <numerusform>%1 · %n개가 기다리는 중</numerusform>
        </translation>
    </message>
    <message id="macos.desktop_shell.tray_tooltip">
        <source>Vesket — %1</source>
        <translation>Vesket — %1</translation>
    </message>
    <message id="macos.device_approval.approve">
        <source>Approve</source>
        <translation>승인</translation>
    </message>
    <message id="macos.device_approval.deny">
        <source>Deny</source>
        <translation>거부</translation>
    </message>
    <message id="macos.device_approval.new_request_title">
        <source>New device wants to join your account</source>
        <translation>새 기기가 계정에 참여하려고 합니다</translation>
    </message>
    <message id="macos.device_approval.repeat_request_title">
        <source>⚠️ Repeat request from a device you denied</source>
        <translation>⚠️ 거부한 기기에서 다시 요청했습니다</translation>
    </message>
    <message id="macos.devices_window.account_devices">
        <source>Devices on this account</source>
        <translation>이 계정의 기기</translation>
    </message>
    <message id="macos.devices_window.code">
        <source>code</source>
        <translation>코드</translation>
    </message>
    <message id="macos.devices_window.denied_until">
        <source>You can ask again after %1.</source>
        <translation>%1 이후에 다시 요청할 수 있습니다.</translation>
    </message>
    <message id="macos.devices_window.get_pairing_code">
        <source>Get a pairing code</source>
        <translation>페어링 코드 받기</translation>
    </message>
    <message id="macos.devices_window.last_seen">
        <source>last seen %1</source>
        <translation>마지막 접속 %1</translation>
    </message>
    <message id="macos.devices_window.loading">
        <source>Loading…</source>
        <translation>불러오는 중…</translation>
    </message>
    <message id="macos.devices_window.match_fingerprint">
        <source>Match this fingerprint on the approving computer</source>
        <translation>승인하는 컴퓨터에서 이 지문이 일치하는지 확인하세요</translation>
    </message>
    <message id="macos.devices_window.my_machines">
        <source>My machines</source>
        <translation>내 컴퓨터</translation>
    </message>
    <message id="macos.devices_window.no_devices">
        <source>No devices yet.</source>
        <translation>아직 기기가 없습니다.</translation>
    </message>
    <message id="macos.devices_window.no_machines">
        <source>No machine is paired with this account yet.</source>
        <translation>아직 이 계정에 페어링된 컴퓨터가 없습니다.</translation>
    </message>
    <message id="macos.devices_window.no_pending">
        <source>No device is waiting for approval.</source>
        <translation>승인을 기다리는 기기가 없습니다.</translation>
    </message>
    <message id="macos.devices_window.not_enrolled">
        <source>Not enrolled: sign in to your account first.</source>
        <translation>등록되지 않았습니다. 먼저 계정에 로그인하세요.</translation>
    </message>
    <message id="macos.devices_window.online">
        <source>Online</source>
        <translation>온라인</translation>
    </message>
    <message id="macos.devices_window.pair_this_machine">
        <source>Pair this machine…</source>
        <translation>이 컴퓨터 페어링…</translation>
    </message>
    <message id="macos.devices_window.pairing_code_is">
        <source>Type this code in the pairing window of the other machine: %1</source>
        <translation>다른 컴퓨터의 페어링 창에 이 코드를 입력하세요: %1</translation>
    </message>
    <message id="macos.devices_window.pending_unavailable">
        <source>Requests cannot be read: this device is not approved or the relay is not reachable.</source>
        <translation>요청을 읽을 수 없습니다. 이 기기가 승인되지 않았거나 릴레이에 연결할 수 없습니다.</translation>
    </message>
    <message id="macos.devices_window.relay_unreachable">
        <source>The relay could not be reached. Check the connection.</source>
        <translation>릴레이에 연결할 수 없습니다. 연결을 확인하세요.</translation>
    </message>
    <message id="macos.devices_window.revoke">
        <source>Revoke</source>
        <translation>해지</translation>
    </message>
    <message id="macos.devices_window.status_approved">
        <source>Approved</source>
        <translation>승인됨</translation>
    </message>
    <message id="macos.devices_window.status_denied">
        <source>Denied</source>
        <translation>거부됨</translation>
    </message>
    <message id="macos.devices_window.status_pending">
        <source>Waiting for approval</source>
        <translation>승인 대기 중</translation>
    </message>
    <message id="macos.devices_window.status_revoked">
        <source>Revoked</source>
        <translation>해지됨</translation>
    </message>
    <message id="macos.devices_window.this_device">
        <source>This device</source>
        <translation>이 기기</translation>
    </message>
    <message id="macos.devices_window.this_device_tag">
        <source>this device</source>
        <translation>이 기기</translation>
    </message>
    <message id="macos.devices_window.this_machine_tag">
        <source>this machine</source>
        <translation>이 컴퓨터</translation>
    </message>
    <message id="macos.devices_window.title">
        <source>Devices</source>
        <translation>기기</translation>
    </message>
    <message id="macos.devices_window.waiting_for_approval">
        <source>Waiting for approval</source>
        <translation>승인 대기 중</translation>
    </message>
    <message id="macos.environment_installer.could_not_launch">
        <source>Could not launch the installer: %1</source>
        <translation>설치 프로그램을 시작할 수 없습니다: %1</translation>
    </message>
    <message id="macos.environment_installer.could_not_stage">
        <source>Could not keep a verified copy of the installer: %1</source>
        <translation>설치 프로그램의 확인된 사본을 저장할 수 없습니다: %1</translation>
    </message>
    <message id="macos.environment_installer.digest_mismatch">
        <source>The environment installer does not match the SHA-256 digest this copy of Vesket expects, so it was not run.</source>
        <translation>환경 설치 프로그램이 이 Vesket 사본이 기대하는 SHA-256 다이제스트와 일치하지 않아 실행하지 않았습니다.</translation>
    </message>
    <message id="macos.environment_installer.disabled_isolated_instance">
        <source>Environment setup is disabled: this is an isolated instance.</source>
        <translation>환경 설정이 비활성화되었습니다: 격리된 인스턴스입니다.</translation>
    </message>
    <message id="macos.environment_installer.ghostty_not_applicable">
        <source>Ghostty is not applicable on this system: use your desktop's terminal.</source>
        <translation>이 시스템에서는 Ghostty를 사용할 수 없습니다: 데스크톱의 터미널을 사용하세요.</translation>
    </message>
    <message id="macos.environment_installer.homebrew_not_applicable">
        <source>Homebrew is not applicable on this system: Vesket installs through the system package manager.</source>
        <translation>이 시스템에서는 Homebrew를 사용할 수 없습니다: Vesket은 시스템 패키지 관리자로 설치합니다.</translation>
    </message>
    <message id="macos.environment_installer.installer_exited_with_status">
        <source>quorline installer exited with status %1 — see the log above for the failing step.</source>
        <translation>quorline 설치 프로그램이 상태 %1(으)로 종료되었습니다. 실패한 단계는 위의 로그를 확인하세요.</translation>
    </message>
    <message id="macos.environment_installer.not_packaged">
        <source>The system package manager does not offer it.</source>
        <translation>시스템 패키지 관리자가 제공하지 않습니다.</translation>
    </message>
    <message id="macos.environment_installer.script_missing">
        <source>Could not find the environment installer at %1.</source>
        <translation>%1에서 환경 설치 프로그램을 찾을 수 없습니다.</translation>
    </message>
    <message id="macos.environment_installer.verified_script_vanished">
        <source>Verified script vanished before it could run — please try again.</source>
        <translation>확인된 스크립트가 실행되기 전에 사라졌습니다. 다시 시도하세요.</translation>
    </message>
    <message id="macos.inbox_view.answer_answered">
        <source>Answered</source>
        <translation>답변함</translation>
    </message>
    <message id="macos.inbox_view.answer_declined">
        <source>Declined</source>
        <translation>거절함</translation>
    </message>
    <message id="macos.inbox_view.answer_failed">
        <source>Failed</source>
        <translation>실패</translation>
    </message>
    <message id="macos.inbox_view.answer_no_answer">
        <source>No answer yet</source>
        <translation>아직 답 없음</translation>
    </message>
    <message id="macos.inbox_view.answer_not_delivered">
        <source>Not delivered</source>
        <translation>전달되지 않음</translation>
    </message>
    <message id="macos.inbox_view.answer_seen">
        <source>Seen</source>
        <translation>확인함</translation>
    </message>
    <message id="macos.inbox_view.answer_waiting_on_you">
        <source>Waiting on you</source>
        <translation>회신 대기 중</translation>
    </message>
    <message id="macos.inbox_view.answer_working">
        <source>Working on it</source>
        <translation>작업 중</translation>
    </message>
    <message id="macos.inbox_view.decided">
        <source>Answered: %1</source>
        <translation>답변: %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due">
        <source>Due %1</source>
        <translation>마감 %1</translation>
    </message>
    <message id="macos.inbox_view.decision_due_unreadable">
        <source>Due “%1” (not a date Vesket can read)</source>
        <translation>마감 “%1” (Vesket이 읽을 수 없는 날짜)</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_already_decided">
        <source>This question was already answered.</source>
        <translation>이미 답변한 질문입니다.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_expired">
        <source>The deadline for this question has passed.</source>
        <translation>이 질문의 마감 시간이 지났습니다.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_offline">
        <source>You're offline — the answer wasn't sent.</source>
        <translation>오프라인 상태라 답을 보내지 못했습니다.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_timeout">
        <source>The relay didn't answer in time. Try again.</source>
        <translation>릴레이가 제때 응답하지 않았습니다. 다시 시도하세요.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_unavailable">
        <source>Couldn't send the answer. Try again.</source>
        <translation>답을 보내지 못했습니다. 다시 시도하세요.</translation>
    </message>
    <message id="macos.inbox_view.decision_failure_withdrawn">
        <source>The agent withdrew this question.</source>
        <translation>에이전트가 이 질문을 철회했습니다.</translation>
    </message>
    <message id="macos.inbox_view.decision_sending">
        <source>Sending…</source>
        <translation>보내는 중…</translation>
    </message>
    <message id="macos.inbox_view.file_expired">
        <source>This file has expired (files are kept 7 days).</source>
        <translation>이 파일은 만료되었습니다(파일은 7일간 보관됩니다).</translation>
    </message>
    <message id="macos.inbox_view.file_failed">
        <source>Couldn't open the file: %1</source>
        <translation>파일을 열 수 없습니다: %1</translation>
    </message>
    <message id="macos.inbox_view.load_older">
        <source>Load older messages</source>
        <translation>이전 메시지 불러오기</translation>
    </message>
    <message id="macos.inbox_view.local_only_body">
        <source>Messages from your phone and other devices appear here once this Mac is approved. Terminals and agent teams on this Mac work as usual.</source>
        <translation>이 Mac이 승인되면 휴대폰과 다른 기기의 메시지가 여기에 표시됩니다. 이 Mac의 터미널과 에이전트 팀은 평소처럼 작동합니다.</translation>
    </message>
    <message id="macos.inbox_view.local_only_title">
        <source>Inbox is local-only for now</source>
        <translation>받은편지함은 당분간 로컬 전용입니다</translation>
    </message>
    <message id="macos.inbox_view.mark_all_read">
        <source>Mark all read</source>
        <translation>모두 읽음으로 표시</translation>
    </message>
    <message id="macos.inbox_view.mark_read">
        <source>Mark read</source>
        <translation>읽음으로 표시</translation>
    </message>
    <message id="macos.inbox_view.new_decision">
        <source>%1 asks</source>
        <translation>%1의 질문</translation>
    </message>
    <message id="macos.inbox_view.no_files">
        <source>No shared files yet.</source>
        <translation>아직 공유된 파일이 없습니다.</translation>
    </message>
    <message id="macos.inbox_view.no_notifications">
        <source>No notifications.</source>
        <translation>알림이 없습니다.</translation>
    </message>
    <message id="macos.inbox_view.no_threads">
        <source>No messages yet. Agents post here with “vesket inbox”.</source>
        <translation>아직 메시지가 없습니다. 에이전트는 “vesket inbox”로 여기에 글을 남깁니다.</translation>
    </message>
    <message id="macos.inbox_view.open_file">
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message id="macos.inbox_view.pick_thread">
        <source>Choose a conversation on the left.</source>
        <translation>왼쪽에서 대화를 선택하세요.</translation>
    </message>
    <message id="macos.inbox_view.recommended">
        <source>%1 (recommended)</source>
        <translation>%1 (추천)</translation>
    </message>
    <message id="macos.inbox_view.reply_failed">
        <source>Couldn't send reply.</source>
        <translation>답장을 보내지 못했습니다.</translation>
    </message>
    <message id="macos.inbox_view.reply_placeholder">
        <source>Reply to the agent…</source>
        <translation>에이전트에게 답장…</translation>
    </message>
    <message id="macos.inbox_view.segment_board">
        <source>Board</source>
        <translation>보드</translation>
    </message>
    <message id="macos.inbox_view.segment_files">
        <source>Files</source>
        <translation>파일</translation>
    </message>
    <message id="macos.inbox_view.segment_messages">
        <source>Messages</source>
        <translation>메시지</translation>
    </message>
    <message id="macos.inbox_view.segment_notifications">
        <source>Notifications</source>
        <translation>알림</translation>
    </message>
    <message id="macos.inbox_view.send">
        <source>Send</source>
        <translation>보내기</translation>
    </message>
    <message id="macos.inbox_view.session_expired">
        <source>Your session expired (sessions last 7 days). Sign in again — the Inbox uses your account session.</source>
        <translation>세션이 만료되었습니다(세션은 7일간 유지됩니다). 다시 로그인하세요 — 받은 편지함은 계정 세션을 사용합니다.</translation>
    </message>
    <message id="macos.inbox_view.title">
        <source>Inbox</source>
        <translation>받은 편지함</translation>
    </message>
    <message id="macos.inbox_view.waiting_decisions">
        <source>Waiting for you: %1</source>
        <translation>회신 대기: %1</translation>
    </message>
    <message id="macos.inbox_view.withdrawn">
        <source>Withdrawn by the agent</source>
        <translation>에이전트가 철회함</translation>
    </message>
    <message id="macos.live_terminal.attaching">
        <source>Attaching…</source>
        <translation>연결하는 중…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting">
        <source>Reconnecting…</source>
        <translation>다시 연결하는 중…</translation>
    </message>
    <message id="macos.live_terminal.reconnecting_attempt_delay">
        <source>Reconnecting (attempt %1, %2 ms)</source>
        <translation>다시 연결하는 중(%1번째 시도, %2ms)</translation>
    </message>
    <message id="macos.live_terminal.terminal_assets_missing">
        <source>Terminal assets missing from the app bundle.</source>
        <translation>앱 번들에 터미널 리소스가 없습니다.</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended">
        <source>The pane's terminal ended.</source>
        <translation>패널의 터미널이 종료되었습니다.</translation>
    </message>
    <message id="macos.live_terminal.the_pane_s_terminal_ended_reason">
        <source>The pane's terminal ended: %1</source>
        <translation>패널의 터미널이 종료되었습니다: %1</translation>
    </message>
    <message id="macos.live_terminal.the_terminal_of_this_pane_is_not_reachable">
        <source>The terminal of this pane is not reachable.</source>
        <translation>이 패널의 터미널에 연결할 수 없습니다.</translation>
    </message>
    <message id="macos.live_terminal.try_again">
        <source>Try again</source>
        <translation>다시 시도</translation>
    </message>
    <message id="macos.main_window.connection_connecting">
        <source>connecting</source>
        <translation>연결 중</translation>
    </message>
    <message id="macos.main_window.connection_daemon">
        <source>daemon</source>
        <translation>데몬</translation>
    </message>
    <message id="macos.main_window.connection_no_daemon">
        <source>no daemon</source>
        <translation>데몬 없음</translation>
    </message>
    <message id="macos.main_window.connection_retry">
        <source>retry %1</source>
        <translation>재시도 %1</translation>
    </message>
    <message id="macos.main_window.connection_to_the_local_vesket_daemon">
        <source>Connection to the local Vesket daemon</source>
        <translation>로컬 Vesket 데몬과의 연결</translation>
    </message>
    <message id="macos.main_window.context_used">
        <source>%1% context</source>
        <translation>컨텍스트 %1%</translation>
    </message>
    <message id="macos.main_window.fit_picker_tooltip">
        <source>Size the pane's tmux window: Off leaves it alone, Fit follows this view</source>
        <translation>패널의 tmux 창 크기: 끔은 그대로 두고, 맞춤은 이 보기를 따릅니다</translation>
    </message>
    <message id="macos.main_window.fit_width_fit">
        <source>Fit</source>
        <translation>맞춤</translation>
    </message>
    <message id="macos.main_window.fit_width_off">
        <source>Off</source>
        <translation>끔</translation>
    </message>
    <message id="macos.main_window.live_terminal">
        <source>Live terminal</source>
        <translation>라이브 터미널</translation>
    </message>
    <message id="macos.main_window.machine_offline">
        <source>%1 (offline)</source>
        <translation>%1 (오프라인)</translation>
    </message>
    <message id="macos.main_window.rename_cancel">
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message id="macos.main_window.rename_ok">
        <source>Rename</source>
        <translation>이름 바꾸기</translation>
    </message>
    <message id="macos.main_window.rename_pane">
        <source>Rename…</source>
        <translation>이름 변경…</translation>
    </message>
    <message id="macos.main_window.rename_pane_prompt">
        <source>Name shown in the sidebar (empty: the automatic name):</source>
        <translation>사이드바에 표시할 이름 (비워 두면 자동 이름):</translation>
    </message>
    <message id="macos.main_window.rename_pane_title">
        <source>Rename Pane</source>
        <translation>패인 이름 변경</translation>
    </message>
    <message id="macos.main_window.settings">
        <source>Settings…</source>
        <translation>설정…</translation>
    </message>
    <message id="macos.main_window.setup">
        <source>Setup…</source>
        <translation>설정 도우미…</translation>
    </message>
    <message id="macos.main_window.setup_tooltip">
        <source>The daemon's state and the tools Vesket uses</source>
        <translation>데몬 상태와 Vesket이 사용하는 도구</translation>
    </message>
    <message id="macos.main_window.show_the_pane_as_a_live_terminal">
        <source>Show the pane as a live terminal you can type into, instead of its text</source>
        <translation>패널을 텍스트 대신 입력할 수 있는 라이브 터미널로 표시합니다</translation>
    </message>
    <message id="macos.main_window.teams">
        <source>Teams</source>
        <translation>팀</translation>
    </message>
    <message id="macos.main_window.text_mode">
        <source>Text</source>
        <translation>텍스트</translation>
    </message>
    <message id="macos.main_window.text_mode_tooltip">
        <source>Show the pane's text with the composer</source>
        <translation>패인의 텍스트와 입력창 표시</translation>
    </message>
    <message id="macos.main_window.this_machine">
        <source>This machine</source>
        <translation>이 컴퓨터</translation>
    </message>
    <message id="macos.main_window.width">
        <source>Width</source>
        <translation>너비</translation>
    </message>
    <message id="macos.my_machines.sign_in_to_list">
        <source>Sign in to your account to list your machines.</source>
        <translation>컴퓨터 목록을 보려면 계정에 로그인하세요.</translation>
    </message>
    <message id="macos.pairing_window.code_placeholder">
        <source>Code from your other machine</source>
        <translation>다른 컴퓨터의 코드</translation>
    </message>
    <message id="macos.pairing_window.collecting">
        <source>Pairing with your account…</source>
        <translation>계정과 페어링하는 중…</translation>
    </message>
    <message id="macos.pairing_window.daemon_could_not_save">
        <source>The phone paired this Mac, but its local daemon could not save the pairing. Check the Mac error and retry.</source>
        <translation>휴대폰이 이 Mac을 페어링했지만 로컬 데몬이 페어링을 저장하지 못했습니다. Mac의 오류를 확인하고 다시 시도하세요.</translation>
    </message>
    <message id="macos.pairing_window.expired">
        <source>This code expired.</source>
        <translation>이 코드는 만료되었습니다.</translation>
    </message>
    <message id="macos.pairing_window.expires_in">
        <source>Expires in %1</source>
        <translation>%1 후 만료</translation>
    </message>
    <message id="macos.pairing_window.identity_unavailable">
        <source>This machine's identity (/etc/machine-id) is unavailable. Finish booting, then try again.</source>
        <translation>이 컴퓨터의 식별자(/etc/machine-id)를 읽을 수 없습니다. 부팅이 끝난 후 다시 시도하세요.</translation>
    </message>
    <message id="macos.pairing_window.loading">
        <source>Asking the relay for a code…</source>
        <translation>릴레이에 코드를 요청하는 중…</translation>
    </message>
    <message id="macos.pairing_window.new_code">
        <source>New code</source>
        <translation>새 코드</translation>
    </message>
    <message id="macos.pairing_window.pair_with_account">
        <source>Pair with my account</source>
        <translation>내 계정과 페어링</translation>
    </message>
    <message id="macos.pairing_window.paired">
        <source>Paired ✔</source>
        <translation>페어링됨 ✔</translation>
    </message>
    <message id="macos.pairing_window.paired_status">
        <source>This machine is paired. It links to the relay now.</source>
        <translation>이 컴퓨터가 페어링되었습니다. 지금 릴레이에 연결합니다.</translation>
    </message>
    <message id="macos.pairing_window.password_placeholder">
        <source>Account password (if asked)</source>
        <translation>계정 비밀번호(요청 시)</translation>
    </message>
    <message id="macos.pairing_window.replace">
        <source>Replace the selected machine</source>
        <translation>선택한 컴퓨터 대체</translation>
    </message>
    <message id="macos.pairing_window.replace_explanation">
        <source>This account already has machines. Pick the machine this one replaces. Sign in again, or enter your account password to replace this Mac.</source>
        <translation>이 계정에는 이미 컴퓨터가 있습니다. 이 컴퓨터가 대체할 컴퓨터를 고르세요. 다시 로그인하거나 계정 비밀번호를 입력하여 이 Mac을 대체하세요.</translation>
    </message>
    <message id="macos.pairing_window.short_code">
        <source>Or type this code on the pairing page: %1</source>
        <translation>또는 페어링 페이지에 이 코드를 입력하세요: %1</translation>
    </message>
    <message id="macos.pairing_window.title">
        <source>Pair this machine</source>
        <translation>이 컴퓨터 페어링</translation>
    </message>
    <message id="macos.pairing_window.use_code">
        <source>Use code</source>
        <translation>코드 사용</translation>
    </message>
    <message id="macos.pane_sidebar.agent_group">
        <source>Agent Group</source>
        <translation>에이전트 그룹</translation>
    </message>
    <message id="macos.pane_sidebar.running_count" numerus="yes">
        <source>%n running</source>
        <translation>
            <numerusform>%n개 실행 중</numerusform>
        </translation>
    </message>
    <message id="macos.pane_sidebar.solo">
        <source>Solo</source>
        <translation>단독</translation>
    </message>
    <message id="macos.pane_sidebar.status_idle">
        <source>idle</source>
        <translation>대기 중</translation>
    </message>
    <message id="macos.pane_sidebar.status_running">
        <source>running</source>
        <translation>실행 중</translation>
    </message>
    <message id="macos.pane_sidebar.terminal">
        <source>Terminal</source>
        <translation>터미널</translation>
    </message>
    <message id="macos.pane_sidebar.waiting">
        <source>waiting</source>
        <translation>대기 중</translation>
    </message>
    <message id="macos.pane_text_view.could_not_be_read">
        <source>The pane's text could not be read. Vesket keeps trying.</source>
        <translation>패널의 텍스트를 읽을 수 없습니다. Vesket이 계속 시도합니다.</translation>
    </message>
    <message id="macos.pane_text_view.loading">
        <source>Loading the pane's text…</source>
        <translation>패널의 텍스트를 불러오는 중…</translation>
    </message>
    <message id="macos.pane_text_view.new_lines" numerus="yes">
        <source>%n new lines ↓</source>
        <translation>
            <numerusform>새 줄 %n개 ↓</numerusform>
        </translation>
    </message>
    <message id="macos.pane_text_view.no_text_yet">
        <source>This pane shows no text yet.</source>
        <translation>이 패널에는 아직 텍스트가 없습니다.</translation>
    </message>
    <message id="macos.pane_text_view.not_updating_since">
        <source>Not updating: the text below is from %1 and the pane cannot be read right now. Retrying…</source>
        <translation>업데이트되지 않음: 아래 텍스트는 %1 기준이며 지금은 패널을 읽을 수 없습니다. 다시 시도하는 중…</translation>
    </message>
    <message id="macos.routing_view.agent">
        <source>Agent</source>
        <translation>에이전트</translation>
    </message>
    <message id="macos.routing_view.capability_fit">
        <source>Let a task's work class pick the agent that fits it</source>
        <translation>작업 유형에 맞는 에이전트를 고르게 하기</translation>
    </message>
    <message id="macos.routing_view.close">
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message id="macos.routing_view.custom_rules">
        <source>This project has rules of its own.</source>
        <translation>이 프로젝트에는 자체 규칙이 있습니다.</translation>
    </message>
    <message id="macos.routing_view.difficulty_heavy">
        <source>Heavy</source>
        <translation>무거움</translation>
    </message>
    <message id="macos.routing_view.difficulty_light">
        <source>Light</source>
        <translation>가벼움</translation>
    </message>
    <message id="macos.routing_view.difficulty_standard">
        <source>Standard</source>
        <translation>보통</translation>
    </message>
    <message id="macos.routing_view.follow_global">
        <source>Follow global rules</source>
        <translation>전역 규칙 따르기</translation>
    </message>
    <message id="macos.routing_view.follows_global">
        <source>This project follows the global rules. Change a row to give it rules of its own.</source>
        <translation>이 프로젝트는 전역 규칙을 따릅니다. 행을 바꾸면 자체 규칙이 생깁니다.</translation>
    </message>
    <message id="macos.routing_view.global_summary">
        <source>These rules apply to every project without rules of its own.</source>
        <translation>자체 규칙이 없는 모든 프로젝트에 이 규칙이 적용됩니다.</translation>
    </message>
    <message id="macos.routing_view.load_failed">
        <source>Couldn't load the routing rules: %1</source>
        <translation>라우팅 규칙을 불러오지 못했습니다: %1</translation>
    </message>
    <message id="macos.routing_view.loading">
        <source>Loading…</source>
        <translation>불러오는 중…</translation>
    </message>
    <message id="macos.routing_view.main_agent">
        <source>Main agent</source>
        <translation>주 에이전트</translation>
    </message>
    <message id="macos.routing_view.max_difficulty">
        <source>Hardest work</source>
        <translation>가장 어려운 작업</translation>
    </message>
    <message id="macos.routing_view.save">
        <source>Save</source>
        <translation>저장</translation>
    </message>
    <message id="macos.routing_view.save_failed">
        <source>Couldn't save: %1</source>
        <translation>저장하지 못했습니다: %1</translation>
    </message>
    <message id="macos.routing_view.saved">
        <source>Saved.</source>
        <translation>저장했습니다.</translation>
    </message>
    <message id="macos.routing_view.saving">
        <source>Saving…</source>
        <translation>저장 중…</translation>
    </message>
    <message id="macos.routing_view.title_global">
        <source>Routing rules for every project</source>
        <translation>모든 프로젝트의 라우팅 규칙</translation>
    </message>
    <message id="macos.routing_view.title_project">
        <source>Routing rules for %1</source>
        <translation>%1의 라우팅 규칙</translation>
    </message>
    <message id="macos.routing_view.weight">
        <source>Share</source>
        <translation>비중</translation>
    </message>
    <message id="macos.settings_view.all">
        <source>All</source>
        <translation>전체</translation>
    </message>
    <message id="macos.settings_view.auto_fit">
        <source>Fit the pane's width to this window (auto-fit)</source>
        <translation>패인 너비를 이 창에 맞추기 (자동 맞춤)</translation>
    </message>
    <message id="macos.settings_view.auto_fit_help">
        <source>While the window is in front and shows a pane's text, the pane's tmux window takes the width of the text view; it gets its own width back when you leave.</source>
        <translation>창이 앞에 있고 패인의 텍스트를 표시하는 동안 패인의 tmux 창이 텍스트 보기의 너비를 따릅니다. 떠나면 원래 너비로 돌아갑니다.</translation>
    </message>
    <message id="macos.settings_view.caps_how_much_scrollback_loads">
        <source>Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for panes with a lot of history.</source>
        <translation>터미널에서 위로 스크롤할 때 불러오는 스크롤백 양을 제한합니다. 기록이 많은 패널에서는 값이 낮을수록 빠릅니다.</translation>
    </message>
    <message id="macos.settings_view.close">
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message id="macos.settings_view.diagnostics">
        <source>Diagnostics</source>
        <translation>진단</translation>
    </message>
    <message id="macos.settings_view.display_mirror">
        <source>Live terminal mirrors the pane (the pane keeps its size)</source>
        <translation>라이브 터미널이 패인을 미러링 (패인 크기 유지)</translation>
    </message>
    <message id="macos.settings_view.display_mode_help">
        <source>Applies the next time a live terminal opens.</source>
        <translation>다음에 라이브 터미널을 열 때 적용됩니다.</translation>
    </message>
    <message id="macos.settings_view.display_takeover">
        <source>Live terminal takes over the pane's width (the pane takes this window's size)</source>
        <translation>라이브 터미널이 패인 너비를 인계 (패인이 이 창 크기를 따름)</translation>
    </message>
    <message id="macos.settings_view.language">
        <source>Language</source>
        <translation>언어</translation>
    </message>
    <message id="macos.settings_view.language_system">
        <source>System</source>
        <translation>시스템</translation>
    </message>
    <message id="macos.settings_view.language_takes_effect">
        <source>The window uses the new language the next time Vesket starts. VESKET_LANGUAGE overrides this choice.</source>
        <translation>새 언어는 다음에 Vesket을 시작할 때 창에 적용됩니다. VESKET_LANGUAGE가 설정되어 있으면 이 선택보다 우선합니다.</translation>
    </message>
    <message id="macos.settings_view.pane_display">
        <source>Pane display</source>
        <translation>패인 표시</translation>
    </message>
    <message id="macos.settings_view.reflow_claude_output_in_scrollback_experimental">
        <source>Reflow Claude output in scrollback (experimental)</source>
        <translation>스크롤백의 Claude 출력 다시 배치(실험적)</translation>
    </message>
    <message id="macos.settings_view.rejoins_lines_that_claude_code_hard_wrapped">
        <source>Rejoins lines that Claude Code hard-wrapped at an earlier window width, inside its own output blocks only, so scrollback reflows at the current width and again on every resize. Your typed commands, shell output and other agents' output are never touched. Applies to newly loaded history.</source>
        <translation>Claude Code가 이전 창 너비에서 강제로 줄 바꿈한 줄을 자체 출력 블록 안에서만 다시 이어, 스크롤백이 현재 너비에 맞게, 그리고 크기를 바꿀 때마다 다시 배치되도록 합니다. 입력한 명령, 셸 출력, 다른 에이전트의 출력은 절대 건드리지 않습니다. 새로 불러온 기록에 적용됩니다.</translation>
    </message>
    <message id="macos.settings_view.settings">
        <source>Settings</source>
        <translation>설정</translation>
    </message>
    <message id="macos.settings_view.share_crash_reports">
        <source>Collect crash and hang reports</source>
        <translation>충돌 및 멈춤 보고서 수집</translation>
    </message>
    <message id="macos.settings_view.share_crash_reports_help">
        <source>Reports of Vesket's own crashes and freezes are kept in %1, with your paths, user name and secrets removed.</source>
        <translation>Vesket 자체의 충돌 및 멈춤 보고서는 경로, 사용자 이름, 비밀 정보를 제거한 뒤 %1에 보관됩니다.</translation>
    </message>
    <message id="macos.settings_view.terminal_history_limit">
        <source>Terminal history limit</source>
        <translation>터미널 기록 한도</translation>
    </message>
    <message id="macos.setup_view.also_install_fish">
        <source>Also install fish</source>
        <translation>fish도 설치</translation>
    </message>
    <message id="macos.setup_view.cancel">
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message id="macos.setup_view.check_again">
        <source>Check Again</source>
        <translation>다시 확인</translation>
    </message>
    <message id="macos.setup_view.checking_the_installer">
        <source>Checking the environment installer…</source>
        <translation>환경 설치 프로그램을 확인하는 중…</translation>
    </message>
    <message id="macos.setup_view.close_installer">
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message id="macos.setup_view.component_can_be_installed">
        <source>Can be installed</source>
        <translation>설치 가능</translation>
    </message>
    <message id="macos.setup_view.component_installed">
        <source>Installed</source>
        <translation>설치됨</translation>
    </message>
    <message id="macos.setup_view.confirm_environment">
        <source>The installer sets up tmux and starship (and fish when chosen) through the system package manager, which may ask for your password. Homebrew and Ghostty do not apply on this system.</source>
        <translation>설치 프로그램은 시스템 패키지 관리자로 tmux와 starship(선택 시 fish도)을 설정하며, 비밀번호를 물을 수 있습니다. 이 시스템에서는 Homebrew와 Ghostty를 사용할 수 없습니다.</translation>
    </message>
    <message id="macos.setup_view.copied">
        <source>Copied: %1</source>
        <translation>복사됨: %1</translation>
    </message>
    <message id="macos.setup_view.copy_command">
        <source>Copy Command</source>
        <translation>명령 복사</translation>
    </message>
    <message id="macos.setup_view.daemon">
        <source>Daemon</source>
        <translation>데몬</translation>
    </message>
    <message id="macos.setup_view.daemon_not_running">
        <source>Not running</source>
        <translation>실행 중이 아님</translation>
    </message>
    <message id="macos.setup_view.daemon_running">
        <source>Running · pid %1 · version %2</source>
        <translation>실행 중 · PID %1 · 버전 %2</translation>
    </message>
    <message id="macos.setup_view.environment_ready">
        <source>The environment is set up.</source>
        <translation>환경이 설정되었습니다.</translation>
    </message>
    <message id="macos.setup_view.found_at">
        <source>Found at %1</source>
        <translation>%1에서 찾음</translation>
    </message>
    <message id="macos.setup_view.install">
        <source>Install</source>
        <translation>설치</translation>
    </message>
    <message id="macos.setup_view.install_failed">
        <source>Installing %1 failed. Open a terminal and run `%2` manually.</source>
        <translation>%1 설치에 실패했습니다. 터미널을 열고 `%2`을(를) 직접 실행하세요.</translation>
    </message>
    <message id="macos.setup_view.installed_name">
        <source>%1 installed.</source>
        <translation>%1 설치됨.</translation>
    </message>
    <message id="macos.setup_view.installing">
        <source>Installing %1…</source>
        <translation>%1 설치 중…</translation>
    </message>
    <message id="macos.setup_view.installing_environment">
        <source>Installing the environment…</source>
        <translation>환경을 설치하는 중…</translation>
    </message>
    <message id="macos.setup_view.installing_or_updating_the_daemon">
        <source>Installing or updating the daemon…</source>
        <translation>데몬을 설치하거나 업데이트하는 중…</translation>
    </message>
    <message id="macos.setup_view.last_provisioning_problem">
        <source>Last provisioning problem:</source>
        <translation>마지막 데몬 설치 문제:</translation>
    </message>
    <message id="macos.setup_view.looking_for_tools">
        <source>Looking for tools…</source>
        <translation>도구를 찾는 중…</translation>
    </message>
    <message id="macos.setup_view.missing">
        <source>Missing</source>
        <translation>없음</translation>
    </message>
    <message id="macos.setup_view.no_provisioning_problem">
        <source>No provisioning problem.</source>
        <translation>데몬 설치에 문제가 없습니다.</translation>
    </message>
    <message id="macos.setup_view.optional_environment">
        <source>Optional environment</source>
        <translation>선택적 환경</translation>
    </message>
    <message id="macos.setup_view.restart_daemon">
        <source>Restart Daemon</source>
        <translation>데몬 다시 시작</translation>
    </message>
    <message id="macos.setup_view.run_in_a_terminal_to_install">
        <source>To install %1, run this command in a terminal:</source>
        <translation>%1을(를) 설치하려면 터미널에서 다음 명령을 실행하세요:</translation>
    </message>
    <message id="macos.setup_view.run_installer">
        <source>Install</source>
        <translation>설치</translation>
    </message>
    <message id="macos.setup_view.set_up_environment">
        <source>Set Up Environment…</source>
        <translation>환경 설정…</translation>
    </message>
    <message id="macos.setup_view.set_up_tmux">
        <source>Set Up tmux</source>
        <translation>tmux 설정</translation>
    </message>
    <message id="macos.setup_view.title">
        <source>Setup</source>
        <translation>설정</translation>
    </message>
    <message id="macos.setup_view.tools">
        <source>Tools</source>
        <translation>도구</translation>
    </message>
    <message id="macos.setup_view.use_your_package_manager">
        <source>Install %1 with your system's package manager.</source>
        <translation>시스템의 패키지 관리자로 %1을(를) 설치하세요.</translation>
    </message>
    <message id="macos.task_board.add">
        <source>Add</source>
        <translation>추가</translation>
    </message>
    <message id="macos.task_board.blocked_has_children">
        <source>This task has subtasks: move them instead.</source>
        <translation>이 작업에는 하위 작업이 있습니다. 하위 작업을 옮기세요.</translation>
    </message>
    <message id="macos.task_board.blocked_not_adjacent">
        <source>Move a card one column at a time.</source>
        <translation>카드는 한 번에 한 열씩만 옮길 수 있습니다.</translation>
    </message>
    <message id="macos.task_board.delete">
        <source>Delete</source>
        <translation>삭제</translation>
    </message>
    <message id="macos.task_board.done">
        <source>Done</source>
        <translation>완료</translation>
    </message>
    <message id="macos.task_board.empty">
        <source>No tasks yet.</source>
        <translation>아직 작업이 없습니다.</translation>
    </message>
    <message id="macos.task_board.event_created">
        <source>Created</source>
        <translation>생성됨</translation>
    </message>
    <message id="macos.task_board.event_dispatched">
        <source>Dispatched</source>
        <translation>배정됨</translation>
    </message>
    <message id="macos.task_board.event_note">
        <source>Note</source>
        <translation>메모</translation>
    </message>
    <message id="macos.task_board.event_status_change">
        <source>Status</source>
        <translation>상태</translation>
    </message>
    <message id="macos.task_board.in_progress">
        <source>In Progress</source>
        <translation>진행 중</translation>
    </message>
    <message id="macos.task_board.needs_review">
        <source>Needs Review</source>
        <translation>검토 필요</translation>
    </message>
    <message id="macos.task_board.new_task_placeholder">
        <source>New task…</source>
        <translation>새 작업…</translation>
    </message>
    <message id="macos.task_board.reopen">
        <source>Reopen</source>
        <translation>다시 열기</translation>
    </message>
    <message id="macos.task_board.status_in_progress">
        <source>In progress</source>
        <translation>진행 중</translation>
    </message>
    <message id="macos.task_board.status_needs_fix">
        <source>Needs fix</source>
        <translation>수정 필요</translation>
    </message>
    <message id="macos.task_board.status_new">
        <source>New</source>
        <translation>새 작업</translation>
    </message>
    <message id="macos.task_board.status_verified">
        <source>Verified</source>
        <translation>검증됨</translation>
    </message>
    <message id="macos.task_board.status_worker_done">
        <source>Worker done</source>
        <translation>작업자 완료</translation>
    </message>
    <message id="macos.task_board.team_placeholder">
        <source>Team</source>
        <translation>팀</translation>
    </message>
    <message id="macos.task_board.timeline">
        <source>Timeline</source>
        <translation>타임라인</translation>
    </message>
    <message id="macos.task_board.to_do">
        <source>To Do</source>
        <translation>할 일</translation>
    </message>
    <message id="macos.terminal_viewer.attachment_unreadable">
        <source>Cannot read %1: %2</source>
        <translation>%1을(를) 읽을 수 없습니다: %2</translation>
    </message>
    <message id="macos.terminal_viewer.the_answer_could_not_be_delivered">
        <source>The answer could not be delivered.</source>
        <translation>답변을 전달하지 못했습니다.</translation>
    </message>
    <message id="macos.terminal_viewer.the_message_could_not_be_delivered">
        <source>The message could not be delivered.</source>
        <translation>메시지를 전달하지 못했습니다.</translation>
    </message>
    <message id="macos.tmux_setup.applying_config">
        <source>Applying quorline config…</source>
        <translation>quorline 설정을 적용하는 중…</translation>
    </message>
    <message id="macos.tmux_setup.config_write_failed">
        <source>Config write failed: %1</source>
        <translation>설정 쓰기 실패: %1</translation>
    </message>
    <message id="macos.tmux_setup.done">
        <source>tmux + quorline config installed ✓</source>
        <translation>tmux + quorline 설정 설치됨 ✓</translation>
    </message>
    <message id="macos.tmux_setup.existing_config_preserved">
        <source>tmux ready · Existing ~/.config/tmux/tmux.conf preserved</source>
        <translation>tmux 준비됨 · 기존 ~/.config/tmux/tmux.conf 유지</translation>
    </message>
    <message id="macos.tmux_setup.existing_tmux_conf_preserved">
        <source>tmux ready · Existing ~/.tmux.conf preserved</source>
        <translation>tmux 준비됨 · 기존 ~/.tmux.conf 유지</translation>
    </message>
    <message id="macos.tmux_setup.install_failed">
        <source>apt-get install tmux failed. Open a terminal and run `%1` manually.</source>
        <translation>apt-get install tmux에 실패했습니다. 터미널을 열고 `%1`을(를) 직접 실행하세요.</translation>
    </message>
    <message id="macos.tmux_setup.installing_tmux">
        <source>Installing tmux via the system package manager…</source>
        <translation>시스템 패키지 관리자로 tmux를 설치하는 중…</translation>
    </message>
    <message id="macos.tmux_setup.installing_tpm">
        <source>Installing TPM (tmux plugins)…</source>
        <translation>TPM(tmux 플러그인)을 설치하는 중…</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_no_command">
        <source>tmux isn't installed. Install it with your system's package manager, then check again.</source>
        <translation>tmux가 설치되어 있지 않습니다. 시스템의 패키지 관리자로 설치한 다음 다시 확인하세요.</translation>
    </message>
    <message id="macos.tmux_setup.not_installed_run">
        <source>tmux isn't installed. Open a terminal and run `%1`, then check again.</source>
        <translation>tmux가 설치되어 있지 않습니다. 터미널을 열고 `%1`을(를) 실행한 다음 다시 확인하세요.</translation>
    </message>
    <message id="macos.update_banner.build">
        <source>Build %1</source>
        <translation>빌드 %1</translation>
    </message>
    <message id="macos.update_banner.dismiss">
        <source>Dismiss</source>
        <translation>닫기</translation>
    </message>
    <message id="macos.update_banner.install">
        <source>Install</source>
        <translation>설치</translation>
    </message>
    <message id="macos.update_banner.installing_update">
        <source>Installing update…</source>
        <translation>업데이트 설치 중…</translation>
    </message>
    <message id="macos.update_banner.installing_update_percent">
        <source>Installing update… %1%</source>
        <translation>업데이트 설치 중… %1%</translation>
    </message>
    <message id="macos.update_banner.no_write_access">
        <source>Vesket cannot write to its install folder.</source>
        <translation>Vesket이 설치 폴더에 쓸 수 없습니다.</translation>
    </message>
    <message id="macos.update_banner.restart">
        <source>Restart</source>
        <translation>다시 시작</translation>
    </message>
    <message id="macos.update_banner.restart_to_finish_the_update">
        <source>Restart to finish the update</source>
        <translation>업데이트를 마치려면 다시 시작하세요</translation>
    </message>
    <message id="macos.update_banner.retry">
        <source>Retry</source>
        <translation>다시 시도</translation>
    </message>
    <message id="macos.update_banner.update_available">
        <source>Update available: Vesket %1</source>
        <translation>업데이트 가능: Vesket %1</translation>
    </message>
    <message id="macos.update_banner.update_failed">
        <source>Update failed</source>
        <translation>업데이트 실패</translation>
    </message>
    <message id="macos.update_installer.install">
        <source>Install</source>
        <translation>설치</translation>
    </message>
    <message id="macos.update_installer.install_update">
        <source>Install Update</source>
        <translation>업데이트 설치</translation>
    </message>
    <message id="macos.update_installer.later">
        <source>Later</source>
        <translation>나중에</translation>
    </message>
    <message id="macos.update_installer.vesket_will_download_and_install_the_update_the">
        <source>Vesket will download and install the update. The background service restarts on its own; restart Vesket afterwards to finish.</source>
        <translation>Vesket이 업데이트를 내려받아 설치합니다. 백그라운드 서비스는 스스로 다시 시작되며, 마친 뒤 Vesket을 다시 시작하면 완료됩니다.</translation>
    </message>
    <message id="macos.viewer_state_view.checking_the_daemon_s_account_attempt">
        <source>Checking the daemon's account (attempt %1)…</source>
        <translation>데몬 계정을 확인하는 중(%1번째 시도)…</translation>
    </message>
    <message id="macos.viewer_state_view.choose_a_pane_in_the_sidebar">
        <source>Choose a pane in the sidebar to follow it here.</source>
        <translation>사이드바에서 패널을 선택하면 여기에서 볼 수 있습니다.</translation>
    </message>
    <message id="macos.viewer_state_view.connecting_to_the_vesket_daemon">
        <source>Connecting to the Vesket daemon…</source>
        <translation>Vesket 데몬에 연결하는 중…</translation>
    </message>
    <message id="macos.viewer_state_view.its_process_exited_or_the_pane_was_closed">
        <source>Its process exited or the pane was closed. Pick another pane in the sidebar.</source>
        <translation>프로세스가 종료되었거나 패널이 닫혔습니다. 사이드바에서 다른 패널을 선택하세요.</translation>
    </message>
    <message id="macos.viewer_state_view.looking_for_your_tmux_panes">
        <source>Looking for your tmux panes.</source>
        <translation>tmux 패널을 찾는 중입니다.</translation>
    </message>
    <message id="macos.viewer_state_view.no_tmux_panes_yet">
        <source>No tmux panes yet</source>
        <translation>아직 tmux 패널이 없습니다</translation>
    </message>
    <message id="macos.viewer_state_view.reconnecting_to_the_daemon_attempt">
        <source>Reconnecting to the daemon (attempt %1)…</source>
        <translation>데몬에 다시 연결하는 중(%1번째 시도)…</translation>
    </message>
    <message id="macos.viewer_state_view.select_a_pane">
        <source>Select a pane</source>
        <translation>패널을 선택하세요</translation>
    </message>
    <message id="macos.viewer_state_view.sign_in_again_to_see_this_machine_s_panes">
        <source>Sign in again to see this machine's panes.</source>
        <translation>이 컴퓨터의 패널을 보려면 다시 로그인하세요.</translation>
    </message>
    <message id="macos.viewer_state_view.signed_out">
        <source>Signed out</source>
        <translation>로그아웃됨</translation>
    </message>
    <message id="macos.viewer_state_view.start_an_agent_or_a_shell_in_tmux">
        <source>Start an agent or a shell in tmux and it appears in the sidebar within a second.</source>
        <translation>tmux에서 에이전트나 셸을 시작하면 1초 안에 사이드바에 나타납니다.</translation>
    </message>
    <message id="macos.viewer_state_view.the_connection_to_the_daemon_dropped">
        <source>The connection to the daemon dropped. Your agents keep running in tmux.</source>
        <translation>데몬과의 연결이 끊겼습니다. 에이전트는 tmux에서 계속 실행됩니다.</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_belongs_to_another_account">
        <source>The daemon belongs to another account</source>
        <translation>데몬이 다른 계정에 속해 있습니다</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_could_not_confirm_its_account_yet">
        <source>The daemon could not confirm its account yet.</source>
        <translation>데몬이 아직 계정을 확인하지 못했습니다.</translation>
    </message>
    <message id="macos.viewer_state_view.the_daemon_on_this_machine_is_signed_in">
        <source>The daemon on this machine is signed in with a different account than this app.</source>
        <translation>이 컴퓨터의 데몬은 이 앱과 다른 계정으로 로그인되어 있습니다.</translation>
    </message>
    <message id="macos.viewer_state_view.the_vesket_daemon_is_not_running">
        <source>The Vesket daemon is not running</source>
        <translation>Vesket 데몬이 실행되고 있지 않습니다</translation>
    </message>
    <message id="macos.viewer_state_view.this_pane_has_ended">
        <source>This pane has ended</source>
        <translation>이 패널은 종료되었습니다</translation>
    </message>
    <message id="macos.viewer_state_view.try_again">
        <source>Try again</source>
        <translation>다시 시도</translation>
    </message>
    <message id="macos.viewer_state_view.vesket_talks_to_tmux_through_its_daemon">
        <source>Vesket talks to tmux through its daemon. Start it with “vesket daemon start” (scripts/run starts it for you); this window connects as soon as it is up.</source>
        <translation>Vesket은 데몬을 통해 tmux와 통신합니다. “vesket daemon start”로 데몬을 시작하세요(scripts/run이 대신 시작해 줍니다). 데몬이 실행되면 이 창이 바로 연결됩니다.</translation>
    </message>
    <message id="qr.error.network">
        <source>The relay could not be reached. Check the connection and try again.</source>
        <translation>릴레이에 연결할 수 없습니다. 연결을 확인한 후 다시 시도하세요.</translation>
    </message>
    <message id="qr.error.rateLimited">
        <source>Too many pairing codes were requested. Try again in %1 seconds.</source>
        <translation>페어링 코드를 너무 많이 요청했습니다. %1초 후에 다시 시도하세요.</translation>
    </message>
    <message id="qr.error.serverError">
        <source>The relay could not create a pairing code. Try again in a moment.</source>
        <translation>릴레이가 페어링 코드를 만들지 못했습니다. 잠시 후 다시 시도하세요.</translation>
    </message>
    <message id="relay_error.action.finishMacSetup">
        <source>Finish Setup</source>
        <translation>설정 마치기</translation>
    </message>
    <message id="relay_error.action.openDevices">
        <source>Open Devices</source>
        <translation>기기 열기</translation>
    </message>
    <message id="relay_error.action.registerThisMac">
        <source>Register This Mac</source>
        <translation>이 Mac 등록</translation>
    </message>
    <message id="relay_error.action.signIn">
        <source>Sign In</source>
        <translation>로그인</translation>
    </message>
    <message id="relay_error.action.tryAgain">
        <source>Try Again</source>
        <translation>다시 시도</translation>
    </message>
    <message id="relay_error.approved_device_required">
        <source>Only an approved device can create a pairing code. Finish setting up this Mac first.</source>
        <translation>승인된 기기만 페어링 코드를 만들 수 있습니다. 먼저 이 Mac의 설정을 마치세요.</translation>
    </message>
    <message id="relay_error.daemon_not_running">
        <source>The Vesket background service is not running on this Mac, so this list is unavailable. Open setup to start it.</source>
        <translation>이 Mac에서 Vesket 백그라운드 서비스가 실행되고 있지 않아 이 목록을 볼 수 없습니다. 설정을 열어 서비스를 시작하세요.</translation>
    </message>
    <message id="relay_error.device_not_approved.registered">
        <source>This Mac is not approved for your account yet. It approves itself once its Vesket daemon is connected. Open Devices to check it.</source>
        <translation>이 Mac은 아직 계정에서 승인되지 않았습니다. Vesket 데몬이 연결되면 스스로 승인됩니다. 기기 목록을 열어 확인하세요.</translation>
    </message>
    <message id="relay_error.device_not_approved.unregistered">
        <source>This Mac is not set up for your account yet. Finish setup and it approves itself. No phone is needed.</source>
        <translation>이 Mac은 아직 계정에 설정되지 않았습니다. 설정을 마치면 스스로 승인됩니다. 휴대폰은 필요하지 않습니다.</translation>
    </message>
    <message id="relay_error.grant_required_for_pairing">
        <source>This device is not allowed to add Macs to the account. Add the Mac from a device that manages this account.</source>
        <translation>이 기기는 계정에 Mac을 추가할 권한이 없습니다. 이 계정을 관리하는 기기에서 Mac을 추가하세요.</translation>
    </message>
    <message id="relay_error.mac_requires_local_daemon_vouch">
        <source>A Mac cannot be approved from another device. It approves itself once its own Vesket daemon is registered. Finish setup on that Mac.</source>
        <translation>Mac은 다른 기기에서 승인할 수 없습니다. 해당 Mac의 Vesket 데몬이 등록되면 스스로 승인됩니다. 그 Mac에서 설정을 마치세요.</translation>
    </message>
    <message id="relay_error.pairing_needs_approved_device">
        <source>This account already had a Mac, so a new Mac must be added from a device you already use. Get a pairing code on your other Mac under Devices, or scan this Mac's QR with your phone.</source>
        <translation>이 계정에는 이미 Mac이 있었으므로 새 Mac은 이미 사용 중인 기기에서 추가해야 합니다. 다른 Mac의 기기 메뉴에서 페어링 코드를 받거나, 휴대폰으로 이 Mac의 QR 코드를 스캔하세요.</translation>
    </message>
    <message id="relay_error.rate_limited">
        <source>Too many attempts in a short time. Wait a minute, then try again.</source>
        <translation>짧은 시간에 시도가 너무 많았습니다. 1분 정도 기다린 뒤 다시 시도하세요.</translation>
    </message>
    <message id="relay_error.session_expired">
        <source>Your sign-in has expired. Sign in again.</source>
        <translation>로그인이 만료되었습니다. 다시 로그인하세요.</translation>
    </message>
    <message id="relay_error.unknown_daemon_token">
        <source>The Vesket background service on this Mac is not registered with your account. Its saved registration was removed or belongs to another account. Register this Mac again.</source>
        <translation>이 Mac의 Vesket 백그라운드 서비스가 계정에 등록되어 있지 않습니다. 저장된 등록 정보가 삭제되었거나 다른 계정의 것입니다. 이 Mac을 다시 등록하세요.</translation>
    </message>
    <message id="window.name.characters_error">
        <source>Names can’t hold control characters or any of ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # %.</source>
        <translation>이름에는 제어 문자나 ( ) [ ] { } &lt; &gt; : . ; ' " ` $ \ | &amp; * ? ! # % 를 쓸 수 없습니다.</translation>
    </message>
    <message id="window.name.length_error">
        <source>Names are at most 40 characters.</source>
        <translation>이름은 최대 40자입니다.</translation>
    </message>
    <message id="window.name.mutation_succeeded">
        <source>Done.</source>
        <translation>완료했습니다.</translation>
    </message>
    <message id="window.name.rename_failed">
        <source>Couldn’t rename group</source>
        <translation>그룹 이름을 바꾸지 못했습니다</translation>
    </message>
    <message id="window.name.renamed">
        <source>Renamed.</source>
        <translation>이름을 바꿨습니다.</translation>
    </message>
</context>
</TS>
