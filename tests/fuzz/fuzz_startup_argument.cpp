// The start-up argument comes from another program: whatever it holds, the split must give
// ten identity fields and the connection part exactly as they stand between the separators, and
// however it starts, Qt takes none of it.

#include "FuzzInput.h"
#include "startup/StartupArgument.h"

namespace {

const QString kParts = QStringLiteral("【】");
const QString kFields = QStringLiteral("{}");

void checkSplit(const QString& argument)
{
    const StartupArgument split = splitStartupArgument(argument);

    const int first = argument.indexOf(kParts);
    const QString identityPart = first < 0 ? argument : argument.left(first);
    QString connection;
    if (first >= 0) {
        const int second = argument.indexOf(kParts, first + kParts.size());
        connection = second < 0 ? argument.mid(first + kParts.size())
                                : argument.mid(first + kParts.size(), second - first - kParts.size());
    }
    FUZZ_CHECK(split.connection == connection, fuzz::shown(split.connection) + " vs " + fuzz::shown(connection));

    // The ten fields joined again give the identity part: padded with empty fields when it has
    // fewer, cut before the eleventh when it has more.
    QStringList identity(split.identity.begin(), split.identity.end());
    for (const QString& field : identity)
        FUZZ_CHECK(!field.contains(kFields) && !field.contains(kParts), fuzz::shown(field));
    const QString joined = identity.join(kFields);
    const int separators = identityPart.count(kFields);
    if (separators <= 9)
        FUZZ_CHECK(joined == identityPart + kFields.repeated(9 - separators),
                   fuzz::shown(joined) + " from " + fuzz::shown(identityPart));
    else
        FUZZ_CHECK(identityPart.startsWith(joined + kFields),
                   fuzz::shown(joined) + " from " + fuzz::shown(identityPart));
}

void checkJoin(const QString& argument)
{
    // The process gets the launcher's text split at blanks; joining gives it back.
    QStringList arguments = argument.split(u' ');
    arguments.prepend(QStringLiteral("chengling-wuye"));
    FUZZ_CHECK(joinProgramArguments(arguments) == argument, fuzz::shown(joinProgramArguments(arguments)));
}

// Qt's options are taken only from the front: options passed before the launcher's argument change
// nothing of what reaches Main, and an argument whose first piece holds a separator reaches it whole.
void checkQtOptions(const QString& argument)
{
    QStringList arguments = argument.split(u' ');
    arguments.prepend(QStringLiteral("chengling-wuye"));
    const int count = qtOptionCount(arguments);
    FUZZ_CHECK(count >= 0 && count < arguments.size(), QByteArray::number(count));
    for (int i = 1; i <= count; ++i)
        FUZZ_CHECK(!arguments[i].contains(kFields) && !arguments[i].contains(kParts), fuzz::shown(arguments[i]));
    const QString launcher = launcherArgument(arguments);
    FUZZ_CHECK(argument.endsWith(launcher), fuzz::shown(launcher));
    if (arguments[1].contains(kFields) || arguments[1].contains(kParts))
        FUZZ_CHECK(launcher == argument, fuzz::shown(launcher));
    QStringList withOptions = arguments;
    withOptions.insert(1, QStringLiteral("-platform"));
    withOptions.insert(2, QStringLiteral("offscreen"));
    withOptions.insert(3, QStringLiteral("-style=fusion"));
    FUZZ_CHECK(launcherArgument(withOptions) == launcher, fuzz::shown(launcherArgument(withOptions)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString argument = fuzz::text(data, size);
    checkSplit(argument);
    checkJoin(argument);
    checkQtOptions(argument);
    return 0;
}
