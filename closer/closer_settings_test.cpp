// The closer's switches and the paths they settle.
#include "closer/closer_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_dir.h"

namespace gw {
namespace {

TEST(CloserSettingsTest, SwitchesEndEachOtherAndLoseTheirQuotes) {
  struct Row {
    const char* line;
    std::optional<std::string> log, save;
  };
  const Row rows[] = {
      {"", std::nullopt, std::nullopt},
      // The S value keeps the blank before the next switch; text after L never reaches S.
      {"/S /home/ann/My Docs /L /var/log/saved", "/var/log/saved", "/home/ann/My Docs "},
      {"/L /tmp/saved /S /tmp/save", "/tmp/saved ", "/tmp/save"},
      {"/S \"/home/ann/My Docs\"", std::nullopt, "/home/ann/My Docs"},
      {"/L \"/tmp/a b\"/c", "/tmp/a b/c", std::nullopt},  // a '/' inside a value stays
      {"/R ignored value /S /x", std::nullopt, "/x"},       // another switch drops its value
      {"stray text /L /y", "/y", std::nullopt},             // text before any switch is dropped
      {"/S /a /S /b", std::nullopt, "/b"},                  // the later one wins
      {"/L ", "", std::nullopt},
      {"/S /xy /L", std::nullopt, "/xy /L"},  // without its blank it is no switch
      {"/S /x", std::nullopt, "/x"},
  };
  for (const Row& r : rows) {
    CloserSwitches s = parseCloserCommandLine(r.line);
    EXPECT_EQ(s.log_path, r.log) << r.line;
    EXPECT_EQ(s.save_folder, r.save) << r.line;
  }
}

TEST(CloserSettingsTest, DefaultsAreBesideTheProgramAndInTheHome) {
  CloserSettings d = settleCloserSettings({}, "/opt/gw", "/home/ann");
  EXPECT_EQ(d.log_path, "/opt/gw/saved");
  EXPECT_EQ(d.save_folder, "/home/ann/PCTemp");
  EXPECT_TRUE(d.save_folder_is_default);

  CloserSettings given =
      settleCloserSettings(parseCloserCommandLine("/S /srv/keep /L /srv/log"), "/opt/gw", "/h");
  EXPECT_EQ(given.log_path, "/srv/log");
  EXPECT_EQ(given.save_folder, "/srv/keep ");
  EXPECT_FALSE(given.save_folder_is_default);
}

TEST(CloserSettingsTest, OnlyTheDefaultFolderIsCreated) {
  TempDir dir;
  CloserSettings given = settleCloserSettings(
      parseCloserCommandLine("/S " + dir.file("given")), dir.path(), dir.path());
  createDefaultSaveFolder(given);
  EXPECT_FALSE(dir.exists("given"));

  CloserSettings d = settleCloserSettings({}, dir.path(), dir.path());
  createDefaultSaveFolder(d);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("PCTemp")));
  createDefaultSaveFolder(d);  // an existing folder is fine

  CloserSettings unmakeable = settleCloserSettings({}, dir.path(), dir.file("no/such/home"));
  createDefaultSaveFolder(unmakeable);  // a failure is passed over
  EXPECT_FALSE(dir.exists("no"));
}

}  // namespace
}  // namespace gw
