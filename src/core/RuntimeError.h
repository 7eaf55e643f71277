#pragma once

#include <QString>
#include <exception>

// A failure as the user is told of it: an error number and a description, as the
// platform's run-time error box shows them. Database failures carry the driver's native
// code and text; our own checks use the classic run-time numbers (13 type mismatch, ...).
class RuntimeError : public std::exception
{
public:
    RuntimeError(long number, QString description, QString context = {});

    long number() const { return m_number; }
    const QString& description() const { return m_description; }
    // An optional line shown before the standard text (rows written before a failure, ...).
    const QString& context() const { return m_context; }
    RuntimeError withContext(const QString& context) const { return RuntimeError(m_number, m_description, context); }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    long m_number;
    QString m_description;
    QString m_context;
    QByteArray m_what;
};

// The text of the run-time error box for a failure: "运行时错误 'n':" CR LF CR LF description.
QString runtimeErrorText(long number, const QString& description);
