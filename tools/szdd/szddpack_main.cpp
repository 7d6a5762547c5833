// szddpack: compresses one file into the SZDD format for the distribution folder.
//   szddpack INPUT OUTPUT
// The header keeps the input name's last character when OUTPUT's name ends in '_' in its place.
#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "tools/szdd/szdd_compressor.h"

namespace {

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: szddpack INPUT OUTPUT\n");
    return 64;
  }
  std::string input = argv[1];
  std::string output = argv[2];
  std::string data;
  if (gw::readWholeFile(input, &data) != RC_OK) {
    std::fprintf(stderr, "szddpack: cannot read %s\n", input.c_str());
    return 1;
  }
  std::string packed;
  if (gw::szddCompress(data, gw::szddMissingChar(baseName(input), baseName(output)), &packed) !=
      RC_OK) {
    std::fprintf(stderr, "szddpack: %s is too large for the format\n", input.c_str());
    return 1;
  }
  if (gw::writeFileAtomically(output, packed) != RC_OK) {
    std::fprintf(stderr, "szddpack: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
