// The history of runs: the record a whole update leaves (a success, a failed backup read, a
// transfer cut off) with its phases timed on the run's clock, the lines read back from a file
// that others may have damaged, the newest 500 kept, and the SHA-256 that names the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/JsonText.h"
#include "platform/Sha256.h"
#include "tests/unit/workflows/WorkflowFixture.h"
#include "workflows/RunHistory.h"
#include "workflows/RunRecordJson.h"
#include "workflows/RunRecorder.h"
#include "workflows/UpgradeSequence.h"

namespace {

size_t Index(RunPhase phase) {
  return static_cast<size_t>(phase);
}

class RunHistoryTest : public WorkflowTest {
 public:
  RunHistoryTest() { view.recorder = &recorder; }

  // The history as it stands in the backup folder.
  KeptRuns Stored() {
    KeptRuns history;
    EXPECT_TRUE(ReadRunHistory(&backups, &history));
    return history;
  }

  RunRecorder recorder{context, "test", "9.9.9"};
};

TEST_F(RunHistoryTest, SuccessfulUpdateKeepsEveryFactAndPhaseTime) {
  SetFirmwareVersions(3, 4);
  WriteImage(64 * 1024);
  const uint32_t totalMs = RunUpgrade();

  const KeptRuns history = Stored();
  ASSERT_EQ(history.records.size(), 1u);
  EXPECT_EQ(history.damaged, 0u);
  const RunRecord& record = history.records[0];
  EXPECT_EQ(record.kind, RunKind::kUpgrade);
  EXPECT_EQ(record.outcome, RunOutcome::kSucceeded);
  EXPECT_EQ(record.frontEnd, "test");
  EXPECT_EQ(record.version, "9.9.9");
  EXPECT_EQ(record.utcMs, VirtualClock::kStartUtcMs);
  ASSERT_TRUE(record.before && record.after);
  EXPECT_EQ(record.before->version, 3);
  EXPECT_EQ(record.before->mode, kUserMode);
  EXPECT_EQ(record.after->version, 4);
  EXPECT_EQ(record.after->mode, kUserMode);
  ASSERT_TRUE(record.image);
  EXPECT_EQ(record.image->size, 64u * 1024);
  EXPECT_EQ(record.image->sha256, Sha256Hex(image.data(), image.size()));
  EXPECT_EQ(record.image->name.find('/'), std::string::npos);  // the name alone, no folder
  ASSERT_EQ(record.writtenBack.size(), 1u);
  EXPECT_TRUE(backups.Files().count(record.writtenBack[0]));
  // Every phase ran; the fixed pauses are where they belong, and the phases add up to the
  // whole (in virtual time nothing else costs time but the image's first read).
  uint32_t sum = 0;
  for (const std::optional<uint32_t>& ms : record.phaseMs) {
    ASSERT_TRUE(ms);
    sum += *ms;
  }
  EXPECT_EQ(*record.phaseMs[Index(RunPhase::kPowerCycle)], 3000u);
  EXPECT_GE(*record.phaseMs[Index(RunPhase::kVersionAndMode)], 1000u);
  EXPECT_GE(*record.phaseMs[Index(RunPhase::kBootLoaderWait)], 300u);  // the boot delay
  EXPECT_EQ(*record.phaseMs[Index(RunPhase::kControllerReturn)], 0u);  // back within the 2 s
  EXPECT_EQ(record.totalMs, totalMs);
  EXPECT_EQ(sum, record.totalMs);
}

TEST_F(RunHistoryTest, FailuresSayWhereTheyStopped) {
  sim.Inject(Step::GlobalRead, 0, Fault::NoReply);
  RunUpgrade();
  sim.ClearFaults();
  StartNewRun();
  view.recorder = &recorder;
  sim.Inject(Step::DataPacket, 5, Fault::DeviceGone);  // the transfer cut off
  RunUpgrade();

  const KeptRuns history = Stored();
  ASSERT_EQ(history.records.size(), 2u);
  const RunRecord& read = history.records[0];
  EXPECT_EQ(read.outcome, RunOutcome::kFailed);
  EXPECT_EQ(read.failedStep, RunStep::kPhase);
  EXPECT_EQ(read.failedPhase, RunPhase::kBackupRead);
  EXPECT_FALSE(read.phaseMs[Index(RunPhase::kTransfer)]);
  EXPECT_TRUE(read.writtenBack.empty());
  const RunRecord& cut = history.records[1];
  EXPECT_EQ(cut.outcome, RunOutcome::kFailed);
  EXPECT_EQ(cut.failedStep, RunStep::kPhase);
  EXPECT_EQ(cut.failedPhase, RunPhase::kTransfer);
  EXPECT_TRUE(cut.phaseMs[Index(RunPhase::kTransfer)]);
  EXPECT_FALSE(cut.phaseMs[Index(RunPhase::kPowerCycle)]);
  EXPECT_FALSE(cut.after);
}

TEST_F(RunHistoryTest, RefusalsBeforeTheFirstPacketSayTheirStep) {
  const std::string plantedName = PlantBackupAtLargestNumber();
  RunUpgrade();
  EXPECT_EQ(recorder.Last().outcome, RunOutcome::kFailed);
  EXPECT_EQ(recorder.Last().failedStep, RunStep::kBackupSave);

  backups.Remove(plantedName);
  StartNewRun();
  view.recorder = &recorder;
  backups.writesBeforeFailing = 1;  // the backup saved, its pending mark not
  RunUpgrade();
  EXPECT_EQ(recorder.Last().failedStep, RunStep::kPendingMark);
}

TEST_F(RunHistoryTest, DamagedLinesAreSkippedAndCountedAndOnlyTheNewest500Kept) {
  RunRecord record;
  record.frontEnd = "test";
  record.version = "1";
  std::string text;
  for (int i = 0; i < 600; ++i) {
    record.totalMs = static_cast<uint32_t>(i);
    text += RunRecordLine(record) + "\n";
  }
  const std::string whole = RunRecordLine(record);
  text += whole.substr(0, whole.size() / 2) + "\n";                                // torn
  text += "{\"time\":\"x\"}\n";                                                    // another shape
  text += std::string(kMaxRunLineBytes + 1, ' ') + whole + "\n";                   // too long
  text += whole.substr(0, 20) + std::string(1, '\x01') + whole.substr(20) + "\n";  // raw control
  backups.Put(kHistoryFileName, text);

  KeptRuns history = Stored();
  EXPECT_EQ(history.records.size(), 600u);
  EXPECT_EQ(history.damaged, 4u);

  record.totalMs = 9999;
  ASSERT_TRUE(AppendRunRecord(&backups, record));
  history = Stored();
  // 500 lines: the newest 495 records, the four damaged lines and the new record.
  EXPECT_EQ(history.records.size() + history.damaged, kKeptRuns);
  EXPECT_EQ(history.damaged, 4u);
  EXPECT_EQ(history.records.front().totalMs, 105u);
  EXPECT_EQ(history.records.back().totalMs, 9999u);
}

TEST(RunRecordLineTest, NamesWithQuotesControlsAndForeignBytesReadBackSafely) {
  RunRecord record;
  record.image = RunImage{"a\"b\\c\n\x1b[31m\xff.vxf", 7, std::string(64, 'a')};
  record.writtenBack = {"backup-1.txt"};
  const std::string line = RunRecordLine(record);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_EQ(line.find('\x1b'), std::string::npos);
  RunRecord back;
  ASSERT_TRUE(ParseRunRecordLine(line, &back));
  ASSERT_TRUE(back.image);
  EXPECT_EQ(back.image->name, "a\"b\\c\n\x1b[31m\xEF\xBF\xBD.vxf");  // the foreign byte U+FFFD
  EXPECT_EQ(back.writtenBack, record.writtenBack);

  // Other characters go as \uXXXX: the line is ASCII, which the terminal's escaping of
  // bidirectional marks and C1 controls leaves as it is (else `history --json` is no JSON).
  const std::string others =
      "\xE2\x80\xAEgpj.\xC2\x85"
      "caf\xC3\xA9\xF0\x9F\x8E\xAE.vxf";
  record.image->name = others;
  const std::string ascii = RunRecordLine(record);
  EXPECT_TRUE(std::all_of(ascii.begin(), ascii.end(), [](char c) { return c > 0 && c < 0x7F; }));
  EXPECT_NE(ascii.find("\\u202egpj.\\u0085caf\\u00e9\\ud83c\\udfae.vxf"), std::string::npos);
  ASSERT_TRUE(ParseRunRecordLine(ascii, &back));
  EXPECT_EQ(back.image->name, others);
}

TEST(Sha256Test, KnownDigests) {
  EXPECT_EQ(Sha256Hex(nullptr, 0),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  const std::string abc = "abc";
  EXPECT_EQ(Sha256Hex(reinterpret_cast<const uint8_t*>(abc.data()), abc.size()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks, the padding spilling into the second.
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256Hex(reinterpret_cast<const uint8_t*>(two.data()), two.size()),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // Fed in uneven pieces, a million 'a'.
  Sha256 hash;
  const std::string piece(997, 'a');
  size_t left = 1000000;
  while (left > 0) {
    const size_t n = left < piece.size() ? left : piece.size();
    hash.Update(reinterpret_cast<const uint8_t*>(piece.data()), n);
    left -= n;
  }
  std::string hex;
  for (uint8_t byte : hash.Finish()) {
    static constexpr char kHex[] = "0123456789abcdef";
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  EXPECT_EQ(hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
