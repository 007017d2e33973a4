// Another machine's pane ids: namespaced as "d<daemon id>/<id>", unwrapped for requests.
#include <gtest/gtest.h>

#include "viewer/core/remote_pane_ids.h"

namespace vesket::viewer {
namespace {

TEST(RemotePaneIdsTest, NamespacedIdsRoundTripAndOthersStayAsTheyAre) {
  const std::string id = RemotePaneIds::namespaced(12, "%3");
  EXPECT_EQ(id, "d12/%3");
  EXPECT_EQ(RemotePaneIds::raw(id), "%3");
  EXPECT_EQ(RemotePaneIds::daemonId(id), 12);
  for (const char* local : {"%3", "d/%3", "dx/%3", "e12/%3", "d12", "d1a/%3", "d99999999999999999999/%3"}) {
    EXPECT_EQ(RemotePaneIds::raw(local), local);
    EXPECT_FALSE(RemotePaneIds::isNamespaced(local)) << local;
  }
}

}  // namespace
}  // namespace vesket::viewer
