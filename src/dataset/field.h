// TField: one column of a dataset as controls and code see it. A field
// reads and writes its value in the dataset's current record buffer through
// the dataset's GetFieldData / SetFieldData, in the platform form of its
// data type; the classes in field_types.h turn that form into texts,
// numbers, dates and variants. Calculated and lookup fields keep their value
// in the calculated-field area of each record buffer.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "dataset/data_types.h"
#include "dataset/variant.h"
#include "platform/component.h"
#include "platform/events.h"

namespace notarra {

class TDataSet;
class TField;

using TFieldNotifyEvent = TEvent<TField*>;
// Sender, the text to fill in, and whether the display form (true) or the edit form is wanted.
using TFieldGetTextEvent = TEvent<TField*, std::string&, bool>;
using TFieldSetTextEvent = TEvent<TField*, const std::string&>;

class TField : public TComponent {
public:
  explicit TField(TComponent* owner = nullptr);
  ~TField() override;

  // --- identity and layout ---
  TDataSet* DataSet() const { return dataSet_; }
  // Adds the field to the dataset's field list (both must be closed).
  void SetDataSet(TDataSet* dataSet);
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  // The field's position in its dataset's definitions; 0 or less for calculated and lookup fields.
  int FieldNo() const { return fieldNo_; }
  TFieldType DataType() const { return dataType_; }
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind kind);
  bool Calculated() const { return fieldKind_ == fkCalculated; }
  void SetCalculated(bool value) { SetFieldKind(value ? fkCalculated : fkData); }
  bool Lookup() const { return fieldKind_ == fkLookup; }
  void SetLookup(bool value) { SetFieldKind(value ? fkLookup : fkData); }
  int Size() const { return size_; }
  virtual void SetSize(int size);
  // Bytes of the platform form in a record buffer (texts: Size + 1).
  virtual int DataSize() const { return 0; }
  // Offset of the has-value byte in the calculated-field area (calculated and lookup fields).
  int Offset() const { return offset_; }
  bool IsBlob() const { return IsBlobType(dataType_); }
  int Index() const;
  void SetIndex(int index);
  std::string FullName() const { return fieldName_; }

  // --- presentation ---
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // DisplayLabel falls back to FieldName; DisplayName is what messages show.
  std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const std::string& label);
  std::string DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultWidth(); }
  void SetDisplayWidth(int width);
  const std::string& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const std::string& format);
  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(const std::string& format);
  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(const std::string& mask);
  const std::string& DefaultExpression() const { return defaultExpression_; }
  void SetDefaultExpression(const std::string& value) { defaultExpression_ = value; }
  const std::string& Origin() const { return origin_; }
  void SetOrigin(const std::string& origin) { origin_ = origin; }
  bool Currency() const { return currency_; }
  virtual void SetCurrency(bool value);

  // --- editing rules ---
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  // Data fields: not read-only and the dataset can be modified; lookup
  // fields: through their key fields; calculated fields never.
  virtual bool CanModify() const;
  // Whether the character may be typed into the field's text.
  virtual bool IsValidChar(char c) const { return validChars_.test(static_cast<unsigned char>(c)); }
  void SetValidChars(const std::bitset<256>& chars) { validChars_ = chars; }
  // Set when the value was written since the record was entered; cleared
  // whenever the dataset changes state.
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }

  // --- value ---
  bool IsNull() const { return !GetData(nullptr); }
  void Clear() { SetData(nullptr); }
  TVariant Value() const;
  void SetValue(const TVariant& value);
  // The value before the current edit (state dsOldValue) and the value
  // being written (dsNewValue), as the dataset gives them.
  TVariant OldValue() const { return ValueInState(dsOldValue); }
  TVariant NewValue() const { return ValueInState(dsNewValue); }
  std::string AsString() const { return GetAsString(); }
  virtual void SetAsString(const std::string& value);
  int32_t AsInteger() const { return GetAsInteger(); }
  virtual void SetAsInteger(int32_t value);
  int64_t AsLargeInt() const { return GetAsLargeInt(); }
  virtual void SetAsLargeInt(int64_t value);
  double AsFloat() const { return GetAsFloat(); }
  virtual void SetAsFloat(double value);
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  virtual void SetAsDateTime(TDateTime value);
  bool AsBoolean() const { return GetAsBoolean(); }
  virtual void SetAsBoolean(bool value);
  // Text is the edit form (OnGetText with DisplayText false); DisplayText the shown form.
  std::string Text() const { return EditText(); }
  std::string EditText() const;
  std::string DisplayText() const;
  // Through OnSetText when assigned, else the field's own text parsing.
  void SetText(const std::string& text);
  void SetEditText(const std::string& text) { SetText(text); }

  // Raw access in the platform form; GetData returns whether there is a
  // value, buffer may be null. Raise "Field '%s' has no dataset" without one.
  bool GetData(void* buffer) const;
  void SetData(const void* buffer);
  // Runs OnValidate with buffer as the value the field reads meanwhile;
  // datasets call it from SetFieldData before storing a value.
  void Validate(const void* buffer);
  // Asks the data-aware control showing this field to take the focus.
  void FocusControl();

  // --- lookup settings ---
  TDataSet* LookupDataSet() const { return lookupDataSet_; }
  void SetLookupDataSet(TDataSet* dataSet);
  const std::string& LookupKeyFields() const { return lookupKeyFields_; }
  void SetLookupKeyFields(const std::string& value) { lookupKeyFields_ = value; }
  const std::string& LookupResultField() const { return lookupResultField_; }
  void SetLookupResultField(const std::string& value) { lookupResultField_ = value; }
  const std::string& KeyFields() const { return keyFields_; }
  void SetKeyFields(const std::string& value) { keyFields_ = value; }

  // --- events ---
  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

protected:
  friend class TDataSet;

  void SetDataType(TFieldType type) { dataType_ = type; }
  virtual int DefaultWidth() const { return 10; }

  // Typed access; the base raises "Cannot access field '%s' as type %s".
  virtual std::string GetAsString() const;
  virtual int32_t GetAsInteger() const;
  virtual int64_t GetAsLargeInt() const;
  virtual double GetAsFloat() const;
  virtual TDateTime GetAsDateTime() const;
  virtual bool GetAsBoolean() const;
  virtual TVariant GetAsVariant() const;
  virtual void SetVarValue(const TVariant& value);
  // The text forms; the base uses AsString both ways.
  virtual void GetText(std::string& text, bool displayText) const;
  virtual void ApplyText(const std::string& text);

  TVariant ValueInState(TDataSetState state) const;
  [[noreturn]] void AccessError(const char* typeName) const;
  [[noreturn]] void RangeError(const std::string& value, const std::string& min, const std::string& max) const;
  // A layout-affecting property changed: tell the open dataset's controls.
  void PropertyChanged(bool layoutAffected);

  // Binding to the dataset at open and close.
  virtual void Bind(bool binding);
  // Fills the lookup field's value from LookupDataSet (during calculation).
  void CalcLookupValue();
  // Fires OnChange (the dataset calls it after a data field changed).
  void Change() { OnChange(this); }

  void Notification(TComponent* component, TOperation operation) override;

  std::bitset<256> validChars_;

private:
  TDataSet* dataSet_ = nullptr;
  std::string fieldName_;
  int fieldNo_ = 0;
  TFieldType dataType_ = ftUnknown;
  TFieldKind fieldKind_ = fkData;
  int size_ = 0;
  int offset_ = 0;
  TAlignment alignment_ = taLeftJustify;
  bool visible_ = true;
  std::string displayLabel_;
  int displayWidth_ = 0;
  std::string displayFormat_;
  std::string editFormat_;
  std::string editMask_;
  std::string defaultExpression_;
  std::string origin_;
  bool currency_ = false;
  bool readOnly_ = false;
  bool required_ = false;
  bool modified_ = false;
  // During Validate: the value under validation (null when validatingNull_).
  const void* validateBuffer_ = nullptr;
  bool validating_ = false;
  TDataSet* lookupDataSet_ = nullptr;
  std::string lookupKeyFields_;
  std::string lookupResultField_;
  std::string keyFields_;
};

}  // namespace notarra
