// Multipart upload bodies, pane ids, attach URLs and how a daemon's refusal is answered.
#include <gtest/gtest.h>

#include "relay_service/core/api_error.h"
#include "relay_service/core/multipart_form.h"
#include "relay_service/core/pane_request_rules.h"

namespace vesket::relay_service {
namespace {

namespace Rules = PaneRequestRules;

int statusOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ApiError& error) {
    return error.status();
  }
  return 0;
}

TEST(MultipartFormTest, ReadsFieldsAndFilesWithBinaryContent) {
  // Holds the boundary, but not after a line end, and a NUL byte.
  const std::string binary("\x89PNG\r\n\0--Bx\r\ntail", 17);
  const std::string body = "preamble\r\n--Bx\r\n"
                           "Content-Disposition: form-data; name=\"paneId\"\r\n\r\n%3\r\n"
                           "--Bx  \r\n"
                           "content-disposition: form-data; name=\"image\"; filename=\"a \\\"b\\\".PNG\"\r\n"
                           "Content-Type: Image/PNG\r\n\r\n" +
                           binary +
                           "\r\n--Bx\r\nContent-Disposition: form-data; name=text\r\n\r\n\r\n--Bx--\r\nepilogue";
  const MultipartForm form = MultipartForm::parse("multipart/form-data; boundary=\"Bx\"", body);
  ASSERT_EQ(form.parts().size(), 3u);
  EXPECT_EQ(form.field("paneId"), "%3");
  EXPECT_EQ(form.field("text"), "");
  EXPECT_EQ(form.field("image"), std::nullopt);  // a file, not a field
  const auto images = form.files("image");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->fileName, "a \"b\".PNG");
  EXPECT_EQ(images[0]->contentType, "image/png");
  EXPECT_EQ(images[0]->bytes, binary);
  EXPECT_EQ(Rules::imageExtension(*images[0]), "png");
}

TEST(MultipartFormTest, MalformedBodiesAreRefused) {
  const std::string part = "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx\r\n";
  const struct {
    std::string contentType;
    std::string body;
  } cases[] = {
      {"application/json", part + "--B--"},
      {"multipart/form-data", part + "--B--"},                        // no boundary
      {"multipart/form-data; boundary=\"B", part + "--B--"},          // unterminated quote
      {"multipart/form-data; boundary=C", part + "--B--"},            // another boundary
      {"multipart/form-data; boundary=B", part},                      // never closed
      {"multipart/form-data; boundary=B", "--B\r\nContent-Type: text/plain\r\n\r\nx\r\n--B--"},  // unnamed
      {"multipart/form-data; boundary=B", "--B\r\nContent-Disposition: attachment; name=a\r\n\r\nx\r\n--B--"},
      {"multipart/form-data; boundary=B", "--B\r\nContent-Disposition: form-data; name=a\r\nx\r\n--B--"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(statusOf([&] { MultipartForm::parse(c.contentType, c.body); }), 400) << c.contentType << " | " << c.body;
  }
  std::string many;
  for (int i = 0; i <= 64; ++i) many += part;
  EXPECT_EQ(statusOf([&] { MultipartForm::parse("multipart/form-data; boundary=B", many + "--B--"); }), 400);
}

TEST(PaneRequestRulesTest, PaneIdsDaemonIdsAndRefusals) {
  EXPECT_EQ(Rules::requirePaneId(std::string("%12")), "%12");
  for (const std::optional<std::string>& bad : {std::optional<std::string>(), std::optional<std::string>("12"),
                                                 std::optional<std::string>("%"), std::optional<std::string>("%1;kill")}) {
    EXPECT_EQ(statusOf([&] { Rules::requirePaneId(bad); }), 400) << bad.value_or("(none)");
  }
  EXPECT_EQ(Rules::daemonId(std::nullopt), std::nullopt);
  EXPECT_EQ(Rules::daemonId(std::string_view("42")), 42);
  EXPECT_EQ(statusOf([] { Rules::daemonId(std::string_view("0")); }), 400);
  EXPECT_EQ(statusOf([] { Rules::daemonId(std::string_view("4x")); }), 400);

  const ApiError gone = Rules::daemonRefusal("capture the pane", "capture: no such pane: %9");
  EXPECT_EQ(gone.status(), 404);
  EXPECT_EQ(gone.error(), "pane_not_found");
  EXPECT_EQ(Rules::daemonRefusal("send", "can't find pane: %9").status(), 404);
  const ApiError failed = Rules::daemonRefusal("send the key", "send-key: unknown key 'Hyper'");
  EXPECT_EQ(failed.status(), 502);
  EXPECT_NE(failed.message().find("unknown key 'Hyper'"), std::string::npos);

  FormPart unnamed{"image", std::string("shot"), "image/jpeg", {}};
  EXPECT_EQ(Rules::imageExtension(unnamed), "jpeg");
  unnamed.contentType = "application/octet-stream";
  EXPECT_EQ(statusOf([&] { Rules::imageExtension(unnamed); }), 400);
}

TEST(PaneRequestRulesTest, AttachQueriesBecomeTheDaemonsArguments) {
  const nlohmann::json full = Rules::terminalAttachArgs({{"paneId", "%4"}, {"cols", "120"}, {"rows", "40"}, {"mode", "owned"},
                                                         {"open", "0"}, {"force", "1"}, {"historyLimit", "500"},
                                                         {"openId", "abc"}});
  EXPECT_EQ(full, (nlohmann::json{{"paneId", "%4"}, {"cols", 120}, {"rows", 40}, {"mode", "owned"}, {"open", false},
                                  {"force", true}, {"historyLimit", 500}}));
  const nlohmann::json plain = Rules::terminalAttachArgs({{"paneId", "%4"}, {"mode", "mirror"}, {"cols", "0"}, {"rows", "9"}});
  EXPECT_EQ(plain, (nlohmann::json{{"paneId", "%4"}, {"mode", "takeover"}, {"open", true}, {"force", false}}));
  EXPECT_EQ(statusOf([] { Rules::terminalAttachArgs({{"cols", "80"}}); }), 400);
  EXPECT_EQ(statusOf([] { Rules::terminalAttachArgs({{"paneId", "%4"}, {"rows", "-1"}}); }), 400);
  EXPECT_EQ(statusOf([] { Rules::terminalAttachArgs({{"paneId", "%4"}, {"historyLimit", "100001"}}); }), 400);
}

}  // namespace
}  // namespace vesket::relay_service
