// TVelaBlobStream: the stream through which BLOB, memo, formatted-memo and
// graphic fields of a TVelaDataset read and write a record's block.
//
// On creation the stream holds a copy of the field's block taken from the
// record buffer the dataset's state reads from (the record under test while
// filtering, the committed copy in dsOldValue, and so on); bmWrite starts
// empty. Writes change only the stream. When a stream that was written to
// is released, its bytes replace the field's block in the dataset's active
// record buffer (no block at all for zero bytes, so an emptied memo reads as
// null) and the dataset hears that the field changed; Post or Cancel then
// decide as for any other field.
//
// Writing needs the dataset in dsEdit or dsInsert and a field that is not
// read-only, whether the stream was opened for writing or only for reading.
// A stream released after its dataset closed stores nothing; one released
// while the dataset no longer edits or inserts, or after an edit or insert
// was posted or cancelled since the stream was made (a later edit is of
// another record), stores nothing either and reports "Table is not in edit
// or insert mode" through the message service.
#pragma once

#include <cstdint>

#include "dataset/data_types.h"
#include "platform/memory_stream.h"

namespace notarra {

class TField;
class TVelaDataset;

class TVelaBlobStream : public TMemoryStream {
public:
  // Raises when the dataset is closed, when the field is not a BLOB-kind
  // data field of it, and for bmWrite/bmReadWrite when the field is read-only
  // or the dataset is neither editing nor inserting.
  TVelaBlobStream(TField* field, TBlobStreamMode mode);
  ~TVelaBlobStream() override;

  std::size_t Write(const void* buffer, std::size_t count) override;
  // Truncating or growing is a write too; grown bytes read as zeros.
  void SetSize(int64_t size) override;

  TField* Field() const { return field_; }
  int FieldNo() const { return fieldNo_; }
  // Null once the dataset has closed.
  TVelaDataset* Dataset() const { return dataset_; }
  bool Modified() const { return modified_; }

private:
  friend class TVelaDataset;
  // The dataset closes: nothing is stored any more.
  void Detach() { dataset_ = nullptr; }
  // The edit or insert open when the stream was made (or a later one) was
  // posted or cancelled: the bytes belong to no record being edited now.
  void EditEnded() { editEnded_ = true; }
  // Checks that the field may be written now; raises otherwise.
  void CheckWritable() const;
  // Stores the bytes into the active record buffer; may raise.
  void StoreIntoRecord();

  TField* field_;
  int fieldNo_;
  TVelaDataset* dataset_;
  bool modified_ = false;
  bool writeChecked_ = false;
  bool editEnded_ = false;
};

}  // namespace notarra
