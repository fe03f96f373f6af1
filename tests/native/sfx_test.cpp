// Self-decrypting packages: the header codec, the name cuts, the PE image
// length, creation and detection.
#include <cstring>

#include "engine/jobs/encrypt_job.h"
#include "sfx_fixture.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "sfx/create_job.h"
#include "sfx/detect.h"
#include "sfx/image_length.h"
#include "sfx/package_header.h"
#include "sfx/package_names.h"

namespace {

using testing_support::Content;
using testing_support::MakePe;
using testing_support::Put;
using testing_support::SfxJobTest;
namespace fs = std::filesystem;

TEST(PackageHeaderTest, SevenByteNameIsPaddedWithDotsAndReadBack) {
  sfx::PackageHeader h{0x0102030405060708ull, "abc.jmz"};
  const auto bytes = h.Encode();
  EXPECT_EQ(bytes[0], 0x08);
  EXPECT_EQ(bytes[7], 0x01);
  EXPECT_EQ(bytes[8], 7);
  EXPECT_EQ(std::string(bytes.begin() + 9, bytes.begin() + 16), "abc.jmz");
  EXPECT_EQ(std::string(bytes.begin() + 16, bytes.end()), std::string(209, '.'));
  const sfx::PackageHeader back = sfx::PackageHeader::Decode(bytes);
  EXPECT_EQ(back.carriedSize, h.carriedSize);
  EXPECT_EQ(back.storedName, "abc.jmz");

  auto damaged = bytes;
  damaged[8] = 0;  // a zero length byte takes the whole field
  EXPECT_EQ(sfx::PackageHeader::Decode(damaged).storedName.size(), 216u);
}

TEST(PackageNamesTest, LongBaseIsCutTo202BytesAndTwoDots) {
  const auto names = sfx::MakePackNames(std::string(230, 'a') + ".jmz");
  ASSERT_TRUE(names);
  EXPECT_EQ(names->storedName, std::string(202, 'a') + ".." + ".jmz");
  EXPECT_EQ(names->base, std::string(202, 'a') + "..");
}

TEST(PackageNamesTest, DamagedNames) {
  for (const char* bad : {"", "a:b.jmz", "..", "x/y.jmz", "a\\b", "con.jmz", "a\x01.jmz", "name...."})
    EXPECT_TRUE(sfx::IsDamagedName(bad)) << bad;
  EXPECT_FALSE(sfx::IsDamagedName("report.jmz"));
  EXPECT_EQ(sfx::UsableCarriedName("a:b.jmz"), "乱名(被破坏,有错误).jmz");
  // Chinese names whose GBK bytes hold 0x5C or 0x7C inside a character are good names.
  for (const char* good : {"乗.jmz", "亅亅.jmz", "昞 报告.jmz"}) {
    const std::string gbk = *platform::Utf8ToGbk(good);
    EXPECT_NE(gbk.find_first_of("\\|"), std::string::npos) << good;
    EXPECT_FALSE(sfx::IsDamagedName(gbk)) << good;
    EXPECT_EQ(sfx::UsableCarriedName(gbk), good);
  }
}

TEST(ImageLengthTest, Pe32AndPe32PlusEndAtTheirLastSectionOrCertificate) {
  for (bool plus : {false, true}) {
    std::vector<std::uint8_t> pe = MakePe(plus, 0x400);
    const std::size_t image = pe.size();
    pe.resize(pe.size() + 1000, 0x11);  // trailing data is no part of the image
    platform::MemorySource s(pe);
    EXPECT_EQ(sfx::ImageLength(s), image);
    platform::MemorySource signedPe(MakePe(plus, 0x400, 0x100));
    EXPECT_EQ(sfx::ImageLength(signedPe), 0x600u + 0x100u);
  }
}

TEST(ImageLengthTest, CutOrLyingHeadersAreErrors) {
  std::vector<std::uint8_t> pe = MakePe(true, 0x400);
  std::vector<std::vector<std::uint8_t>> bad = {std::vector<std::uint8_t>(pe.begin(), pe.begin() + 0x100),
                                                std::vector<std::uint8_t>(100, 'x'), pe, pe};
  Put(bad[2], 0x3C, 0xFFFFFFF0u, 4);               // PE header beyond the file
  Put(bad[3], 0x84 + 20 + 240 + 16, 0x7FFFFFFF, 4);  // section larger than the file
  for (auto& b : bad) {
    platform::MemorySource s(b);
    EXPECT_THROW(sfx::ImageLength(s), sfx::ImageError);
  }
}

TEST_F(SfxJobTest, PackageHoldsImageHeaderAndContainerAndIsDetected) {
  MakeContainer("a.txt", "a.jmz", 10000);
  Write("out/a.exe", "x");
  Write("out/a(1).exe", "x");
  Create("a.jmz");
  EXPECT_EQ(host_.log, std::vector<std::string>{"创建自解密文件已完成:" + Display("out/a(2).exe")});
  EXPECT_EQ(host_.Events("lock"), std::vector<std::string>{"3"});
  const std::string package = Read("out/a(2).exe");
  EXPECT_EQ(package.substr(0, 0x1200), Read("stub.exe"));
  EXPECT_EQ(package.substr(0x1200 + 225), Read("a.jmz"));

  testing_support::RecordingHost detect;
  const sfx::PackageInfo info = sfx::DetectPackage(detect, Path("out/a(2).exe"));
  ASSERT_TRUE(info.Present());
  EXPECT_EQ(info.carriedName, "a.jmz");
  EXPECT_EQ(static_cast<std::size_t>(info.carriedSize), Read("a.jmz").size());
  EXPECT_TRUE(detect.log.empty());

  // A package made from a package carries only the new file.
  host_.log.clear();
  MakeContainer("b.txt", "b.jmz", 3000);
  Create("b.jmz", "out/a(2).exe");
  EXPECT_EQ(Read("out/b.exe").size(), 0x1200 + 225 + Read("b.jmz").size());
}

TEST_F(SfxJobTest, RefusesFilesThatAreNoSaveKeyContainer) {
  Write("plain.jmz", Content(6000));
  Write("empty.jmz", "");
  Create("plain.jmz");
  Create("empty.jmz");
  EXPECT_EQ(host_.log, (std::vector<std::string>{
                           "文件未经此软件加密或者是另外(不保存密钥)加密的，不能创建自解密文件:" + Display("plain.jmz"),
                           "文件(大小0字节)是空的!不需要创建自解密文件!创建自解密文件已取消:" + Display("empty.jmz")}));
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(SfxJobTest, CancelDuringTheCopyLeavesNothing) {
  MakeContainer("big.txt", "big.jmz", 3 << 20);
  host_.onProgress = [this](std::int32_t p) {
    if (p > 0) state_.sfxCreateActive = false;
  };
  Create("big.jmz");
  EXPECT_TRUE(host_.log.empty());
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(SfxJobTest, DetectionRepairsADamagedHeader) {
  MakeContainer("c.txt", "c.jmz", 2000);
  const std::string container = Read("c.jmz");
  const std::string stub = Read("stub.exe");
  auto header = sfx::PackageHeader{0, "c:d.jmz"}.Encode();
  Write("zero.exe", stub + std::string(header.begin(), header.end()) + container);
  header = sfx::PackageHeader{container.size(), "c.jmz"}.Encode();
  Write("extra.exe", stub + std::string(header.begin(), header.end()) + container + std::string(100, 'z'));

  testing_support::RecordingHost zero;
  const auto z = sfx::DetectPackage(zero, Path("zero.exe"));
  const std::string n = std::to_string(container.size());
  EXPECT_EQ(zero.log, (std::vector<std::string>{"自解密里的已加密文件的名称被破坏，有错误！",
                                                "自解密里的已加密文件的大小(0字节)数据被破坏或者有错误！"}));
  EXPECT_EQ(static_cast<std::size_t>(z.carriedSize), container.size());

  testing_support::RecordingHost extra;
  const auto e = sfx::DetectPackage(extra, Path("extra.exe"));
  EXPECT_EQ(extra.log, std::vector<std::string>{"自解密里的已加密文件的大小(" + n + "字节)数据与效验数据(" +
                                                std::to_string(container.size() + 100) + ")不相同！"});
  EXPECT_EQ(static_cast<std::size_t>(e.carriedSize), container.size());

  testing_support::RecordingHost none;
  EXPECT_FALSE(sfx::DetectPackage(none, Path("stub.exe")).Present());
  EXPECT_TRUE(none.events.empty());
}

}  // namespace
