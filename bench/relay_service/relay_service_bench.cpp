// The relay end to end, each figure beside a baseline measured in the same run:
//
//   http       requests/s and latency of GET /api/health and GET /api/auth/me on the real
//              `vesket-relay`, against a bare Beast server answering a fixed JSON body
//              (same machine, same number of threads, same load client)
//   links      idle daemon links held by the relay and its memory per link, against the
//              same number of idle WebSockets on the bare Beast server
//   roundtrip  GET /api/panes through the relay to a real daemon (private tmux server) and
//              back, against "list-panes" sent straight to the daemon's control socket
//   startup    time from starting `vesket-relay` to its "listening" line
//   mirrors    live terminals of quiet panes held through the relay (a real daemon): the
//              relay's and the daemon's memory and idle CPU, against the same number of
//              idle WebSockets on the bare Beast server
//   fanout     viewers of one busy pane: time from the pane printing a line to each viewer
//              receiving it, for one viewer (the baseline) and for many
//
//   build/bench/relay_service_bench [all|http|links|roundtrip|startup|mirrors|fanout]
//       [--requests N] [--connections N] [--links N] [--mirrors N] [--viewers N]
//
// The load client runs in this process; the relay and the bare server are separate
// processes with two worker threads each.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/local/stream_protocol.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "relay_service/store/data_directory.h"
#include "relay_service/store/sqlite_relay_store.h"

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace websocket = boost::beast::websocket;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;
constexpr auto kTuple = net::as_tuple(net::use_awaitable);

std::string g_self;  // this program, for the bare server child

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Percentiles {
  double p50 = 0, p95 = 0, p99 = 0;
};

Percentiles percentiles(std::vector<double> samples) {
  Percentiles p;
  if (samples.empty()) return p;
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) { return samples[std::min(samples.size() - 1, static_cast<std::size_t>(q * samples.size()))]; };
  p.p50 = at(0.50);
  p.p95 = at(0.95);
  p.p99 = at(0.99);
  return p;
}

// --- child processes ----------------------------------------------------------------

class Child {
 public:
  // Starts `argv` with `env` added to this process's environment; stdout is a pipe.
  Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {}) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      const int devnull = ::open("/dev/null", O_WRONLY);
      ::dup2(devnull, 2);
      for (const auto& [key, value] : env) ::setenv(key.c_str(), value.c_str(), 1);
      std::vector<char*> args;
      for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    ::close(out[1]);
    m_out = out[0];
  }
  ~Child() { stop(); }

  // The first line on stdout.
  std::string firstLine() {
    std::string line;
    char c = 0;
    while (::read(m_out, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  void stop() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    ::close(m_out);
    m_pid = -1;
  }

  pid_t pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
  int m_out = -1;
};

std::uint16_t portOf(const std::string& listeningLine) {
  const auto colon = listeningLine.rfind(':');
  if (colon == std::string::npos) throw std::runtime_error("no port in '" + listeningLine + "'");
  return static_cast<std::uint16_t>(std::stoi(listeningLine.substr(colon + 1)));
}

long rssKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct Relay {
  std::filesystem::path data;
  std::unique_ptr<Child> process;
  std::uint16_t port = 0;
  double startMs = 0;

  explicit Relay(std::filesystem::path dataDir) : data(std::move(dataDir)) {
    const auto start = Clock::now();
    process = std::make_unique<Child>(std::vector<std::string>{
        VESKET_BIN_DIR "/vesket-relay", "--listen", "127.0.0.1:0", "--data", data.string(), "--threads", "2",
        "--request-limit", "1000000000", "--sign-in-limit", "1000", "--password-hash-ops", "1",
        "--password-hash-mem-kib", "8"});
    port = portOf(process->firstLine());
    startMs = msSince(start);
  }
};

struct BareServer {
  std::unique_ptr<Child> process;
  std::uint16_t port = 0;

  BareServer() {
    process = std::make_unique<Child>(std::vector<std::string>{g_self, "--bare-server"});
    port = portOf(process->firstLine());
  }
};

// --- the bare Beast server (the baseline) -------------------------------------------

net::awaitable<void> bareSession(tcp::socket socket) {
  beast::tcp_stream stream(std::move(socket));
  beast::flat_buffer buffer;
  for (;;) {
    http::request<http::string_body> request;
    auto [readError, bytes] = co_await http::async_read(stream, buffer, request, kTuple);
    if (readError) co_return;
    if (websocket::is_upgrade(request)) {
      websocket::stream<beast::tcp_stream> ws(std::move(stream));
      auto [acceptError] = co_await ws.async_accept(request, kTuple);
      if (acceptError) co_return;
      for (;;) {
        beast::flat_buffer message;
        auto [wsError, wsBytes] = co_await ws.async_read(message, kTuple);
        if (wsError) co_return;
      }
    }
    http::response<http::string_body> response{http::status::ok, request.version()};
    response.set(http::field::content_type, "application/json");
    response.keep_alive(request.keep_alive());
    response.body() = R"({"ok":true})";
    response.prepare_payload();
    auto [writeError, written] = co_await http::async_write(stream, response, kTuple);
    if (writeError || !request.keep_alive()) co_return;
  }
}

net::awaitable<void> bareListener(tcp::acceptor& acceptor) {
  for (;;) {
    auto [error, socket] = co_await acceptor.async_accept(kTuple);
    if (error) continue;
    auto executor = socket.get_executor();
    net::co_spawn(executor, bareSession(std::move(socket)), net::detached);
  }
}

int runBareServer() {
  net::io_context io;
  tcp::acceptor acceptor(io, {net::ip::make_address("127.0.0.1"), 0});
  std::printf("bare server listening on 127.0.0.1:%u\n", acceptor.local_endpoint().port());
  std::fflush(stdout);
  net::co_spawn(io, bareListener(acceptor), net::detached);
  std::thread second([&] { io.run(); });
  io.run();
  second.join();
  return 0;
}

// --- a blocking HTTP client ---------------------------------------------------------

class HttpClient {
 public:
  explicit HttpClient(std::uint16_t port) : m_socket(m_io) {
    m_socket.connect({net::ip::make_address("127.0.0.1"), port});
    m_socket.set_option(tcp::no_delay(true));
  }

  int call(http::verb verb, const std::string& target, const std::string& bearer = {}, const std::string& body = {},
           std::string* answer = nullptr) {
    http::request<http::string_body> request{verb, target, 11};
    request.set(http::field::host, "127.0.0.1");
    if (!bearer.empty()) request.set(http::field::authorization, "Bearer " + bearer);
    if (!body.empty()) {
      request.set(http::field::content_type, "application/json");
      request.body() = body;
    }
    request.prepare_payload();
    http::write(m_socket, request);
    http::response<http::string_body> response;
    http::read(m_socket, m_buffer, response);
    if (answer) *answer = response.body();
    return response.result_int();
  }

 private:
  net::io_context m_io;
  tcp::socket m_socket;
  beast::flat_buffer m_buffer;
};

struct LoadResult {
  double requestsPerSecond = 0;
  Percentiles latencyMs;
  int failures = 0;
};

// `connections` clients on their own threads, each with one kept connection, sending
// `requests` in all.
LoadResult load(std::uint16_t port, const std::string& target, const std::string& bearer, int requests,
                int connections) {
  std::vector<std::vector<double>> samples(static_cast<std::size_t>(connections));
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  const int each = requests / connections;
  const auto start = Clock::now();
  for (int c = 0; c < connections; ++c) {
    threads.emplace_back([&, c] {
      HttpClient client(port);
      auto& mine = samples[static_cast<std::size_t>(c)];
      mine.reserve(static_cast<std::size_t>(each));
      for (int i = 0; i < each; ++i) {
        const auto sent = Clock::now();
        if (client.call(http::verb::get, target, bearer) != 200) ++failures;
        mine.push_back(msSince(sent));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  const double seconds = msSince(start) / 1000.0;
  std::vector<double> all;
  for (auto& mine : samples) all.insert(all.end(), mine.begin(), mine.end());
  return {static_cast<double>(all.size()) / seconds, percentiles(all), failures.load()};
}

std::pair<std::string, std::int64_t> registerAccount(std::uint16_t port, const std::string& email) {
  HttpClient client(port);
  std::string answer;
  const nlohmann::json body = {{"email", email}, {"password", "password1"}, {"confirm_password", "password1"}};
  if (client.call(http::verb::post, "/api/auth/register-public", {}, body.dump(), &answer) != 200) {
    throw std::runtime_error("registration failed: " + answer);
  }
  const auto json = nlohmann::json::parse(answer);
  return {json["token"].get<std::string>(), json["user"]["id"].get<std::int64_t>()};
}

void benchHttp(const std::filesystem::path& root, int requests, int connections) {
  Relay relay(root / "relay-http");
  BareServer bare;
  const auto [token, userId] = registerAccount(relay.port, "bench@example.org");
  (void)userId;
  // Warm up all three.
  load(bare.port, "/", {}, 2000, connections);
  load(relay.port, "/api/health", {}, 2000, connections);
  load(relay.port, "/api/auth/me", token, 2000, connections);

  std::printf("\n== http: %d requests on %d kept connections (client in this process)\n", requests, connections);
  std::printf("%-28s %12s %9s %9s %9s %8s\n", "target", "requests/s", "p50 ms", "p95 ms", "p99 ms", "failed");
  const auto print = [](const char* name, const LoadResult& r) {
    std::printf("%-28s %12.0f %9.3f %9.3f %9.3f %8d\n", name, r.requestsPerSecond, r.latencyMs.p50, r.latencyMs.p95,
                r.latencyMs.p99, r.failures);
  };
  const LoadResult baseline = load(bare.port, "/", {}, requests, connections);
  print("bare Beast server (baseline)", baseline);
  const LoadResult health = load(relay.port, "/api/health", {}, requests, connections);
  print("relay GET /api/health", health);
  const LoadResult me = load(relay.port, "/api/auth/me", token, requests, connections);
  print("relay GET /api/auth/me", me);
  std::printf("relative to the baseline: health %.2fx the throughput, me %.2fx\n",
              health.requestsPerSecond / baseline.requestsPerSecond, me.requestsPerSecond / baseline.requestsPerSecond);
}

// --- idle links ---------------------------------------------------------------------

struct LinkCounters {
  std::atomic<int> open{0};
  std::atomic<int> greeted{0};
  std::atomic<int> failed{0};
  // Each message received (on the io thread), when set.
  std::function<void(std::size_t link, std::string_view message)> onMessage;
};

net::awaitable<void> holdWebSocket(tcp::endpoint endpoint, std::string target, std::string token, LinkCounters& counters,
                                   std::size_t link = 0) {
  websocket::stream<beast::tcp_stream> ws(co_await net::this_coro::executor);
  auto [connectError] = co_await beast::get_lowest_layer(ws).async_connect(endpoint, kTuple);
  if (connectError) {
    ++counters.failed;
    co_return;
  }
  beast::get_lowest_layer(ws).expires_never();
  ws.set_option(websocket::stream_base::decorator([token](websocket::request_type& request) {
    if (!token.empty()) request.set(http::field::authorization, "Bearer " + token);
  }));
  auto [handshakeError] = co_await ws.async_handshake("127.0.0.1", target, kTuple);
  if (handshakeError) {
    ++counters.failed;
    co_return;
  }
  ++counters.open;
  bool first = true;
  for (;;) {
    beast::flat_buffer message;
    auto [readError, bytes] = co_await ws.async_read(message, kTuple);
    if (readError) co_return;
    if (first) ++counters.greeted;
    first = false;
    if (counters.onMessage) {
      const auto data = message.cdata();
      counters.onMessage(link, std::string_view(static_cast<const char*>(data.data()), data.size()));
    }
  }
}

net::awaitable<void> openLinks(tcp::endpoint endpoint, std::vector<std::string> targets, std::vector<std::string> tokens,
                               LinkCounters& counters) {
  auto executor = co_await net::this_coro::executor;
  net::steady_timer pause(executor);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    net::co_spawn(executor, holdWebSocket(endpoint, targets[i % targets.size()], tokens[i], counters, i), net::detached);
    if (i % 100 == 99) {
      pause.expires_after(std::chrono::milliseconds(20));
      co_await pause.async_wait(kTuple);
    }
  }
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

struct HeldLinks {
  long rssBeforeKiB = 0, rssAfterKiB = 0;
  int open = 0, greeted = 0, failed = 0;
  double openSeconds = 0, idleCpuPercent = 0;
};

// Holds one WebSocket per token (targets taken in turn) until all are open and, when
// `waitGreeted`, have had a first message; then measures the server's idle CPU and memory
// (and the same of `alsoWatch`, a process behind the server, when given).
HeldLinks holdLinks(pid_t server, std::uint16_t port, std::vector<std::string> targets, std::vector<std::string> tokens,
                    bool waitGreeted = false, pid_t alsoWatch = 0, HeldLinks* alsoHeld = nullptr) {
  HeldLinks held;
  held.rssBeforeKiB = rssKiB(server);
  if (alsoHeld) alsoHeld->rssBeforeKiB = rssKiB(alsoWatch);
  net::io_context io;
  LinkCounters counters;
  const std::size_t count = tokens.size();
  const auto start = Clock::now();
  net::co_spawn(io, openLinks({net::ip::make_address("127.0.0.1"), port}, std::move(targets), std::move(tokens), counters),
                net::detached);
  std::thread runner([&] { io.run(); });
  waitFor(
      [&] {
        const int done = (waitGreeted ? counters.greeted.load() : counters.open.load()) + counters.failed;
        return static_cast<std::size_t>(done) >= count;
      },
      180000);
  held.openSeconds = msSince(start) / 1000.0;
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double cpuBefore = cpuSeconds(server);
  const double alsoCpuBefore = alsoHeld ? cpuSeconds(alsoWatch) : 0;
  std::this_thread::sleep_for(std::chrono::seconds(10));
  held.idleCpuPercent = (cpuSeconds(server) - cpuBefore) / 10.0 * 100.0;
  held.rssAfterKiB = rssKiB(server);
  if (alsoHeld) {
    alsoHeld->idleCpuPercent = (cpuSeconds(alsoWatch) - alsoCpuBefore) / 10.0 * 100.0;
    alsoHeld->rssAfterKiB = rssKiB(alsoWatch);
  }
  held.open = counters.open;
  held.greeted = counters.greeted;
  held.failed = counters.failed;
  io.stop();
  runner.join();
  return held;
}

void benchLinks(const std::filesystem::path& root, int links) {
  // The daemons are paired directly in the store, before the relay opens it.
  std::vector<std::string> tokens;
  {
    vesket::relay_service::DataDirectory data((root / "relay-links").string());
    vesket::relay_service::SqliteRelayStore store(data.databasePath());
    const auto user = store.createUser({std::nullopt, "links@example.org", std::nullopt});
    for (int i = 0; i < links; ++i) tokens.push_back(store.pairDaemon(user->id, std::nullopt, "bench").token);
  }
  Relay relay(root / "relay-links");
  BareServer bare;
  {
    HttpClient warm(relay.port);
    warm.call(http::verb::get, "/api/health");
  }
  std::printf("\n== links: %d idle WebSockets held (relay: authenticated daemon links; baseline: bare Beast)\n", links);
  std::printf("%-22s %7s %8s %7s %9s %10s %10s %11s %9s\n", "server", "open", "greeted", "failed", "open s",
              "RSS before", "RSS after", "KiB/link", "idle CPU");
  const auto print = [links](const char* name, const HeldLinks& h) {
    std::printf("%-22s %7d %8d %7d %9.1f %7ld KiB %7ld KiB %11.1f %8.1f%%\n", name, h.open, h.greeted, h.failed,
                h.openSeconds, h.rssBeforeKiB, h.rssAfterKiB,
                static_cast<double>(h.rssAfterKiB - h.rssBeforeKiB) / std::max(1, links), h.idleCpuPercent);
  };
  print("bare Beast (baseline)", holdLinks(bare.process->pid(), bare.port, {"/"}, std::vector<std::string>(links)));
  print("vesket-relay /daemon", holdLinks(relay.process->pid(), relay.port, {"/daemon"}, tokens));
}

// --- a request relayed to a real daemon -----------------------------------------------

std::string runTmux(const std::string& name, const std::map<std::string, std::string>& env, const std::string& args) {
  std::string command;
  for (const auto& [key, value] : env) command += key + "='" + value + "' ";
  command += "tmux -L " + name + " -f /dev/null " + args + " 2>/dev/null";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
  }
  return output;
}

class ControlSocket {
 public:
  explicit ControlSocket(const std::string& path) : m_socket(m_io) { m_socket.connect(path); }

  // Sends one request and reads lines until its reply.
  std::string request(const std::string& id, const std::string& cmd) {
    const std::string line = nlohmann::json{{"id", id}, {"cmd", cmd}, {"args", nlohmann::json::object()}}.dump() + "\n";
    net::write(m_socket, net::buffer(line));
    for (;;) {
      const std::size_t end = net::read_until(m_socket, net::dynamic_buffer(m_pending), '\n');
      std::string reply = m_pending.substr(0, end - 1);
      m_pending.erase(0, end);
      if (reply.find("\"" + id + "\"") != std::string::npos) return reply;
    }
  }

 private:
  net::io_context m_io;
  net::local::stream_protocol::socket m_socket;
  std::string m_pending;
};

// A real daemon on a private tmux server (session "main" with `panes` panes running /bin/sh,
// or `command`), paired with a relay of its own and linked to it.
struct LinkedDaemon {
  std::string tmuxName;
  std::map<std::string, std::string> env;
  std::unique_ptr<Relay> relay;
  std::unique_ptr<Child> daemon;
  std::string token;  // the account's
  std::int64_t daemonId = 0;
  std::string socketPath;
  std::vector<std::string> paneIds;

  LinkedDaemon(const std::filesystem::path& root, const std::string& name, int panes, const std::string& command = "/bin/sh") {
    tmuxName = fmt::format("vesket-relay-bench-{}-{}", name, ::getpid());
    env = {{"HOME", (root / "home").string()},           {"VESKET_HOME", (root / "home/.vesket").string()},
           {"XDG_STATE_HOME", (root / "state").string()}, {"XDG_RUNTIME_DIR", (root / "runtime").string()},
           {"TMUX_TMPDIR", (root / "tmux").string()},     {"SHELL", "/bin/sh"}};
    for (const auto& [key, value] : env) {
      if (key != "SHELL") std::filesystem::create_directories(value);
    }
    std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
    runTmux(tmuxName, env, "new-session -d -s main -x 120 -y 30 '" + command + "'");
    // Eight panes share the first window; more get windows of their own.
    for (int i = 1; i < panes; ++i) {
      if (i < 8) {
        runTmux(tmuxName, env, "split-window -d -t main:0 '" + command + "'");
        runTmux(tmuxName, env, "select-layout -t main:0 tiled");
      } else {
        runTmux(tmuxName, env, "new-window -d -t main '" + command + "'");
      }
    }
    std::istringstream ids(runTmux(tmuxName, env, "list-panes -a -F '#{pane_id}'"));
    for (std::string id; std::getline(ids, id);) paneIds.push_back(id);

    relay = std::make_unique<Relay>(root / ("relay-" + name));
    const auto [accountToken, userId] = registerAccount(relay->port, name + "@example.org");
    token = accountToken;
    {
      vesket::relay_service::SqliteRelayStore store((root / ("relay-" + name) / "relay.sqlite3").string());
      const auto paired = store.pairDaemon(userId, std::nullopt, "bench");
      daemonId = paired.daemon.id;
      std::filesystem::create_directories(root / "home/.vesket/daemon");
      std::ofstream(root / "home/.vesket/daemon/.env")
          << "RELAY_URL=ws://127.0.0.1:" << relay->port << "/daemon\nDAEMON_TOKEN=" << paired.token << "\n";
    }
    daemon = std::make_unique<Child>(std::vector<std::string>{VESKET_BIN_DIR "/vesket", "daemon", "start", "-L", tmuxName}, env);
    socketPath = (root / "home/.vesket/daemon/control.sock").string();
    HttpClient http(relay->port);
    const bool linked = waitFor([&] { return http.call(http::verb::get, panesTarget(), token) == 200; }, 20000);
    if (!linked) throw std::runtime_error("the daemon did not link to the relay");
  }
  ~LinkedDaemon() {
    daemon.reset();
    relay.reset();
    runTmux(tmuxName, env, "kill-server");
  }

  std::string panesTarget() const { return fmt::format("/api/panes?daemonId={}", daemonId); }
  std::string attachTarget(const std::string& paneId) const {
    return fmt::format("/api/terminal/attach?paneId=%25{}&cols=80&rows=24&mode=owned&open=1&daemonId={}", paneId.substr(1),
                       daemonId);
  }
};

void benchRoundTrip(const std::filesystem::path& root, int requests) {
  LinkedDaemon linked(root, "roundtrip", 8);
  const std::string& socketPath = linked.socketPath;
  const std::string panesTarget = linked.panesTarget();
  const std::string& token = linked.token;
  HttpClient http(linked.relay->port);
  ControlSocket kept(socketPath);
  for (int i = 0; i < 200; ++i) {
    kept.request("warm-" + std::to_string(i), "list-panes");
    http.call(http::verb::get, panesTarget, token);
  }
  std::vector<double> direct, fresh, relayed;
  std::size_t replyBytes = 0;
  for (int i = 0; i < requests; ++i) {
    auto start = Clock::now();
    replyBytes = kept.request("k-" + std::to_string(i), "list-panes").size();
    direct.push_back(msSince(start));

    start = Clock::now();
    ControlSocket once(socketPath);
    once.request("f-" + std::to_string(i), "list-panes");
    fresh.push_back(msSince(start));

    start = Clock::now();
    http.call(http::verb::get, panesTarget, token);
    relayed.push_back(msSince(start));
  }
  std::printf("\n== roundtrip: \"list-panes\" of 8 panes (%zu-byte reply), %d requests each\n", replyBytes, requests);
  std::printf("%-52s %9s %9s %9s\n", "path", "p50 ms", "p95 ms", "p99 ms");
  const auto print = [](const char* name, const std::vector<double>& samples) {
    const Percentiles p = percentiles(samples);
    std::printf("%-52s %9.3f %9.3f %9.3f\n", name, p.p50, p.p95, p.p99);
  };
  print("control socket, kept connection (baseline)", direct);
  print("control socket, connection per request (the app)", fresh);
  print("HTTP GET /api/panes -> relay -> link -> daemon", relayed);
  std::printf("relayed p50 is %.2fx the kept control-socket p50\n", percentiles(relayed).p50 / percentiles(direct).p50);
}

// --- live terminals through the relay ---------------------------------------------------

void benchMirrors(const std::filesystem::path& root, int mirrors) {
  constexpr int kPanes = 20;
  LinkedDaemon linked(root, "mirrors", kPanes);
  std::vector<std::string> targets;
  for (const std::string& pane : linked.paneIds) targets.push_back(linked.attachTarget(pane));
  BareServer bare;
  std::printf("\n== mirrors: %d live terminals of %zu quiet panes through the relay (baseline: idle WebSockets on bare Beast)\n",
              mirrors, linked.paneIds.size());
  std::printf("%-28s %7s %8s %7s %9s %10s %10s %11s %9s\n", "process", "open", "ready", "failed", "open s",
              "RSS before", "RSS after", "KiB/mirror", "idle CPU");
  const auto print = [mirrors](const char* name, const HeldLinks& h) {
    std::printf("%-28s %7d %8d %7d %9.1f %7ld KiB %7ld KiB %11.1f %8.1f%%\n", name, h.open, h.greeted, h.failed,
                h.openSeconds, h.rssBeforeKiB, h.rssAfterKiB,
                static_cast<double>(h.rssAfterKiB - h.rssBeforeKiB) / std::max(1, mirrors), h.idleCpuPercent);
  };
  print("bare Beast (baseline)", holdLinks(bare.process->pid(), bare.port, {"/"}, std::vector<std::string>(mirrors)));
  HeldLinks daemon;
  const HeldLinks relay = holdLinks(linked.relay->process->pid(), linked.relay->port, targets,
                                    std::vector<std::string>(mirrors, linked.token), true, linked.daemon->pid(), &daemon);
  print("vesket-relay", relay);
  std::printf("%-28s %7s %8s %7s %9s %7ld KiB %7ld KiB %11.1f %8.1f%%\n", "vesket daemon behind it", "-", "-", "-", "-",
              daemon.rssBeforeKiB, daemon.rssAfterKiB,
              static_cast<double>(daemon.rssAfterKiB - daemon.rssBeforeKiB) / std::max(1, mirrors), daemon.idleCpuPercent);
}

// Output of a pane that prints "@@<ns since the epoch>" lines: the stamps found, with what
// a frame cut in two kept for the next frame.
struct StampReader {
  std::string tail;
  template <typename Found>
  void read(std::string_view payload, Found&& found) {
    std::string text = tail + std::string(payload);
    std::size_t at = 0;
    while ((at = text.find("@@", at)) != std::string::npos) {
      if (text.size() < at + 21) break;
      const std::string digits = text.substr(at + 2, 19);
      if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) found(std::stoll(digits));
      at += 2;
    }
    tail = text.substr(text.size() > 24 ? text.size() - 24 : 0);
  }
};

std::int64_t nowRealtimeNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Viewers of one pane printing a stamped line every 50 ms; the delay from each stamp to its
// arrival at every viewer, over `seconds`.
std::vector<double> fanOut(const LinkedDaemon& linked, int viewers, int seconds) {
  std::vector<StampReader> readers(static_cast<std::size_t>(viewers));
  std::vector<std::set<std::int64_t>> seen(static_cast<std::size_t>(viewers));
  std::vector<double> delays;
  std::mutex lock;
  bool measuring = false;
  net::io_context io;
  LinkCounters counters;
  counters.onMessage = [&](std::size_t link, std::string_view message) {
    const std::int64_t arrived = nowRealtimeNs();
    // Output frames: the op byte 3, then the bytes.
    if (message.empty() || static_cast<unsigned char>(message.front()) != 3) return;
    std::lock_guard guard(lock);
    readers[link].read(message.substr(1), [&](std::int64_t stamp) {
      if (measuring && seen[link].insert(stamp).second) delays.push_back(static_cast<double>(arrived - stamp) / 1e6);
    });
  };
  net::co_spawn(io,
                openLinks({net::ip::make_address("127.0.0.1"), linked.relay->port}, {linked.attachTarget(linked.paneIds.front())},
                          std::vector<std::string>(static_cast<std::size_t>(viewers), linked.token), counters),
                net::detached);
  std::thread runner([&] { io.run(); });
  waitFor([&] { return counters.greeted + counters.failed >= viewers; }, 60000);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  {
    std::lock_guard guard(lock);
    measuring = true;
  }
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  {
    std::lock_guard guard(lock);
    measuring = false;
  }
  io.stop();
  runner.join();
  if (counters.failed > 0) std::printf("(%d viewers failed to open)\n", counters.failed.load());
  return delays;
}

void benchFanOut(const std::filesystem::path& root, int viewers) {
  LinkedDaemon linked(root, "fanout", 1, "while :; do echo @@$(date +%s%N); sleep 0.05; done");
  std::printf("\n== fanout: a pane printing a stamped line every 50 ms, stamp to arrival at each viewer\n");
  std::printf("%-34s %9s %9s %9s %9s\n", "viewers", "lines", "p50 ms", "p95 ms", "p99 ms");
  const auto print = [](const std::string& name, const std::vector<double>& delays) {
    const Percentiles p = percentiles(delays);
    std::printf("%-34s %9zu %9.3f %9.3f %9.3f\n", name.c_str(), delays.size(), p.p50, p.p95, p.p99);
  };
  const std::vector<double> one = fanOut(linked, 1, 10);
  print("1 viewer (baseline)", one);
  const std::vector<double> many = fanOut(linked, viewers, 10);
  print(fmt::format("{} viewers", viewers), many);
  std::printf("p50 with %d viewers is %.2fx the single viewer's\n", viewers, percentiles(many).p50 / percentiles(one).p50);
}

void benchStartup(const std::filesystem::path& root) {
  std::vector<double> fresh, existing;
  for (int i = 0; i < 5; ++i) {
    fresh.push_back(Relay(root / fmt::format("relay-start-{}", i)).startMs);
    existing.push_back(Relay(root / fmt::format("relay-start-{}", i)).startMs);
  }
  std::printf("\n== startup: start to \"listening\" line, 5 runs\n");
  std::printf("new data directory: p50 %.1f ms (max %.1f); existing: p50 %.1f ms (max %.1f)\n",
              percentiles(fresh).p50, *std::max_element(fresh.begin(), fresh.end()), percentiles(existing).p50,
              *std::max_element(existing.begin(), existing.end()));
}

}  // namespace

int main(int argc, char** argv) {
  g_self = argv[0];
  std::string mode = "all";
  int requests = 20000, connections = 8, links = 5000, roundTrips = 1000, mirrors = 1000, viewers = 100;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bare-server") return runBareServer();
    if (arg == "--requests" && i + 1 < argc) requests = std::stoi(argv[++i]);
    else if (arg == "--connections" && i + 1 < argc) connections = std::stoi(argv[++i]);
    else if (arg == "--links" && i + 1 < argc) links = std::stoi(argv[++i]);
    else if (arg == "--round-trips" && i + 1 < argc) roundTrips = std::stoi(argv[++i]);
    else if (arg == "--mirrors" && i + 1 < argc) mirrors = std::stoi(argv[++i]);
    else if (arg == "--viewers" && i + 1 < argc) viewers = std::stoi(argv[++i]);
    else mode = arg;
  }
  ::signal(SIGPIPE, SIG_IGN);
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  const auto root = std::filesystem::temp_directory_path() / fmt::format("vesket-relay-bench-{}", ::getpid());
  std::filesystem::create_directories(root);
  int status = 0;
  try {
    if (mode == "all" || mode == "startup") benchStartup(root);
    if (mode == "all" || mode == "http") benchHttp(root, requests, connections);
    if (mode == "all" || mode == "roundtrip") benchRoundTrip(root, roundTrips);
    if (mode == "all" || mode == "links") benchLinks(root, links);
    if (mode == "all" || mode == "mirrors") benchMirrors(root / "mirrors", mirrors);
    if (mode == "all" || mode == "fanout") benchFanOut(root / "fanout", viewers);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "relay_service_bench: %s\n", error.what());
    status = 1;
  }
  std::filesystem::remove_all(root);
  return status;
}
