// The network stand-in between a host and clients on 127.0.0.1: finding the
// host, joining with connect data, refusals, guaranteed and best-effort
// messages, the host's own player, buffers, and players that leave.
#include <gtest/gtest.h>

#include "dplay8_fixture.h"

namespace {

// A server hosting on a free port of 127.0.0.1, and COM started for the test's thread.
class DPlay8Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    DPlay8ClearDrops();
    port_ = DPlay8FindFreePort();
    ASSERT_NE(port_, 0);
    ASSERT_EQ(CoCreateInstance(CLSID_DirectPlay8Server, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Server,
                               reinterpret_cast<void**>(&server_)),
              S_OK);
    ASSERT_EQ(server_->Initialize(&host_, &Recorder::Handler, DPNINITIALIZE_DISABLEPARAMVAL), DPN_OK);
    DPN_APPLICATION_DESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DPNSESSION_CLIENT_SERVER;
    desc.guidApplication = kTestApplication;
    desc.dwMaxPlayers = 8;
    char16_t name[] = u"Test session";
    desc.pwszSessionName = name;
    IDirectPlay8Address* device = MakeAddress(nullptr, port_);
    host_.enumResponse.assign(92, 0);
    for (int i = 0; i < 92; ++i) host_.enumResponse[i] = static_cast<std::uint8_t>(i * 3);
    ASSERT_EQ(server_->Host(&desc, &device, 1, nullptr, nullptr, reinterpret_cast<void*>(-1), 0), DPN_OK);
    device->Release();
    ASSERT_EQ(host_.Count(DPN_MSGID_CREATE_PLAYER), 1u);
    ownPlayer_ = host_.Of(DPN_MSGID_CREATE_PLAYER)[0].player;
  }
  void TearDown() override {
    for (IDirectPlay8Client* c : clients_) {
      c->Close(0);
      c->Release();
    }
    if (server_ != nullptr) {
      server_->Close(0);
      server_->Release();
    }
    CoUninitialize();
  }

  IDirectPlay8Client* NewClient(Recorder* recorder) {
    IDirectPlay8Client* c = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_DirectPlay8Client, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Client,
                               reinterpret_cast<void**>(&c)),
              S_OK);
    EXPECT_EQ(c->Initialize(recorder, &Recorder::Handler, DPNINITIALIZE_DISABLEPARAMVAL), DPN_OK);
    clients_.push_back(c);
    return c;
  }

  HRESULT Join(IDirectPlay8Client* c, const std::vector<std::uint8_t>& data) {
    DPN_APPLICATION_DESC desc{};
    desc.dwSize = sizeof desc;
    desc.guidApplication = kTestApplication;
    IDirectPlay8Address* host = MakeAddress("127.0.0.1", port_);
    const HRESULT r = c->Connect(&desc, host, nullptr, nullptr, nullptr, data.data(), static_cast<DWORD>(data.size()),
                                 nullptr, nullptr, DPNCONNECT_SYNC);
    host->Release();
    return r;
  }

  static HRESULT Send(IDirectPlay8Server* s, DPNID to, std::vector<std::uint8_t> bytes, DWORD flags) {
    DPN_BUFFER_DESC buffer{static_cast<DWORD>(bytes.size()), bytes.data()};
    DPNHANDLE handle = 0;
    return s->SendTo(to, &buffer, 1, 0, nullptr, &handle, flags);
  }
  static HRESULT Send(IDirectPlay8Client* c, std::vector<std::uint8_t> bytes, DWORD flags) {
    DPN_BUFFER_DESC buffer{static_cast<DWORD>(bytes.size()), bytes.data()};
    DPNHANDLE handle = 0;
    return c->Send(&buffer, 1, 0, nullptr, &handle, flags);
  }

  std::uint16_t port_ = 0;
  Recorder host_;
  IDirectPlay8Server* server_ = nullptr;
  DPNID ownPlayer_ = 0;
  std::vector<IDirectPlay8Client*> clients_;
};

}  // namespace

TEST_F(DPlay8Test, AClientFindsTheHostAndJoinsWithItsConnectData) {
  Recorder recorder;
  IDirectPlay8Client* client = NewClient(&recorder);
  DPN_SP_CAPS caps{};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(client->GetSPCaps(&CLSID_DP8SP_TCPIP, &caps, 0), DPN_OK);
  EXPECT_GT(caps.dwDefaultEnumRetryInterval, 0u);

  DPN_APPLICATION_DESC desc{};
  desc.dwSize = sizeof desc;
  desc.guidApplication = kTestApplication;
  IDirectPlay8Address* host = MakeAddress("127.0.0.1", port_);
  IDirectPlay8Address* device = MakeAddress(nullptr, 0);
  DPNHANDLE enumeration = 0;
  ASSERT_EQ(client->EnumHosts(&desc, host, device, nullptr, 0, 0xFFFFFFFFu, 0, 0, nullptr, &enumeration, 0),
            DPNSUCCESS_PENDING);
  host->Release();
  device->Release();
  ASSERT_TRUE(recorder.WaitFor(DPN_MSGID_ENUM_HOSTS_RESPONSE));
  const RecordedMessage answer = recorder.Of(DPN_MSGID_ENUM_HOSTS_RESPONSE)[0];
  EXPECT_EQ(answer.data, host_.enumResponse);
  EXPECT_EQ(answer.host, "127.0.0.1");
  EXPECT_EQ(answer.port, port_);
  EXPECT_LT(answer.latency, 5000u);
  EXPECT_EQ(client->CancelAsyncOperation(enumeration, 0), DPN_OK);
  EXPECT_EQ(client->CancelAsyncOperation(enumeration, 0), DPNERR_INVALIDHANDLE);

  std::vector<std::uint8_t> connectData(140);
  for (int i = 0; i < 140; ++i) connectData[i] = static_cast<std::uint8_t>(200 - i);
  host_.newPlayerContext = reinterpret_cast<void*>(5);
  ASSERT_EQ(Join(client, connectData), DPN_OK);
  ASSERT_EQ(recorder.Count(DPN_MSGID_CONNECT_COMPLETE), 1u);  // raised before Connect returned
  EXPECT_EQ(recorder.Of(DPN_MSGID_CONNECT_COMPLETE)[0].result, DPN_OK);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_CREATE_PLAYER, 2));
  const RecordedMessage indicated = host_.Of(DPN_MSGID_INDICATE_CONNECT)[0];
  EXPECT_EQ(indicated.data, connectData);
  EXPECT_EQ(indicated.host, "127.0.0.1");
  const RecordedMessage created = host_.Of(DPN_MSGID_CREATE_PLAYER)[1];
  EXPECT_EQ(created.context, reinterpret_cast<void*>(5));
  EXPECT_EQ(created.player, recorder.Of(DPN_MSGID_CONNECT_COMPLETE)[0].player);
  DPN_CONNECTION_INFO info{};
  info.dwSize = sizeof info;
  EXPECT_EQ(server_->GetConnectionInfo(created.player, &info, 0), DPN_OK);
  EXPECT_EQ(server_->GetConnectionInfo(0x7777, &info, 0), DPNERR_INVALIDPLAYER);
}

TEST_F(DPlay8Test, ARefusedConnectionReachesTheClientAsRejected) {
  Recorder recorder;
  IDirectPlay8Client* client = NewClient(&recorder);
  host_.refuse = static_cast<HRESULT>(1);  // anything but DPN_OK refuses
  EXPECT_EQ(Join(client, std::vector<std::uint8_t>(140, 1)), DPNERR_HOSTREJECTEDCONNECTION);
  ASSERT_EQ(recorder.Count(DPN_MSGID_CONNECT_COMPLETE), 1u);
  EXPECT_EQ(recorder.Of(DPN_MSGID_CONNECT_COMPLETE)[0].result, DPNERR_HOSTREJECTEDCONNECTION);
  EXPECT_EQ(host_.Count(DPN_MSGID_CREATE_PLAYER), 1u);  // the host's own player only
  EXPECT_EQ(Send(client, {1, 2, 3}, DPNSEND_GUARANTEED), DPNERR_NOCONNECTION);
  // Accepted on the next try.
  host_.refuse = DPN_OK;
  EXPECT_EQ(Join(client, std::vector<std::uint8_t>(140, 1)), DPN_OK);
}

TEST_F(DPlay8Test, MessagesTravelBothWaysAndTheHostsOwnPlayerHearsLoopedBackOnes) {
  Recorder recorder;
  IDirectPlay8Client* client = NewClient(&recorder);
  ASSERT_EQ(Join(client, {}), DPN_OK);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_CREATE_PLAYER, 2));
  const DPNID clientPlayer = host_.Of(DPN_MSGID_CREATE_PLAYER)[1].player;

  // Guaranteed messages arrive complete and in order.
  for (std::uint8_t i = 0; i < 50; ++i)
    ASSERT_EQ(Send(server_, clientPlayer, std::vector<std::uint8_t>(100 + i, i), DPNSEND_GUARANTEED | DPNSEND_PRIORITY_LOW),
              DPNSUCCESS_PENDING);
  ASSERT_TRUE(recorder.WaitFor(DPN_MSGID_RECEIVE, 50));
  const auto received = recorder.Of(DPN_MSGID_RECEIVE);
  for (std::uint8_t i = 0; i < 50; ++i) EXPECT_EQ(received[i].data, std::vector<std::uint8_t>(100 + i, i));
  EXPECT_EQ(received[0].player, ownPlayer_);

  ASSERT_EQ(Send(client, {9, 8, 7}, DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_RECEIVE, 1));
  EXPECT_EQ(host_.Of(DPN_MSGID_RECEIVE)[0].player, clientPlayer);
  EXPECT_EQ(host_.Of(DPN_MSGID_RECEIVE)[0].data, (std::vector<std::uint8_t>{9, 8, 7}));

  // To everyone: a no-loopback send reaches the client only; a looped-back
  // one also the host's own player.
  ASSERT_EQ(Send(server_, DPNID_ALL_PLAYERS_GROUP, {1}, DPNSEND_GUARANTEED | DPNSEND_NOLOOPBACK), DPNSUCCESS_PENDING);
  ASSERT_EQ(Send(server_, DPNID_ALL_PLAYERS_GROUP, {2}, DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  ASSERT_EQ(Send(server_, ownPlayer_, {3}, DPNSEND_NOCOMPLETE | DPNSEND_NOLOOPBACK), DPNSUCCESS_PENDING);
  ASSERT_EQ(Send(server_, ownPlayer_, {4}, DPNSEND_NOCOMPLETE), DPNSUCCESS_PENDING);
  ASSERT_TRUE(recorder.WaitFor(DPN_MSGID_RECEIVE, 52));
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_RECEIVE, 3));
  std::vector<std::uint8_t> own;
  for (const RecordedMessage& m : host_.Of(DPN_MSGID_RECEIVE))
    if (m.player == ownPlayer_) own.push_back(m.data[0]);
  EXPECT_EQ(own, (std::vector<std::uint8_t>{2, 4}));
  EXPECT_EQ(Send(server_, 0x7777, {1}, DPNSEND_GUARANTEED), DPNERR_INVALIDPLAYER);
  // Best-effort messages arrive as sent, or not at all.
  for (std::uint8_t i = 0; i < 20; ++i) Send(client, {i, i, i, i}, DPNSEND_NOCOMPLETE);
  Send(client, {0xFF}, DPNSEND_GUARANTEED);
  ASSERT_TRUE(WaitUntil([&] {
    for (const RecordedMessage& m : host_.Of(DPN_MSGID_RECEIVE))
      if (m.data == std::vector<std::uint8_t>{0xFF}) return true;
    return false;
  }));
  for (const RecordedMessage& m : host_.Of(DPN_MSGID_RECEIVE)) {
    if (m.data.size() != 4) continue;
    EXPECT_EQ(m.data, std::vector<std::uint8_t>(4, m.data[0]));
  }
}

TEST_F(DPlay8Test, KeptBuffersAreCountedUntilReturned) {
  Recorder recorder;
  recorder.keepBuffers = true;
  IDirectPlay8Client* client = NewClient(&recorder);
  ASSERT_EQ(Join(client, {}), DPN_OK);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_CREATE_PLAYER, 2));
  const DPNID clientPlayer = host_.Of(DPN_MSGID_CREATE_PLAYER)[1].player;
  const std::uint64_t before = DPlay8OutstandingBuffers();
  for (int i = 0; i < 5; ++i) Send(server_, clientPlayer, {1, 2}, DPNSEND_GUARANTEED);
  ASSERT_TRUE(recorder.WaitFor(DPN_MSGID_RECEIVE, 5));
  EXPECT_EQ(DPlay8OutstandingBuffers(), before + 5);
  EXPECT_EQ(DPlay8GetCounters(client).outstandingBuffers, 5u);
  for (DPNHANDLE h : recorder.TakeKept()) EXPECT_EQ(client->ReturnBuffer(h, 0), DPN_OK);
  EXPECT_EQ(DPlay8OutstandingBuffers(), before);
  EXPECT_EQ(client->ReturnBuffer(12345678, 0), DPNERR_INVALIDHANDLE);
  EXPECT_GT(DPlay8GetCounters(server_).datagramsSent, 0u);
}

TEST_F(DPlay8Test, PlayersThatLeaveAreDestroyedAndTheClientHearsTheEnd) {
  Recorder first, second;
  IDirectPlay8Client* a = NewClient(&first);
  IDirectPlay8Client* b = NewClient(&second);
  ASSERT_EQ(Join(a, {}), DPN_OK);
  ASSERT_EQ(Join(b, {}), DPN_OK);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_CREATE_PLAYER, 3));
  // A client that closes is destroyed at the host.
  a->Close(0);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_DESTROY_PLAYER, 1));
  // The host drops the other one: it hears the session end.
  const DPNID bPlayer = host_.Of(DPN_MSGID_CREATE_PLAYER)[2].player;
  EXPECT_EQ(server_->DestroyClient(bPlayer, nullptr, 0, 0), DPN_OK);
  ASSERT_TRUE(second.WaitFor(DPN_MSGID_TERMINATE_SESSION));
  EXPECT_EQ(second.Of(DPN_MSGID_TERMINATE_SESSION)[0].result, DPNERR_HOSTTERMINATEDSESSION);
  ASSERT_TRUE(host_.WaitFor(DPN_MSGID_DESTROY_PLAYER, 2));
  EXPECT_EQ(server_->DestroyClient(bPlayer, nullptr, 0, 0), DPNERR_INVALIDPLAYER);
}
