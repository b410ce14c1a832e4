#include "settings/ini_file.h"

namespace vantix {

IniSnapshot IniFile::Load() const {
  FileRead read = io_->Read(path_, kind_.max_bytes);
  if (read.state != FileRead::State::kOk) return IniSnapshot(IniDocument(), read.state);
  return IniSnapshot(IniDocument::ParseOwned(std::move(read.bytes)), read.state);
}

IniBatch::IniBatch(std::string path, FileIo& io, IniFileKind kind)
    : path_(std::move(path)), io_(io), kind_(kind) {
  Load();  // a failure is kept in load_error_ for Commit
}

bool IniBatch::Load() {
  loaded_ = io_.Identity(path_);
  FileRead read = io_.Read(path_, kind_.max_bytes);
  damaged_ = false;
  switch (read.state) {
    case FileRead::State::kOk:
      doc_ = IniDocument::ParseOwned(std::move(read.bytes));
      load_error_ = Status::Ok();
      return true;
    case FileRead::State::kTooLarge:
      if (kind_.move_aside_when_larger) {
        doc_ = IniDocument();
        damaged_ = true;
        load_error_ = Status::Ok();
        return true;
      }
      load_error_ = Status::Error(read.reason);
      return false;
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

bool IniBatch::Apply(const Write& w) {
  if (w.if_absent && doc_.Find(w.section, w.key)) return false;
  return doc_.WriteString(w.section, w.key, w.value);
}

void IniBatch::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  writes_.push_back({std::string(section), std::string(key), std::string(value), false});
  changed_ |= Apply(writes_.back());
}

void IniBatch::WriteStringIfAbsent(std::string_view section, std::string_view key,
                                   std::string_view value) {
  writes_.push_back({std::string(section), std::string(key), std::string(value), true});
  changed_ |= Apply(writes_.back());
}

Status IniBatch::Commit(bool sync_folder) {
  if (!load_error_.ok()) return load_error_;
  if (!changed_) return Status::Ok();
  const FolderLock lock(io_, FolderOf(path_));
  if (!lock.held()) return lock.status();
  if (loaded_ && io_.Identity(path_) != loaded_) {
    // Changed on disk since we read it: apply our writes to what is there now.
    if (!Load()) return load_error_;
    changed_ = false;
    for (const Write& w : writes_) changed_ |= Apply(w);
    if (!changed_) {
      writes_.clear();
      return Status::Ok();
    }
  }
  if (damaged_) {
    // Neither kept nor destroyed: the bytes stay beside the new file.
    if (Status status = io_.MoveAside(path_, &moved_aside_); !status.ok()) return status;
    damaged_ = false;
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
