// The logic-file upload: where the sync mark may sit, bit order, the fixed
// stream length, short files, and files that cannot be used.
#include "engine/device_fixture.h"

using namespace device_test;

namespace {

class DeviceLogicTest : public DeviceTest {
 protected:
  // Opens with `file` as the program's logic file; the stream sent, or empty.
  std::vector<std::uint8_t> UploadOf(const std::vector<std::uint8_t>& file) {
    InstallLogicFile(file);
    Form1->Acquisition().test0();
    for (const SimTransfer& t : Device().Transfers())
      if (t.kind == SimTransfer::Kind::Write && t.length == kStreamBytes) return t.data;
    return {};
  }

  // The mended failure: a message naming the file, nothing on the wire, the
  // link closed and the open reported as no hardware.
  void ExpectRefused(const std::string& namedFile) {
    EXPECT_EQ(Dialogs().CountMessages("Unable to read the logic file " + namedFile + "."), 1)
        << (Dialogs().Messages().empty() ? std::string("no message")
                                         : Dialogs().Messages().front().Text);
    EXPECT_TRUE(Device().WrittenBytes().empty()) << Device().Dump();
    EXPECT_FALSE(Driver().IsOpen());
    EXPECT_TRUE(Driver().HardwareMissing());
    EXPECT_FALSE(Device().IsOpen());
    EXPECT_FALSE(Form1->LoadingPanel->Visible());
  }
};

TEST_F(DeviceLogicTest, SyncMarkEndingAtTheLastAllowedPlaceIsAccepted) {
  // Position 29 of the look-back window is the 25th byte after the header.
  const std::vector<std::uint8_t> stream = UploadOf(LogicFile(25, {0x01, 0xF0, 0x3C}));
  ASSERT_EQ(stream.size(), kStreamBytes);
  EXPECT_EQ(stream[3], 0x80);
  EXPECT_EQ(stream[4], 0x0F);
  EXPECT_EQ(stream[5], 0x3C);
  EXPECT_TRUE(Driver().IsOpen());
  EXPECT_TRUE(Dialogs().Messages().empty());
}

TEST_F(DeviceLogicTest, SyncMarkEndingOnePlaceLaterIsRefused) {
  UploadOf(LogicFile(26, FullData()));
  ExpectRefused(DataLogicFile());
}

TEST_F(DeviceLogicTest, FileWithoutSyncMarkIsRefused) {
  std::vector<std::uint8_t> file(kHeaderBytes + 100, 0x00);
  // Two 0xFF are no mark, nor three inside the header.
  file[10] = file[11] = file[12] = 0xFF;
  file[kHeaderBytes + 4] = file[kHeaderBytes + 5] = 0xFF;
  UploadOf(file);
  ExpectRefused(DataLogicFile());
}

TEST_F(DeviceLogicTest, ShortFileRepeatsTheLastValueInAlternatingBitOrder) {
  const std::vector<std::uint8_t> stream = UploadOf(LogicFile(3, {0x01, 0x02, 0xF0}));
  ASSERT_EQ(stream.size(), kStreamBytes);
  EXPECT_EQ(stream[3], 0x80);
  EXPECT_EQ(stream[4], 0x40);
  EXPECT_EQ(stream[5], 0x0F);
  for (std::size_t k = 6; k < kStreamBytes - 2; ++k)
    ASSERT_EQ(stream[k], (k % 2 == 0) ? 0xF0 : 0x0F) << "offset " << k;
  EXPECT_EQ(stream[kStreamBytes - 2], 0x00);
  EXPECT_EQ(stream[kStreamBytes - 1], 0x00);
}

TEST_F(DeviceLogicTest, LongFileIsCutToTheStreamLength) {
  std::vector<std::uint8_t> data = FullData();
  data.insert(data.end(), 5000, 0x01);
  const std::vector<std::uint8_t> stream = UploadOf(LogicFile(4, data));
  ASSERT_EQ(stream.size(), kStreamBytes);
  EXPECT_EQ(stream[kStreamBytes - 3], Reversed(data[kDataBytes - 1]));
  EXPECT_EQ(stream[kStreamBytes - 2], 0x00);
  EXPECT_EQ(Device().LogicUploads(), 1);
  EXPECT_TRUE(Device().ProtocolErrors().empty()) << Device().Dump();
}

TEST_F(DeviceLogicTest, FileShorterThanItsHeaderIsRefused) {
  UploadOf(std::vector<std::uint8_t>(40, 0xFF));
  ExpectRefused(DataLogicFile());
}

TEST_F(DeviceLogicTest, MissingFileNamesWhereTheShippedFileBelongs) {
  Form1->Acquisition().test0();
  ExpectRefused(ProgramLogicFile());
}

TEST_F(DeviceLogicTest, EarlierCopyInTheDataFolderServesWhenTheProgramFolderHasNone) {
  const std::vector<std::uint8_t> data = FullData();
  WriteFile(DataLogicFile(), LogicFile(5, data));
  Form1->Acquisition().test0();
  EXPECT_TRUE(Driver().IsOpen());
  ASSERT_EQ(Device().LogicStream().size(), kStreamBytes);
  EXPECT_EQ(Device().LogicStream()[3], Reversed(data[0]));
}

TEST_F(DeviceLogicTest, ProgramFolderFileReplacesAnOlderCopy) {
  WriteFile(DataLogicFile(), LogicFile(5, std::vector<std::uint8_t>(10, 0x01)));
  const std::vector<std::uint8_t> stream = UploadOf(LogicFile(5, {0xF0}));
  ASSERT_EQ(stream.size(), kStreamBytes);
  EXPECT_EQ(stream[3], 0x0F);
}

TEST_F(DeviceLogicTest, UnreadableFileIsRefused) {
  // A folder where the copy should be: nothing can be copied over it or read.
  InstallLogicFile(LogicFile(5, FullData()));
  std::filesystem::create_directories(DataLogicFile());
  Form1->Acquisition().test0();
  ExpectRefused(DataLogicFile());
}

TEST_F(DeviceLogicTest, FailedUploadLeavesNoStaleStreamForTheNextOpen) {
  // A good file first, then a broken one: the second open sends nothing.
  UploadOf(LogicFile(5, FullData()));
  Driver().ReleaseDevice();
  Device().ClearLog();
  InstallLogicFile(LogicFile(26, FullData()));
  Form1->Acquisition().test0();
  ExpectRefused(DataLogicFile());
}

}  // namespace
