// Work posted to the message loop: it waits for the running handler, runs
// once, and is dropped with its window.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/ui/message_loop.h"
#include "platform/ui/vcl.h"

namespace {

TEST(MessageLoop, PostedWorkRunsOnceAfterTheHandlerAndNotAfterItsWindowHasGone) {
  auto* form = new TForm(nullptr);
  std::string order;
  ASSERT_TRUE(PostToMessageLoop(form, [&order] { order += "posted "; }));
  order += "handler ";
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(order, "handler posted ");

  int late = 0;
  ASSERT_TRUE(PostToMessageLoop(form, [&late] { ++late; }));
  delete form;
  QCoreApplication::processEvents();
  EXPECT_EQ(late, 0);

  EXPECT_FALSE(PostToMessageLoop(nullptr, [&late] { ++late; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(late, 0);
}

}  // namespace
