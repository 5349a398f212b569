// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Datasets over SQLite: tables, queries, their fields, bookmarks and data
// sources, read-only (printing and sorting never write to a database).
//
// Rows are not held in memory. A dataset keeps one prepared statement
//   SELECT ... LIMIT ? OFFSET ?
// and the values of its current record only: Next steps the statement, a jump
// to another record (First, a bookmark, a grid scrolled far away) binds a new
// offset and steps once. A bookmark is the record's position in the order of
// the open dataset. A million-row table is walked in constant memory, and a
// window of rows for a grid is read with FetchRows through a second statement.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/limits.h"
#include "platform/sys/result.h"
#include "platform/vcl/components.h"
#include "platform/vcl/controls.h"
#include "platform/vcl/strings.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quillon {

class TDataSet;
class TDataSource;

// What the guards of a dataset's connections saw: the work done for the current request of
// the program, and what the authorizer refused.
struct TDbGuard {
    std::int64_t budget = 0, used = 0;
    bool stopped = false;
    std::string refused;
};

enum TFieldType : std::uint8_t {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftMemo, ftGraphic,
    ftBlob
};

// One value of a record as SQLite gave it.
struct TCellValue {
    enum Kind : std::uint8_t { Null, Integer, Float, Text, Blob };
    Kind kind = Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;  // Text and Blob
};

class TField : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TField(TComponent* owner);
    ~TField() override;

    TFieldType DataType() const { return dataType_; }
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string_view v) { fieldName_ = v; }
    // The field name unless set.
    const std::string& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(std::string_view v) { displayLabel_ = v; }
    int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultWidth(); }
    void SetDisplayWidth(int v) { displayWidth_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(std::string_view v) { displayFormat_ = v; }
    bool Calculated() const { return calculated_; }
    void SetCalculated(bool v) { calculated_ = v; }
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    // Column of the dataset's statement, -1 for calculated fields.
    int Column() const { return column_; }
    bool IsBlob() const { return dataType_ == ftMemo || dataType_ == ftGraphic || dataType_ == ftBlob; }

    // The dataset the field belongs to (persistent fields name it in a form file).
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* ds);

    // The value of the current record (NULL without one).
    const TCellValue& Value() const;
    bool IsNull() const { return Value().kind == TCellValue::Null; }
    // Text as stored; numbers in their shortest form; NULL is "".
    std::string AsString() const;
    // The value as a number; NULL and text that is no number are 0.
    double AsFloat() const;
    std::int64_t AsInteger() const;
    bool AsBoolean() const;
    // Whether the value is a number (or text that reads wholly as one).
    bool IsNumeric() const;
    // The text shown in controls: OnGetText (DisplayText true) or the value in
    // DisplayFormat (numeric fields) / the currency format, else AsString.
    std::string DisplayText() const;
    // Calculated fields take their value in the dataset's OnCalcFields.
    void SetCalcValue(TCellValue v) { calcValue_ = std::move(v); }
    void SetAsFloat(double v);
    void SetAsString(std::string_view v);

    TEvent<void(TField* sender, std::string& text, bool displayText)> OnGetText;

    void Notification(TComponent* component, TOperation operation) override;

  protected:
    TField(TComponent* owner, TFieldType type) : TField(owner) { dataType_ = type; }
    virtual int DefaultWidth() const { return 10; }
    virtual std::string FormattedText() const;

  private:
    friend class TDataSet;
    TFieldType dataType_ = ftUnknown;
    std::string fieldName_, displayLabel_, displayFormat_;
    int displayWidth_ = 0;
    int size_ = 0;
    bool visible_ = true;
    bool calculated_ = false;
    TAlignment alignment_ = taLeftJustify;
    TDataSet* dataSet_ = nullptr;
    int column_ = -1;  // column of the statement, -1 for calculated fields
    TCellValue calcValue_;
};

class TStringField : public TField {
    QUILLON_CLASS_INFO()
  public:
    explicit TStringField(TComponent* owner) : TField(owner, ftString) {}
  protected:
    int DefaultWidth() const override { return Size() > 0 ? Size() : 20; }
};

class TNumericField : public TField {
    QUILLON_CLASS_INFO()
  public:
    explicit TNumericField(TComponent* owner, TFieldType type) : TField(owner, type) {
        SetAlignment(taRightJustify);
    }
  protected:
    std::string FormattedText() const override;
};

class TIntegerField : public TNumericField {
    QUILLON_CLASS_INFO()
  public:
    explicit TIntegerField(TComponent* owner) : TNumericField(owner, ftInteger) {}
  protected:
    TIntegerField(TComponent* owner, TFieldType t) : TNumericField(owner, t) {}
    int DefaultWidth() const override { return 11; }
};

class TSmallintField : public TIntegerField {
    QUILLON_CLASS_INFO()
  public:
    explicit TSmallintField(TComponent* owner) : TIntegerField(owner, ftSmallint) {}
  protected:
    int DefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
    QUILLON_CLASS_INFO()
  public:
    explicit TWordField(TComponent* owner) : TIntegerField(owner, ftWord) {}
  protected:
    int DefaultWidth() const override { return 5; }
};

class TFloatField : public TNumericField {
    QUILLON_CLASS_INFO()
  public:
    explicit TFloatField(TComponent* owner) : TNumericField(owner, ftFloat) {}
    bool Currency() const { return currency_; }
    void SetCurrency(bool v) { currency_ = v; }
  protected:
    TFloatField(TComponent* owner, TFieldType t) : TNumericField(owner, t) {}
    std::string FormattedText() const override;
  private:
    bool currency_ = false;
};

class TCurrencyField : public TFloatField {
    QUILLON_CLASS_INFO()
  public:
    explicit TCurrencyField(TComponent* owner) : TFloatField(owner, ftCurrency) { SetCurrency(true); }
};

class TBlobField : public TField {
    QUILLON_CLASS_INFO()
  public:
    explicit TBlobField(TComponent* owner) : TField(owner, ftBlob) {}
  protected:
    TBlobField(TComponent* owner, TFieldType t) : TField(owner, t) {}
};

class TMemoField : public TBlobField {
    QUILLON_CLASS_INFO()
  public:
    explicit TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {}
};

class TGraphicField : public TBlobField {
    QUILLON_CLASS_INFO()
  public:
    explicit TGraphicField(TComponent* owner) : TBlobField(owner, ftGraphic) {}
};

// The field class for a column's declared type ("INTEGER", "VARCHAR(30)",
// "MONEY", "MEMO", "GRAPHIC" ...); `sample` decides for a column without one.
TFieldType FieldTypeOfDecl(std::string_view declType, int sampleType);

// A record's place in an open dataset; empty when freed or never got.
struct TBookmark {
    std::int64_t position = -1;
    std::uint64_t generation = 0;  // the opening of the dataset it belongs to
    bool Valid() const { return position >= 0; }
};

struct TIndexDef {
    std::string Name;
    std::string Fields;  // "A;B", empty for an index on expressions
};

enum TDataEvent { deActiveChanged, deDataSetChanged, deRecordChanged };

class TDataSet : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;

    // Opens read-only, writing nothing to the database or beside it. The error is one line
    // that begins with the dataset's name: "Table1: no such table: membrs".
    Result<void> Open();
    void Close();
    bool Active() const { return db_ != nullptr; }
    // Form files: Active = True opens once loading ends (a failure leaves it closed,
    // LastError says why, and so does LoadProblem: the form file is refused).
    void SetActive(bool v);
    // Why the last open, step or read failed ("" when it did not).
    const std::string& LastError() const { return lastError_; }
    // "file:line: " of the form object that made the dataset ("" for one made otherwise).
    std::string Where() const;
    // Why the form file that made the dataset cannot be used ("" when it can).
    std::string LoadProblem() const { return lastError_; }

    void First();
    void Next();
    void Prior();
    void Last();
    // Moves to the record at that position (0-based); false when there is none.
    bool MoveTo(std::int64_t position);
    // Makes the record at that position current and tells the controls
    // (a grid's row picked by the user); false when there is none.
    bool SetRecNo(std::int64_t position);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return recordCount_ == 0; }
    std::int64_t RecNo() const { return position_; }  // 0-based, -1 without records
    std::int64_t RecordCount() const { return recordCount_; }

    TBookmark GetBookmark() const;
    // False for an empty, freed or stale bookmark (the dataset stays where it was).
    bool GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark = TBookmark{}; }

    void DisableControls() { ++disableCount_; }
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;
    TField* FindField(std::string_view name) const;
    Result<TField*> FieldByName(std::string_view name) const;

    // Rows [first, first + count) as the open dataset orders them, without
    // moving the current record (for grids that show a window of rows).
    Result<std::vector<std::vector<TCellValue>>> FetchRows(std::int64_t first, int count) const;

    // Milliseconds to wait for a writer's lock before giving up.
    void SetBusyTimeout(int ms) { busyTimeout_ = ms; }
    // The work SQLite may do for one request (limits::kMaxQueryInstructions by default).
    void SetQueryBudget(std::int64_t instructions) { queryBudget_ = instructions; }

    TNotifyEvent OnCalcFields;
    TNotifyEvent AfterOpen, AfterScroll;

    // The database file as opened (relative names resolved against BaseFolder).
    std::string DatabasePath() const;
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(std::string_view v);
    // Folder that a relative DatabaseName is taken from (a form file's folder).
    const std::string& BaseFolder() const { return baseFolder_; }
    void SetBaseFolder(std::string_view v) { baseFolder_ = v; }

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // The statement the dataset reads, without the window clause.
    virtual Result<std::string> SelectText() const = 0;

  protected:
    sqlite3* Db() const { return db_; }
    // The reason of the failed call `rc` on `db` as the user reads it, after the dataset's name.
    Result<void> Fail(sqlite3* db, int rc) const;
    Result<void> Fail(std::string_view what) const;
    // Starts the work budget of one request of the program on `db`.
    void Arm(sqlite3* db) const;
    // Opens the database file read-only with every guard set.
    Result<sqlite3*> OpenDatabase() const;
    virtual void ClearStatementCache() {}

  private:
    friend class TField;
    friend class TDataSource;
    void AddField(TField* f);
    void RemoveField(TField* f);
    void Load(bool force = false);
    void ReadRow();
    void Changed(TDataEvent e);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* cursor_ = nullptr;
    std::string windowSql_;
    std::int64_t position_ = -1;   // current record
    std::int64_t stepped_ = -1;    // record the cursor statement stands on
    sqlite3_stmt* spare_ = nullptr;  // a second cursor, left where the last far jump found it
    std::int64_t spareStepped_ = -1;
    std::int64_t recordCount_ = 0;
    std::uint64_t generation_ = 0;
    bool eof_ = true, bof_ = true;
    bool openWhenLoaded_ = false;
    int disableCount_ = 0;
    bool pending_ = false;
    int busyTimeout_ = limits::kDatabaseBusyMilliseconds;
    std::int64_t queryBudget_ = limits::kMaxQueryInstructions;
    mutable TDbGuard guard_;
    std::string databaseName_, baseFolder_, lastError_, formFile_;
    int formLine_ = 0;
    std::vector<TCellValue> row_;
    std::vector<TField*> fields_;
    std::vector<TField*> dynamic_;  // created by Open, destroyed by Close
    std::vector<TDataSource*> sources_;
};

class TTable : public TDataSet {
    QUILLON_CLASS_INFO()
  public:
    explicit TTable(TComponent* owner);
    const std::string& TableName() const { return tableName_; }
    void SetTableName(std::string_view v) { tableName_ = v; }
    // "A;B": the order of the rows; reopens an open table.
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    Result<void> SetIndexFieldNames(std::string_view v);
    // The database's own indexes on the table, read by UpdateIndexDefs.
    const std::vector<TIndexDef>& IndexDefs() const { return indexDefs_; }
    Result<void> UpdateIndexDefs();
    Result<std::string> SelectText() const override;

  private:
    std::string tableName_, indexFieldNames_;
    std::vector<TIndexDef> indexDefs_;
};

class TQuery : public TDataSet {
    QUILLON_CLASS_INFO()
  public:
    explicit TQuery(TComponent* owner);
    TStrings& SQL() { return sql_; }
    const TStrings& SQL() const { return sql_; }
    Result<std::string> SelectText() const override;

  private:
    TStringList sql_;
};

// A double-quoted identifier ("a ""b"""), safe for any name.
std::string QuoteIdent(std::string_view name);

class TDataLink;

class TDataSource : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TDataSource(TComponent* owner);
    ~TDataSource() override;
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* ds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    TNotifyEvent OnDataChange;

    void Notification(TComponent* component, TOperation operation) override;

  private:
    friend class TDataLink;
    friend class TDataSet;
    void Send(TDataEvent e);
    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    std::vector<TDataLink*> links_;
};

// What a data-aware control holds to hear from its dataset.
class TDataLink {
  public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();
    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* s);
    TDataSet* DataSet() const;
    bool Active() const;
    // Called for every change of the dataset that controls show.
    virtual void DataEvent(TDataEvent) {}

  private:
    friend class TDataSource;
    TDataSource* source_ = nullptr;
};

// Makes every class of the data layer known to form files.
void RegisterDataClasses();

}  // namespace quillon
