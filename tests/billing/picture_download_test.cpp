// Logo and preview downloads against kestrova-server: logos decoded from a
// buffer of the announced size, sizes that must not be allocated, and the
// numbered previews that keep their numbers past a missing picture.
#include <string>
#include <vector>

#include "billing_fixture.h"
#include "net/catalogue_records.h"
#include "net/picture_download.h"
#include "net/programme_records.h"

namespace kestrova::test {
namespace {

class PictureDownloadTest : public BillingFixture {
 protected:
  // The first channel of the root catalogue level, as the catalogue gives it.
  std::unique_ptr<net::CatalogueItem> CatalogueChannel() {
    const Answer root = api_->Get("/catchan.php?" + session_.Query() + "&folder_id=0&lng_id=02");
    auto item = std::make_unique<net::CatalogueItem>();
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
  net::FetchLogo(Doc(), *item);
  ASSERT_NE(item->logoImage, nullptr);
  EXPECT_GT(item->logoImage->w, 0);
  EXPECT_GT(item->logoImage->h, 0);
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(PictureDownloadTest, UnusableLogoSizesAndSpecialEntriesFetchNothing) {
  auto item = CatalogueChannel();
  ClearRequests();
  const int size = item->logoSize;
  for (const int announced : {0, -1, static_cast<int>(net::kMaxLogoBytes) + 1}) {
    item->logoSize = announced;
    net::FetchLogo(Doc(), *item);
    EXPECT_EQ(item->logoImage, nullptr) << announced;
  }
  EXPECT_TRUE(Requests().empty());

  // A logo shorter than announced arrives whole and decodes; one cut short does not.
  item->logoSize = size + 100;
  net::FetchLogo(Doc(), *item);
  EXPECT_NE(item->logoImage, nullptr);
  item->logoImage.reset();
  item->logoSize = size / 2;
  net::FetchLogo(Doc(), *item);
  EXPECT_EQ(item->logoImage, nullptr);
  ClearRequests();

  // The special entries of a package never fetch.
  net::FolderNode folder;
  for (const int id : {net::CatalogueItem::kBuyPackageId, net::CatalogueItem::kReloadPackageId}) {
    auto special = std::make_unique<net::CatalogueItem>();
    special->logoLink = item->logoLink;
    special->id = id;
    special->noLogo = 1;
    special->reloadEntry = id == net::CatalogueItem::kReloadPackageId ? 1 : 0;
    special->logoSize = size;
    folder.entries.push_back(std::move(special));
  }
  folder.entries.push_back(CatalogueChannel());
  ClearRequests();
  net::FetchFolderLogos(Doc(), folder);
  EXPECT_EQ(folder.entries[0]->logoImage, nullptr);
  EXPECT_EQ(folder.entries[1]->logoImage, nullptr);
  EXPECT_NE(folder.entries[2]->logoImage, nullptr);
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(PictureDownloadTest, PreviewsAreNumberedFromOneAndStopAtTheMissingSeventh) {
  net::ProgrammeElement video;
  video.id = 1001;
  video.previewLink = PreviewBase(1001);
  net::PreviewSequence sequence;
  net::FetchNextPreview(Doc(), sequence);  // no video: nothing
  EXPECT_TRUE(sequence.pictures.empty());
  sequence.video = &video;
  for (int i = 0; i < 7; ++i) net::FetchNextPreview(Doc(), sequence);
  ASSERT_EQ(sequence.pictures.size(), 7u);
  for (int i = 0; i < 6; ++i) EXPECT_NE(sequence.pictures[static_cast<std::size_t>(i)], nullptr) << i + 1;
  EXPECT_EQ(sequence.pictures[6], nullptr);  // 404 page: no picture

  std::vector<std::string> expected;
  for (int n = 1; n <= 7; ++n) expected.push_back("/previews/1001/" + std::to_string(n) + ".jpg");
  EXPECT_EQ(Requests(), expected);
}

TEST_F(PictureDownloadTest, FailedPreviewKeepsTheNumberingAndLeavesNoFile) {
  ScopedTempDirectory temp;
  net::ProgrammeElement video;
  video.previewLink = PreviewBase(1001);
  net::PreviewSequence sequence{&video, {}};
  sequence.pictures.push_back(nullptr);  // the first download failed
  sequence.pictures.push_back(nullptr);
  net::FetchNextPreview(Doc(), sequence);
  ASSERT_EQ(sequence.pictures.size(), 3u);
  EXPECT_NE(sequence.pictures[2], nullptr);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/previews/1001/3.jpg"}));
  EXPECT_EQ(temp.FileCount(), 0u);

  EXPECT_EQ(net::FetchPreviewImage(Doc(), L"http://127.0.0.1:1/previews/1001/1.jpg"), nullptr);
  EXPECT_EQ(temp.FileCount(), 0u);
}

}  // namespace
}  // namespace kestrova::test
