#include "tableengine/blob_stream.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "dataset/field.h"
#include "dataset/messages.h"
#include "platform/exceptions.h"
#include "platform/services.h"
#include "tableengine/data_area.h"
#include "tableengine/table_file_format.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

namespace {

// The reader refuses longer blocks, so a longer one could be saved but never opened again.
[[noreturn]] void TooLong(const TVelaDataset* dataset, const TField* field, int64_t size) {
  DatabaseErrorFmt(dataset, "Field '%s' value is too long (%lld bytes; at most %d)", field->DisplayName().c_str(),
                   static_cast<long long>(size), table_file::kMaxBlobLength);
}

}  // namespace

// ---- TVelaDataset ------------------------------------------------------------

std::unique_ptr<TStream> TVelaDataset::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  return std::make_unique<TVelaBlobStream>(field, mode);
}

void TVelaDataset::DetachBlobStreams() {
  for (TVelaBlobStream* stream : blobStreams_) stream->Detach();
  blobStreams_.clear();
}

void TVelaDataset::EndBlobStreamEdits() {
  for (TVelaBlobStream* stream : blobStreams_) stream->EditEnded();
}

// ---- TVelaBlobStream -----------------------------------------------------------

TVelaBlobStream::TVelaBlobStream(TField* field, TBlobStreamMode mode)
    : field_(field), fieldNo_(field ? field->FieldNo() : 0), dataset_(nullptr) {
  if (field == nullptr) DatabaseError(db_messages::kOperationNotSupported);
  auto* dataset = dynamic_cast<TVelaDataset*>(field->DataSet());
  if (dataset == nullptr) DatabaseErrorFmt(nullptr, db_messages::kDataSetMissing, field->DisplayName().c_str());
  dataset->CheckActive();
  // Only a data field of a BLOB kind has a block; reading another field's
  // value slot as one would read a text pointer as a block.
  const TVelaField* descriptor = dataset->Descriptor(field);
  if (field->FieldNo() <= 0 || descriptor == nullptr || !IsBlobKind(descriptor->Kind))
    DatabaseErrorFmt(dataset, db_messages::kFieldAccessError, field->DisplayName().c_str(), "BLOB");

  if (mode == bmWrite || mode == bmReadWrite) {
    // Also on an empty dataset: there the bytes would land in a buffer that
    // belongs to no record and be lost without a word.
    dataset_ = dataset;
    CheckWritable();
    writeChecked_ = true;
  }
  if (mode == bmWrite) {
    modified_ = true;
  } else {
    const uint8_t* source = dataset->SourceData();
    const TDataSetState state = dataset->State();
    // As for field data: an empty visible set has no record to read, except
    // for the record being inserted and the record under test.
    if (dataset->visible_.empty() && state != dsInsert && state != dsFilter) source = nullptr;
    if (source != nullptr) {
      std::string_view block = data_area::Blob(source, *descriptor);
      if (!block.empty()) {
        TMemoryStream::Write(block.data(), block.size());
        Seek(0, TSeekOrigin::soBeginning);
      }
    }
  }
  dataset_ = dataset;
  dataset_->blobStreams_.push_back(this);
}

TVelaBlobStream::~TVelaBlobStream() {
  if (dataset_ == nullptr) return;
  auto& streams = dataset_->blobStreams_;
  streams.erase(std::remove(streams.begin(), streams.end(), this), streams.end());
  if (!modified_) return;
  // A destructor cannot raise: the error is shown as the application shows
  // any error that reaches it, and the written bytes are dropped.
  try {
    StoreIntoRecord();
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    ShowError(e.Message());
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TVelaBlobStream::CheckWritable() const {
  if (dataset_ == nullptr) DatabaseError(db_messages::kDataSetClosed);
  // A later edit is of another record, or of another new one.
  if (editEnded_) DatabaseError("Table is not in edit or insert mode", dataset_);
  if (field_->ReadOnly()) DatabaseErrorFmt(dataset_, "Field '%s' is read only!", field_->DisplayName().c_str());
  const TDataSetState state = dataset_->State();
  if (state != dsEdit && state != dsInsert) DatabaseError("Table is not in edit or insert mode", dataset_);
}

std::size_t TVelaBlobStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  // A stream opened for reading may be written only where a write stream could be opened.
  if (!writeChecked_ || editEnded_) {
    CheckWritable();
    writeChecked_ = true;
  }
  const int64_t end = Position() + static_cast<int64_t>(count);
  if (end > table_file::kMaxBlobLength) TooLong(dataset_, field_, end);
  std::size_t written = TMemoryStream::Write(buffer, count);
  modified_ = true;
  return written;
}

void TVelaBlobStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  if (size == Size()) return;
  if (!writeChecked_ || editEnded_) {
    CheckWritable();
    writeChecked_ = true;
  }
  if (size > table_file::kMaxBlobLength) TooLong(dataset_, field_, size);
  const int64_t old = Size();
  TMemoryStream::SetSize(size);
  // The memory stream leaves grown bytes unspecified; a record must not keep garbage.
  if (size > old) std::memset(Memory() + old, 0, static_cast<std::size_t>(size - old));
  modified_ = true;
}

void TVelaBlobStream::StoreIntoRecord() {
  // The edit the stream was written in may have been posted or cancelled
  // meanwhile; the active buffer then shows a stored record.
  const TDataSetState state = dataset_->State();
  if (editEnded_ || (state != dsEdit && state != dsInsert))
    DatabaseError("Table is not in edit or insert mode", dataset_);
  auto* data = reinterpret_cast<uint8_t*>(dataset_->ActiveBuffer());
  const TVelaField* descriptor = dataset_->Descriptor(field_);
  if (data == nullptr || descriptor == nullptr) return;
  const auto length = static_cast<std::size_t>(Size());
  data_area::SetBlob(data, *descriptor,
                     std::string_view(reinterpret_cast<const char*>(Memory()), length));
  field_->SetModified(true);
  dataset_->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field_));
}

}  // namespace notarra
