#include "core/RuntimeError.h"

RuntimeError::RuntimeError(long number, QString description, QString context)
    : m_number(number), m_description(std::move(description)), m_context(std::move(context)),
      m_what(QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8())
{
}

bool isOwnErrorNumber(long number)
{
    // No default: the compiler names a number added to ErrorNumber and missing here.
    switch (static_cast<ErrorNumber>(number)) {
    case ErrorNumber::InvalidCall:
    case ErrorNumber::Overflow:
    case ErrorNumber::OutOfMemory:
    case ErrorNumber::SubscriptOutOfRange:
    case ErrorNumber::TypeMismatch:
    case ErrorNumber::DiskFull:
    case ErrorNumber::PermissionDenied:
    case ErrorNumber::FileAccess:
    case ErrorNumber::PathNotFound:
    case ErrorNumber::InvalidUseOfNull:
    case ErrorNumber::InvalidPropertyValue:
    case ErrorNumber::InvalidPropertyIndex:
    case ErrorNumber::NoCurrentRecord:
    case ErrorNumber::ItemNotFound:
    case ErrorNumber::ProviderNotFound:
    case ErrorNumber::ConnectionClosed:
    case ErrorNumber::InvalidRowValue:
    case ErrorNumber::InvalidColumnValue:
    case ErrorNumber::BadConnectionString:
    case ErrorNumber::GenericFailure:
        return true;
    }
    return false;
}

QString runtimeErrorText(long number, const QString& description)
{
    return QStringLiteral("运行时错误 '") + QString::number(number) + QStringLiteral("':\r\n\r\n") + description;
}
