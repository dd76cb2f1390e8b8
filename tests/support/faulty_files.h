// A file system that passes everything to the real one but can run out of
// room: after WriteBudget bytes every write stores only what still fits and
// fails, as on a full disk. With ReadOnlyFiles every file refuses to be
// opened for writing, as a read-only file does. With FailReads every read
// fails, as on a bad sector.
//
// It can also play a rival in a shared folder: with PlantLinkEvery n it
// plants a link to LinkTarget at the name of the first and then every n-th
// file made with CreateNew, just before it is made (someone who guessed the
// name). NewNames lists every name a new file was asked for, and
// BeforeRename runs before each rename (a crash at the worst moment),
// BeforeOpen before each open (another program's write between two reads).
// SyncedFiles, SyncedFolders and SyncedFileSystems list what was put on the
// disk.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"

namespace vm::test {

class FaultyFileSystem : public FileSystem {
 public:
  int64_t WriteBudget = -1;  // bytes that may still be written; -1 no limit
  bool FailRename = false;
  bool ReadOnlyFiles = false;
  bool FailReads = false;
  int PlantLinkEvery = 0;
  std::string LinkTarget;
  std::vector<std::string> NewNames;
  std::function<void()> BeforeRename;
  std::function<void(const std::string& path, FileMode mode)> BeforeOpen;
  std::vector<std::string> SyncedFiles;  // the paths the files were opened by
  std::vector<std::string> SyncedFolders;
  std::vector<std::string> SyncedFileSystems;  // the folders they were named by

  FaultyFileSystem() { InstallFileSystem(this); }
  ~FaultyFileSystem() override { InstallFileSystem(nullptr); }

  std::unique_ptr<File> Open(const std::string& path, FileMode mode, FileError* error) override {
    if (BeforeOpen) BeforeOpen(path, mode);
    if (ReadOnlyFiles && mode != FileMode::Read && mode != FileMode::ReadNoLink) {
      if (error) *error = FileError::Denied;
      return nullptr;
    }
    if (mode == FileMode::CreateNew) {
      if (PlantLinkEvery > 0 && NewNames.size() % static_cast<std::size_t>(PlantLinkEvery) == 0)
        planted_ += ::symlink(Cp1251ToUtf8(LinkTarget).c_str(), Cp1251ToUtf8(path).c_str()) == 0;
      NewNames.push_back(path);
    }
    std::unique_ptr<File> real = FileSystem::Open(path, mode, error);
    if (!real) return real;
    return std::make_unique<Faulty>(std::move(real), *this, path);
  }

  bool SyncDirectory(const std::string& dir) override {
    SyncedFolders.push_back(dir);
    return FileSystem::SyncDirectory(dir);
  }

  bool SyncFileSystemOf(const std::string& dir) override {
    SyncedFileSystems.push_back(dir);
    return FileSystem::SyncFileSystemOf(dir);
  }

  bool Rename(const std::string& from, const std::string& to) override {
    if (BeforeRename) BeforeRename();
    return !FailRename && FileSystem::Rename(from, to);
  }

 private:
  int planted_ = 0;

  class Faulty : public File {
   public:
    Faulty(std::unique_ptr<File> real, FaultyFileSystem& fs, std::string path)
        : real_(std::move(real)), fs_(fs), path_(std::move(path)) {}
    int64_t ReadAt(int64_t pos, void* buf, std::size_t n) override {
      return fs_.FailReads ? -1 : real_->ReadAt(pos, buf, n);
    }
    bool WriteAt(int64_t pos, const void* buf, std::size_t n) override {
      if (fs_.WriteBudget < 0) return real_->WriteAt(pos, buf, n);
      const auto fits = static_cast<std::size_t>(std::min<int64_t>(fs_.WriteBudget, static_cast<int64_t>(n)));
      if (fits > 0) real_->WriteAt(pos, buf, fits);
      fs_.WriteBudget -= static_cast<int64_t>(fits);
      return fits == n;
    }
    int64_t Size() override { return real_->Size(); }
    bool Truncate(int64_t size) override { return real_->Truncate(size); }
    bool Sync() override {
      fs_.SyncedFiles.push_back(path_);
      return real_->Sync();
    }

   private:
    std::unique_ptr<File> real_;
    FaultyFileSystem& fs_;
    std::string path_;
  };
};

// Ends the process, as a kill would, just before anything is renamed onto
// a path that ends with TargetEnd: a crash at the exact moment a test wants.
class KillBeforeRename : public FileSystem {
 public:
  static constexpr int kKilled = 86;
  explicit KillBeforeRename(std::string targetEnd) : end_(std::move(targetEnd)) { InstallFileSystem(this); }
  ~KillBeforeRename() override { InstallFileSystem(nullptr); }
  bool Rename(const std::string& from, const std::string& to) override {
    if (to.ends_with(end_)) ::_exit(kKilled);
    return FileSystem::Rename(from, to);
  }

 private:
  std::string end_;
};

// Ends the process, as a kill would, at the n-th change it is asked to make
// to the disk (0 the first): a file made or opened for writing, written,
// cut or synced, a name made durable, a rename, a removal, a folder made or
// removed, a mode set. Cutting a command at each n in turn stops it before
// every one of its steps; Made counts the changes of a command not cut.
class DieAtChange : public FileSystem {
 public:
  static constexpr int kDied = 87;
  explicit DieAtChange(int n) : left_(n) { InstallFileSystem(this); }
  ~DieAtChange() override { InstallFileSystem(nullptr); }
  int Made() const { return made_; }
  std::unique_ptr<File> Open(const std::string& path, FileMode mode, FileError* error) override {
    if (mode == FileMode::Read || mode == FileMode::ReadNoLink) return FileSystem::Open(path, mode, error);
    Step();
    auto real = FileSystem::Open(path, mode, error);
    if (!real) return real;
    return std::make_unique<Counted>(std::move(real), *this);
  }
  bool Remove(const std::string& path) override { return Step(), FileSystem::Remove(path); }
  bool Rename(const std::string& from, const std::string& to) override { return Step(), FileSystem::Rename(from, to); }
  bool MakeDirectory(const std::string& path) override { return Step(), FileSystem::MakeDirectory(path); }
  bool RemoveDirectory(const std::string& path) override { return Step(), FileSystem::RemoveDirectory(path); }
  bool SetMode(const std::string& path, uint32_t mode) override { return Step(), FileSystem::SetMode(path, mode); }
  bool SyncDirectory(const std::string& dir) override { return Step(), FileSystem::SyncDirectory(dir); }
  bool SyncFileSystemOf(const std::string& dir) override { return Step(), FileSystem::SyncFileSystemOf(dir); }

 private:
  void Step() {
    if (left_-- == 0) ::_exit(kDied);
    ++made_;
  }
  class Counted : public File {
   public:
    Counted(std::unique_ptr<File> real, DieAtChange& fs) : real_(std::move(real)), fs_(fs) {}
    int64_t ReadAt(int64_t pos, void* buf, std::size_t n) override { return real_->ReadAt(pos, buf, n); }
    bool WriteAt(int64_t pos, const void* buf, std::size_t n) override {
      return fs_.Step(), real_->WriteAt(pos, buf, n);
    }
    int64_t Size() override { return real_->Size(); }
    bool Truncate(int64_t size) override { return fs_.Step(), real_->Truncate(size); }
    bool Sync() override { return fs_.Step(), real_->Sync(); }

   private:
    std::unique_ptr<File> real_;
    DieAtChange& fs_;
  };
  int left_;
  int made_ = 0;
};

// The exit code of a child process that runs job and exits with 0 (-1 when
// it did not exit).
inline int ExitCodeOfChild(const std::function<void()>& job) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    job();
    ::_exit(0);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs job in a child process cut at its n-th change to the disk; the
// child's exit code: DieAtChange::kDied when it was cut there, 0 when it ran
// to its end.
inline int CutAtChange(int n, const std::function<void()>& job) {
  return ExitCodeOfChild([&] {
    DieAtChange die(n);
    job();
  });
}

// Runs job in a child process killed just before its rename onto a path
// ending with targetEnd; true when the kill came there.
inline bool KilledBeforeRenameOnto(const std::string& targetEnd, const std::function<void()>& job) {
  return ExitCodeOfChild([&] {
           KillBeforeRename kill(targetEnd);
           job();
         }) == KillBeforeRename::kKilled;
}

}  // namespace vm::test
