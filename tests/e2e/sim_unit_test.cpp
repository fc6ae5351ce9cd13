// The simulated unit's answers, frame by frame, against bytes written out by hand.

#include "sim_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/known_answers.h"

namespace qm17::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Request = std::array<std::uint8_t, kFrameBytes>;

const Bytes kDefaultBlock(test::kDefaultParameterBlock.begin(), test::kDefaultParameterBlock.end());
// "SIM", version 3, 14th, month code of "Mar" (32), 2025, 10:30, compatibility 26.
const Bytes kIdentBlock = {'S', 'I', 'M', 3, 14, 32, 25, 10, 30, 0, 26, 0, 0, 0, 0, 0, 0,
                           0,   0,   0,   0, 0,  0,  0,  0,  0,  0, 0,  0, 0, 0, 0, 0, 0,
                           0,   0,   0,   0, 0,  0,  0,  0,  0,  0, 0,  0, 0, 0, 0, 0};

Request Frame(std::uint8_t first, const Bytes& payload, std::uint8_t check) {
  Request frame{};
  frame[0] = first;
  for (std::size_t i = 0; i < payload.size(); ++i) frame[1 + i] = payload[i];
  frame[51] = check;
  return frame;
}

Bytes Expect(std::uint8_t first, const Bytes& payload, std::uint8_t check) {
  const Request frame = Frame(first, payload, check);
  return Bytes(frame.begin(), frame.end());
}

const Bytes kZeros(50, 0);

// A request the unit must accept, for tests about what it does with the block.
Request WriteOfBlock1(const Bytes& block) {
  std::uint8_t check = 0xFF ^ 0x01;
  for (std::uint8_t b : block) check ^= b;
  return Frame(0x01, block, check);
}

Bytes WrittenBlock() {
  Bytes block = kDefaultBlock;
  block[1] = 12;   // base advance
  block[2] = 140;  // limiter 14000 rpm
  return block;
}

Bytes ClampedBlock() {
  Bytes block = WrittenBlock();
  block[2] = 139;
  return block;
}

TEST(SimUnitAnswers, BlockFramesAreAnsweredWithTheBlockAsHeld) {
  struct Case {
    const char* name;
    Options options;
    Request request;
    Bytes expected;
  };
  Options clamp;
  clamp.clamp = true;
  Options wrong;
  wrong.wrongAnswer = true;
  Options compat25;
  compat25.compatibilityCode = 25;
  Bytes ident25 = kIdentBlock;
  ident25[10] = 25;
  Options named;
  named.identText = "QM TEST";
  Bytes identNamed = kIdentBlock;
  for (std::size_t i = 0; i < 7; ++i) identNamed[16 + i] = static_cast<std::uint8_t>("QM TEST"[i]);
  Options longName;
  longName.identText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  Bytes identLong = kIdentBlock;  // cut at 30 characters: bytes 46..49 stay zero
  for (std::size_t i = 0; i < 30; ++i) {
    identLong[16 + i] = static_cast<std::uint8_t>("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"[i]);
  }
  const Case cases[] = {
      {"read block 0", {}, Frame(0x40, kZeros, 0xBF), Expect(0xC0, kIdentBlock, 0x52)},
      {"read block 1", {}, Frame(0x41, kZeros, 0xBE), Expect(0xC1, kDefaultBlock, 0x67)},
      {"write block 0 keeps the firmware's own identification",
       {},
       Frame(0x00, kZeros, 0xFF),
       Expect(0x80, kIdentBlock, 0x12)},
      {"write block 1 echoes the block as stored",
       {},
       Frame(0x01, WrittenBlock(), 0xBB),
       Expect(0x81, WrittenBlock(), 0x3B)},
      {"clamp stores the limiter one step lower", clamp, Frame(0x01, WrittenBlock(), 0xBB),
       Expect(0x81, ClampedBlock(), 0x3C)},
      {"wrong answer byte with a good check byte", wrong, Frame(0x01, WrittenBlock(), 0xBB),
       Expect(0x83, WrittenBlock(), 0x39)},
      {"other compatibility code", compat25, Frame(0x40, kZeros, 0xBF),
       Expect(0xC0, ident25, 0x51)},
      {"identification text", named, Frame(0x40, kZeros, 0xBF), Expect(0xC0, identNamed, 0x78)},
      {"identification text of more than 30 characters", longName, Frame(0x40, kZeros, 0xBF),
       Expect(0xC0, identLong, 0x49)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimUnit unit(c.options);
    EXPECT_EQ(unit.Answer(c.request), c.expected);
  }
}

TEST(SimUnitAnswers, StaysQuietWhereTheUnitWould) {
  struct Case {
    const char* name;
    Options options;
    Request request;
  };
  Options silent;
  silent.silent = true;
  Options drop;
  drop.dropProbability = 1.0;
  const Case cases[] = {
      {"bad check byte on a poll", {}, Frame(0x30, kZeros, 0xCE)},
      {"bad check byte on a read", {}, Frame(0x41, kZeros, 0xBF)},
      {"block number 2", {}, Frame(0x42, kZeros, 0xBD)},
      {"an answer byte sent as a request", {}, Frame(0xC1, kZeros, 0x3E)},
      {"silent unit, poll", silent, Frame(0x30, kZeros, 0xCF)},
      {"silent unit, read", silent, Frame(0x41, kZeros, 0xBE)},
      {"dropping unit", drop, Frame(0x41, kZeros, 0xBE)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimUnit unit(c.options);
    EXPECT_TRUE(unit.Answer(c.request).empty());
  }
}

TEST(SimUnitMemory, WritesOfBlockOneAreStoredAndCounted) {
  SimUnit unit({});
  EXPECT_EQ(unit.programCount(), 0);
  unit.Answer(Frame(0x01, WrittenBlock(), 0xBB));
  unit.Answer(Frame(0x01, WrittenBlock(), 0xBB));
  EXPECT_EQ(unit.programCount(), 2);
  EXPECT_EQ(Bytes(unit.memory().begin() + 50, unit.memory().end()), WrittenBlock());
  // A later read gives the stored block, and a write with a bad check byte changes nothing.
  Bytes junkBlock(50, 0x55);
  unit.Answer(Frame(0x01, junkBlock, 0x00));
  EXPECT_EQ(unit.Answer(Frame(0x41, kZeros, 0xBE)), Expect(0xC1, WrittenBlock(), 0x7B));
  EXPECT_EQ(unit.programCount(), 2);
  // The count shows in the monitor frame, bytes 11 and 12.
  const Bytes monitor = unit.Answer(Frame(0x30, kZeros, 0xCF));
  ASSERT_EQ(monitor.size(), 52u);
  EXPECT_EQ(monitor[11], 2);
  EXPECT_EQ(monitor[12], 0);
}

int Checksum(const Bytes& frame) {
  int sum = 0xFF;
  for (std::uint8_t b : frame) sum ^= b;
  return sum;
}

TEST(SimUnitMonitor, LiveValuesMoveLikeAnEngine) {
  SimUnit unit({});
  const Request poll = Frame(0x30, kZeros, 0xCF);
  int minRpm = 100000, maxRpm = 0;
  bool sawAlarm = false, sawWarning = false, sawRetard = false, sawStartLimiter = false;
  bool cameBackDown = false;
  for (int i = 0; i < 400; ++i) {
    const Bytes f = unit.Answer(poll);
    ASSERT_EQ(f.size(), 52u);
    ASSERT_EQ(f[0], 0xB0);
    ASSERT_EQ(Checksum(f), 0);
    const int rpm = f[1] | (f[2] << 8);
    minRpm = std::min(minRpm, rpm);
    if (maxRpm > 15000 && rpm < 2000) cameBackDown = true;
    maxRpm = std::max(maxRpm, rpm);
    // The default curve is 10 degrees everywhere; an active retard takes 6 off.
    const bool retard = f[30] == 0;
    EXPECT_EQ(f[5], retard ? 4 : 10);
    sawRetard |= retard;
    sawStartLimiter |= f[7] == 0;
    EXPECT_EQ(f[3] != 0, rpm > 15000);  // above the limiter: alarm
    sawAlarm |= f[3] != 0;
    sawWarning |= f[33] != 0;
    const int raw = f[9] | (f[10] << 8);
    const int millivolts = raw * 5000 / 8184 * 11 + 800;
    EXPECT_GE(millivolts, 13500);
    EXPECT_LE(millivolts, 14100);
  }
  EXPECT_LE(minRpm, 1300);
  EXPECT_GT(maxRpm, 15000);
  EXPECT_TRUE(cameBackDown);
  EXPECT_TRUE(sawAlarm);
  EXPECT_TRUE(sawWarning);
  EXPECT_TRUE(sawRetard);
  EXPECT_TRUE(sawStartLimiter);
}

TEST(SimUnitMonitor, LiveValuesSitAtTheirOffsetsLowByteFirst) {
  // Polarity 0 positive, 1 negative, 2 self-search (which finds the positive edge).
  struct Case {
    std::uint8_t polarity;
    std::uint8_t byte31;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 0}}) {
    SCOPED_TRACE(static_cast<int>(c.polarity));
    SimUnit unit({});
    Bytes block = kDefaultBlock;
    block[5] = c.polarity;
    unit.Answer(WriteOfBlock1(block));
    int polarityGood = 0;
    for (int poll = 1; poll <= 300; ++poll) {
      const Bytes f = unit.Answer(Frame(0x30, kZeros, 0xCF));
      ASSERT_EQ(f.size(), 52u);
      const int rpm = f[1] | (f[2] << 8);
      EXPECT_EQ(f[11] | (f[12] << 8), 1);     // one write of block 1
      EXPECT_EQ(f[13] | (f[14] << 8), poll);  // test value 1: polls so far
      EXPECT_EQ(f[15] | (f[16] << 8), rpm / 10);
      EXPECT_EQ(f[17] | (f[18] << 8), f[5]);
      EXPECT_EQ(f[31], c.byte31);
      polarityGood += f[32] != 0;
      // Bytes the live display does not use stay zero.
      for (int unused : {4, 6, 8, 29, 34, 40, 50}) EXPECT_EQ(f[unused], 0) << unused;
    }
    // Now and then the unit reports a polarity fault, mostly not.
    EXPECT_GT(polarityGood, 240);
    EXPECT_LT(polarityGood, 300);
  }
}

TEST(SimUnitMonitor, AdvanceFollowsTheStoredCurve) {
  SimUnit unit({});
  // Two points: 20 degrees at 2000 rpm, 40 at 12000 rpm; retard 0 so it never interferes.
  Bytes block = kDefaultBlock;
  block[0] = 2;
  block[7] = 0;
  block[10] = 20;
  block[11] = 120;
  block[30] = 20;
  block[31] = 40;
  unit.Answer(WriteOfBlock1(block));
  const Request poll = Frame(0x30, kZeros, 0xCF);
  for (int i = 0; i < 120; ++i) {
    const Bytes f = unit.Answer(poll);
    const int rpm = f[1] | (f[2] << 8);
    const int hundreds = rpm / 100;
    int expected = hundreds <= 20 ? 20 : hundreds >= 120 ? 40 : 20 + 20 * (hundreds - 20) / 100;
    EXPECT_EQ(f[5], expected) << "at " << rpm << " rpm";
  }
}

TEST(SimUnitFaults, CorruptionAndJunkSpoilTheFrameAsALineWould) {
  Options corrupt;
  corrupt.corruptProbability = 1.0;
  Options junk;
  junk.junkProbability = 1.0;
  SimUnit corrupting(corrupt);
  SimUnit junking(junk);
  for (int i = 0; i < 20; ++i) {
    const Bytes bad = corrupting.Answer(Frame(0x41, kZeros, 0xBE));
    ASSERT_EQ(bad.size(), 52u);
    EXPECT_NE(Checksum(bad), 0);
    const Bytes shifted = junking.Answer(Frame(0x41, kZeros, 0xBE));
    ASSERT_GT(shifted.size(), 52u);
    ASSERT_LE(shifted.size(), 60u);
    EXPECT_EQ(Bytes(shifted.end() - 52, shifted.end()), Expect(0xC1, kDefaultBlock, 0x67));
  }
}

TEST(SimUnitFaults, TheSameSeedGivesTheSameRun) {
  Options a;
  a.seed = 7;
  a.corruptProbability = 0.3;
  a.junkProbability = 0.3;
  Options b = a;
  Options c = a;
  c.seed = 8;
  SimUnit first(a), second(b), third(c);
  const Request poll = Frame(0x30, kZeros, 0xCF);
  bool differs = false;
  for (int i = 0; i < 50; ++i) {
    const Bytes x = first.Answer(poll);
    EXPECT_EQ(x, second.Answer(poll));
    differs |= x != third.Answer(poll);
  }
  EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace qm17::sim

namespace qm17::sim {
namespace {

TEST(SimFraming, BytesAreCutIntoFramesAndAPauseDropsAPartialFrame) {
  struct Step {
    long long atMs;
    std::size_t bytes;  // taken from a running byte counter 0, 1, 2 ...
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::uint8_t> firstBytes;  // first byte of each frame produced
    std::size_t pendingAfter;
  };
  const Case cases[] = {
      {"one frame in one piece", {{0, 52}}, {0}, 0},
      {"two frames and a bit in one piece", {{0, 110}}, {0, 52}, 6},
      {"a frame in pieces 20 ms apart", {{0, 20}, {20, 20}, {40, 12}}, {0}, 0},
      {"a pause of 21 ms drops the start", {{0, 20}, {21, 52}}, {20}, 0},
      {"a long pause, then a whole frame", {{0, 51}, {500, 52}}, {51}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FrameAssembler assembler(20);
    std::vector<std::uint8_t> firsts;
    std::uint8_t next = 0;
    for (const Step& step : c.steps) {
      std::vector<std::uint8_t> bytes(step.bytes);
      for (auto& b : bytes) b = next++;
      for (const auto& frame : assembler.Feed(bytes, step.atMs)) {
        firsts.push_back(frame[0]);
        // Every frame is 52 consecutive bytes of what was sent.
        EXPECT_EQ(frame[51], static_cast<std::uint8_t>(frame[0] + 51));
      }
    }
    EXPECT_EQ(firsts, c.firstBytes);
    EXPECT_EQ(assembler.pending(), c.pendingAfter);
  }
}

TEST(SimFraming, APartialFrameExpiresOnItsOwn) {
  FrameAssembler assembler(20);
  EXPECT_EQ(assembler.DeadlineMs(), -1);
  const std::vector<std::uint8_t> part(30, 0x30);
  assembler.Feed(part, 100);
  EXPECT_EQ(assembler.DeadlineMs(), 121);
  assembler.Expire(120);
  EXPECT_EQ(assembler.pending(), 30u);
  assembler.Expire(121);
  EXPECT_EQ(assembler.pending(), 0u);
  EXPECT_EQ(assembler.DeadlineMs(), -1);
}

}  // namespace
}  // namespace qm17::sim
