// Logo and preview downloads against kestrova-server: logos decoded from a
// buffer of the announced size, sizes that must not be allocated, and the
// numbered previews that keep their numbers past a missing picture.
#include <algorithm>
#include <string>
#include <vector>

#include "billing_fixture.h"
#include "model/catalogue_records.h"
#include "model/data_state.h"
#include "model/programme_records.h"
#include "net/picture_download.h"
#include "support/loopback_server.h"
#include "support/picture_files.h"

namespace kestrova::test {
namespace {

class PictureDownloadTest : public BillingFixture {
 protected:
  // The first channel of the root catalogue level, as the catalogue gives it.
  std::unique_ptr<model::CatalogueItem> CatalogueChannel() {
    const Answer root = api_->Get("/catchan.php?" + session_.Query() + "&folder_id=0&lng_id=02");
    auto item = std::make_unique<model::CatalogueItem>();
    for (const char* kind : {"channel", "folder"}) {
      for (const auto* entry : Children(root.Root("channels"), kind)) {
        const std::string link = Attr(entry, "logo_link");
        if (link.empty()) continue;
        item->id = IntAttr(entry, "id");
        item->logoLink = std::wstring(link.begin(), link.end());
        item->logoSize = IntAttr(entry, "logo_size");
        return item;
      }
    }
    ADD_FAILURE() << "no logo in the catalogue: " << root.body;
    return item;
  }
  std::wstring PreviewBase(int video) const {
    return L"http://127.0.0.1:" + std::to_wstring(server_->Port()) + L"/previews/" + std::to_wstring(video) + L"/";
  }
};

TEST_F(PictureDownloadTest, LogoIsDecodedFromABufferOfTheAnnouncedSize) {
  auto item = CatalogueChannel();
  ClearRequests();
  ASSERT_GT(item->logoSize, 0);
  net::FetchLogo(Doc().Network(), *item);
  ASSERT_FALSE(item->logoImage.Empty());
  EXPECT_GT(item->logoImage.Width(), 0);
  EXPECT_GT(item->logoImage.Height(), 0);
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(PictureDownloadTest, UnusableLogoSizesAndSpecialEntriesFetchNothing) {
  auto item = CatalogueChannel();
  ClearRequests();
  const int size = item->logoSize;
  for (const int announced : {0, -1, static_cast<int>(net::kMaxLogoBytes) + 1}) {
    item->logoSize = announced;
    net::FetchLogo(Doc().Network(), *item);
    EXPECT_TRUE(item->logoImage.Empty()) << announced;
  }
  EXPECT_TRUE(Requests().empty());

  // A logo shorter than announced arrives whole and decodes; one cut short does not.
  item->logoSize = size + 100;
  net::FetchLogo(Doc().Network(), *item);
  EXPECT_FALSE(item->logoImage.Empty());
  item->logoImage = {};
  item->logoSize = size / 2;
  net::FetchLogo(Doc().Network(), *item);
  EXPECT_TRUE(item->logoImage.Empty());
  ClearRequests();

  // The special entries of a package never fetch.
  model::DataState data;
  model::FolderNode& folder = *data.channelRoot;
  for (const int id : {model::CatalogueItem::kBuyPackageId, model::CatalogueItem::kReloadPackageId}) {
    auto special = std::make_unique<model::CatalogueItem>();
    special->logoLink = item->logoLink;
    special->id = id;
    special->noLogo = 1;
    special->reloadEntry = id == model::CatalogueItem::kReloadPackageId ? 1 : 0;
    special->logoSize = size;
    folder.entries.push_back(std::move(special));
  }
  folder.entries.push_back(CatalogueChannel());
  ClearRequests();
  net::FetchFolderLogos(Doc().Network(), data, folder);
  EXPECT_TRUE(folder.entries[0]->logoImage.Empty());
  EXPECT_TRUE(folder.entries[1]->logoImage.Empty());
  EXPECT_FALSE(folder.entries[2]->logoImage.Empty());
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(PictureDownloadTest, PreviewsAreNumberedFromOneAndStopAtTheMissingSeventh) {
  model::ProgrammeElement video;
  video.id = 1001;
  video.previewLink = PreviewBase(1001);
  model::PreviewSequence sequence;
  net::FetchNextPreview(Doc().Network(), sequence);  // no video: nothing
  EXPECT_TRUE(sequence.pictures.empty());
  sequence.video = &video;
  for (int i = 0; i < 7; ++i) net::FetchNextPreview(Doc().Network(), sequence);
  ASSERT_EQ(sequence.pictures.size(), 7u);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(sequence.pictures[static_cast<std::size_t>(i)].Empty()) << i + 1;
  EXPECT_TRUE(sequence.pictures[6].Empty());  // 404 page: no picture

  std::vector<std::string> expected;
  for (int n = 1; n <= 7; ++n) expected.push_back("/previews/1001/" + std::to_string(n) + ".jpg");
  EXPECT_EQ(Requests(), expected);
}

TEST_F(PictureDownloadTest, FailedPreviewKeepsTheNumberingAndLeavesNoFile) {
  ScopedTempDirectory temp;
  model::ProgrammeElement video;
  video.previewLink = PreviewBase(1001);
  model::PreviewSequence sequence{&video, {}};
  sequence.pictures.emplace_back();  // the first download failed
  sequence.pictures.emplace_back();
  net::FetchNextPreview(Doc().Network(), sequence);
  ASSERT_EQ(sequence.pictures.size(), 3u);
  EXPECT_FALSE(sequence.pictures[2].Empty());
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/previews/1001/3.jpg"}));
  EXPECT_EQ(temp.FileCount(), 0u);

  EXPECT_TRUE(net::FetchPreviewImage(Doc().Network(), L"http://127.0.0.1:1/previews/1001/1.jpg").Empty());
  EXPECT_EQ(temp.FileCount(), 0u);
}

// A server may send logos and previews far larger than they are drawn, or
// JPEG files that would keep the decoder busy: each is kept at most at its
// drawn size or refused, and the catalogue's own logos still come.
TEST_F(PictureDownloadTest, HostileLogosAndPreviewsAreKeptSmallOrRefused) {
  LoopbackServer hostile;
  const auto serve = [&hostile](const std::string& path, const std::vector<std::uint8_t>& bytes) {
    LoopbackReply reply;
    reply.body.assign(bytes.begin(), bytes.end());
    reply.contentType = "image/png";
    hostile.Serve(path, reply);
    return static_cast<int>(bytes.size());
  };
  // A wide logo, the largest square one, a tall one, and a JPEG of many scans.
  std::vector<std::uint8_t> scans = EncodeJpeg(DiscPicture(64, 64, 0xFF00FF00U));
  const std::vector<std::uint8_t> startOfScan = {0xFF, 0xDA};
  const auto sos = std::search(scans.begin() + 2, scans.end(), startOfScan.begin(), startOfScan.end()) - scans.begin();
  const std::vector<std::uint8_t> extra = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x12};
  for (int i = 0; i < 200; ++i) scans.insert(scans.begin() + sos, extra.begin(), extra.end());
  model::DataState data;
  model::FolderNode& folder = *data.channelRoot;
  struct Logo {
    std::string path;
    std::vector<std::uint8_t> bytes;
    int width;
    int height;
  };
  const std::vector<Logo> logos = {
      {"/wide.png", EncodePng(DiscPicture(2048, 256, 0xFFFF0000U)), net::kLogoMaxWidth, 12},
      {"/square.png", EncodePng(DiscPicture(2048, 2048, 0xFF0000FFU)), net::kLogoMaxHeight, net::kLogoMaxHeight},
      {"/tall.jpg", EncodeJpeg(DiscPicture(256, 1024, 0xFFFFFFFFU)), 16, net::kLogoMaxHeight},
      {"/scans.jpg", scans, 0, 0},
  };
  for (const Logo& logo : logos) {
    auto item = std::make_unique<model::CatalogueItem>();
    item->logoLink = hostile.WideBaseUrl() + std::wstring(logo.path.begin(), logo.path.end());
    item->logoSize = serve(logo.path, logo.bytes);
    folder.entries.push_back(std::move(item));
  }
  folder.entries.push_back(CatalogueChannel());
  net::FetchFolderLogos(Doc().Network(), data, folder);
  for (std::size_t i = 0; i < logos.size(); ++i) {
    SCOPED_TRACE(logos[i].path);
    EXPECT_EQ(folder.entries[i]->logoImage.Width(), logos[i].width);
    EXPECT_EQ(folder.entries[i]->logoImage.Height(), logos[i].height);
  }
  EXPECT_FALSE(folder.entries.back()->logoImage.Empty());  // the catalogue's own logo
  EXPECT_EQ(hostile.RequestCount(), logos.size());

  // A preview of 2048 x 1536 is kept at 320 x 240; the next one still comes.
  serve("/previews/1.jpg", EncodeJpeg(DiscPicture(2048, 1536, 0xFFFF0000U)));
  serve("/previews/2.jpg", scans);
  model::ProgrammeElement video;
  video.previewLink = hostile.WideBaseUrl() + L"/previews/";
  model::PreviewSequence sequence{&video, {}};
  for (int i = 0; i < 3; ++i) net::FetchNextPreview(Doc().Network(), sequence);
  ASSERT_EQ(sequence.pictures.size(), 3u);
  EXPECT_EQ(sequence.pictures[0].Width(), net::kPreviewMaxSide);
  EXPECT_EQ(sequence.pictures[0].Height(), 240);
  EXPECT_TRUE(sequence.pictures[1].Empty());
  EXPECT_TRUE(sequence.pictures[2].Empty());  // none on the server
  video.previewLink = PreviewBase(1001);
  net::FetchNextPreview(Doc().Network(), sequence);
  EXPECT_FALSE(sequence.pictures[3].Empty());
}

}  // namespace
}  // namespace kestrova::test
