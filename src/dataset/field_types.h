// The field classes, one per data type. Each knows its platform form in a
// record buffer (see DataSize) and converts it to and from texts, numbers,
// dates and variants through the locale formats. Empty text writes null;
// text that is not a value raises EConvertError.
//
//   TStringField    ftString     characters + zero byte (Size + 1 bytes)
//   TSmallintField  ftSmallint   int16
//   TWordField      ftWord       uint16
//   TIntegerField   ftInteger    int32
//   TAutoIncField   ftAutoInc    int32
//   TLargeintField  ftLargeint   int64
//   TBooleanField   ftBoolean    int16, 0 false, any other value true (-1 written)
//   TFloatField     ftFloat      double
//   TCurrencyField  ftCurrency   double
//   TDateField      ftDate       int32 day number, 0001-01-01 = 1
//   TTimeField      ftTime       int32 milliseconds since midnight
//   TDateTimeField  ftDateTime   double, day number * 86400000 + milliseconds
//   TBlobField, TMemoField, TGraphicField: no buffer form; content through
//   the dataset's CreateBlobStream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "dataset/field.h"
#include "platform/memory_stream.h"

namespace notarra {

class TStringField : public TField {
public:
  explicit TStringField(TComponent* owner = nullptr);
  int DataSize() const override { return Size() + 1; }
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsBoolean(bool value) override;
  // Whether the value was read; false for null.
  bool GetValue(std::string& value) const;

protected:
  int DefaultWidth() const override { return Size(); }
  std::string GetAsString() const override;
  int32_t GetAsInteger() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  TDateTime GetAsDateTime() const override;
  bool GetAsBoolean() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;
};

// Integers and floats: right-aligned, DisplayFormat / EditFormat pictures.
class TNumericField : public TField {
public:
  explicit TNumericField(TComponent* owner = nullptr);
};

class TIntegerField : public TNumericField {
public:
  explicit TIntegerField(TComponent* owner = nullptr);
  int DataSize() const override { return 4; }
  int32_t MinValue() const { return minValue_; }
  int32_t MaxValue() const { return maxValue_; }
  // 0 and 0: the storage's own range.
  void SetMinValue(int32_t value) { minValue_ = value; }
  void SetMaxValue(int32_t value) { maxValue_ = value; }
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  bool GetValue(int32_t& value) const;

protected:
  int DefaultWidth() const override { return 11; }
  std::string GetAsString() const override;
  int32_t GetAsInteger() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;
  void GetText(std::string& text, bool displayText) const override;
  // The range of the storage form.
  virtual int64_t StorageMin() const { return INT32_MIN; }
  virtual int64_t StorageMax() const { return INT32_MAX; }
  virtual void ReadStored(const void* buffer, int32_t& value) const;
  virtual void WriteStored(void* buffer, int32_t value) const;

private:
  int32_t minValue_ = 0;
  int32_t maxValue_ = 0;
};

class TSmallintField : public TIntegerField {
public:
  explicit TSmallintField(TComponent* owner = nullptr);
  int DataSize() const override { return 2; }

protected:
  int DefaultWidth() const override { return 6; }
  int64_t StorageMin() const override { return INT16_MIN; }
  int64_t StorageMax() const override { return INT16_MAX; }
  void ReadStored(const void* buffer, int32_t& value) const override;
  void WriteStored(void* buffer, int32_t value) const override;
};

class TWordField : public TIntegerField {
public:
  explicit TWordField(TComponent* owner = nullptr);
  int DataSize() const override { return 2; }

protected:
  int DefaultWidth() const override { return 5; }
  int64_t StorageMin() const override { return 0; }
  int64_t StorageMax() const override { return UINT16_MAX; }
  void ReadStored(const void* buffer, int32_t& value) const override;
  void WriteStored(void* buffer, int32_t value) const override;
};

// The source hands out the value when the record is posted; writes are
// accepted here and left to the dataset.
class TAutoIncField : public TIntegerField {
public:
  explicit TAutoIncField(TComponent* owner = nullptr);
};

class TLargeintField : public TNumericField {
public:
  explicit TLargeintField(TComponent* owner = nullptr);
  int DataSize() const override { return 8; }
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  bool GetValue(int64_t& value) const;

protected:
  int DefaultWidth() const override { return 15; }
  std::string GetAsString() const override;
  int32_t GetAsInteger() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;
  void GetText(std::string& text, bool displayText) const override;
};

class TFloatField : public TNumericField {
public:
  explicit TFloatField(TComponent* owner = nullptr);
  int DataSize() const override { return 8; }
  // Significant digits of the general form (15 at most).
  int Precision() const { return precision_; }
  void SetPrecision(int value);
  double MinValue() const { return minValue_; }
  double MaxValue() const { return maxValue_; }
  // Both 0: no range check.
  void SetMinValue(double value) { minValue_ = value; }
  void SetMaxValue(double value) { maxValue_ = value; }
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsFloat(value); }
  void SetAsLargeInt(int64_t value) override { SetAsFloat(static_cast<double>(value)); }
  void SetAsFloat(double value) override;
  bool GetValue(double& value) const;
  // Also the locale's decimal separator as it is now.
  bool IsValidChar(char c) const override;

protected:
  std::string GetAsString() const override;
  int32_t GetAsInteger() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;
  void GetText(std::string& text, bool displayText) const override;

private:
  int precision_ = 15;
  double minValue_ = 0;
  double maxValue_ = 0;
};

// Shown with two decimals ("#,##0.00"), edited as "0.00", unless formats are set.
class TCurrencyField : public TFloatField {
public:
  explicit TCurrencyField(TComponent* owner = nullptr);
};

class TBooleanField : public TField {
public:
  explicit TBooleanField(TComponent* owner = nullptr);
  int DataSize() const override { return 2; }
  // "True;False": the texts shown for true and false, and accepted back
  // (ignoring case, also as a leading part such as "t").
  const std::string& DisplayValues() const { return displayValues_; }
  void SetDisplayValues(const std::string& value);
  void SetAsString(const std::string& value) override;
  void SetAsBoolean(bool value) override;
  void SetAsInteger(int32_t value) override { SetAsBoolean(value != 0); }
  bool GetValue(bool& value) const;

protected:
  int DefaultWidth() const override;
  std::string GetAsString() const override;
  bool GetAsBoolean() const override;
  int32_t GetAsInteger() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;

private:
  std::string displayValues_;
  std::string trueText_ = "True";
  std::string falseText_ = "False";
};

// Dates and times: text through the short date / long time formats, DisplayFormat through FormatDateTime.
class TDateTimeField : public TField {
public:
  explicit TDateTimeField(TComponent* owner = nullptr);
  int DataSize() const override { return 8; }
  void SetAsString(const std::string& value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override { SetAsDateTime(value); }
  bool GetValue(TDateTime& value) const;

protected:
  int DefaultWidth() const override { return 18; }
  std::string GetAsString() const override;
  TDateTime GetAsDateTime() const override;
  double GetAsFloat() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;
  void GetText(std::string& text, bool displayText) const override;
};

class TDateField : public TDateTimeField {
public:
  explicit TDateField(TComponent* owner = nullptr);
  int DataSize() const override { return 4; }

protected:
  int DefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
public:
  explicit TTimeField(TComponent* owner = nullptr);
  int DataSize() const override { return 4; }

protected:
  int DefaultWidth() const override { return 10; }
};

class TBlobField : public TField {
public:
  explicit TBlobField(TComponent* owner = nullptr);
  int DataSize() const override { return 0; }
  TFieldType BlobType() const { return DataType(); }
  void SetBlobType(TFieldType type) { SetDataType(type); }
  void SetAsString(const std::string& value) override;
  // Bytes of the content.
  int64_t BlobSize() const;
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

protected:
  std::string GetAsString() const override;
  TVariant GetAsVariant() const override;
  void SetVarValue(const TVariant& value) override;
  // The text form is the type in parentheses: "(MEMO)" with content,
  // "(Memo)" without; AsString gives the content itself.
  void GetText(std::string& text, bool displayText) const override;
};

class TMemoField : public TBlobField {
public:
  explicit TMemoField(TComponent* owner = nullptr);
};

class TGraphicField : public TBlobField {
public:
  explicit TGraphicField(TComponent* owner = nullptr);
};

// A new field object of the class for type (owner may be null); nullptr
// for types without a class.
std::unique_ptr<TField> CreateFieldOfType(TFieldType type, TComponent* owner);

}  // namespace notarra
