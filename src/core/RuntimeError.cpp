#include "core/RuntimeError.h"

RuntimeError::RuntimeError(long number, QString description, QString context)
    : m_number(number), m_description(std::move(description)), m_context(std::move(context)),
      m_what(QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8())
{
}

QString runtimeErrorText(long number, const QString& description)
{
    return QStringLiteral("运行时错误 '") + QString::number(number) + QStringLiteral("':\r\n\r\n") + description;
}
