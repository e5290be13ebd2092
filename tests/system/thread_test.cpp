#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "system/message_catalogue.h"
#include "system/zrThread.h"

namespace {

TEST(ThreadTest, EventsCountAsTheirResetModeSays) {
  zrThread thread;
  EXPECT_EQ(thread.CreateEvent(0, false, false), 1);
  EXPECT_EQ(thread.CreateEvent(0, true, true), 0);  // the id is taken
  EXPECT_EQ(thread.CreateEvent(1, true, true), 1);
  EXPECT_EQ(thread.WaitEvent(0, 10), 0);
  thread.SetEvent(0);
  EXPECT_EQ(thread.WaitEvent(0, 0), 1);
  EXPECT_EQ(thread.WaitEvent(0, 10), 0);  // taken by the first wait
  EXPECT_EQ(thread.WaitEvent(1, 0), 1);
  EXPECT_EQ(thread.WaitEvent(1, 0), 1);  // stays set
  thread.ResetEvent(1);
  EXPECT_EQ(thread.WaitEvent(1, 10), 0);
  EXPECT_EQ(thread.WaitEvent(7, 0), 0);  // no such event
  thread.SetEvent(7);
}

// The procedure runs on its own thread with the object and the user pointer; a waiter there is
// woken by SetEvent from here; Join returns once it has ended.
TEST(ThreadTest, RunsWaitsAndJoins) {
  struct Shared {
    std::atomic<int> stage{0};
    zrThread* seen = nullptr;
  } shared;
  zrThread thread;
  thread.CreateEvent(0, false, false);
  thread.CreateLock(3);
  EXPECT_EQ(thread.CreateLock(3), 0);
  ASSERT_EQ(thread.Start(&shared,
                         [](zrThread* self, void* user) {
                           Shared* shared = static_cast<Shared*>(user);
                           shared->seen = self;
                           shared->stage = 1;
                           self->WaitEvent(0, zrThread::kWaitForever);
                           self->Lock(3);
                           self->Lock(3);  // entered again by its holder
                           shared->stage = 2;
                           self->Unlock(3);
                           self->Unlock(3);
                         }),
            1);
  EXPECT_NE(thread.threadId(), 0u);
  EXPECT_EQ(thread.Start(&shared, [](zrThread*, void*) {}), 0);  // runs once
  thread.Lock(3);
  thread.SetEvent(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(shared.stage, 1);  // held out by the lock
  thread.Unlock(3);
  thread.Join();
  EXPECT_EQ(shared.stage, 2);
  EXPECT_EQ(shared.seen, &thread);
  thread.Join();  // nothing left to wait for
}

TEST(MessageCatalogueTest, TemplatesResolveToTheTextAfterTheirIdentifier) {
  EXPECT_EQ(std::u16string(ResolveMessage(u"$1010-0171$フォルダ [%s]")), u"フォルダ [%s]");
  EXPECT_EQ(std::u16string(ResolveMessage(u"#12#text")), u"text");
  EXPECT_EQ(std::u16string(ResolveMessage(u"$unclosed")), u"$unclosed");
  EXPECT_EQ(std::u16string(ResolveMessage(u"plain $x$")), u"plain $x$");
}

}  // namespace
