#include "settings/ini_file.h"

namespace vantix {

IniSnapshot IniFile::Load() const {
  FileRead read = io_->Read(path_, kMaxIniFileBytes);
  if (read.state != FileRead::State::kOk) return IniSnapshot(IniDocument(), read.state);
  return IniSnapshot(IniDocument::ParseOwned(std::move(read.bytes)), read.state);
}

IniBatch::IniBatch(std::string path, FileIo& io) : path_(std::move(path)), io_(io) {
  FileRead read = io_.Read(path_, kMaxIniFileBytes);
  switch (read.state) {
    case FileRead::State::kOk:
      doc_ = IniDocument::ParseOwned(std::move(read.bytes));
      break;
    case FileRead::State::kMissing:
      break;
    case FileRead::State::kFailed:
      // Writing over a file we could not read would lose whatever it holds.
      load_error_ = Status::Error(read.reason);
      break;
  }
}

Status IniBatch::Commit(bool sync_folder) {
  if (!load_error_.ok()) return load_error_;
  if (!changed_) return Status::Ok();
  const std::string bytes = doc_.Serialize();
  Status status = io_.Replace(path_, bytes, sync_folder);
  if (status.ok()) changed_ = false;
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
