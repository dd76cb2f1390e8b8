// The one way the program reaches the disk.
//
// Paths are Windows-1251 text like every other text in memory; the layer turns
// them into UTF-8 names at the system boundary and back. Separators are '/';
// a path that comes from a settings file or from the user goes through
// NativePath first. When a path does not exist exactly as written, every
// operation looks for it without regard to letter case, component by
// component, so a data directory copied from a Windows workstation works.
//
// Open modes between processes (and between opens within one process): a
// Read open shares reading and refuses writers; ReadWrite and Create opens
// are exclusive; a CreateNew open refuses writers only, so that a whole new
// file renamed into place can be read at once. They are open-file-description
// locks, so closing another descriptor of the same file never drops them.
//
// Tests replace the file system with InstallFileSystem to inject failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

enum class FileMode {
  Read,       // an existing file, read only; others may read, not write
  // As Read, but refused when a link stands at the name itself, whatever it
  // points at: for a file that is the program's own only when it is a
  // plain file there.
  ReadNoLink,
  ReadWrite,  // an existing file, read and write; nobody else
  Create,     // created when missing, else opened without shortening; nobody else
  // Made here and now: refused when anything, a link included, has the name,
  // so nothing is ever written through a link planted there; read and
  // write, no other writer. The name is taken exactly as written; only its
  // folder is looked up without regard to case.
  CreateNew,
};

enum class FileError { None, NotFound, Busy, Denied, Exists, Other };

// An open file. Positions are absolute; there is no file pointer.
class File {
 public:
  virtual ~File() = default;
  // Bytes read (fewer at the end of the file), or -1 on an error.
  virtual int64_t ReadAt(int64_t pos, void* buf, std::size_t n) = 0;
  // True only when all n bytes were written.
  virtual bool WriteAt(int64_t pos, const void* buf, std::size_t n) = 0;
  // -1 on an error.
  virtual int64_t Size() = 0;
  virtual bool Truncate(int64_t size) = 0;
  // Makes what was written durable.
  virtual bool Sync() = 0;
  // Lets the system start putting what was written on the disk, without
  // waiting: a later Sync then finds the work begun, and several files'
  // writes overlap. Only a hint; nothing is durable until Sync.
  virtual void StartSync() {}
};

struct DirEntry {
  std::string Name;
  bool IsDir = false;
};

// The real file system. Every operation is virtual so that tests can wrap it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual std::unique_ptr<File> Open(const std::string& path, FileMode mode,
                                     FileError* error = nullptr);
  virtual bool Exists(const std::string& path);
  virtual bool IsDirectory(const std::string& path);
  // The path itself is a symbolic link (whatever it points at).
  virtual bool IsSymlink(const std::string& path);
  // Size of a file, -1 when it cannot be read.
  virtual int64_t FileSize(const std::string& path);
  // The size of the plain file that stands at the path itself; -1 when
  // nothing does, or a link (whatever it points at), a folder or anything
  // else but a plain file.
  virtual int64_t PlainFileSize(const std::string& path);
  virtual bool Remove(const std::string& path);
  // Replaces `to` atomically when it exists.
  virtual bool Rename(const std::string& from, const std::string& to);
  virtual bool MakeDirectory(const std::string& path);
  virtual bool RemoveDirectory(const std::string& path);
  // Names without "." and "..", in the order the system gives them.
  virtual bool ListDirectory(const std::string& dir, std::vector<DirEntry>& entries);
  // Permission bits; SetMode restores what GetMode returned. SetMode never
  // follows a link: it changes only a file that stands at the path itself.
  virtual bool GetMode(const std::string& path, uint32_t& mode);
  virtual bool SetMode(const std::string& path, uint32_t mode);
  // Makes the names in a folder durable (after a rename); true where the
  // file system has nothing to sync.
  virtual bool SyncDirectory(const std::string& dir);
  // Makes everything written to the file system that holds dir durable,
  // names included, in one call: for a whole set of new files, where a
  // sync of each would wait for the disk once per file.
  virtual bool SyncFileSystemOf(const std::string& dir);
  // Makes a file writable by its owner (the read-only attribute cleared).
  bool MakeWritable(const std::string& path);
  // A running program's mark, held shared or alone (Busy while another
  // holds it otherwise). It is only read, so whoever may read it can hold it
  // when nobody else does, whichever user made it; one made here gets the
  // read and write rights its folder gives, never the creator's mask. It is
  // made when missing, never through a link: a link at its name goes,
  // whatever it points at. Its holds are apart from those of Open.
  virtual std::unique_ptr<File> OpenMark(const std::string& path, bool alone, FileError* error = nullptr);
};

// The installed file system (the real one until something is installed).
FileSystem& Files();
// Installs a file system; nullptr goes back to the real one. The caller keeps
// ownership.
void InstallFileSystem(FileSystem* fs);

// A folder at path for this user alone, made (rwx for the user only) when
// missing. One that stands there already is taken only when it is a real
// folder, not a link, owned by this user and writable by nobody else, so
// nothing another user planted in a shared place is ever used. False, with
// the reason in why (Windows-1251), when no such folder can be had.
bool UserOnlyFolder(const std::string& path, std::string& why);

// The number of the user the program runs as.
uint32_t CurrentUserId();

// '\' turned into '/': for paths and names from settings files and users.
std::string NativePath(std::string_view path);

// The path as it exists on disk: unchanged when it exists exactly or when no
// component matches; otherwise with every component that exists under
// another letter case spelt as on disk.
std::string ResolvePathCase(const std::string& path);

// File names compared without regard to letter case (Windows-1251).
bool SameFileName(std::string_view a, std::string_view b);

// Every file the program writes whole goes beside its target first, under a
// temporary name made fresh for it in the target's folder:
// "<target name>.~<16 hexadecimal digits>~". The digits come from the
// system's random source, so nobody can plant anything at the name in
// advance; should something stand there all the same, another name is drawn.
// Nothing else is named so.
bool IsTemporaryFileName(std::string_view name);

// Removes the temporary files that dead writers left in dir (not below it)
// and returns their names. A file a live writer still holds stays, and so
// does one whose name `kept` (when given) says is still to be put in place;
// a link at such a name goes by itself, whatever it points at.
std::vector<std::string> RemoveLeftoverTemporaries(const std::string& dir,
                                                   const std::function<bool(std::string_view name)>& kept = {});

// Gives a new file that is to be renamed over an old one the old one's
// permissions (nothing when the old one is not there or is a link).
void GiveModeOf(const std::string& old, const std::string& replacement);

// A whole file written beside its target and renamed over it by Commit, so
// that a failure or a crash on the way leaves the old file whole. The new
// file takes the old one's permissions. It stays open and held from Begin
// until after the rename, so no other writer can touch it on the way.
class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  // Abandons a file that was not committed.
  ~FileReplacement();

  // The new, empty file; nullptr when it cannot be made. The old target is
  // left alone: readers keep it until the rename.
  std::unique_ptr<File> Begin(const std::string& target, FileError* error = nullptr);
  // The same, with an existing target held meanwhile so that nobody starts
  // using it: `held` is an open of the target the caller already holds;
  // without it the target is opened for reading and writing here (nullptr
  // when it is busy).
  std::unique_ptr<File> BeginHeld(const std::string& target, std::unique_ptr<File> held,
                                  FileError* error = nullptr);
  // The read bits (of 0444) the new file may have at most, whatever its
  // target's permissions or the creator's mask give it: a copy of a file
  // fewer may read is no more readable than that file. Set before Begin.
  void LimitReading(uint32_t readable) { readable_ = readable; }
  bool Active() const { return !temp_.empty(); }
  // The new file's name while it is active.
  const std::string& TempName() const { return temp_; }
  // The target as it is spelt on disk.
  const std::string& Target() const { return target_; }
  // Makes `written` (what Begin gave) durable, renames it over the target
  // and syncs the folder (neither in a held ScratchFolder). False on any
  // failure; unless only the folder
  // failed to sync, the target is then untouched and the new file removed.
  // The caller closes `written` afterwards.
  bool Commit(File& written);
  // Makes `written` durable and leaves it under its temporary name, for the
  // caller to rename in once something else has decided that it may; the
  // target is no longer held. The name, or "" on a failure (the new file
  // then removed).
  std::string Keep(File& written);
  void Abandon();

 private:
  std::unique_ptr<File> Start(const std::string& target, FileError* error);
  void Clear();

  std::unique_ptr<File> held_;
  std::string target_;
  std::string temp_;
  uint32_t readable_ = 0444;
};

// A folder whose files need not outlive a crash of the system: while one is
// held, a whole file replaced in it (not below it) is renamed into place
// without being put on the disk first, and the folder is not synced. Meant
// for a work folder that is emptied before every use and whose files leave
// it only through a step that makes them durable itself (the commit
// journal): syncing them there would only write them twice, or write files
// that are removed moments later. Folders are compared as spelt, so a
// folder named otherwise is simply synced.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string dir);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  std::string dir_;
};

// Writes a whole file beside `target` and renames it over the target, so a
// failure leaves the old file whole. `fill` writes the content into the new
// file, which is readable by no more than `readable` lets (FileReplacement::
// LimitReading). Refused when another open holds the target. False on any
// failure; the target is then untouched and nothing is left beside it.
bool ReplaceFile(const std::string& target, const std::function<bool(File&)>& fill, uint32_t readable = 0444);
// The same with the whole content given.
bool ReplaceFileWith(const std::string& target, std::string_view bytes);

// The path of the running program.
std::string ProgramPath();

}  // namespace vm
