// kestrova-skinpack OUTPUT FILE...: packs skin image files into the skin
// archive, each under its bare file name, in the order given.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "resources/skin_archive.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT [FILE...]\n", argv[0]);
    return 2;
  }
  std::vector<kestrova::resources::SkinArchiveFile> files;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
      return 1;
    }
    kestrova::resources::SkinArchiveFile file;
    file.name = std::filesystem::path(argv[i]).filename().string();
    file.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    files.push_back(std::move(file));
  }
  const std::string archive = kestrova::resources::BuildSkinArchive(files);
  const std::filesystem::path output = argv[1];
  const std::filesystem::path partial = output.string() + ".part";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    if (!out) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], partial.c_str());
      return 1;
    }
  }
  std::error_code ec;
  std::filesystem::rename(partial, output, ec);
  if (ec) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], output.c_str(), ec.message().c_str());
    return 1;
  }
  return 0;
}
