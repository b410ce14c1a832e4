#include "settings/ini_file.h"

namespace vantix {

IniSnapshot IniFile::Load() const {
  FileRead read = io_->Read(path_, kMaxIniFileBytes);
  if (read.state != FileRead::State::kOk) return IniSnapshot(IniDocument(), read.state);
  return IniSnapshot(IniDocument::ParseOwned(std::move(read.bytes)), read.state);
}

IniBatch::IniBatch(std::string path, FileIo& io) : path_(std::move(path)), io_(io) {
  Load();  // a failure is kept in load_error_ for Commit
}

bool IniBatch::Load() {
  loaded_ = io_.Identity(path_);
  FileRead read = io_.Read(path_, kMaxIniFileBytes);
  switch (read.state) {
    case FileRead::State::kOk:
      doc_ = IniDocument::ParseOwned(std::move(read.bytes));
      load_error_ = Status::Ok();
      return true;
    case FileRead::State::kMissing:
      doc_ = IniDocument();
      load_error_ = Status::Ok();
      return true;
    case FileRead::State::kFailed:
      // Writing over a file we could not read would lose whatever it holds.
      load_error_ = Status::Error(read.reason);
      return false;
  }
  return false;
}

void IniBatch::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  changed_ |= doc_.WriteString(section, key, value);
  writes_.push_back({std::string(section), std::string(key), std::string(value)});
}

namespace {

class FolderLock {
 public:
  FolderLock(FileIo& io, const std::string& path) : io_(io), token_(io.LockFolder(FolderOf(path))) {}
  ~FolderLock() { io_.UnlockFolder(token_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  FileIo& io_;
  int token_;
};

}  // namespace

Status IniBatch::Commit(bool sync_folder) {
  if (!load_error_.ok()) return load_error_;
  if (!changed_) return Status::Ok();
  const FolderLock lock(io_, path_);
  if (loaded_ && io_.Identity(path_) != loaded_) {
    // Changed on disk since we read it: apply our writes to what is there now.
    if (!Load()) return load_error_;
    changed_ = false;
    for (const Write& w : writes_) changed_ |= doc_.WriteString(w.section, w.key, w.value);
    if (!changed_) {
      writes_.clear();
      return Status::Ok();
    }
  }
  const std::string bytes = doc_.Serialize();
  Status status = io_.Replace(path_, bytes, sync_folder);
  if (status.ok()) {
    changed_ = false;
    writes_.clear();
    loaded_ = io_.Identity(path_);
  }
  return status;
}

Status IniFile::WriteString(std::string_view section, std::string_view key,
                            std::string_view value) {
  IniBatch batch = Edit();
  batch.WriteString(section, key, value);
  return batch.Commit();
}

Status IniFile::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
  IniBatch batch = Edit();
  batch.WriteInt(section, key, value);
  return batch.Commit();
}

Status IniFile::WriteStruct(std::size_t size, std::string_view section, std::string_view key,
                            const void* data) {
  IniBatch batch = Edit();
  batch.WriteStruct(section, key, data, size);
  return batch.Commit();
}

}  // namespace vantix
