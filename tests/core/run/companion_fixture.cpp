#include "companion_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvex::test {

void CompanionTest::SetUp() {
  char pattern[] = "/tmp/korvex-run-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  root_ = pattern;
  programDir_ = MakeDirectory("bin");
  workDir_ = MakeDirectory("work");
  SetFake("XDG_CONFIG_HOME", MakeDirectory("config"));
}

void CompanionTest::TearDown() {
  for (const std::string& variable : variables_) ::unsetenv(variable.c_str());
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string CompanionTest::InstallFake(const std::string& dir, const std::string& name) {
  const std::string path = dir + "/" + name;
  EXPECT_EQ(::symlink(KORVEX_FAKE_COMPANION, path.c_str()), 0) << path;
  return path;
}

void CompanionTest::SetFake(const std::string& variable, const std::string& value) {
  ::setenv(variable.c_str(), value.c_str(), 1);
  variables_.push_back(variable);
}

ChildRecord CompanionTest::ReadRecord() const {
  ChildRecord record;
  std::ifstream in(RecordPath(), std::ios::binary);
  if (!in) return record;
  record.present = true;
  std::string key;
  while (in >> key) {
    if (key == "fd") {
      int fd = -1;
      in >> fd;
      record.fds.push_back(fd);
      in.get();
      continue;
    }
    std::size_t length = 0;
    in >> length;
    in.get();  // ':'
    std::string value(length, '\0');
    in.read(value.data(), static_cast<std::streamsize>(length));
    in.get();  // '\n'
    if (key == "cwd") record.cwd = value;
    if (key == "arg") record.args.push_back(value);
    if (key == "progress") record.progressFd = value;
  }
  return record;
}

std::string CompanionTest::MakeDirectory(const std::string& relative) {
  const std::string path = root_ + "/" + relative;
  std::filesystem::create_directories(path);
  return path;
}

void CompanionTest::WriteFile(const std::string& path, const std::string& bytes) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string CompanionTest::ReadFile(const std::string& path) const {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ProcessRunning(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(status, line)) return false;
  const std::size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

}  // namespace korvex::test
