// A temporary directory removed with everything in it when the test ends, and helpers to lay
// out a copy of the suite's programs in it, as an installation would.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace gw {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "gw-test.XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    path_ = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  void write(const std::string& name, const std::string& contents) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << contents;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

  // Copies a program from the build's bin directory (GW_BIN_DIR) into this directory. Returns
  // false when the program has not been built.
  bool copyProgram(const std::string& name) const {
    const char* bin = std::getenv("GW_BIN_DIR");
    if (!bin) return false;
    std::error_code ec;
    std::filesystem::copy_file(std::string(bin) + "/" + name, file(name),
                               std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
  }

  // Writes an executable shell script.
  void writeScript(const std::string& name, const std::string& body) const {
    write(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(file(name), std::filesystem::perms::owner_all);
  }

 private:
  std::string path_;
};

}  // namespace gw
