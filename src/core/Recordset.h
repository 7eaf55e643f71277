#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

// The rows of one statement as a backend delivers them, one at a time.
class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    // Moves to the next row; false past the last one. Throws RuntimeError on failure.
    virtual bool next() = 0;
    // The current row's value: SQL NULL as a null QVariant, distinct from the empty text.
    virtual QVariant value(int column) const = 0;
    // Moves to the next result of the same request, its columns described anew; false when there
    // is none.
    virtual bool nextResult() { return false; }
};

// The results of several statements read one after the other, each opened when the one before
// has been read (backends that take one statement a request).
class ChainedRows final : public RowSource
{
public:
    using Opener = std::function<std::unique_ptr<RowSource>(const QString&)>;
    ChainedRows(QStringList statements, Opener open);
    int columnCount() const override { return m_current->columnCount(); }
    QString columnName(int column) const override { return m_current->columnName(column); }
    bool next() override { return m_current->next(); }
    QVariant value(int column) const override { return m_current->value(column); }
    bool nextResult() override;

private:
    QStringList m_statements;
    Opener m_open;
    int m_index = 0;
    std::unique_ptr<RowSource> m_current;
};

// A forward-only, read-only result set. Fields are found by name case-insensitively;
// SQL NULL comes back as a null QVariant, distinct from the empty text.
class Recordset
{
public:
    explicit Recordset(std::unique_ptr<RowSource> rows);
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    ~Recordset();

    bool eof() const { return m_eof; }
    QVariant field(const QString& name) const; // error 3265 when the field does not exist
    // The same by position, for loops that look each name up once.
    int fieldIndex(const QString& name) const; // error 3265 when the field does not exist
    QVariant field(int index) const;
    void moveNext(); // error 3021 past the end
    // On to the request's next result (ADO's NextRecordset); false when there is none.
    bool nextRecordset();

private:
    void describe();
    std::unique_ptr<RowSource> m_rows;
    QHash<QString, int> m_fields;
    bool m_eof = true;
};
