#include "core/Recordset.h"

#include "core/RuntimeError.h"

namespace {
RuntimeError noCurrentRecord()
{
    return RuntimeError(ErrorNumber::NoCurrentRecord, QStringLiteral("当前没有记录（已到记录集末尾）。"));
}
} // namespace

ChainedRows::ChainedRows(QStringList statements, Opener open)
    : m_statements(std::move(statements)), m_open(std::move(open))
{
    m_current = m_open(m_statements.value(0));
}

bool ChainedRows::nextResult()
{
    if (m_index + 1 >= m_statements.size())
        return false;
    // The one before is closed first: one statement at a time on the connection.
    m_current.reset();
    m_current = m_open(m_statements[++m_index]);
    return true;
}

Recordset::Recordset(std::unique_ptr<RowSource> rows) : m_rows(std::move(rows))
{
    describe();
}

bool Recordset::nextRecordset()
{
    if (!m_rows->nextResult())
        return false;
    describe();
    return true;
}

void Recordset::describe()
{
    m_fields.clear();
    for (int i = 0; i < m_rows->columnCount(); ++i) {
        // Some ODBC drivers report non-ASCII names with a wrong length: cut at the first NUL.
        QString name = m_rows->columnName(i);
        const int nul = name.indexOf(QChar(0));
        if (nul >= 0)
            name.truncate(nul);
        if (!m_fields.contains(name.toLower())) { // the first of equal names wins, as ADO's lookup does
            m_fields.insert(name.toLower(), i);
            m_fields.insert(name, i); // spelled as selected: found without lower-casing
        }
    }
    m_eof = !m_rows->next();
}

Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

int Recordset::fieldIndex(const QString& name) const
{
    auto it = m_fields.constFind(name);
    if (it == m_fields.constEnd())
        it = m_fields.constFind(name.toLower());
    if (it == m_fields.constEnd())
        throw RuntimeError(ErrorNumber::ItemNotFound, QStringLiteral("在集合中找不到字段“%1”。").arg(name));
    return it.value();
}

QVariant Recordset::field(int index) const
{
    if (m_eof)
        throw noCurrentRecord();
    return m_rows->value(index);
}

QVariant Recordset::field(const QString& name) const
{
    return field(fieldIndex(name));
}

void Recordset::moveNext()
{
    if (m_eof)
        throw noCurrentRecord();
    m_eof = !m_rows->next();
}
