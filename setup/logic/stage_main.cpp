// setupstage: writes the Debian package's system files and maintainer scripts at build time.
//   setupstage STAGE-DIR SCRIPTS-DIR
#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "setup/logic/package_files.h"
#include "setup/logic/setup_tables.h"

int main(int argc, char** argv) {
  using namespace gw::setup;
  if (argc != 3) {
    std::fprintf(stderr, "usage: setupstage STAGE-DIR SCRIPTS-DIR\n");
    return 64;
  }
  std::string scripts = argv[2];
  bool ok = stagePackageFiles(InstallRoot(argv[1]), kDefaultFolder, configuredUsbIds()) &&
            gw::writeFileAtomically(gw::joinPath(scripts, "postinst"), postinstScript(), 0755) == RC_OK &&
            gw::writeFileAtomically(gw::joinPath(scripts, "prerm"), prermScript(), 0755) == RC_OK &&
            gw::writeFileAtomically(gw::joinPath(scripts, "postrm"), postrmScript(kDefaultFolder),
                                    0755) == RC_OK &&
            gw::writeFileAtomically(gw::joinPath(scripts, "conffiles"), conffilesList()) == RC_OK;
  if (!ok) std::fprintf(stderr, "setupstage: cannot write the package files\n");
  return ok ? 0 : 1;
}
