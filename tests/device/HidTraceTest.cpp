#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "device/HidBackend.h"
#include "device/HidTrace.h"
#include "device/ScriptedHidBackend.h"

namespace varnel {
namespace {

using Bytes = std::vector<uint8_t>;

const char kPath[] = "/dev/hidraw3";

HidInterfaceInfo Iface(const std::string& path, uint16_t featureLen = 8, uint16_t inputLen = 8,
                       uint16_t outputLen = 4) {
  HidInterfaceInfo i;
  i.path = path;
  i.vendorId = 0x1234;
  i.productId = 0x5678;
  i.featureLen = featureLen;
  i.inputLen = inputLen;
  i.outputLen = outputLen;
  return i;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

class HidTraceTest : public ::testing::Test {
 protected:
  HidTraceTest() : file((dir.path() / "trace.jsonl").string()), trace(bus, file) {
    bus.AddInterface(Iface(kPath));
  }
  std::vector<std::string> TraceLines() const { return Lines(test::ReadFile(file)); }

  test::TempDir dir;
  std::string file;
  ScriptedHidBackend bus;
  HidTrace trace;
};

TEST_F(HidTraceTest, EveryKindOfTransferIsOneExactLine) {
  bus.OnGetFeature(kPath, 5, [](std::span<uint8_t> r) {
    r[1] = 0x01;
    r[2] = 0xAB;
    r[7] = 0xFF;
    return HidStatus::Ok;
  });
  bus.QueueInput(kPath, {0x07, 0x10, 0x02, 0x03});
  const auto h = trace.Open(kPath, HidOpenAccess::ReadWrite);
  ASSERT_TRUE(h.ok());

  EXPECT_EQ(trace.SetFeature(h.value, Bytes{0x05, 0x01, 0, 0, 0, 0, 0, 0}), HidStatus::Ok);
  Bytes get{0x05, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(trace.GetFeature(h.value, get).value, 8u);
  Bytes in(8, 0);
  in[0] = 0x07;
  EXPECT_EQ(trace.Read(h.value, in, 0, nullptr).value, 4u);
  EXPECT_TRUE(trace.Write(h.value, Bytes{0x02, 0xC0, 0xFF, 0xEE}).ok());
  trace.Close(h.value);

  EXPECT_EQ(test::ReadFile(file),
            "{\"op\":\"set_feature\",\"path\":\"/dev/hidraw3\",\"len\":8,"
            "\"data\":\"0501000000000000\",\"ok\":true}\n"
            "{\"op\":\"get_feature\",\"path\":\"/dev/hidraw3\",\"len\":8,"
            "\"data\":\"0501ab00000000ff\",\"ok\":true}\n"
            "{\"op\":\"read\",\"path\":\"/dev/hidraw3\",\"len\":4,"
            "\"data\":\"07100203\",\"ok\":true}\n"
            "{\"op\":\"write\",\"path\":\"/dev/hidraw3\",\"len\":4,"
            "\"data\":\"02c0ffee\",\"ok\":true}\n");
}

TEST_F(HidTraceTest, FailedTransfersAreTracedWithOkFalseAndTheBufferHandedOver) {
  bus.FailTransfer(1, HidStatus::IoError);
  bus.OnGetFeature(kPath, 6, [](std::span<uint8_t> r) {
    r[1] = 0x99;  // a handler that scribbles and then fails
    return HidStatus::IoError;
  });
  const auto h = trace.Open(kPath, HidOpenAccess::None);
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(trace.SetFeature(h.value, Bytes{0x05, 0x02}), HidStatus::IoError);
  Bytes get{0x06, 0, 0};
  EXPECT_EQ(trace.GetFeature(h.value, get).status, HidStatus::IoError);
  Bytes in{0x07, 0};
  EXPECT_EQ(trace.Read(h.value, in, 0, nullptr).status, HidStatus::AccessDenied);
  EXPECT_EQ(trace.Write(h.value, Bytes{0x02, 0x01}).status, HidStatus::AccessDenied);
  trace.Close(h.value);
  EXPECT_EQ(trace.SetFeature(h.value, Bytes{0x05}), HidStatus::Gone);  // closed: path unknown

  EXPECT_EQ(TraceLines(),
            (std::vector<std::string>{
                R"({"op":"set_feature","path":"/dev/hidraw3","len":2,"data":"0502","ok":false})",
                R"({"op":"get_feature","path":"/dev/hidraw3","len":3,"data":"060000","ok":false})",
                R"({"op":"read","path":"/dev/hidraw3","len":2,"data":"0700","ok":false})",
                R"({"op":"write","path":"/dev/hidraw3","len":2,"data":"0201","ok":false})",
                R"({"op":"set_feature","path":"","len":1,"data":"05","ok":false})",
            }));
}

TEST_F(HidTraceTest, AppendsToAnExistingFileAndLinesOfManyThreadsStayWhole) {
  const auto h = trace.Open(kPath, HidOpenAccess::ReadWrite);
  ASSERT_TRUE(h.ok());
  HidTrace second(bus, file);  // another recorder on the same file (another process, say)
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      HidBackend& b = (t % 2) ? static_cast<HidBackend&>(second) : trace;
      const auto own = b.Open(kPath, HidOpenAccess::ReadWrite);
      const Bytes report(520, static_cast<uint8_t>(t));
      for (int i = 0; i < 50; ++i) b.SetFeature(own.value, report);
      b.Close(own.value);
    });
  }
  for (auto& th : threads) th.join();
  const auto lines = TraceLines();
  ASSERT_EQ(lines.size(), 200u);
  const std::regex whole(
      R"(\{"op":"set_feature","path":"/dev/hidraw3","len":520,"data":"(0[0-3])\1{519}","ok":true\})");
  for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, whole)) << line;
}

TEST(HidTraceLine, PathIsEscapedSoEveryLineIsValidJson) {
  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"/dev/hidraw0#2", R"("/dev/hidraw0#2")"},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"x\ny\tz\x01", R"("x\ny\tz\u0001")"},
      {"caf\xC3\xA9", "\"caf\xC3\xA9\""},
      {"bad\xFFpath\xC3", "\"bad\xEF\xBF\xBDpath\xEF\xBF\xBD\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // encoded surrogate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatHidTraceLine("write", c.path, Bytes{0xAB}, true),
              "{\"op\":\"write\",\"path\":" + c.expected + ",\"len\":1,\"data\":\"ab\",\"ok\":true}")
        << c.path;
  }
  EXPECT_EQ(FormatHidTraceLine("read", "p", Bytes{}, false),
            R"({"op":"read","path":"p","len":0,"data":"","ok":false})");
}

TEST(HidTraceEnv, VarnelTraceNamesTheFile) {
  test::TempDir dir;
  ScriptedHidBackend bus;
  bus.AddInterface(Iface(kPath));
  {
    test::ScopedEnv unset("VARNEL_TRACE", nullptr);
    EXPECT_EQ(MakeHidTraceFromEnv(bus), nullptr);
  }
  {
    test::ScopedEnv empty("VARNEL_TRACE", "");
    EXPECT_EQ(MakeHidTraceFromEnv(bus), nullptr);
  }
  const std::string file = (dir.path() / "t.jsonl").string();
  test::ScopedEnv set("VARNEL_TRACE", file.c_str());
  auto trace = MakeHidTraceFromEnv(bus);
  ASSERT_NE(trace, nullptr);
  ScopedHidBackend scope(*trace);
  const auto h = GetHidBackend().Open(kPath, HidOpenAccess::None);
  GetHidBackend().SetFeature(h.value, Bytes{0x05, 0x01});
  EXPECT_EQ(test::ReadFile(file),
            "{\"op\":\"set_feature\",\"path\":\"/dev/hidraw3\",\"len\":2,\"data\":\"0501\","
            "\"ok\":true}\n");
}

TEST(HidTraceEnv, UnwritableFileStillPassesTransfersThrough) {
  test::TempDir dir;
  ScriptedHidBackend bus;
  bus.AddInterface(Iface(kPath));
  HidTrace trace(bus, (dir.path() / "no" / "such" / "dir" / "t").string());
  EXPECT_FALSE(trace.IsOpen());
  const auto h = trace.Open(kPath, HidOpenAccess::None);
  EXPECT_EQ(trace.SetFeature(h.value, Bytes{0x05}), HidStatus::Ok);
  EXPECT_EQ(bus.TransferCount(), 1u);
}

// --- The scripted bus: reads, stop, faults -----------------------------------------------

class ScriptedBusTest : public ::testing::Test {
 protected:
  ScriptedBusTest() {
    bus.AddInterface(Iface("/dev/a"));
    bus.AddInterface(Iface("/dev/b"));
  }
  HidHandle OpenOk(const std::string& path, HidOpenAccess access = HidOpenAccess::ReadWrite) {
    const auto h = bus.Open(path, access);
    EXPECT_TRUE(h.ok()) << path;
    return h.value;
  }
  HidStatus Set(HidHandle h) { return bus.SetFeature(h, Bytes{0x05, 0, 0, 0, 0, 0}); }
  HidStatus ReadNow(HidHandle h) {
    Bytes buf(8, 0);
    return bus.Read(h, buf, 0, nullptr).status;
  }
  // Waits (without sleeping) until the bus has counted n transfers: a reader that has counted
  // its read holds the lock until it waits, so what follows reaches a blocked reader.
  void WaitForTransfers(size_t n) {
    while (bus.TransferCount() < n) std::this_thread::yield();
  }

  ScriptedHidBackend bus;
};

TEST_F(ScriptedBusTest, ReadWithTimeOutAnswersAtOnceAndQueuedReportsComeInOrder) {
  const HidHandle h = OpenOk("/dev/a");
  Bytes buf(8, 0);
  EXPECT_EQ(bus.Read(h, buf, 1000, nullptr).status, HidStatus::Timeout);
  bus.QueueInput("/dev/a", {0x07, 1});
  bus.QueueInput("/dev/a", {0x07, 2, 3, 4, 5, 6, 7, 8, 9, 10});  // longer than the buffer
  bus.QueueInput("/dev/b", {0x07, 0xBB});
  auto r = bus.Read(h, buf, 1000, nullptr);
  EXPECT_EQ(r.value, 2u);
  EXPECT_EQ(buf[1], 1);
  r = bus.Read(h, buf, 0, nullptr);
  EXPECT_EQ(r.value, 8u);  // truncated to the buffer
  EXPECT_EQ(buf[7], 8);
  EXPECT_EQ(bus.Read(h, buf, 0, nullptr).status, HidStatus::Timeout);
}

TEST_F(ScriptedBusTest, StopEndsABlockedReadAndATriggerBeforeTheReadIsNotLost) {
  const HidHandle h = OpenOk("/dev/a");
  HidStopSignal stop;
  HidStatus result = HidStatus::Ok;
  std::thread reader([&] {
    Bytes buf(8, 0);
    result = bus.Read(h, buf, kHidWaitForever, &stop).status;
  });
  WaitForTransfers(1);
  stop.Trigger();
  reader.join();
  EXPECT_EQ(result, HidStatus::Stopped);

  // Still triggered: the next read stops at once, even with a report waiting.
  bus.QueueInput("/dev/a", {0x07, 1});
  Bytes buf(8, 0);
  EXPECT_EQ(bus.Read(h, buf, kHidWaitForever, &stop).status, HidStatus::Stopped);
  stop.Reset();
  EXPECT_EQ(bus.Read(h, buf, kHidWaitForever, &stop).value, 2u);
}

TEST_F(ScriptedBusTest, BlockedReadWakesForAReportAnUnplugOrAClose) {
  struct Case {
    const char* name;
    std::function<void(ScriptedHidBackend&, HidHandle)> act;
    HidStatus expected;
  };
  const Case cases[] = {
      {"report", [](ScriptedHidBackend& b, HidHandle) { b.QueueInput("/dev/a", {7, 9}); },
       HidStatus::Ok},
      {"unplug", [](ScriptedHidBackend& b, HidHandle) { b.Unplug("/dev/a"); }, HidStatus::Gone},
      {"close", [](ScriptedHidBackend& b, HidHandle h) { b.Close(h); }, HidStatus::Gone},
  };
  size_t transfers = 0;
  for (const Case& c : cases) {
    bus.AddInterface(Iface("/dev/a"));
    const HidHandle h = OpenOk("/dev/a");
    HidStopSignal stop;
    HidStatus result = HidStatus::Stopped;
    std::thread reader([&] {
      Bytes buf(8, 0);
      result = bus.Read(h, buf, kHidWaitForever, &stop).status;
    });
    WaitForTransfers(++transfers);
    c.act(bus, h);
    reader.join();
    EXPECT_EQ(result, c.expected) << c.name;
  }
}

TEST_F(ScriptedBusTest, OpenAndAccessErrors) {
  EXPECT_EQ(bus.Open("/dev/none", HidOpenAccess::None).status, HidStatus::Gone);
  bus.DenyAccess("/dev/b");
  EXPECT_EQ(bus.Open("/dev/b", HidOpenAccess::None).status, HidStatus::AccessDenied);
  const HidHandle none = OpenOk("/dev/a", HidOpenAccess::None);
  EXPECT_EQ(Set(none), HidStatus::Ok);  // feature requests need no rights
  EXPECT_EQ(ReadNow(none), HidStatus::AccessDenied);
  const HidHandle ro = OpenOk("/dev/a", HidOpenAccess::Read);
  EXPECT_EQ(ReadNow(ro), HidStatus::Timeout);
  EXPECT_EQ(bus.Write(ro, Bytes{2, 1}).status, HidStatus::AccessDenied);
  EXPECT_EQ(bus.Write(kNullHidHandle, Bytes{2, 1}).status, HidStatus::Gone);
  Bytes get{0x09, 0};
  EXPECT_EQ(bus.GetFeature(none, get).status, HidStatus::IoError);  // no answer for id 9
}

TEST_F(ScriptedBusTest, FaultInjection) {
  struct Case {
    const char* name;
    std::function<void(ScriptedHidBackend&)> inject;
    // Results of transfers 1..6, alternating /dev/a, /dev/b.
    std::vector<HidStatus> expected;
  };
  using S = HidStatus;
  const Case cases[] = {
      {"nth overall", [](auto& b) { b.FailTransfer(3); },
       {S::Ok, S::Ok, S::IoError, S::Ok, S::Ok, S::Ok}},
      {"nth on one path", [](auto& b) { b.FailTransfer(2, S::Timeout, "/dev/b"); },
       {S::Ok, S::Ok, S::Ok, S::Timeout, S::Ok, S::Ok}},
      {"always on one path", [](auto& b) { b.FailAlways(S::IoError, "/dev/a"); },
       {S::IoError, S::Ok, S::IoError, S::Ok, S::IoError, S::Ok}},
      {"unplug everything at k", [](auto& b) { b.UnplugAtTransfer(4); },
       {S::Ok, S::Ok, S::Ok, S::Gone, S::Gone, S::Gone}},
      {"unplug one path at k", [](auto& b) { b.UnplugAtTransfer(2, "/dev/a"); },
       {S::Ok, S::Ok, S::Gone, S::Ok, S::Gone, S::Ok}},
  };
  for (const Case& c : cases) {
    ScriptedHidBackend b;
    b.AddInterface(Iface("/dev/a"));
    b.AddInterface(Iface("/dev/b"));
    c.inject(b);
    const HidHandle ha = b.Open("/dev/a", HidOpenAccess::None).value;
    const HidHandle hb = b.Open("/dev/b", HidOpenAccess::None).value;
    std::vector<HidStatus> got;
    for (int i = 0; i < 6; ++i) got.push_back(b.SetFeature(i % 2 ? hb : ha, Bytes{5, 0}));
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST_F(ScriptedBusTest, UnpluggedInterfaceLeavesEnumerationAndAReplugNeedsANewHandle) {
  const HidHandle old = OpenOk("/dev/a");
  bus.UnplugAtTransfer(1, "/dev/a");
  EXPECT_EQ(Set(old), HidStatus::Gone);
  ASSERT_EQ(bus.Enumerate().size(), 1u);
  EXPECT_EQ(bus.Enumerate()[0].path, "/dev/b");
  EXPECT_EQ(bus.Open("/dev/a", HidOpenAccess::None).status, HidStatus::Gone);

  bus.AddInterface(Iface("/dev/a"));
  EXPECT_EQ(Set(old), HidStatus::Gone);
  EXPECT_EQ(Set(OpenOk("/dev/a")), HidStatus::Ok);
}

TEST_F(ScriptedBusTest, HandlersAnswerByReportIdAndMayCallBackIntoTheBus) {
  const HidHandle h = OpenOk("/dev/a");
  Bytes sent;
  bus.OnSetFeature("/dev/a", 5, [&](std::span<const uint8_t> r) {
    sent.assign(r.begin(), r.end());
    bus.QueueInput("/dev/a", {0x07, r[1]});  // the device reports what it was told
    return HidStatus::Ok;
  });
  bus.OnGetFeature("/dev/a", 5, [&](std::span<uint8_t> r) {
    r[1] = sent.size() > 1 ? sent[1] : 0;
    return HidStatus::Ok;
  });
  EXPECT_EQ(bus.SetFeature(h, Bytes{0x05, 0x42, 0, 0, 0, 0}), HidStatus::Ok);
  Bytes get{0x05, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(bus.GetFeature(h, get).value, 6u);
  EXPECT_EQ(get, (Bytes{0x05, 0x42, 0, 0, 0, 0}));  // rest zeroed before the handler
  Bytes in(8, 0);
  EXPECT_EQ(bus.Read(h, in, 0, nullptr).value, 2u);
  EXPECT_EQ(in[1], 0x42);

  const auto log = bus.Transfers();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].op, "set_feature");
  EXPECT_EQ(log[1].op, "get_feature");
  EXPECT_EQ(log[2].op, "read");
  EXPECT_EQ(log[2].data, (Bytes{0x07, 0x42}));
}

}  // namespace
}  // namespace varnel
