// Catalogue scripts: catchan, blocks, block, videos, video, add_favorite,
// messenger, help_themes, help_texts.
#pragma once

#include "api_router.h"
#include "server_context.h"

namespace kestrova::server {

class CatalogueApi {
 public:
  explicit CatalogueApi(ServerContext& context) : context_(context) {}

  void Register(ApiRouter& router);

 private:
  std::string Channels(const ApiRequest& request);
  std::string Blocks(const ApiRequest& request);
  std::string Block(const ApiRequest& request);
  std::string Videos(const ApiRequest& request);
  std::string VideoDetails(const ApiRequest& request);
  std::string AddFavourite(const ApiRequest& request);
  std::string Messenger(const ApiRequest& request);
  std::string HelpThemes(const ApiRequest& request);
  std::string HelpTexts(const ApiRequest& request);

  ServerContext& context_;
};

}  // namespace kestrova::server
