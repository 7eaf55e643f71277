#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
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

private:
    std::unique_ptr<RowSource> m_rows;
    QHash<QString, int> m_fields;
    bool m_eof = true;
};
