#include "maintenance/core/crash_report_core.h"

#include <gtest/gtest.h>

namespace vesket::maintenance {
namespace {

using nlohmann::json;
using namespace CrashReportCore;

const ScrubContext kAlice{"/Users/alice", "alice"};

json frame(int image, std::uint64_t offset, const char* symbol = nullptr) {
  json f{{"imageIndex", image}, {"imageOffset", offset}};
  if (symbol) f["symbol"] = symbol;
  return f;
}

TEST(CrashRecordTest, NamesMessagesAndFrameLines) {
  const json header{{"app_name", "vesket"}};
  // No exception and no termination.
  auto bare = buildCrashRecord(header, json::object(), "daemon-hard", "", "Linux 6", kAlice);
  EXPECT_EQ(bare["error"]["name"], "UnknownCrash");
  EXPECT_EQ(bare["error"]["message"], "");
  EXPECT_EQ(bare["app_version"], "unknown");
  EXPECT_EQ(bare["source"], "daemon-hard");

  json body{{"exception", {{"type", "SIGSEGV"}, {"signal", "SIGSEGV"}}},
            {"termination", {{"namespace", "SIGNAL"}, {"indicator", "Segmentation fault"}}},
            {"faultingThread", 7},  // out of range: the triggered thread
            {"usedImages", json::array({{{"name", "vesket"}}, {{"name", "libc.so.6"}}})},
            {"threads", json::array({json{{"frames", json::array({frame(1, 1, "poll")})}},
                                     json{{"triggered", true},
                                          {"frames", json::array({frame(1, 4096),
                                                                  json{{"imageIndex", 0},
                                                                       {"symbol", "main"},
                                                                       {"sourceFile", "<compiler-generated>"},
                                                                       {"sourceLine", 3}},
                                                                  json{{"imageIndex", 0},
                                                                       {"symbol", "run"},
                                                                       {"sourceFile", "/Users/alice/src/run.cpp"},
                                                                       {"sourceLine", 12}},
                                                                  json{{"imageIndex", 9}}})}}})}};
  const auto record = buildCrashRecord(header, body, "app", "1.2", "Linux 6", kAlice);
  EXPECT_EQ(record["error"]["name"], "SIGSEGV");
  EXPECT_EQ(record["error"]["message"], "signal=SIGSEGV Segmentation fault");
  EXPECT_EQ(record["error"]["stack"],
            "SIGSEGV: signal=SIGSEGV Segmentation fault\n"
            "    at libc.so.6`0x1000\n"
            "    at vesket`main\n"
            "    at vesket`run (~/src/run.cpp:12)\n"
            "    at ?`0x?");
}

TEST(CrashRecordTest, OwnFramesBeyondTheFirstTenAndFromAnotherThread) {
  json deep = json::array();
  for (int i = 0; i < 12; ++i) deep.push_back(frame(1, 16, "libframe"));
  deep.push_back(frame(0, 32, "ownDeep"));
  const json images = json::array({{{"name", "vesket"}}, {{"name", "libc.so.6"}}});
  auto lines = buildFrameLines({{"usedImages", images}, {"faultingThread", 0}, {"threads", {{{"frames", deep}}}}}, "vesket");
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[10], "    -- app frames --");
  EXPECT_EQ(lines[11], "    at vesket`ownDeep");

  const json threads = json::array({json{{"frames", json::array({frame(1, 1, "abort")})}},
                                    json{{"frames", json::array({frame(1, 2, "poll")})}},
                                    json{{"frames", json::array({frame(1, 3, "wait"), frame(0, 4, "worker")})}}});
  lines = buildFrameLines({{"usedImages", images}, {"threads", threads}}, "vesket");
  EXPECT_EQ(lines, (std::vector<std::string>{"    at libc.so.6`abort", "    -- app frames (thread 2) --",
                                             "    at vesket`worker"}));

  // The stack is cut at 4000 characters.
  json many = json::array();
  for (int i = 0; i < 400; ++i) many.push_back(frame(0, 1, "a_rather_long_function_name_of_the_application"));
  const auto record = buildCrashRecord({{"name", "vesket"}}, {{"usedImages", images}, {"threads", {{{"frames", many}}}}},
                                       "app", "1", "x", kAlice);
  EXPECT_EQ(record["error"]["stack"].get<std::string>().size(), kMaxStackCharacters);
}

TEST(ScrubTest, HomesUserNamesAndSecretsAreRemoved) {
  const std::pair<const char*, const char*> cases[] = {
      {"/Users/alice/x", "~/x"},
      {"/Users/bob/x", "/Users/<redacted>/x"},
      {"/home/carol/.vesket/bin/vesket", "/home/<redacted>/.vesket/bin/vesket"},
      {"Authorization: Bearer abcdefgh12345678", "Authorization: Bearer <redacted>"},
      {"url?token=s3cr3t&x=1", "url?token=<redacted>&x=1"},
      {"\"password\": \"hunter22\"", "\"password\": \"<redacted>\""},
      {"CONTROL_TOKEN=0123456789abcdef0123456789abcdef", "CONTROL_TOKEN=<redacted>"},
      {"key 0123456789abcdef0123456789abcdef01 end", "key <redacted> end"},
      {"jwt eyJhbGciOi.eyJzdWIiOiIx.c2lnbmF0dXJl", "jwt <redacted>"},
      {"sk Zx9Qw8Er7Ty6Ui5Op4As3Df2Gh1JkLzXcVbN", "sk <redacted>"},
      {"ran by alice today", "ran by <user> today"},
      {"malice aforethought", "malice aforethought"},
      {"at vesket`_ZN6vesket7control12ControlPlaneClient4pingEv", "at vesket`_ZN6vesket7control12ControlPlaneClient4pingEv"},
      {"at vesket`vesket::control_plane::ControlPlaneClient::ping()", "at vesket`vesket::control_plane::ControlPlaneClient::ping()"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(scrubPath(in, kAlice), out) << in;
}

TEST(HangRecordTest, LeafFramesFromTheMainThreadOfACallGraph) {
  const std::string gdb =
      "[New LWP 101]\n"
      "Thread 2 (Thread 0x7f (LWP 101) \"worker\"):\n"
      "#0  0x00007f in __GI___poll (fds=0x1, nfds=1) at ../poll.c:29\n"
      "#1  0x00007f in worker_loop () from /usr/lib/libworker.so.1\n"
      "\n"
      "Thread 1 (Thread 0x7e (LWP 100) \"vesket-desktop\"):\n"
      "#0  0x00007f in clock_nanosleep@GLIBC_2.2.5 () from /lib/x86_64-linux-gnu/libc.so.6\n"
      "#1  0x00007f in __nanosleep (req=<optimized out>) from /lib/x86_64-linux-gnu/libc.so.6\n"
      "#2  0x00007f in QThread::msleep(unsigned long) () from /lib/libQt6Core.so.6\n"
      "#3  0x00007f in QObject::event(QEvent*) () from /lib/libQt6Core.so.6\n"
      "#4  0x00007f in QCoreApplication::notify(QObject*, QEvent*) () from /lib/libQt6Core.so.6\n"
      "#5  0x00005a in vesket::ui::MainWindow::refresh() (this=0x1) at ui/main_window.cpp:12\n"
      "#6  0x00007f in QCoreApplication::exec() () from /lib/libQt6Core.so.6\n"
      "#7  main (argc=1, argv=0x7ff) at app/main.cpp:40\n";
  const std::string graph = callGraphFromGdb(gdb, 100, "vesket-desktop");
  EXPECT_EQ(graph.rfind("Call graph:\n", 0), 0u) << graph;
  const auto leaves = sanitizedMainThreadLeafFrames(graph);
  EXPECT_EQ(leaves, (std::vector<std::string>{
                        "libc.so.6`clock_nanosleepGLIBC_2.2.5", "libc.so.6`__nanosleep",
                        "libQt6Core.so.6`QThread::msleepunsigned long", "libQt6Core.so.6`QObject::eventQEvent",
                        "libQt6Core.so.6`QCoreApplication::notifyQObject QEvent",
                        "vesket-desktop`vesket::ui::MainWindow::refresh"}))
      << "the five deepest, then the deepest own frame\n"
      << graph;
  EXPECT_FALSE(sanitizeSampleFrame("Thread_100   DispatchQueue_1"));
  EXPECT_TRUE(sanitizedMainThreadLeafFrames("    1 Thread_1 com.apple.main-thread\n    + 1 f  (in x)\n").empty())
      << "nothing before the call graph";

  const auto record = buildHangRecord(graph, "1.0", "1.0 (abc)", "Linux", 2100, 1700000000000);
  EXPECT_EQ(record["error"]["name"], "MainThreadHang");
  EXPECT_EQ(record["error"]["message"], "unresponsive_ms=2100");
  EXPECT_EQ(record["hang"]["unresponsive_ms"], 2100);
  EXPECT_EQ(record["hang"]["leaf_frames"].size(), 6u);
  EXPECT_EQ(record["error"]["stack"].get<std::string>().rfind(
                "MainThreadHang: unresponsive_ms=2100\n    at libc.so.6`clock_nanosleepGLIBC_2.2.5\n", 0),
            0u);
  EXPECT_TRUE(buildHangRecord(std::nullopt, "1", "1", "x", 1000, 1)["hang"]["leaf_frames"].empty());
}

TEST(HangDetectorTest, ThresholdCooldownAndEnd) {
  using Kind = HangDetectorCore::Event::Kind;
  HangDetectorCore detector;
  // Pongs keep coming: nothing; a 0.9 s gap is not a hang.
  EXPECT_EQ(detector.tick(100.0, 99.9).kind, Kind::none);
  EXPECT_EQ(detector.tick(101.0, 100.1).kind, Kind::none);
  // A hang from 101.0: captured once it reaches 1 s, ended when a pong comes back.
  const auto capture = detector.tick(102.0, 101.0);
  EXPECT_EQ(capture.kind, Kind::capture);
  EXPECT_DOUBLE_EQ(capture.seconds, 1.0);
  EXPECT_EQ(detector.tick(103.0, 101.0).kind, Kind::none);
  const auto ended = detector.tick(103.5, 103.4);
  EXPECT_EQ(ended.kind, Kind::ended);
  EXPECT_DOUBLE_EQ(ended.seconds, 2.5);
  // Another hang 10 s later is within the 30 s cooldown: not captured, but it still ends.
  EXPECT_EQ(detector.tick(114.0, 112.0).kind, Kind::none);
  EXPECT_TRUE(detector.isHung());
  EXPECT_EQ(detector.tick(115.0, 114.9).kind, Kind::ended);
  // 60 s after the first capture: captured again.
  EXPECT_EQ(detector.tick(163.0, 161.5).kind, Kind::capture);
}

TEST(SpoolTest, FileNamesAndTheDiagnosticsSetting) {
  EXPECT_EQ(spoolFileName(1700000000123, 424242), "1700000000123-424242.json");
  EXPECT_EQ(spoolFileName(1, 5), "1-100000.json");
  EXPECT_TRUE(CrashReportingPrivacy::isEnabled(std::nullopt));
  EXPECT_TRUE(CrashReportingPrivacy::isEnabled("not json"));
  EXPECT_TRUE(CrashReportingPrivacy::isEnabled(R"({"shareCrashReports": "no"})"));
  EXPECT_FALSE(CrashReportingPrivacy::isEnabled(R"({"shareCrashReports": false})"));
  const std::string off = CrashReportingPrivacy::withEnabled(R"({"other": 1})", false);
  EXPECT_FALSE(CrashReportingPrivacy::isEnabled(off));
  EXPECT_NE(off.find("\"other\": 1"), std::string::npos);
}

TEST(ReportScanTest, KeepsNewReportsOfTheNamedProcessesOldestFirst) {
  const std::vector<ReportEntry> entries = {
      {"/r/b.ips", "b.ips", 300, R"({"app_name":"vesket"})"},
      {"/r/a.ips", "a.ips", 200, R"({"name":"vesket"})"},
      {"/r/old.ips", "old.ips", 100, R"({"app_name":"vesket"})"},
      {"/r/other.ips", "other.ips", 400, R"({"app_name":"firefox"})"},
      {"/r/c.txt", "c.txt", 500, R"({"app_name":"vesket"})"},
      {"/r/broken.ips", "broken.ips", 600, "{not json"},
  };
  const auto found = scanForNewReports(entries, {"vesket"}, 150);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], (DiagnosticReportRef{"/r/a.ips", "vesket", 200}));
  EXPECT_EQ(found[1].path, "/r/b.ips");
  EXPECT_EQ(scanForNewReports(entries, {"vesket"}, std::nullopt).size(), 3u);
  const auto parsed = parseIPS("{\"app_name\":\"vesket\"}\n{\"threads\":[]}\n");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->first["app_name"], "vesket");
  EXPECT_FALSE(parseIPS("{\"app_name\":\"vesket\"}\n[1]"));
  EXPECT_FALSE(parseIPS("{}"));
}

}  // namespace
}  // namespace vesket::maintenance
