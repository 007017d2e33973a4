#include "daemon/core/terminal_attach_line.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <variant>

#include "control_plane/core/attach_line.h"
#include "control_plane/core/base64.h"
#include "daemon/core/reply_line.h"

using namespace vesket::daemon;
using nlohmann::json;

TEST(TerminalAttachLine, IsTheStreamEventTheClientDecodes) {
  std::string frame = "\x03";  // an output frame of every byte value
  for (int i = 0; i < 256; ++i) frame.push_back(static_cast<char>(i));
  for (const std::string id : {"6F1E-22", "quote\" back\\slash \xC3\xA9", ""}) {
    const std::string line = TerminalAttachLine(id).event(frame);
    ASSERT_TRUE(line.ends_with("\n"));
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line";
    const std::string body = line.substr(0, line.size() - 1);
    EXPECT_EQ(json::parse(body), json::parse(ReplyLine::event(id, {{"data", vesket::control_plane::Base64::encode(frame)}})));
    const auto classified = vesket::control_plane::classifyAttachLine(body, id);
    ASSERT_TRUE(std::holds_alternative<vesket::control_plane::AttachOutput>(classified)) << id;
    EXPECT_EQ(std::get<vesket::control_plane::AttachOutput>(classified).bytes, frame);
  }
}
