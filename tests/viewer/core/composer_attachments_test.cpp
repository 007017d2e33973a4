// What a message with attached files becomes for a pane of this machine.
#include "viewer/core/composer_attachments.h"

#include <gtest/gtest.h>

namespace vesket::viewer {
namespace {

using namespace ComposerAttachments;

TEST(ComposerAttachmentsTest, ImagesGoAsImagesOtherFilesAsQuotedPaths) {
  const ComposerSendPlan plan = ComposerAttachments::plan(
      "compare these \n", {{"/home/me/Shots/before.PNG", 2048},
                           {"/home/me/notes/spec draft.md", 900},
                           {"/home/me/it's.txt", 10},
                           {"/home/me/huge.jpg", kMaxImageBytes + 1},
                           {"/home/me/empty.gif", 0},
                           {"/home/me/after.webp", 4096}});
  EXPECT_EQ(plan.imagePaths, (std::vector<std::string>{"/home/me/Shots/before.PNG", "/home/me/after.webp"}));
  EXPECT_EQ(plan.imageExts, (std::vector<std::string>{"png", "webp"}));
  EXPECT_EQ(plan.text,
            "compare these '/home/me/notes/spec draft.md' '/home/me/it'\\''s.txt' /home/me/huge.jpg /home/me/empty.gif");
  EXPECT_EQ(ComposerAttachments::plan("", {{"/tmp/a.txt", 1}}).text, "/tmp/a.txt");

  std::vector<ComposerAttachment> many(kMaxImages + 2, {"/tmp/x.png", 10});
  const ComposerSendPlan capped = ComposerAttachments::plan("", many);
  EXPECT_EQ(capped.imagePaths.size(), kMaxImages);
  EXPECT_EQ(capped.text, "/tmp/x.png /tmp/x.png") << "the ones past the limit go as paths";

  EXPECT_EQ(imageExtension("/a.b/c"), "");
  EXPECT_EQ(imageExtension("/a/.png"), "");
  EXPECT_EQ(imageExtension("/a/b.JPeG"), "jpeg");
  EXPECT_EQ(shellWord("/plain/path-1_2.txt"), "/plain/path-1_2.txt");
  EXPECT_EQ(shellWord("/a/$(rm -rf)"), "'/a/$(rm -rf)'");
}

}  // namespace
}  // namespace vesket::viewer
