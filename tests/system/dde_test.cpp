#ifdef _WIN32
#include <gtest/gtest.h>

TEST(DdeTest, LinuxOnly) {
  GTEST_SKIP()
      << "the Linux layer's local-socket transport, with forked peers and socket permissions";
}
#else
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/dde.h"
#include "platform/platform_test_support.h"
#include "platform/posix/dde_socket.h"
#include "system/heap.h"
#include "system/zrDDE.h"

namespace {

using platform::dde_wire::Kind;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Answers with the bytes of the std::string that `userData` points to.
int32_t AnswerText(void* userData, const char16_t*, void** data, uint32_t* size) {
  const auto* text = static_cast<const std::string*>(userData);
  void* block = zrHeapAlloc(0, static_cast<uint32_t>(text->size()));
  if (!block) return 0;
  std::memcpy(block, text->data(), text->size());
  *data = block;
  *size = static_cast<uint32_t>(text->size());
  return 1;
}

class DdeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);
    traces_.Clear();
  }
  void TearDown() override { zrHeapDestroy(); }

  // The item's bytes as text, or nothing when GetServerData fails.
  static std::optional<std::string> Fetch(zrDDE& dde, const char* item, const char* server,
                                          uint32_t maxBytes = 4096) {
    std::string buffer(maxBytes, '\0');
    if (dde.GetServerData(item, buffer.data(), maxBytes, server) != 1) return std::nullopt;
    return buffer.c_str();
  }

  // The sockets go to a folder of the test's own.
  zrtest::TempDir runtime_;
  zrtest::EnvOverride env_{"XDG_RUNTIME_DIR", runtime_.Path().c_str()};
  zrtest::TraceCapture traces_;
};

// A child process that serves one item until it is released or killed. It is made before the
// test's own object, while this process has no service thread.
class ServerProcess {
 public:
  ServerProcess(const char* server, const char* item, std::string payload) {
    if (pipe(ready_) != 0 || pipe(release_) != 0) std::abort();
    child_ = fork();
    if (child_ == 0) {
      alarm(20);
      {
        zrDDE dde;
        const char state =
            dde.CreateServer(server) && dde.RegisterItem(item, AnswerText, &payload) ? 'y' : 'n';
        char byte;
        if (write(ready_[1], &state, 1) != 1 || read(release_[0], &byte, 1) < 0) _exit(2);
      }
      _exit(0);
    }
    close(ready_[1]);
    close(release_[0]);
  }
  ~ServerProcess() {
    if (child_ > 0) End(SIGKILL);
    close(ready_[0]);
    close(release_[1]);
  }
  bool WaitUntilServing() {
    char state = 0;
    return read(ready_[0], &state, 1) == 1 && state == 'y';
  }
  // Lets the child destroy its object and end; its exit status.
  int Release() {
    const char byte = 'x';
    if (write(release_[1], &byte, 1) != 1) return -1;
    return End(0);
  }
  int End(int signal) {
    if (signal) kill(child_, signal);
    int status = 0;
    waitpid(child_, &status, 0);
    child_ = -1;
    return status;
  }

 private:
  int ready_[2];
  int release_[2];
  pid_t child_ = -1;
};

std::string SocketPath(const char16_t* server) {
  return platform::DdeServerStem(server) + ".sock";
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

// A socket connected by hand, as a foreign or faulty client connects; -1 when it cannot.
int RawConnect(const std::string& path) {
  const int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = Address(path);
  if (connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return client;
  }
  close(client);
  return -1;
}

bool SendAll(int socket, const std::vector<uint8_t>& bytes) {
  return send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(bytes.size());
}

// Seconds from `since` until the other end closed `socket` (nothing is read from it), or -1 when
// it is still open `limit` seconds after `since`.
double ClosedAfter(int socket, Clock::time_point since, double limit) {
  for (double left; (left = limit - SecondsSince(since)) > 0;) {
    pollfd entry{socket, POLLRDHUP, 0};
    if (poll(&entry, 1, static_cast<int>(left * 1000) + 1) > 0 &&
        (entry.revents & (POLLHUP | POLLRDHUP))) {
      return SecondsSince(since);
    }
  }
  return -1;
}

std::vector<uint8_t> ConnectFrame(const char16_t* topic) {
  return platform::dde_wire::EncodeName(Kind::kConnect, 0, topic);
}

TEST_F(DdeTest, PublishesAndFetchesBetweenTwoProcesses) {
  const std::string cpu(575, 'c');  // a processor record's size, with its terminator
  ServerProcess child("ZRDDE_SERVER", "ZRCAPS_DDE_CPU", cpu);
  ASSERT_TRUE(child.WaitUntilServing());
  {
    zrDDE dde;
    ASSERT_TRUE(dde.IsReady());
    EXPECT_EQ(zrDDE::Current(), &dde);
    ASSERT_EQ(dde.Connect("ZRDDE_SERVER"), 1);
    EXPECT_EQ(Fetch(dde, "ZRCAPS_DDE_CPU", "ZRDDE_SERVER", 576), cpu);
    EXPECT_EQ(Fetch(dde, "ZRCAPS_DDE_DXVER", "ZRDDE_SERVER"), std::nullopt) << "not registered";
  }
  EXPECT_EQ(zrDDE::Current(), nullptr);
  const int status = child.Release();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // The server's destruction took its socket away.
  EXPECT_NE(access(SocketPath(u"ZRDDE_SERVER").c_str(), F_OK), 0);
  EXPECT_TRUE(traces_.Texts().empty());
}

TEST_F(DdeTest, AnswersItsOwnRequestsWhileTheOwnerWaits) {
  std::string small = "dx 9.0c";
  std::string largest(1u << 20, 'L');  // more than a socket takes at once
  std::string tooLarge(largest + "!");
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("LOCAL"), 1);
  ASSERT_EQ(dde.RegisterItem("SMALL", AnswerText, &small), 1);
  ASSERT_EQ(dde.RegisterItem("LARGEST", AnswerText, &largest), 1);
  ASSERT_EQ(dde.RegisterItem("TOO_LARGE", AnswerText, &tooLarge), 1);
  ASSERT_EQ(dde.Connect("LOCAL"), 1);
  EXPECT_EQ(Fetch(dde, "SMALL", "LOCAL"), small);
  EXPECT_EQ(Fetch(dde, "small", "LOCAL"), small) << "item names ignore case, as DDE's do";
  EXPECT_EQ(Fetch(dde, "LARGEST", "LOCAL", 1u << 20), largest);
  EXPECT_EQ(Fetch(dde, "TOO_LARGE", "LOCAL", 2u << 20), std::nullopt);
  // The conversation survives all of that.
  EXPECT_EQ(Fetch(dde, "SMALL", "LOCAL"), small);
  struct stat folder;
  ASSERT_EQ(stat(runtime_.PathOf("zr-dde").c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(DdeTest, DuplicatesAreTracedAndRefused) {
  std::string text = "x";
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("DUP"), 1);
  EXPECT_EQ(dde.CreateServer("DUP"), 0);
  ASSERT_EQ(dde.RegisterItem("ITEM", AnswerText, &text), 1);
  EXPECT_EQ(dde.RegisterItem("ITEM", nullptr, nullptr), 0);
  ASSERT_EQ(dde.Connect("DUP"), 1);
  EXPECT_EQ(dde.Connect("DUP"), 0);
  EXPECT_EQ(traces_.Texts(),
            (std::vector<std::string>{"zrDDE : サーバ<DUP>は既に作成されています",
                                      "zrDDE : トピック ITEM は既に登録されています",
                                      "zrDDE : 既にサーバ<DUP>に接続されています"}));
  // The first registration still answers.
  EXPECT_EQ(Fetch(dde, "ITEM", "DUP"), text);
}

TEST_F(DdeTest, ShortBufferOrNoAnswerGivesZeroAndLeavesTheBuffer) {
  struct Answers {
    static int32_t Refuse(void*, const char16_t*, void**, uint32_t*) { return 0; }
    static int32_t NullBlock(void*, const char16_t*, void** data, uint32_t* size) {
      *data = nullptr;
      *size = 8;
      return 1;
    }
    // An empty block whose use count lets the test see that the service released it.
    static int32_t EmptyBlock(void* userData, const char16_t*, void** data, uint32_t* size) {
      *data = userData;
      *size = 0;
      return 1;
    }
  };
  std::string eight = "12345678";
  void* empty = zrHeapAlloc(0, 4);
  ASSERT_NE(empty, nullptr);
  const int32_t two = 2;
  std::memcpy(static_cast<char*>(empty) - 4, &two, sizeof two);
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("S"), 1);
  ASSERT_EQ(dde.RegisterItem("EIGHT", AnswerText, &eight), 1);
  ASSERT_EQ(dde.RegisterItem("REFUSE", Answers::Refuse, nullptr), 1);
  ASSERT_EQ(dde.RegisterItem("NULL", Answers::NullBlock, nullptr), 1);
  ASSERT_EQ(dde.RegisterItem("EMPTY", Answers::EmptyBlock, empty), 1);
  ASSERT_EQ(dde.RegisterItem("NO_CALLBACK", nullptr, nullptr), 1);
  ASSERT_EQ(dde.Connect("S"), 1);

  char buffer[16];
  std::memset(buffer, 0xCC, sizeof buffer);
  EXPECT_EQ(dde.GetServerData("EIGHT", buffer, 7, "S"), 0);
  for (const char* item : {"REFUSE", "NULL", "EMPTY", "NO_CALLBACK", "UNKNOWN"}) {
    EXPECT_EQ(dde.GetServerData(item, buffer, sizeof buffer, "S"), 0) << item;
  }
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '\xCC'));
  int32_t count = 0;
  std::memcpy(&count, static_cast<char*>(empty) - 4, sizeof count);
  EXPECT_EQ(count, 1) << "the service released the empty block it was handed";
  zrHeapFree(empty);
  EXPECT_EQ(dde.GetServerData("EIGHT", buffer, 8, "S"), 1);
  EXPECT_EQ(std::string(buffer, 8), eight);
  EXPECT_TRUE(traces_.Texts().empty());
}

TEST_F(DdeTest, RequestWithoutConversationIsTracedAndUnknownServerRefused) {
  zrDDE dde;
  EXPECT_EQ(dde.Connect("NOBODY"), 0);
  EXPECT_TRUE(traces_.Texts().empty());
  char buffer[8];
  EXPECT_EQ(dde.GetServerData("ITEM", buffer, sizeof buffer, "NOBODY"), 0);
  EXPECT_EQ(traces_.Texts(),
            std::vector<std::string>{"zrDDE::GetServerData  サーバ NOBODY に接続されていません"});
}

TEST_F(DdeTest, SecondObjectIsNotReadyAndSilent) {
  auto first = std::make_unique<zrDDE>();
  ASSERT_TRUE(first->IsReady());
  {
    zrDDE second;
    EXPECT_EQ(traces_.Texts(), std::vector<std::string>{"zrDDEクラスは複数作成出来ません"});
    traces_.Clear();
    EXPECT_FALSE(second.IsReady());
    EXPECT_EQ(zrDDE::Current(), first.get());
    char buffer[8];
    EXPECT_EQ(second.CreateServer("S"), 0);
    EXPECT_EQ(second.RegisterItem("I", AnswerText, nullptr), 0);
    EXPECT_EQ(second.Connect("S"), 0);
    EXPECT_EQ(second.GetServerData("I", buffer, sizeof buffer, "S"), 0);
    EXPECT_TRUE(traces_.Texts().empty());
  }
  EXPECT_EQ(zrDDE::Current(), first.get());
  first.reset();
  EXPECT_EQ(zrDDE::Current(), nullptr);
}

TEST_F(DdeTest, ServerRefusesAnotherTopic) {
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("TOPICS"), 1);
  auto client =
      platform::DdeService::Start([](const char16_t*, std::vector<uint8_t>&) { return false; });
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->Connect(u"TOPICS", u"OTHER_TOPIC"), 0u);
  EXPECT_NE(client->Connect(u"topics", u"zrdde_topic"), 0u) << "names ignore case";
}

// A live server's name cannot be taken, in any case; a crashed one's socket is replaced.
TEST_F(DdeTest, NameOfALiveServerIsRefusedAndACrashedOnesIsTakenOver) {
  std::string text = "answered here";
  ServerProcess child("HELD", "ITEM", "answered there");
  ASSERT_TRUE(child.WaitUntilServing());
  zrDDE dde;
  EXPECT_EQ(dde.CreateServer("HELD"), 0);
  EXPECT_EQ(dde.CreateServer("held"), 0);
  EXPECT_TRUE(traces_.Texts().empty());
  EXPECT_TRUE(WIFSIGNALED(child.End(SIGKILL)));
  EXPECT_EQ(access(SocketPath(u"HELD").c_str(), F_OK), 0) << "a crash leaves the socket";
  EXPECT_EQ(dde.CreateServer("HELD"), 1);
  EXPECT_EQ(dde.RegisterItem("ITEM", AnswerText, &text), 1);
  EXPECT_EQ(dde.Connect("HELD"), 1);
  EXPECT_EQ(Fetch(dde, "ITEM", "HELD"), text);
}

TEST_F(DdeTest, FaultyPeersDoNotStopTheServer) {
  std::string text = "still here";
  std::string large(1u << 20, 'L');
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("ROBUST"), 1);
  ASSERT_EQ(dde.RegisterItem("ITEM", AnswerText, &text), 1);
  ASSERT_EQ(dde.RegisterItem("LARGE", AnswerText, &large), 1);
  const std::string path = SocketPath(u"ROBUST");
  const int garbage = RawConnect(path);
  const int absurd = RawConnect(path);
  const int halfFrame = RawConnect(path);
  const int neverReads = RawConnect(path);
  ASSERT_TRUE(garbage >= 0 && absurd >= 0 && halfFrame >= 0 && neverReads >= 0);
  const std::string http = "GET / HTTP/1.0\r\n\r\n";
  ASSERT_TRUE(SendAll(garbage, std::vector<uint8_t>(http.begin(), http.end())));
  std::vector<uint8_t> huge = platform::dde_wire::EncodeName(Kind::kRequest, 1, u"ITEM");
  const uint8_t length[] = {0xF0, 0xFF, 0xFF, 0x7F};  // a name of two thousand million bytes
  std::copy(std::begin(length), std::end(length), huge.begin() + 12);
  const std::vector<uint8_t> connect = ConnectFrame(platform::kDdeTopic);
  ASSERT_TRUE(SendAll(absurd, connect) && SendAll(absurd, huge));
  ASSERT_TRUE(SendAll(halfFrame, std::vector<uint8_t>(connect.begin(), connect.begin() + 10)));
  std::vector<uint8_t> requests = connect;
  for (uint32_t serial = 1; serial <= 4; ++serial) {
    const auto request = platform::dde_wire::EncodeName(Kind::kRequest, serial, u"LARGE");
    requests.insert(requests.end(), request.begin(), request.end());
  }
  ASSERT_TRUE(SendAll(neverReads, requests));
  const auto sent = Clock::now();

  ASSERT_EQ(dde.Connect("ROBUST"), 1);
  EXPECT_EQ(Fetch(dde, "ITEM", "ROBUST"), text);
  EXPECT_LT(SecondsSince(sent), 0.8) << "answered while the faulty peers hang";
  const double garbageClosed = ClosedAfter(garbage, sent, 3);
  EXPECT_TRUE(garbageClosed >= 0 && garbageClosed < 0.8) << "garbage is dropped at once";
  const double absurdClosed = ClosedAfter(absurd, sent, 3);
  EXPECT_TRUE(absurdClosed >= 0 && absurdClosed < 0.8);
  for (int hanging : {halfFrame, neverReads}) {
    const double closed = ClosedAfter(hanging, sent, 3);
    EXPECT_TRUE(closed > 0.9 && closed < 3) << "dropped after the time-out: " << closed;
  }
  EXPECT_EQ(Fetch(dde, "ITEM", "ROBUST"), text);
  for (int socket : {garbage, absurd, halfFrame, neverReads}) close(socket);
}

// A server of our own making that takes one conversation and never answers what follows.
class SilentServer {
 public:
  SilentServer(const std::string& path, bool acceptTopic) {
    listening_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address(path);
    if (bind(listening_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listening_, 4) != 0) {
      std::abort();
    }
    thread_ = std::thread([this, acceptTopic] {
      const int peer = accept(listening_, nullptr, nullptr);
      if (peer < 0) return;
      char sink[4096];
      if (acceptTopic && recv(peer, sink, sizeof sink, 0) > 0) {
        SendAll(peer, platform::dde_wire::Encode(Kind::kAccept, 0, nullptr, 0));
      }
      while (recv(peer, sink, sizeof sink, 0) > 0) {
      }
      close(peer);
    });
  }
  ~SilentServer() {
    shutdown(listening_, SHUT_RDWR);  // ends a wait for a client that never came
    thread_.join();
    close(listening_);
  }

 private:
  int listening_;
  std::thread thread_;
};

TEST_F(DdeTest, SilentServerFailsTheCallAfterTheTimeOut) {
  SilentServer mute(SocketPath(u"MUTE"), false);
  SilentServer silent(SocketPath(u"SILENT"), true);
  zrDDE dde;
  auto start = Clock::now();
  EXPECT_EQ(dde.Connect("MUTE"), 0);
  const double connectTime = SecondsSince(start);
  EXPECT_GT(connectTime, 0.9);
  EXPECT_LT(connectTime, 3.0);
  ASSERT_EQ(dde.Connect("SILENT"), 1);
  char buffer[8];
  start = Clock::now();
  EXPECT_EQ(dde.GetServerData("ITEM", buffer, sizeof buffer, "SILENT"), 0);
  const double requestTime = SecondsSince(start);
  EXPECT_GT(requestTime, 0.9);
  EXPECT_LT(requestTime, 3.0);
  EXPECT_TRUE(traces_.Texts().empty());
}

// An answer that comes after its request gave up must not pass for the next request's.
TEST_F(DdeTest, LateAnswerIsNotTakenForTheNextOne) {
  struct Answers {
    static int32_t Slow(void* userData, const char16_t* item, void** data, uint32_t* size) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1300));
      return AnswerText(userData, item, data, size);
    }
  };
  std::string slow = "slow";
  std::string fast = "fast";
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("PACE"), 1);
  ASSERT_EQ(dde.RegisterItem("SLOW", Answers::Slow, &slow), 1);
  ASSERT_EQ(dde.RegisterItem("FAST", AnswerText, &fast), 1);
  ASSERT_EQ(dde.Connect("PACE"), 1);
  EXPECT_EQ(Fetch(dde, "SLOW", "PACE"), std::nullopt);
  EXPECT_EQ(Fetch(dde, "FAST", "PACE"), fast);
}

TEST_F(DdeTest, PeerOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  zrDDE dde;
  ASSERT_EQ(dde.CreateServer("GUARDED"), 1);
  const std::string path = SocketPath(u"GUARDED");
  // The child reaches the private folder with root's file access but connects as `user`: 0 when
  // the server closed on it, 1 when it accepted the topic.
  auto attempt = [&path](uid_t user) {
    return zrtest::RunInChild([&path, user] {
      if (seteuid(user) != 0) return 2;
      setfsuid(0);
      const int client = RawConnect(path);
      if (client < 0) return 3;
      SendAll(client, ConnectFrame(platform::kDdeTopic));  // may find the socket closed already
      uint8_t reply[64];
      return recv(client, reply, sizeof reply, 0) > 0 ? 1 : 0;
    });
  };
  EXPECT_EQ(attempt(0), 1);
  EXPECT_EQ(attempt(65534), 0);
}

}  // namespace
#endif  // _WIN32
