#include "catalogue_loader.h"

#include <tinyxml2.h>

#include <charconv>
#include <set>
#include <stdexcept>

namespace kestrova::server {
namespace {

using tinyxml2::XMLElement;

constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
constexpr int kMaxVersionLength = 16;

class ContentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Where(const XMLElement* el) {
  return "<" + std::string(el->Name()) + "> at line " + std::to_string(el->GetLineNum());
}

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

int RequireInt(const XMLElement* el, const char* name) {
  const char* text = el->Attribute(name);
  if (text == nullptr) throw ContentError(Where(el) + ": attribute " + name + " missing");
  const auto value = ParseInt(text);
  if (!value) throw ContentError(Where(el) + ": attribute " + name + " is not a number");
  return *value;
}

int OptionalInt(const XMLElement* el, const char* name, int fallback) {
  return el->Attribute(name) == nullptr ? fallback : RequireInt(el, name);
}

std::string RequireText(const XMLElement* el, const char* name) {
  const char* text = el->Attribute(name);
  if (text == nullptr || *text == '\0') throw ContentError(Where(el) + ": attribute " + name + " missing");
  return text;
}

std::string OptionalText(const XMLElement* el, const char* name) {
  const char* text = el->Attribute(name);
  return text == nullptr ? std::string() : std::string(text);
}

// A child element with one attribute per language; English is required.
LocalText ReadLocal(const XMLElement* el, const char* child, bool required = true) {
  LocalText text;
  const XMLElement* node = el->FirstChildElement(child);
  if (node == nullptr) {
    if (required) throw ContentError(Where(el) + ": <" + child + "> missing");
    return text;
  }
  for (std::size_t i = 0; i < kLanguageCount; ++i) {
    const std::string code(kLanguageCodes[i]);
    if (const char* value = node->Attribute(code.c_str())) text.Set(static_cast<Language>(i), value);
  }
  if (text.Empty()) throw ContentError(Where(node) + ": English text (en) missing");
  return text;
}

LogoDesign ReadLogo(const XMLElement* el) {
  LogoDesign logo;
  logo.text = RequireText(el, "logo");
  const std::string colour = RequireText(el, "colour");
  unsigned value = 0;
  const auto [end, error] = std::from_chars(colour.data(), colour.data() + colour.size(), value, 16);
  if (error != std::errc() || end != colour.data() + colour.size() || colour.size() != 6) {
    throw ContentError(Where(el) + ": colour must be six hex digits");
  }
  logo.colour = value;
  return logo;
}

template <typename Id>
void Unique(std::set<Id>& seen, const Id& id, const XMLElement* el) {
  if (!seen.insert(id).second) throw ContentError(Where(el) + ": duplicate id");
}

class Loader {
 public:
  Loader(std::filesystem::path dir, std::filesystem::path channels)
      : dir_(std::move(dir)), channels_(channels.empty() ? dir_ / "channels.xml" : std::move(channels)) {}

  Catalogue Load() {
    ReadFile("regions.xml", "regions", [this](const XMLElement* root) { Regions(root); });
    ReadFile("service.xml", "service", [this](const XMLElement* root) { Service(root); });
    ReadFile(channels_, "channels", [this](const XMLElement* root) { Channels(root); });
    ReadFile("videos.xml", "videos", [this](const XMLElement* root) { Videos(root); });
    ReadFile("programme.xml", "programme", [this](const XMLElement* root) { Programme(root); });
    ReadFile("messages.xml", "messages", [this](const XMLElement* root) { Messages(root); });
    ReadFile("help.xml", "help", [this](const XMLElement* root) { Help(root); });
    ReadFile("gifts.xml", "gifts", [this](const XMLElement* root) { Gifts(root); });
    CheckReferences();
    return std::move(c_);
  }

 private:
  template <typename Reader>
  void ReadFile(const char* name, const char* root_name, Reader reader) {
    ReadFile(dir_ / name, root_name, reader);
  }
  template <typename Reader>
  void ReadFile(const std::filesystem::path& path, const char* root_name, Reader reader) {
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
      throw ContentError(path.string() + ": " + (doc.ErrorStr() != nullptr ? doc.ErrorStr() : "cannot read"));
    }
    const XMLElement* root = doc.FirstChildElement(root_name);
    if (root == nullptr) throw ContentError(path.string() + ": root element <" + root_name + "> missing");
    try {
      reader(root);
    } catch (const ContentError& e) {
      throw ContentError(path.string() + ": " + e.what());
    }
  }

  void Regions(const XMLElement* root) {
    std::set<std::string> codes;
    std::set<int> operators, zones;
    for (auto* el = root->FirstChildElement("country"); el; el = el->NextSiblingElement("country")) {
      Country country;
      country.code = RequireText(el, "code");
      Unique(codes, country.code, el);
      country.name = ReadLocal(el, "name");
      const std::string default_for = OptionalText(el, "default_for");
      for (std::size_t i = 0; i < kLanguageCount; ++i) {
        if (default_for == kLanguageCodes[i]) country.default_for = static_cast<Language>(i);
      }
      for (auto* op = el->FirstChildElement("operator"); op; op = op->NextSiblingElement("operator")) {
        Operator o{RequireInt(op, "id"), ReadLocal(op, "name")};
        if (o.id <= 0) throw ContentError(Where(op) + ": operator ids are positive");
        Unique(operators, o.id, op);
        country.operators.push_back(std::move(o));
      }
      for (auto* z = el->FirstChildElement("zone"); z; z = z->NextSiblingElement("zone")) {
        Zone zone{RequireInt(z, "id"), OptionalInt(z, "default", 0) == 1, RequireText(z, "shift"),
                  ReadLocal(z, "name")};
        Unique(zones, zone.id, z);
        country.zones.push_back(std::move(zone));
      }
      for (auto* s = el->FirstChildElement("shortnumber"); s; s = s->NextSiblingElement("shortnumber")) {
        ShortNumber sn{RequireText(s, "price"), RequireInt(s, "credit"), RequireInt(s, "number"),
                       RequireText(s, "prefix")};
        if (sn.credit <= 0 || sn.number <= 0) throw ContentError(Where(s) + ": credit and number are positive");
        if (sn.prefix.find(' ') != std::string::npos) throw ContentError(Where(s) + ": prefix is one word");
        country.short_numbers.push_back(std::move(sn));
      }
      if (country.operators.empty() || country.zones.empty()) {
        throw ContentError(Where(el) + ": a country needs operators and zones");
      }
      c_.countries.push_back(std::move(country));
    }
    if (c_.countries.empty()) throw ContentError("no countries");
  }

  void Service(const XMLElement* root) {
    c_.latest_version = RequireText(root, "latest_version");
    if (c_.latest_version.size() > kMaxVersionLength) throw ContentError("latest_version too long");
    c_.update_link = RequireText(root, "update_link");
    std::set<int> ids;
    for (auto* q = root->FirstChildElement("quality"); q; q = q->NextSiblingElement("quality")) {
      Quality quality{RequireInt(q, "id"), ReadLocal(q, "name"), RequireText(q, "speed"), RequireInt(q, "kbps")};
      Unique(ids, quality.id, q);
      c_.qualities.push_back(std::move(quality));
    }
    for (auto* q = root->FirstChildElement("download"); q; q = q->NextSiblingElement("download")) {
      Quality format{RequireInt(q, "id"), ReadLocal(q, "name"), OptionalText(q, "speed"), RequireInt(q, "kbps")};
      Unique(ids, format.id, q);
      c_.download_formats.push_back(std::move(format));
    }
    if (c_.qualities.empty()) throw ContentError("no qualities");
  }

  void Channels(const XMLElement* root) {
    std::set<int> ids;
    for (auto* el = root->FirstChildElement("folder"); el; el = el->NextSiblingElement("folder")) {
      ChannelFolder f;
      f.id = RequireInt(el, "id");
      if (f.id <= 0) throw ContentError(Where(el) + ": folder ids are positive (0 is the root)");
      Unique(ids, f.id, el);
      f.parent = OptionalInt(el, "parent", 0);
      f.name = ReadLocal(el, "name");
      f.description = ReadLocal(el, "description", false);
      f.logo = ReadLogo(el);
      f.paid = OptionalInt(el, "paid", 0) == 1;
      if (f.paid) {
        f.price = RequireInt(el, "price");
        f.period_days = RequireInt(el, "days");
        f.sms_number = RequireText(el, "sms_number");
        f.sms_text = RequireText(el, "sms_text");
        f.message = ReadLocal(el, "message");
        if (f.price <= 0 || f.period_days <= 0) throw ContentError(Where(el) + ": price and days are positive");
      }
      c_.folders.push_back(std::move(f));
    }
    for (auto* el = root->FirstChildElement("channel"); el; el = el->NextSiblingElement("channel")) {
      Channel ch;
      ch.id = RequireInt(el, "id");
      if (ch.id <= 0 || ch.id > kMaxChannelId) {
        throw ContentError(Where(el) + ": channel ids are 1 to " + std::to_string(kMaxChannelId));
      }
      Unique(ids, ch.id, el);  // channels and folders share one id space (subscriptions)
      ch.folder = OptionalInt(el, "folder", 0);
      ch.name = ReadLocal(el, "name");
      ch.description = ReadLocal(el, "description", false);
      ch.logo = ReadLogo(el);
      ch.free = OptionalInt(el, "free", 1) == 1;
      ch.can_buy = OptionalInt(el, "can_buy", 0) == 1;
      ch.live = OptionalInt(el, "live", 1) == 1;
      ch.theme = OptionalText(el, "theme");
      if (el->Attribute("source") != nullptr) ch.source = Source(RequireText(el, "source"));
      if (ch.can_buy) {
        ch.price = RequireInt(el, "price");
        ch.period_days = RequireInt(el, "days");
        if (ch.price <= 0 || ch.period_days <= 0) throw ContentError(Where(el) + ": price and days are positive");
      }
      c_.channels.push_back(std::move(ch));
    }
  }

  // A URL as it is; a file path relative to the channels file's folder.
  std::string Source(const std::string& source) const {
    if (source.find("://") != std::string::npos || source.rfind("file:", 0) == 0) return source;
    return (channels_.parent_path() / source).lexically_normal().string();
  }

  void Videos(const XMLElement* root) {
    std::set<int> folder_ids, video_ids;
    for (auto* el = root->FirstChildElement("folder"); el; el = el->NextSiblingElement("folder")) {
      VideoFolder f{RequireInt(el, "id"), OptionalInt(el, "parent", 0), ReadLocal(el, "name")};
      // -1 and -2 are the favourites and purchases of each account; 0 the root.
      if (f.id <= 0) throw ContentError(Where(el) + ": video folder ids are positive");
      Unique(folder_ids, f.id, el);
      c_.video_folders.push_back(std::move(f));
    }
    for (auto* el = root->FirstChildElement("video"); el; el = el->NextSiblingElement("video")) {
      Video v{RequireInt(el, "id"), RequireInt(el, "folder"), ReadLocal(el, "name"), RequireInt(el, "length"),
              RequireInt(el, "play"), RequireInt(el, "download")};
      if (v.id <= 0 || v.length_seconds <= 0 || v.play_price < 0 || v.download_price < 0) {
        throw ContentError(Where(el) + ": id and length are positive, prices not negative");
      }
      Unique(video_ids, v.id, el);
      c_.videos.push_back(std::move(v));
    }
  }

  void Programme(const XMLElement* root) {
    std::set<std::string> theme_ids;
    for (auto* el = root->FirstChildElement("theme"); el; el = el->NextSiblingElement("theme")) {
      ProgrammeTheme theme;
      theme.id = RequireText(el, "id");
      Unique(theme_ids, theme.id, el);
      int covered_until = 0;
      for (auto* b = el->FirstChildElement("block"); b; b = b->NextSiblingElement("block")) {
        ThemeBlock block{RequireInt(b, "from"), RequireInt(b, "to"), ReadLocal(b, "name"), {}};
        if (block.from_hour < covered_until || block.to_hour <= block.from_hour || block.to_hour > kHoursPerDay) {
          throw ContentError(Where(b) + ": blocks are in order within 0 to 24 hours");
        }
        covered_until = block.to_hour;
        for (auto* s = b->FirstChildElement("show"); s; s = s->NextSiblingElement("show")) {
          Show show{RequireInt(s, "id"), OptionalInt(s, "video", 0), RequireInt(s, "minutes"), ReadLocal(s, "name")};
          if (show.minutes <= 0 || show.minutes > kMinutesPerHour) {
            throw ContentError(Where(s) + ": a show lasts 1 to 60 minutes");
          }
          Unique(show_ids_, show.id, s);
          block.shows.push_back(std::move(show));
        }
        if (block.shows.empty()) throw ContentError(Where(b) + ": a block needs shows");
        theme.blocks.push_back(std::move(block));
      }
      if (theme.blocks.empty()) throw ContentError(Where(el) + ": a theme needs blocks");
      c_.themes.push_back(std::move(theme));
    }
  }

  void Messages(const XMLElement* root) {
    std::set<int> ids;
    for (auto* el = root->FirstChildElement("message"); el; el = el->NextSiblingElement("message")) {
      Message m{RequireInt(el, "id"), ReadLocal(el, "header"), ReadLocal(el, "text")};
      Unique(ids, m.id, el);
      c_.messages.push_back(std::move(m));
    }
  }

  void Help(const XMLElement* root) {
    std::set<int> theme_ids, text_ids;
    for (auto* el = root->FirstChildElement("theme"); el; el = el->NextSiblingElement("theme")) {
      HelpTheme theme{RequireInt(el, "id"), ReadLocal(el, "name"), {}};
      Unique(theme_ids, theme.id, el);
      for (auto* t = el->FirstChildElement("text"); t; t = t->NextSiblingElement("text")) {
        HelpText text{RequireInt(t, "id"), ReadLocal(t, "subject"), ReadLocal(t, "body")};
        Unique(text_ids, text.id, t);
        theme.texts.push_back(std::move(text));
      }
      c_.help.push_back(std::move(theme));
    }
  }

  void Gifts(const XMLElement* root) {
    std::set<std::string> codes;
    for (auto* el = root->FirstChildElement("gift"); el; el = el->NextSiblingElement("gift")) {
      GiftCode g{RequireText(el, "code"), RequireInt(el, "credit"), OptionalInt(el, "max_uses", 0)};
      if (g.credit <= 0 || g.max_uses < 0) throw ContentError(Where(el) + ": credit positive, max_uses not negative");
      Unique(codes, g.code, el);
      c_.gifts.push_back(std::move(g));
    }
  }

  void CheckReferences() const {
    for (const auto& f : c_.folders) {
      if (f.parent != 0 && c_.FindFolder(f.parent) == nullptr) {
        throw ContentError("channels.xml: folder " + std::to_string(f.id) + " has an unknown parent");
      }
    }
    for (const auto& ch : c_.channels) {
      if (ch.folder != 0 && c_.FindFolder(ch.folder) == nullptr) {
        throw ContentError("channels.xml: channel " + std::to_string(ch.id) + " is in an unknown folder");
      }
      if (!ch.theme.empty() && c_.FindTheme(ch.theme) == nullptr) {
        throw ContentError("channels.xml: channel " + std::to_string(ch.id) + " has an unknown theme");
      }
    }
    for (const auto& f : c_.video_folders) {
      if (f.parent != 0 && c_.FindVideoFolder(f.parent) == nullptr) {
        throw ContentError("videos.xml: folder " + std::to_string(f.id) + " has an unknown parent");
      }
    }
    for (const auto& v : c_.videos) {
      if (c_.FindVideoFolder(v.folder) == nullptr) {
        throw ContentError("videos.xml: video " + std::to_string(v.id) + " is in an unknown folder");
      }
    }
    for (const auto& theme : c_.themes) {
      for (const auto& block : theme.blocks) {
        for (const auto& show : block.shows) {
          if (show.video != 0 && c_.FindVideo(show.video) == nullptr) {
            throw ContentError("programme.xml: show " + std::to_string(show.id) + " names an unknown video");
          }
          if (c_.FindVideo(show.id) != nullptr) {
            throw ContentError("programme.xml: show id " + std::to_string(show.id) + " is also a video id");
          }
        }
      }
    }
  }

  std::filesystem::path dir_;
  std::filesystem::path channels_;
  Catalogue c_;
  std::set<int> show_ids_;
};

}  // namespace

CatalogueLoad LoadCatalogue(const std::filesystem::path& data_dir, const std::filesystem::path& channels_file) {
  CatalogueLoad result;
  try {
    result.catalogue = Loader(data_dir, channels_file).Load();
  } catch (const ContentError& e) {
    result.error = e.what();
  }
  return result;
}

}  // namespace kestrova::server
