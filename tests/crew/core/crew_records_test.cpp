#include "crew/core/crew_records.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "control_plane/core/decoding_error.h"

namespace vesket::crew {
namespace {

TEST(CrewRecordsTest, ToolOutputDecodesByFieldNames) {
  const auto list = RegistryList::fromJson(nlohmann::json::parse(R"({"crews": [
      {"crewId": "c1", "project": "/p", "managerPaneId": "%1", "lifecycle": null, "extra": 1,
       "members": [{"paneId": "%1", "role": "manager"}, {"paneId": "%2"}]}]})"));
  ASSERT_EQ(list.crews.size(), 1u);
  EXPECT_FALSE(list.crews[0].lifecycle);
  EXPECT_FALSE(list.crews[0].members[1].role);
  EXPECT_EQ(RegistryList::fromJson(list.toJson()), list);
  EXPECT_FALSE(list.toJson()["crews"][0].contains("displayName"));

  EXPECT_THROW(RegistryList::fromJson(nlohmann::json::parse(R"({"crews": [{"crewId": "c1", "project": "/p"}]})")),
               control_plane::DecodingError);
  EXPECT_THROW(RegistryList::fromJson(nlohmann::json::parse(R"({})")), control_plane::DecodingError);

  const auto router = RouterState::fromJson(nlohmann::json::parse(
      R"({"assignments": {"%2": {"taskId": "T1"}}, "taskMeta": {"T1": {"matchedTag": "rca"}}})"));
  EXPECT_EQ(router.assignments.at("%2").taskId, "T1");
  EXPECT_EQ(router.taskMeta.at("T1").matchedTag, "rca");
  EXPECT_TRUE(RouterState::fromJson(nlohmann::json::object()).assignments.empty());

  const auto created = CrewCreateResult::fromJson(nlohmann::json::parse(R"({"ok": false, "error": "no tmux"})"));
  EXPECT_FALSE(created.ok);
  EXPECT_EQ(created.error, "no tmux");
  EXPECT_FALSE(created.panes);
  const auto body = CrewErrorBody::fromJson(nlohmann::json::parse(R"({"requiredVersion": "2.0"})"));
  EXPECT_EQ(body.requiredVersion, "2.0");
  EXPECT_FALSE(body.error);
}

}  // namespace
}  // namespace vesket::crew
